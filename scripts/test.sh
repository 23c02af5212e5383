#!/usr/bin/env bash
# Builds everything and runs every test, then the hardening checks (sanitizers, fuzzers,
# clang-tidy, cppcheck, valgrind). CI runs exactly this.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
bash scripts/harden.sh
