#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time from its seed corpus, as
# many at once as there are cores.
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]   (default 30 seconds, all targets)
# Fails on any crash, leak, timeout or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-30}
shift || true
# Optimized lightly, with line tables for the reports: a quick build, and fast enough runs.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKDZ_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)"
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in build-fuzz/bin/fuzz_*; do targets+=("${f##*/fuzz_}"); done
fi
# One target: its run, then its verdict; false after a finding.
fuzz_one() {
  local t=$1 work="build-fuzz/corpus/$1"
  mkdir -p "$work" "build-fuzz/artifacts/$t"
  if ! "build-fuzz/bin/fuzz_$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$t/" \
      "$work" "fuzz/corpus/$t" >"build-fuzz/fuzz_$t.log" 2>&1; then
    tail -n 60 "build-fuzz/fuzz_$t.log"
    echo "fuzz_$t FAILED: reproducer in build-fuzz/artifacts/$t/" >&2
    return 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "build-fuzz/fuzz_$t.log")
  echo "fuzz_$t: ${runs:-0} executions in ${secs}s, no finding"
  echo "$(date -u +%FT%TZ) $t ${runs:-0}" >>build-fuzz/executions.log
}

# As many targets at once as there are cores: each fuzzer uses one.
failed=0
pids=()
for t in "${targets[@]}"; do
  if ((${#pids[@]} >= $(nproc))); then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
  fuzz_one "$t" &
  pids+=($!)
done
for p in "${pids[@]}"; do wait "$p" || failed=1; done
exit "$failed"
