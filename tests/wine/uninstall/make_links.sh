#!/bin/sh
# Makes the link fixture for the uninstaller tests: an installation whose
# tree holds a symbolic link to a directory outside it.  Links are made on
# the host, where wine shows a link to a directory as a reparse point (a
# link to a file it shows as the file itself, so that case cannot be
# tested here).
set -e
dir=$1
rm -rf "$dir"
mkdir -p "$dir/inst/bin" "$dir/precious/deeper"
echo exe > "$dir/inst/tolva.exe"
echo dll > "$dir/inst/bin/a.dll"
echo work > "$dir/precious/work.txt"
echo more > "$dir/precious/deeper/more.txt"
ln -s ../../precious "$dir/inst/bin/linked"
