#!/bin/sh
# The trees the smaller languages' scanners are compared and timed on:
# Free Pascal's sources, GNAT's library sources, PostgreSQL's SQL files,
# the Fortran sources shipped with NumPy and MINPACK's examples, and
# Bison's example grammars.  The kernel (assembler, Yacc) comes from
# prepare.sh.  The MINPACK examples are unpacked into the cache.
set -e
cache=${TV_BENCH_CACHE:?TV_BENCH_CACHE must name the bench cache}
pkgs="fpc-source-3.2.2 gnat-12 postgresql-15 python3-numpy minpack-dev bison"
sh "$(dirname "$0")/../need_pkgs.sh" $pkgs
mkdir -p "$cache/minpack"
for f in /usr/share/doc/minpack-dev/examples/*.f; do
    [ -f "$f" ] && cp -n "$f" "$cache/minpack/"
done
echo "other: fpc $(find /usr/share/fpcsrc -name '*.pp' -o -name '*.pas' | wc -l) files," \
     "ada $(ls /usr/lib/gcc/x86_64-linux-gnu/12/adainclude | wc -l) files," \
     "minpack $(ls "$cache/minpack" | wc -l) files"
