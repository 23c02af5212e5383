#!/usr/bin/env bash
# The checks that keep bad input from crashing, overrunning, leaking or hanging: every test
# (the slow one too) under ASan and UBSan, every fuzz target for FUZZ_SECONDS (20), clang-tidy,
# clang-format, cppcheck, valgrind, and every kill point of both programs. Any report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
step() { echo "== $* (at ${SECONDS}s)"; }

step "sanitizer build and tests (clang, ASan + UBSan), the fuzz targets built with them"
# -O1 with line tables only: reports keep file and line, at half an optimized build's time.
CC=clang CXX=clang++ cmake -S . -B build-san -DKDZ_FUZZ=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only" \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" >/dev/null
cmake --build build-san -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-san --output-on-failure -j"$(nproc)"

step "fuzzing, ${FUZZ_SECONDS:-20}s per target"
FUZZ_BUILD_DIR=build-san bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"

# The product: every source of the layer folders and the programs, tests aside.
sources=$(git ls-files 'base/*.cpp' 'model/*.cpp' 'package/*.cpp' 'check/*.cpp' 'edit/*.cpp' \
  'buildc/*.cpp' 'editpar/*.cpp' | grep -v '_test\.cpp$')
step "clang-tidy, one file per core (each parses the {fmt} headers)"
# shellcheck disable=SC2086
printf '%s\n' $sources | xargs -P"$(nproc)" -n 2 clang-tidy --quiet -p build-san 2>&1 |
  { grep -v 'warnings generated' || true; }
step "clang-format"
git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run -Werror
step "cppcheck"
# shellcheck disable=SC2086
cppcheck --quiet --error-exitcode=1 --inline-suppr --std=c++20 --library=posix \
  --enable=warning,performance,portability --suppress=missingIncludeSystem -I. $sources
step "valgrind: a generator run and an editor dialogue"
bash scripts/valgrind.sh

step "every kill point of editpar -d 1 and of buildc (the test command tries every tenth)"
cmake -S . -B build -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build -j"$(nproc)" --target kill_test buildc editpar >/dev/null
KDZ_KILL_POINTS=all build/bin/kill_test --gtest_filter='KillPoints.*' --gtest_brief=1
echo "hardening checks passed in ${SECONDS}s"
