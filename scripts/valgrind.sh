#!/usr/bin/env bash
# The generator on the sample (twice: the second run reads back Init and dces) and the
# editor through a whole dialogue under valgrind; any memory error or definite leak fails.
# Built unoptimized into build-vg/ with a shared C library, which valgrind needs.
set -euo pipefail
cd "$(dirname "$0")/.."
build="build-vg"
cmake -S . -B "$build" -DKDZ_STATIC=OFF -DBUILD_TESTING=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" --target buildc editpar -j"$(nproc)" >/dev/null
work=$(mktemp -d)
# valgrind logs apart, shown when a run fails: the editor's stderr is compared with the case.
vg=(valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite
    --log-file="$work/valgrind.log")
trap 'cat "$work/valgrind.log" 2>/dev/null || true; rm -rf "$work"' EXIT
dialogue=$PWD/tests/editpar/add_to_limit
cp "$build/bin/buildc" "$build/bin/editpar" sample/cfg sample/par "$work/"
cd "$work"
"${vg[@]}" ./buildc >/dev/null
"${vg[@]}" ./buildc >/dev/null
rm par && cp "$dialogue/in/cfg" .
# shellcheck disable=SC2046
"${vg[@]}" $(cat "$dialogue/args") <"$dialogue/answers" >/dev/null 2>err
cmp par "$dialogue/out/par"
cmp err "$dialogue/stderr"
rm -f valgrind.log
echo "valgrind: clean"
