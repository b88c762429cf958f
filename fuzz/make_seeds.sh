#!/bin/sh
# Rebuilds the generated seeds: small tag databases made by a tvtags binary
# from C snippets.  Usage: make_seeds.sh TVTAGS_BINARY
set -eu
tvtags=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TVCONFIG="$work" TV_TAG_TIMEOUT=0
cd "$work"
printf '#define LIMIT 4\nstruct point { int x, y; };\nint main(void) { return LIMIT; }\n' > a.c
printf 'typedef struct node { struct node *next; } node_t;\nenum colour { RED, GREEN };\nstatic int s;\n' > b.c
printf 'class base {};\nclass shape : public base { int area(); };\nint shape::area() { return 0; }\n' > c.cpp
"$tvtags" -q -o one.tags a.c
"$tvtags" -q -o two.tags a.c b.c c.cpp
cp two.tags three.tags
printf 'int main(void) { return 1; }\n' > a.c
touch -d '2030-01-01' a.c
"$tvtags" -q -o three.tags a.c   # a rescan leaves free space behind
head -c 640 one.tags > short.tags
for d in reports db_writer; do
  mkdir -p "$here/corpus/$d"
  cp one.tags two.tags three.tags short.tags "$here/corpus/$d/"
done
