#!/bin/sh
# Installs every Debian package that the build, the tests and the benchmarks
# need.  Safe to run again: packages already present are left alone.
set -e
pkgs="cmake ninja-build g++ clang libclang-rt-14-dev
      zlib1g-dev libgtest-dev libgmock-dev googletest
      g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64-dev mingw-w64-tools
      wine wine64 vim"
missing=""
for p in $pkgs; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends $missing
fi
