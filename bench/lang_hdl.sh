#!/bin/bash
# Times tvtags against Universal and Exuberant Ctags on the Verilog and
# VHDL corpora (bench/corpora/hdl.sh), each tool writing its own tags
# file for the same list of files, and prints tvtags' time over each
# peer's.
#
#   lang_hdl.sh [TVTAGS] [WORKDIR]
#
# TVTAGS is the tvtags binary (by default the release build's).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tvtags=${1:-$here/../build/release/tvtags/tvtags}
work=${2:-/tmp/lang_hdl}
runs=${TV_BENCH_RUNS:-10}
cache=${TV_BENCH_CACHE:-$here/cache}
mkdir -p "$work"
[ -d "$cache/hdl/verilog" ] && [ -d "$cache/hdl/vhdl" ] || TV_BENCH_CACHE=$cache sh "$here/corpora/hdl.sh"

find "$cache/hdl/verilog" -type f \( -name '*.v' -o -name '*.sv' \) | LC_ALL=C sort > "$work/verilog.list"
find "$cache/hdl/vhdl" -type f \( -name '*.vhd' -o -name '*.vhdl' \) | LC_ALL=C sort > "$work/vhdl.list"

# Seconds of the mean of the runs of one command; OUT is removed before
# each run, so that every run writes a new file.
mean_of() {
    local name=$1 out=$2; shift 2
    hyperfine -N -w 2 -r "$runs" --prepare "rm -f $out" --export-json "$work/$name.json" "$*" \
        >/dev/null 2>&1
    python3 -c "import json,sys; print('%.4f' % json.load(open(sys.argv[1]))['results'][0]['mean'])" \
        "$work/$name.json"
}

printf '%-8s %6s %9s %9s %9s %9s %9s\n' language files tvtags universal exuberant tv/univ tv/exub
for lang in verilog vhdl; do
    list="$work/$lang.list"
    tv=$(mean_of "$lang-tv" "$work/$lang.tvt" "$tvtags -q -o $work/$lang.tvt -I $list")
    cu=$(mean_of "$lang-cu" "$work/$lang.cu" "ctags-universal -f $work/$lang.cu -L $list")
    ce=$(mean_of "$lang-ce" "$work/$lang.ce" "ctags-exuberant -f $work/$lang.ce -L $list")
    read -r ru re < <(python3 -c "import sys; t,a,b=map(float,sys.argv[1:]); print('%.2f %.2f' % (t/a, t/b))" "$tv" "$cu" "$ce")
    printf '%-8s %6d %9s %9s %9s %9s %9s\n' "$lang" "$(wc -l < "$list")" "$tv" "$cu" "$ce" "$ru" "$re"
done
