#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time from its seed corpus, one
# per core at a time; any crash, leak, timeout or sanitizer report fails.
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]   (default 30 seconds, all targets)
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-30}
shift || true
# FUZZ_BUILD_DIR: a build already configured with -DKDZ_FUZZ=ON (the hardening checks
# share their sanitizer build); by default one of their own, optimized lightly.
build=${FUZZ_BUILD_DIR:-build-fuzz}
[ -n "${FUZZ_BUILD_DIR:-}" ] ||
  CC=clang CXX=clang++ cmake -S . -B "$build" -DKDZ_FUZZ=ON -DBUILD_TESTING=OFF \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only" \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
# One target: its run, then its verdict; false after a finding.
fuzz_one() {
  local t=$1 log=$build/fuzz_$1.log
  mkdir -p "$build/corpus/$t" "$build/artifacts/$t"
  if ! "$build/bin/fuzz_$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$t/" \
      "$build/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$t FAILED: reproducer in $build/artifacts/$t/" >&2
    return 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz_$t: ${runs:-0} executions in ${secs}s, no finding"
}
export -f fuzz_one
export build secs
if (($#)); then printf '%s\n' "$@"; else find "$build/bin" -name 'fuzz_*' -printf '%f\n'; fi |
  sed 's/^fuzz_//' | xargs -P"$(nproc)" -I{} bash -c 'fuzz_one {}'
