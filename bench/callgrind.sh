#!/usr/bin/env bash
# Instructions of one run of buildc on the largest configuration against a plain C
# program that only reads its four inputs and writes its six outputs' bytes, both
# counted by valgrind's callgrind. Usage: bash bench/callgrind.sh
set -euo pipefail
cd "$(dirname "$0")/.."
case_dir=tests/buildc/eight_boards_all_carried
cmake -S . -B build >/dev/null
cmake --build build --target buildc -j"$(nproc)" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/gen" "$work/base"
( cd "$case_dir/out" && for f in kdzspc.h System Init dces dtes Node; do xxd -i "$f"; done ) \
  >"$work/outputs.h"
cc -O2 -I"$work" bench/baseline.c -o "$work/base/baseline"
cp build/bin/buildc "$work/gen/"
for d in gen base; do cp "$case_dir"/in/{cfg,par,Init,dces} "$work/$d/"; done

count() {  # directory, program: instructions of one run in that directory
  (cd "$1" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "./$2" 2>&1 |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
}
gen=$(count "$work/gen" buildc)
base=$(count "$work/base" baseline)
for f in kdzspc.h System Init dces dtes Node; do
  cmp -s "$work/gen/$f" "$case_dir/out/$f" || { echo "buildc wrote a different $f" >&2; exit 1; }
  cmp -s "$work/base/$f" "$case_dir/out/$f" || { echo "baseline wrote a different $f" >&2; exit 1; }
done
echo "buildc:   $gen instructions"
echo "baseline: $base instructions"
awk -v g="$gen" -v b="$base" 'BEGIN { printf "ratio:    %.2f\n", g / b }'
