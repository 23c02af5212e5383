#!/usr/bin/env bash
# The completion of both programs ($1, installed as both names) called as bash calls it, on
# the rows of completion/cases: the words on the line, the last one being completed, and
# the words expected. In the sample of $2, with completion/one/ (a type with a blank in its
# name, a par of one board among lines that are no board) and fifo/ (a FIFO for par, never read).
set -euo pipefail
cases=$(cd "$(dirname "$0")/completion" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$2/cfg" "$2/par" .
cp -r "$cases/one" .
mkdir fifo
mkfifo fifo/par
fail=0
while IFS='|' read -r line want; do
  read -ra words <<<"$line"
  [[ $line == *' ' ]] && words+=('')
  got=$(timeout 5 bash --norc -c '. "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    complete -p "${1##*/}" >/dev/null || exit; "_${1##*/}"; echo "${COMPREPLY[*]}"' - "$1" \
    "${words[@]}") || got="status $?"
  [[ $got == "$want" ]] || { echo "$line: got '$got', want '$want'"; fail=1; }
done <"$cases/cases"
exit $fail
