#!/bin/sh
# Times tvtags against Universal and Exuberant Ctags on the JDK sources,
# side by side in one run, and prints tvtags' time as a share of the
# fastest peer's.  Run bench/corpora/java.sh (or bench/prepare.sh) first.
#
#   lang_java.sh [base|all] [TVTAGS] [RUNS]
#
# base is java.base (3100 files), all the whole JDK (15000 files).  Each
# tool writes its own tags file from scratch on every run; the figure is the
# best wall time of RUNS (3 by default).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cache=${TV_BENCH_CACHE:-$here/cache}
which=${1:-base}
tvtags=${2:-$(cd "$here/.." && pwd)/build/release/tvtags/tvtags}
runs=${3:-3}
tree="$cache/jdk17-src"
list="$cache/jdk-$which.list"
[ -f "$list" ] || { echo "no $list: run bench/corpora/java.sh first" >&2; exit 1; }
case $tvtags in /*) ;; *) tvtags=$(pwd)/$tvtags ;; esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TVCONFIG="$work" TV_TAG_TIMEOUT=0
cd "$tree"

best() {
    # best wall time of $runs runs of "$@", in seconds
    b=""
    i=0
    while [ $i -lt "$runs" ]; do
        rm -f "$work/out"
        s=$(date +%s.%N)
        "$@" > /dev/null 2>&1
        e=$(date +%s.%N)
        t=$(echo "$e - $s" | bc)
        if [ -z "$b" ] || [ "$(echo "$t < $b" | bc)" -eq 1 ]; then b=$t; fi
        i=$((i + 1))
    done
    echo "$b"
}

echo "JDK $which: $(wc -l < "$list") files, best of $runs"
tv=$(best "$tvtags" -q -o "$work/out" -I "$list")
tvt=$(best "$tvtags" -q -text -o "$work/out" -I "$list")
uc=$(best ctags-universal -L "$list" -f "$work/out")
ec=$(best ctags-exuberant -L "$list" -f "$work/out")
fastest=$(printf '%s\n%s\n' "$uc" "$ec" | sort -g | head -1)
printf '%-28s %8.3f s  %5.2f of the fastest peer\n' "tvtags (database)" "$tv" "$(echo "$tv / $fastest" | bc -l)"
printf '%-28s %8.3f s  %5.2f\n' "tvtags (ctags text)" "$tvt" "$(echo "$tvt / $fastest" | bc -l)"
printf '%-28s %8.3f s  %5.2f\n' "ctags-universal" "$uc" "$(echo "$uc / $fastest" | bc -l)"
printf '%-28s %8.3f s  %5.2f\n' "ctags-exuberant" "$ec" "$(echo "$ec / $fastest" | bc -l)"
