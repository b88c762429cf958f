#!/bin/sh
# Runs one fuzz target for as long as asked: run.sh TARGET SECONDS [BUILD_DIR]
# TARGET is the name of a fuzz/NAME.cpp (scan_c_family, reports, ...).  New inputs go to
# BUILD_DIR/fuzz/work/TARGET/corpus, crashes beside it.
set -eu
target=$1
seconds=$2
build=${3:-/tmp/b-fuzz}
here=$(cd "$(dirname "$0")" && pwd)
work="$build/fuzz/work/$target"
mkdir -p "$work/corpus"
cd "$work"
exec "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$work/" "$work/corpus" "$here/corpus/$target"
