#!/bin/sh
# The scripting languages' trees: Perl (/usr/share/perl, the perl modules
# under /usr/lib), Python (/usr/lib/python3.11), Ruby (/usr/lib/ruby), PHP
# (/usr/share/php from php-pear and php-monolog), Tcl (/usr/share/tcltk), Emacs Lisp (the
# .el files of emacs-el, unpacked into the cache), Octave's function files
# (/usr/share/octave) and the IDL library of gnudatalanguage
# (/usr/share/gnudatalanguage/lib).
set -e
cache=${TV_BENCH_CACHE:?TV_BENCH_CACHE names the cache directory}
pkgs="perl perl-modules-5.36 python3.11 ruby php-pear php-monolog tcl8.6 tk8.6 emacs-el octave-common gnudatalanguage"
sh "$(dirname "$0")/../need_pkgs.sh" $pkgs
el="$cache/emacs-el"
if [ ! -d "$el" ]; then
    echo "unpacking the Emacs Lisp sources into $el ..."
    src=$(ls -d /usr/share/emacs/[0-9]*/lisp | head -1)
    mkdir -p "$el.tmp"
    (cd "$src" && find . -name '*.el.gz') | while read -r f; do
        mkdir -p "$el.tmp/$(dirname "$f")"
        gzip -dc "$src/$f" > "$el.tmp/${f%.gz}"
    done
    mv "$el.tmp" "$el"
fi
echo "emacs lisp: $(find "$el" -name '*.el' | wc -l) files in $el"
