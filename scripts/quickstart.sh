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
cd "$out"
../release/tvtags/tvtags -q /usr/include
../release/tvtags/tvtags -stats tags
