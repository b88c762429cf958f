#!/bin/sh
# The Java family's trees: the JDK 17 sources (src.zip of openjdk-17-source)
# unpacked under the cache, with file lists for java.base and for every
# module; the npm sources that come with nodejs serve JavaScript in place.
set -e
cache=${TV_BENCH_CACHE:-$(cd "$(dirname "$0")/.." && pwd)/cache}
pkgs="openjdk-17-source nodejs"
sh "$(dirname "$0")/../need_pkgs.sh" $pkgs
zip=/usr/lib/jvm/openjdk-17/lib/src.zip
[ -f "$zip" ] || zip=$(ls /usr/lib/jvm/*/lib/src.zip 2>/dev/null | head -1)
mkdir -p "$cache"
dest="$cache/jdk17-src"
if [ ! -d "$dest/java.base" ]; then
    echo "unpacking $zip into $dest ..."
    rm -rf "$dest.tmp"
    mkdir -p "$dest.tmp"
    (cd "$dest.tmp" && unzip -q "$zip")
    mv "$dest.tmp" "$dest"
fi
cd "$dest"
if [ ! -f "$cache/jdk-base.list" ]; then
    find java.base -type f -name '*.java' | LC_ALL=C sort > "$cache/jdk-base.list"
    find . -type f -name '*.java' | sed 's|^\./||' | LC_ALL=C sort > "$cache/jdk-all.list"
fi
echo "jdk: $(wc -l < "$cache/jdk-base.list") java.base files, $(wc -l < "$cache/jdk-all.list") in all, in $dest"
npm=/usr/lib/node_modules/npm
if [ -d "$npm" ] && [ ! -f "$cache/npm-js.list" ]; then
    (cd "$npm" && find . -type f -name '*.js' | sed 's|^\./||' | LC_ALL=C sort) > "$cache/npm-js.list"
fi
[ -f "$cache/npm-js.list" ] && echo "npm: $(wc -l < "$cache/npm-js.list") JavaScript files in $npm"
exit 0
