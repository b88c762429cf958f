#!/bin/bash
# Times tvtags against Universal and Exuberant Ctags on the HTML
# documentation under /usr/share/doc, each tool writing its own tags file
# for the same list of files, and prints tvtags' time over each peer's.
#
#   lang_markup.sh [TVTAGS] [WORKDIR]
#
# TVTAGS is the tvtags binary (by default the release build's).
set -euo pipefail

tvtags=${1:-$(cd "$(dirname "$0")/.." && pwd)/build/release/tvtags/tvtags}
work=${2:-/tmp/lang_markup}
runs=${TV_BENCH_RUNS:-3}
mkdir -p "$work"

find /usr/share/doc -type f \( -name '*.html' -o -name '*.htm' \) | sort > "$work/html.list"
find /usr/share/xml /usr/share/sgml -type f \( -name '*.dtd' -o -name '*.mod' \) | sort > "$work/dtd.list"

# Seconds of the mean of the runs of one command; OUT is removed before
# each run, so that every run writes a new file.
mean_of() {
    local name=$1 out=$2; shift 2
    hyperfine -N -w 1 -r "$runs" --prepare "rm -f $out" --export-json "$work/$name.json" "$*" \
        >/dev/null 2>&1
    python3 -c "import json,sys; print('%.4f' % json.load(open(sys.argv[1]))['results'][0]['mean'])" \
        "$work/$name.json"
}

printf '%-6s %7s %10s %10s %10s %9s %9s\n' tree files tvtags universal exuberant tv/univ tv/exub
for tree in html dtd; do
    list="$work/$tree.list"
    tv=$(mean_of "$tree-tv" "$work/$tree.tvt" "$tvtags -q -o $work/$tree.tvt -I $list")
    cu=$(mean_of "$tree-cu" "$work/$tree.cu" "ctags-universal -f $work/$tree.cu -L $list")
    ce=$(mean_of "$tree-ce" "$work/$tree.ce" "ctags-exuberant -f $work/$tree.ce -L $list")
    r=$(python3 -c "import sys; t,a,b=map(float,sys.argv[1:]); print('%.2f %.2f' % (t/a, t/b))" "$tv" "$cu" "$ce")
    printf '%-6s %7d %10s %10s %10s %9s %9s\n' "$tree" "$(wc -l < "$list")" "$tv" "$cu" "$ce" $r
done
