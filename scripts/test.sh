#!/usr/bin/env bash
# Builds everything into build/ and runs every test but the slow one (below): under two
# minutes on two cores from a fresh clone. The hardening checks (sanitizers, fuzzers,
# clang-tidy, cppcheck, valgrind, and the slow test) are scripts/harden.sh; CI runs both
# (.ci/run).
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
# The test labelled "slow" compiles the programs once more (a build without the tests, as
# README's Install section makes it): the hardening checks run it.
ctest --test-dir build --output-on-failure -j"$(nproc)" --label-exclude slow
