#!/bin/bash
# Compares the C-family definitions that tvtags finds in a source tree with
# those Universal Ctags finds there: functions, structures, unions,
# enumerations and their members, members, typedefs and macros.  A ctags tag
# counts as found when tvtags has a tag of the same name in the same file.
#
#   compare_ctags.sh TREE [TVTAGS] [WORKDIR]
#
# TVTAGS is the tvtags binary (by default the release build's).  EXTS
# (default "c h") names the file extensions compared and KINDS (default
# "fsugemtd") the Universal Ctags kinds, the same letters for C and C++:
# KINDS=fcsugentd EXTS="h hpp ipp cpp cc" compares C++ definitions.  Prints
# the share found per kind and overall, and the largest groups of misses;
# WORKDIR keeps the lists (ctags.tsv, tvtags.tsv, misses.tsv).
set -euo pipefail

tree=${1:?usage: compare_ctags.sh TREE [TVTAGS] [WORKDIR]}
tvtags=${2:-$(cd "$(dirname "$0")/.." && pwd)/build/release/tvtags/tvtags}
work=${3:-/tmp/compare_ctags}
mkdir -p "$work"
work=$(cd "$work" && pwd -P)
tvtags=$(cd "$(dirname "$tvtags")" && pwd -P)/$(basename "$tvtags")
tree=$(cd "$tree" && pwd -P)
cd "$tree"

exts=${EXTS:-c h}
kinds=${KINDS:-fsugemtd}
find_args=()
for e in $exts; do
    [ ${#find_args[@]} -gt 0 ] && find_args+=(-o)
    find_args+=(-name "*.$e")
done
find . -type f \( "${find_args[@]}" \) | sed 's|^\./||' | LC_ALL=C sort > "$work/files"
echo "files: $(wc -l < "$work/files")"

# ctags: name, file, kind; anonymous aggregates are named differently by
# the two tools and are left out.
# PEER_TSV names the ctags list of an earlier run over the same tree and
# kinds, to compare another tvtags without running ctags again.
if [ -n "${PEER_TSV:-}" ]; then
    cp "$PEER_TSV" "$work/ctags.tsv.new"
    mv "$work/ctags.tsv.new" "$work/ctags.tsv"
else
ctags-universal -L "$work/files" --languages=C,C++ \
    --kinds-C="$kinds" --kinds-C++="$kinds" -x --_xformat='%N	%F	%K' 2>/dev/null |
    awk -F'\t' -v OFS='\t' '$1 !~ /^__anon/ && $1 !~ /^anon#/ {
        # tvtags names an operator by the operator alone: "()", "==", "bool".
        if ($1 ~ /^operator( |[^A-Za-z0-9_])/) { sub(/^operator ?/, "", $1); sub(/ +$/, "", $1) }
        print }' | LC_ALL=C sort -u > "$work/ctags.tsv"
fi

# tvtags text form: name file(line) TYPE ...
rm -f "$work/tvtags.txt"
"$tvtags" -q -text -tvtags -o "$work/tvtags.txt" -I "$work/files" 2> "$work/tvtags.err" >/dev/null || true
awk -v prefix="$tree/" '
    /^tvtags_version=/ || /^\[[A-Za-z_]+\]$/ || NF < 3 { next }
    {
        name = $1; f = $2; sub(/\([0-9]+\)$/, "", f)
        # "A::B::f" defines f in A::B; ctags names it f with that scope.
        if (name ~ /::/ && name !~ /^::/) sub(/^.*::/, "", name)
        if (index(f, prefix) == 1) f = substr(f, length(prefix) + 1)
        print name "\t" f "\t" $3
    }' "$work/tvtags.txt" | LC_ALL=C sort -u > "$work/tvtags.tsv"

awk -F'\t' '
    NR == FNR { have[$1 "\t" $2] = 1; next }
    {
        total[$3]++; all++
        if (($1 "\t" $2) in have) { found[$3]++; hit++ }
        else print $0 > "'"$work/misses.tsv"'"
    }
    END {
        for (k in total)
            printf "%-12s %8d of %8d  %6.2f%%\n", k, found[k], total[k], 100 * found[k] / total[k]
        printf "%-12s %8d of %8d  %6.2f%%\n", "all", hit, all, 100 * hit / all
    }' "$work/tvtags.tsv" "$work/ctags.tsv" | sort
touch "$work/misses.tsv"

echo
echo "misses by kind and directory (largest first):"
awk -F'\t' '{ d = $2; sub(/\/[^\/]*$/, "", d); print $3 "\t" d }' "$work/misses.tsv" |
    sort | uniq -c | sort -rn | head -15
echo
echo "most frequent missed names:"
cut -f1,3 "$work/misses.tsv" | sort | uniq -c | sort -rn | head -15
