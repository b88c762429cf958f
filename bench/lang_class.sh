#!/bin/sh
# Tagging every JAR of /usr/share/java against unzip -p of the same
# archives to /dev/null, side by side.  Usage: lang_class.sh [TVTAGS]
# (default: the release build).  Prints both times and the ratio.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tvtags=$(realpath "${1:-$here/../build/release/tvtags/tvtags}")
cache=${TV_BENCH_CACHE:-$here/cache}
[ -f "$cache/java-jars.list" ] || TV_BENCH_CACHE=$cache sh "$here/corpora/class.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TVCONFIG="$work" TV_TAG_TIMEOUT=0
list="$cache/java-jars.list"
echo "$(wc -l < "$list") JARs, $(xargs du -cb < "$list" | tail -1 | cut -f1) bytes"

run_tvtags() { rm -f "$work/j.tags"; "$tvtags" -q -o "$work/j.tags" -I "$list" 2>"$work/err"; }
run_unzip() { while read -r f; do unzip -qq -p "$f" > /dev/null; done < "$list"; }

if command -v hyperfine > /dev/null; then
    hyperfine -w 1 -r 5 -N --export-json "$work/h.json" \
        -n tvtags "sh -c 'rm -f $work/j.tags; $tvtags -q -o $work/j.tags -I $list'" \
        -n unzip "sh -c 'while read -r f; do unzip -qq -p \"\$f\" > /dev/null; done < $list'" > /dev/null
    python3 - "$work/h.json" <<'PY'
import json, sys
res = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
t, u = res["tvtags"], res["unzip"]
cpu = lambda x: x["user"] + x["system"]
print(f"wall: tvtags {t['mean']:.3f} s, unzip -p {u['mean']:.3f} s, ratio {t['mean'] / u['mean']:.2f}")
print(f"cpu:  tvtags {cpu(t):.3f} s, unzip -p {cpu(u):.3f} s, ratio {cpu(t) / cpu(u):.2f}")
PY
else
    t0=$(date +%s.%N); run_tvtags; t1=$(date +%s.%N); run_unzip; t2=$(date +%s.%N)
    echo "$t0 $t1 $t2" | awk '{ a = $2 - $1; b = $3 - $2; printf "tvtags %.3f s, unzip -p %.3f s, ratio %.2f\n", a, b, a / b }'
fi
run_tvtags
if [ -s "$work/err" ]; then echo "messages:"; head "$work/err"; fi
echo "$("$tvtags" -stats "$work/j.tags" 2>/dev/null | head -3)"
