#!/bin/sh
# Builds the release tvtags and tags /usr/include into build/quickstart/tags,
# then shows what it holds.
set -e
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
out=build/quickstart
mkdir -p "$out"
if [ -x build/release/tvtags/tvtags ]; then
    ( cd "$out" && ../release/tvtags/tvtags -q /usr/include && ../release/tvtags/tvtags -stats tags | head -30 )
else
    echo "tvtags is not built yet; the support library built." >&2
fi
