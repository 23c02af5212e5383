#!/usr/bin/env bash
# Builds everything and runs every test: about a minute on two cores from a fresh clone.
# The hardening checks (sanitizers, fuzzers, clang-tidy, cppcheck, valgrind) are
# scripts/harden.sh; CI runs both (.ci/run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
# Includes go down the layers only (a second or less).
bash scripts/layers.sh >/dev/null
# Unoptimized: it compiles in a third of the time, and every test checks behaviour, not
# speed (bench/ measures an optimized build of its own; the sanitizer build of
# scripts/harden.sh runs the tests optimized).
cmake -S . -B build -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_BUILD_TYPE=Debug
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
