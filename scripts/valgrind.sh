#!/usr/bin/env bash
# Runs the generator on the sample and the editor through a whole dialogue under
# valgrind; any memory error or definite leak fails. The programs are built into
# build-vg/ with a shared C library, which valgrind needs to follow allocations.
set -euo pipefail
cd "$(dirname "$0")/.."
build="build-vg"
# Unoptimized: the two runs are short, and it compiles in a third of the time.
cmake -S . -B "$build" -DKDZ_STATIC=OFF -DBUILD_TESTING=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" --target buildc editpar -j"$(nproc)" >/dev/null
work=$(mktemp -d)
# valgrind's reports go to a log of their own, shown when a run fails; what the programs
# print on standard error is compared with the case, so a passing run prints no warning.
vg=(valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite
    --log-file="$work/valgrind.log")
trap 'cat "$work/valgrind.log" 2>/dev/null || true; rm -rf "$work"' EXIT

cp "$build/bin/buildc" sample/cfg sample/par "$work/"
(cd "$work" && "${vg[@]}" ./buildc >/dev/null)
(cd "$work" && "${vg[@]}" ./buildc >/dev/null)  # again, reading back Init and dces

dialogue=$PWD/tests/editpar/add_to_limit
rm -f "$work/par"
cp "$build/bin/editpar" "$dialogue/in/cfg" "$work/"
# shellcheck disable=SC2046
(cd "$work" && "${vg[@]}" $(cat "$dialogue/args") <"$dialogue/answers" >/dev/null 2>"$work/err")
cmp "$work/par" "$dialogue/out/par"
cmp "$work/err" "$dialogue/stderr"
rm -f "$work/valgrind.log"
echo "valgrind: clean"
