#!/bin/sh
# Runs tvtags.exe under wine and the Linux tvtags on two copies of one small
# source tree and checks that both write the same tags: the same database
# bytes, the same -list and -filelist reports and the same text form.
# Usage: wine_compare.sh WINE_RUN PREFIX TVTAGS_EXE NATIVE_TVTAGS
# Exits 77 (skipped) when the native program has not been built, or when no
# built-in scanner finds anything in the tree, so there is nothing to compare.
set -e
wine_run=$1 prefix=$2 exe=$3 native=$4
if [ ! -x "$native" ]; then
    echo "no native tvtags at $native (build the debug preset first)"
    exit 77
fi
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tvtags-wine-XXXXXX")
trap 'rm -rf "$tmp"' EXIT

make_tree() {
    mkdir -p "$1/src/sub" "$1/src/skipped"
    cat > "$1/src/main.c" <<'SRC'
#include <stdio.h>
#include "shapes.h"

#define LIMIT 10
#define SQUARE(x) ((x) * (x))

typedef struct point {
    int x;
    int y;
} point_t;

static int counter;
int total = 0;

static void bump(void)
{
    counter++;
}

int add(int a, int b)
{
    return a + b;
}

int main(int argc, char **argv)
{
    bump();
    printf("%d\n", add(argc, LIMIT));
    return 0;
}
SRC
    cat > "$1/src/shapes.h" <<'SRC'
#ifndef SHAPES_H
#define SHAPES_H
enum colour { RED, GREEN, BLUE };
struct shape {
    enum colour colour;
    double area;
};
double shape_area(const struct shape *s);
extern int shape_count;
#endif
SRC
    cat > "$1/src/sub/util.c" <<'SRC'
#include "../shapes.h"
int shape_count;
double shape_area(const struct shape *s)
{
    return s->area;
}
union number { int i; double d; };
SRC
    cat > "$1/src/sub/Tool.java" <<'SRC'
package demo;
public class Tool {
    private int size;
    public int getSize() { return size; }
}
SRC
    cat > "$1/src/sub/tool.py" <<'SRC'
class Tool:
    def size(self):
        return 1

def helper():
    pass
SRC
    printf '' > "$1/src/skipped/.notags"
    printf 'int hidden;\n' > "$1/src/skipped/hidden.c"
    printf 'src/main.c\nsrc/shapes.h\nsrc/sub/util.c\nsrc/sub/Tool.java\nsrc/sub/tool.py\n' > "$1/files.lst"
    find "$1" -exec touch -d @1600000000 {} +
}

make_tree "$tmp/lin"
make_tree "$tmp/win"

native() { (cd "$tmp/lin" && "$native" "$@"); }
windows() { (cd "$tmp/win" && "$wine_run" "$prefix" "$exe" "$@") | tr -d '\r'; }
fail=0
same() {
    if ! cmp -s "$tmp/lin.$1" "$tmp/win.$1"; then
        echo "== $1 differs (Linux, then wine):"
        diff "$tmp/lin.$1" "$tmp/win.$1" | head -40 || true
        fail=1
    fi
}

# Names as given: the database bytes themselves must agree.
native -q -noabsolute -I files.lst
windows -q -noabsolute -I files.lst
cp "$tmp/lin/tags" "$tmp/lin.db"
cp "$tmp/win/tags" "$tmp/win.db"
native -list tags > "$tmp/lin.list"
windows -list tags > "$tmp/win.list"
native -filelist tags > "$tmp/lin.filelist"
windows -filelist tags > "$tmp/win.filelist"

if ! grep -q "type=" "$tmp/lin.list"; then
    echo "no built-in scanner found a definition in the sample tree; nothing to compare"
    exit 77
fi
same list
same filelist
same db

# The text form.
native -q -noabsolute -text -o text.tags -I files.lst
windows -q -noabsolute -text -o text.tags -I files.lst
tr -d '\r' < "$tmp/lin/text.tags" > "$tmp/lin.text"
tr -d '\r' < "$tmp/win/text.tags" > "$tmp/win.text"
same text

# A directory walk with absolute names: the same files in the same order,
# once the part of each name above the tree is set aside.
native -q -o walk.tags src
windows -q -o walk.tags src
native -list walk.tags > "$tmp/lin.walk"
windows -list walk.tags > "$tmp/win.walk"
same walk
native -filelist walk.tags | sed 's|^\([0-9]*: \).*/lin/|\1|' > "$tmp/lin.walkfiles"
windows -filelist walk.tags | tr '\\' '/' | sed 's|^\([0-9]*: \).*/win/|\1|' > "$tmp/win.walkfiles"
same walkfiles
if grep -q hidden "$tmp/lin.walkfiles"; then
    echo "the walk entered a directory marked .notags"
    fail=1
fi

[ $fail -eq 0 ] && echo "tvtags.exe under wine wrote the same tags as the Linux build"
exit $fail
