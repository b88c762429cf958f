#!/bin/sh
# Installs the peers and the workloads, unpacks the kernel once into
# bench/cache and writes the file lists the benchmarks use.
set -e
here=$(cd "$(dirname "$0")" && pwd)
cache=${TV_BENCH_CACHE:-$here/cache}
pkgs="linux-source-6.1 universal-ctags exuberant-ctags global hyperfine"
sh "$(dirname "$0")/need_pkgs.sh" $pkgs
mkdir -p "$cache"
if [ ! -d "$cache/linux-source-6.1" ]; then
    echo "unpacking the kernel into $cache ..."
    tar -C "$cache" -xf /usr/src/linux-source-6.1.tar.xz
fi
cd "$cache/linux-source-6.1"
if [ ! -f "$cache/kernel-c.list" ]; then
    find . -type f \( -name '*.c' -o -name '*.h' \) | sed 's|^\./||' | sort > "$cache/kernel-c.list"
fi
# The quarter and the half take every fourth and every second file of the
# sorted list, so that they hold the same mix of the tree as the whole.
awk -v q="$cache/kernel-c.quarter.list" -v h="$cache/kernel-c.half.list" '
    NR % 4 == 1 { print > q }
    NR % 2 == 1 { print > h }' "$cache/kernel-c.list"
# A tree of ordinary size: the fs, net, kernel, mm and sound folders.
grep -E '^(fs|net|kernel|mm|sound)/' "$cache/kernel-c.list" > "$cache/kernel-c.subset.list"
echo "kernel: $(wc -l < "$cache/kernel-c.list") C files in $cache/linux-source-6.1"
# Each language family's corpora: bench/corpora/NAME.sh installs its
# packages and unpacks what it needs under the cache.
for f in "$here"/corpora/*.sh; do
    [ -f "$f" ] || continue
    TV_BENCH_CACHE=$cache sh "$f"
done
