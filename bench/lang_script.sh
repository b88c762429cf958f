#!/bin/bash
# Times tvtags against Universal and Exuberant Ctags on the Python, Perl
# and Ruby trees, each tool writing its own tags file for the same list of
# files, and prints tvtags' time over the fastest peer's.
#
#   lang_script.sh [TVTAGS] [WORKDIR]
#
# TVTAGS is the tvtags binary (by default the release build's).
set -euo pipefail

tvtags=${1:-$(cd "$(dirname "$0")/.." && pwd)/build/release/tvtags/tvtags}
work=${2:-/tmp/lang_script}
runs=${TV_BENCH_RUNS:-5}
mkdir -p "$work"

lists() {
    find /usr/lib/python3.11 -type f -name '*.py' > "$work/python.list"
    find /usr/share/perl /usr/lib/x86_64-linux-gnu/perl /usr/lib/x86_64-linux-gnu/perl-base \
        -type f \( -name '*.pm' -o -name '*.pl' \) > "$work/perl.list"
    find /usr/lib/ruby -type f -name '*.rb' > "$work/ruby.list"
}

# Seconds of the mean of the runs of one command; OUT is removed before
# each run, so that every run writes a new file.
mean_of() {
    local name=$1 out=$2; shift 2
    hyperfine -N -w 1 -r "$runs" --prepare "rm -f $out" --export-json "$work/$name.json" "$*" \
        >/dev/null 2>&1
    python3 -c "import json,sys; print('%.4f' % json.load(open(sys.argv[1]))['results'][0]['mean'])" \
        "$work/$name.json"
}

lists
printf '%-8s %7s %10s %10s %10s %8s\n' language files tvtags universal exuberant ratio
for lang in python perl ruby; do
    list="$work/$lang.list"
    tv=$(mean_of "$lang-tv" "$work/$lang.tvt" "$tvtags -q -o $work/$lang.tvt -I $list")
    cu=$(mean_of "$lang-cu" "$work/$lang.cu" "ctags-universal -f $work/$lang.cu -L $list")
    ce=$(mean_of "$lang-ce" "$work/$lang.ce" "ctags-exuberant -f $work/$lang.ce -L $list")
    ratio=$(python3 -c "import sys; t,a,b=map(float,sys.argv[1:]); print('%.2f' % (t/min(a,b)))" "$tv" "$cu" "$ce")
    printf '%-8s %7d %10s %10s %10s %8s\n' "$lang" "$(wc -l < "$list")" "$tv" "$cu" "$ce" "$ratio"
done
