#!/usr/bin/env bash
# Builds everything and runs every test: about a minute and a half on two cores from a fresh
# clone. The hardening checks (sanitizers, fuzzers, clang-tidy, cppcheck, valgrind) are
# scripts/harden.sh; CI runs both (.ci/run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
