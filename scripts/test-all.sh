#!/bin/sh
# Installs what is needed, builds everything from nothing and runs every test:
# the Linux build, the ASan+UBSan build, the Windows build under wine, a
# compile of the 32-bit Windows release, and the fuzz targets' short runs.
set -e
cd "$(dirname "$0")/.."
sh scripts/setup.sh
for p in debug asan win64 win32; do
    cmake --preset "$p" -DTV_WERROR=ON >/dev/null
    cmake --build --preset "$p"
done
for p in debug asan win64; do
    echo "== ctest $p =="
    ctest --preset "$p"
done
# The fuzz targets: a short run of each on its seeds and every input that
# once failed.  Long runs are for fuzz/run.sh.
cmake --preset fuzz -DTV_WERROR=ON >/dev/null
cmake --build --preset fuzz --target fuzz_all
echo "== ctest fuzz =="
ctest --preset fuzz
