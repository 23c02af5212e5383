#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time from its seed corpus, as
# many at once as there are cores.
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]   (default 30 seconds, all targets)
# Fails on any crash, leak, timeout or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-30}
shift || true
# FUZZ_BUILD_DIR names a build already configured with -DKDZ_FUZZ=ON (the hardening
# checks share their sanitizer build); by default the targets get a build of their own.
build=${FUZZ_BUILD_DIR:-build-fuzz}
if [ -z "${FUZZ_BUILD_DIR:-}" ]; then
  # Optimized lightly, with line tables for the reports: a quick build, and fast enough runs.
  CC=clang CXX=clang++ cmake -S . -B "$build" -DKDZ_FUZZ=ON -DBUILD_TESTING=OFF \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only" \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in "$build"/bin/fuzz_*; do targets+=("${f##*/fuzz_}"); done
fi
# One target: its run, then its verdict; false after a finding.
fuzz_one() {
  local t=$1 work="$build/corpus/$1"
  mkdir -p "$work" "$build/artifacts/$t"
  if ! "$build/bin/fuzz_$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$t/" \
      "$work" "fuzz/corpus/$t" >"$build/fuzz_$t.log" 2>&1; then
    tail -n 60 "$build/fuzz_$t.log"
    echo "fuzz_$t FAILED: reproducer in $build/artifacts/$t/" >&2
    return 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz_$t.log")
  echo "fuzz_$t: ${runs:-0} executions in ${secs}s, no finding"
  echo "$(date -u +%FT%TZ) $t ${runs:-0}" >>"$build/executions.log"
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
