#!/bin/bash
# Times tvtags against Universal and Exuberant Ctags on the Pascal (Free
# Pascal sources) and Ada (GNAT library) trees, and prints tvtags' time as
# a share of Universal Ctags' (CPU seconds, best of three).
#
#   lang_other.sh [TVTAGS] [WORKDIR]
#
# TVTAGS is the tvtags binary (by default the release build's).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tvtags=${1:-$here/../build/release/tvtags/tvtags}
work=${2:-$(mktemp -d /tmp/lang_other.XXXXXX)}
mkdir -p "$work"
tvtags=$(cd "$(dirname "$tvtags")" && pwd -P)/$(basename "$tvtags")

pascal=/usr/share/fpcsrc
ada=$(ls -d /usr/lib/gcc/x86_64-linux-gnu/*/adainclude | tail -1)
find "$pascal" -type f \( -name '*.pas' -o -name '*.pp' \) | sort > "$work/pascal.list"
find "$ada" -type f \( -name '*.ads' -o -name '*.adb' \) | sort > "$work/ada.list"

seconds() {   # the best of three runs of a command: CPU seconds (user + system)
    # CPU time rather than wall time, since the machine may be shared.
    local best=""
    for _ in 1 2 3; do
        local d
        /usr/bin/time -f '%U %S' -o "$work/time.out" "$@" >/dev/null 2>&1 || true
        d=$(tail -1 "$work/time.out" | awk '{ print $1 + $2 }')
        best=$(echo "$d $best" | awk '{ if ($2 == "" || $1 < $2) print $1; else print $2 }')
    done
    echo "$best"
}

run() {   # name list tvtags-args ctags-args...
    local name=$1 list=$2 tvargs=$3
    shift 3
    local db="$work/$name.tags"
    local tv uc ec
    tv=$(seconds bash -c "rm -f '$db'; TVCONFIG='$work' '$tvtags' -q $tvargs -o '$db' -I '$list'")
    uc=$(seconds ctags-universal "$@" -L "$list" -f "$work/$name.uctags")
    # Exuberant Ctags has no Ada parser.
    if ctags-exuberant --list-languages | grep -qx "$ectags_lang"; then
        ec=$(printf '%.2fs' "$(seconds ctags-exuberant "$@" -L "$list" -f "$work/$name.ectags")")
    else
        ec="n/a"
    fi
    printf '%-7s files %6d  tvtags %7.2fs  ctags-universal %7.2fs  ctags-exuberant %7s  tvtags/universal %.2f\n' \
        "$name" "$(wc -l < "$list")" "$tv" "$uc" "$ec" "$(echo "$tv $uc" | awk '{ print $1 / $2 }')"
}

ectags_lang=Pascal run pascal "$work/pascal.list" "-l pas" --languages=Pascal --langmap=Pascal:+.pp
ectags_lang=Ada run ada "$work/ada.list" "" --languages=Ada
