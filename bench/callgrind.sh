#!/usr/bin/env bash
# Instructions of one run of buildc on the largest configuration against a plain C
# program that only reads its four inputs and writes its six outputs' bytes, both
# counted by valgrind's callgrind. Two runs: one where the six files already hold what
# the run writes (buildc leaves them alone), and one where each holds something else
# (buildc replaces every one of them, keeping Init.old and dces.old).
# Usage: bash bench/callgrind.sh   (BUILD_DIR names the build directory; default build-bench,
# an optimized build of its own: the test command builds build/ unoptimized)
set -euo pipefail
cd "$(dirname "$0")/.."
case_dir=tests/buildc/eight_boards_all_carried
outputs=(kdzspc.h System Init dces dtes Node)
build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target buildc -j"$(nproc)" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
( cd "$case_dir/out" && for f in "${outputs[@]}"; do xxd -i "$f"; done ) >"$work/outputs.h"
cc -O2 -I"$work" bench/baseline.c -o "$work/baseline"

# Stages a directory for one run: the inputs, and the outputs as `old` says ("current":
# what the run writes; "other": the same with one line more, so that each is replaced).
stage() {  # directory, old
  rm -rf "$1" && mkdir -p "$1"
  cp "$case_dir"/in/{cfg,par,Init,dces} "$1/"
  for f in "${outputs[@]}"; do
    cp "$case_dir/out/$f" "$1/$f"
    [ "$2" = current ] || echo "# an older version" >>"$1/$f"
  done
}
count() {  # directory, program: instructions of one run in that directory
  (cd "$1" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "./$2" 2>&1 |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
}
for old in current other; do
  stage "$work/gen" "$old"
  stage "$work/base" "$old"
  cp "$build/bin/buildc" "$work/gen/"
  cp "$work/baseline" "$work/base/"
  gen=$(count "$work/gen" buildc)
  base=$(count "$work/base" baseline)
  for f in "${outputs[@]}"; do
    cmp -s "$work/gen/$f" "$case_dir/out/$f" || { echo "buildc wrote a different $f" >&2; exit 1; }
    cmp -s "$work/base/$f" "$case_dir/out/$f" || { echo "baseline wrote a different $f" >&2; exit 1; }
  done
  echo "outputs $old:"
  echo "  buildc:   $gen instructions"
  echo "  baseline: $base instructions"
  awk -v g="$gen" -v b="$base" 'BEGIN { printf "  ratio:    %.2f\n", g / b }'
done
