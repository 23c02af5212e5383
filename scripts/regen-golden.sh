#!/usr/bin/env bash
# Rewrites the expected files of every end-to-end case from what today's programs do, for a
# deliberate change of output: run it, then review `git diff tests/` before committing.
# Cases that only compare (full disk, second editor, terminal) are not run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
KDZ_REGEN_GOLDEN=1 ctest --test-dir build -j"$(nproc)" -R '^(buildc|editpar)/Case\.' \
  --output-on-failure
git status --short tests/
