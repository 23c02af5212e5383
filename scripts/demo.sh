#!/usr/bin/env bash
# Builds the generator, runs it twice on the sample catalog and parameters in a scratch
# directory (demo/), and shows that switched-on lines and DCE lines carry over. First it
# installs what the machine lacks (scripts/deps.sh), then builds into build-demo/,
# optimized and without the tests, apart from the test command's build/.
set -euo pipefail
cd "$(dirname "$0")/.."

# Passes a step's output through, and says the step is still at work when it has printed
# nothing for 5 seconds (a compiler on one file, apt-get fetching).
ticker() {
  local part='' line
  while :; do
    if IFS= read -r -t 5 line; then
      printf '%s%s\n' "$part" "$line"
      part=''
    elif (($? > 128)); then
      part+=$line
      printf '   ... still at work (%ds)\n' "$SECONDS"
    else
      [[ -z $part$line ]] || printf '%s%s\n' "$part" "$line"
      return
    fi
  done
}
step() {
  echo "== $1 (at ${SECONDS}s)"
  shift
  "$@" 2>&1 | ticker
}

step "what the build needs (scripts/deps.sh)" bash scripts/deps.sh
step "configuring build-demo/" \
  cmake -S . -B build-demo -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
step "building buildc" cmake --build build-demo --target buildc -j"$(nproc)"

rm -rf demo
mkdir -p demo/first
cp build-demo/bin/buildc sample/cfg sample/par demo/
cd demo

echo "== first run: ./buildc (reads cfg and par beside itself)"
./buildc
echo "exit status $?"
for f in kdzspc.h System Init dtes dces Node; do
  printf '\n== %s (%d lines)\n' "$f" "$(wc -l <"$f")"
  head -n 6 "$f"
  [ "$(wc -l <"$f")" -le 6 ] || echo "..."
done
cp kdzspc.h System Init dtes dces Node first/

echo
echo "== between runs: switch ttyA00 on in Init, move ttya11 from dtes to dces"
sed -i 's/^A00:23:off:/A00:23:respawn:/' Init
sed -i '/^ttya11$/d' dtes
echo ttya11 >>dces

echo "== second run"
./buildc
echo "exit status $?"
for f in Init dtes dces Node; do
  printf '\n== %s: first run (<) against second run (>)\n' "$f"
  diff first/"$f" "$f" || true
done
