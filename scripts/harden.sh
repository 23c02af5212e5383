#!/usr/bin/env bash
# The checks that keep bad input from crashing, overrunning, leaking or hanging: the
# whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer (with the slow
# test that scripts/test.sh leaves out: an install built without the tests), every fuzz
# target for a bounded time, clang-tidy, clang-format, cppcheck, and valgrind on a
# generator run and an editor dialogue; and a run of each program killed at every system
# call that writes, never leaving a package that is neither old nor new. Any report fails
# the script. FUZZ_SECONDS sets the time per fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== sanitizer build and tests (clang, ASan + UBSan) (at ${SECONDS}s)"
# -O1 with line tables only: the sanitizers' reports keep their file and line, and the
# build takes half the time of an optimized one with full debug information.
# The fuzz targets are built here too, and fuzzed below from this build.
CC=clang CXX=clang++ cmake -S . -B build-san -DKDZ_FUZZ=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only" \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" >/dev/null
cmake --build build-san -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-san --output-on-failure -j"$(nproc)"

echo "== fuzzing, ${FUZZ_SECONDS:-20}s per target (at ${SECONDS}s)"
FUZZ_BUILD_DIR=build-san bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"

# The product: every source of the layer folders and the programs, tests aside.
sources=$(git ls-files 'base/*.cpp' 'model/*.cpp' 'package/*.cpp' 'check/*.cpp' 'edit/*.cpp' \
  'buildc/*.cpp' 'editpar/*.cpp' | grep -v '_test\.cpp$')

echo "== clang-tidy (at ${SECONDS}s)"
# One file after another takes minutes (every file parses the {fmt} headers): one per core.
# shellcheck disable=SC2086
printf '%s\n' $sources | xargs -P"$(nproc)" -n 2 clang-tidy --quiet -p build-san 2>&1 |
  { grep -v 'warnings generated' || true; }

echo "== clang-format (at ${SECONDS}s)"
git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run -Werror

echo "== cppcheck (at ${SECONDS}s)"
# shellcheck disable=SC2086
cppcheck --quiet --error-exitcode=1 --inline-suppr --std=c++20 --library=posix \
  --enable=warning,performance,portability --suppress=missingIncludeSystem -I. $sources

echo "== valgrind: a generator run and an editor dialogue (at ${SECONDS}s)"
bash scripts/valgrind.sh

echo "== every kill point of editpar -d 1 and of buildc (at ${SECONDS}s)"
# The programs as the test command builds them (build/, the same configuration): the test
# command itself tries every tenth point.
cmake -S . -B build -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build -j"$(nproc)" --target kill_test buildc editpar >/dev/null
KDZ_KILL_POINTS=all build/bin/kill_test --gtest_filter='KillPoints.*' --gtest_brief=1
echo "hardening checks passed in ${SECONDS}s"
