#!/bin/sh
# Installs what is needed, builds everything from nothing and runs every test:
# the Linux build, the ASan+UBSan build, the Windows build under wine, and a
# compile of the 32-bit Windows release.
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
