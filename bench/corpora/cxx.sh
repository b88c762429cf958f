#!/bin/sh
# C++ corpora: a set of Boost libraries' headers and the GoogleTest
# sources, copied into one tree (cxx-boost-gtest) so that the comparison
# scripts see plain files.
set -e
cache=${TV_BENCH_CACHE:?TV_BENCH_CACHE names the cache directory}
pkgs="libboost-dev googletest"
missing=""
for p in $pkgs; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
fi
tree="$cache/cxx-boost-gtest"
if [ ! -d "$tree" ]; then
    mkdir -p "$tree/boost"
    for lib in asio filesystem spirit container beast; do
        cp -r "/usr/include/boost/$lib" "$tree/boost/"
    done
    cp -r /usr/src/googletest "$tree/googletest"
fi
echo "C++: $(find "$tree" -type f | wc -l) files in $tree"
