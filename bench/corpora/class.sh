#!/bin/sh
# Compiled Java for the class-file benchmarks and the javap comparison:
# the JARs of /usr/share/java, with guava, commons-lang3 and maven-core
# among them, and the JDK (javap).
set -e
pkgs="libguava-java libcommons-lang3-java libmaven3-core-java openjdk-17-jdk-headless unzip"
sh "$(dirname "$0")/../need_pkgs.sh" $pkgs
cache=${TV_BENCH_CACHE:-$(cd "$(dirname "$0")/.." && pwd)/cache}
mkdir -p "$cache"
# Each archive once, however many names point at it.
for f in /usr/share/java/*.jar; do readlink -f "$f"; done | sort -u > "$cache/java-jars.list"
echo "class: $(wc -l < "$cache/java-jars.list") JARs listed in $cache/java-jars.list"
