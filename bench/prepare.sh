#!/bin/sh
# Installs the peers and the workloads, unpacks the kernel once into
# bench/cache and writes the file lists the benchmarks use.
set -e
here=$(cd "$(dirname "$0")" && pwd)
cache=${TV_BENCH_CACHE:-$here/cache}
pkgs="linux-source-6.1 universal-ctags exuberant-ctags global hyperfine"
missing=""
for p in $pkgs; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
fi
mkdir -p "$cache"
if [ ! -d "$cache/linux-source-6.1" ]; then
    echo "unpacking the kernel into $cache ..."
    tar -C "$cache" -xf /usr/src/linux-source-6.1.tar.xz
fi
cd "$cache/linux-source-6.1"
if [ ! -f "$cache/kernel-c.list" ]; then
    find . -type f \( -name '*.c' -o -name '*.h' \) | sed 's|^\./||' | sort > "$cache/kernel-c.list"
    n=$(wc -l < "$cache/kernel-c.list")
    head -n $((n / 4)) "$cache/kernel-c.list" > "$cache/kernel-c.quarter.list"
    head -n $((n / 2)) "$cache/kernel-c.list" > "$cache/kernel-c.half.list"
fi
echo "kernel: $(wc -l < "$cache/kernel-c.list") C files in $cache/linux-source-6.1"
