#!/bin/sh
# Times tvtags (release build) against Universal and Exuberant Ctags over
# the C++ corpus of bench/corpora/cxx.sh, one full scan each, and prints
# the ratios.
#   lang_cxx.sh [TVTAGS]
set -e
here=$(cd "$(dirname "$0")" && pwd)
cache=${TV_BENCH_CACHE:-$here/cache}
tvtags=${1:-$here/../build/release/tvtags/tvtags}
TV_BENCH_CACHE=$cache sh "$here/corpora/cxx.sh" >/dev/null
tree="$cache/cxx-boost-gtest"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find "$tree" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.ipp' -o -name '*.cpp' -o -name '*.cc' \) |
    sort > "$work/files"
echo "files: $(wc -l < "$work/files")"
now() { date +%s.%N; }
run() {
    start=$(now)
    "$@" >/dev/null 2>&1 || true
    end=$(now)
    echo "$end - $start" | bc
}
tv=$(run "$tvtags" -q -o "$work/tags.tvt" -I "$work/files")
uc=$(run ctags-universal -L "$work/files" -o "$work/tags.u")
ec=$(run ctags-exuberant -L "$work/files" -o "$work/tags.e")
printf 'tvtags           %6.2f s\n' "$tv"
printf 'ctags-universal  %6.2f s  (%.1fx tvtags)\n' "$uc" "$(echo "$uc / $tv" | bc -l)"
printf 'ctags-exuberant  %6.2f s  (%.1fx tvtags)\n' "$ec" "$(echo "$ec / $tv" | bc -l)"
