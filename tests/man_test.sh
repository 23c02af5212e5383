#!/usr/bin/env bash
# The manual pages as built in $1, for version $2 released on $3: each renders without a
# warning of the formatter and opens with the header all share. Its EXAMPLES are a shell
# session: run in order on a copy of the sample in $5 with the programs of $4 first on
# PATH, each "$ command" prints what the page shows after it, the answers shown in bold
# typed in, and exits 0 unless the next command is "echo $?".
set -euo pipefail
man=$1 version=$2 date=$3 bin=$4 sample=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

# Splits the EXAMPLES of page $1 into $2/cmd.N, in.N (the answers) and want.N; prints N.
split_examples() {
  awk -v dir="$2" '
    /^\.SH/ { in_examples = /^\.SH EXAMPLES$/; next }
    /^\.nf/ { literal = 1; next }
    /^\.fi/ { literal = 0; next }
    !in_examples || !literal || /^\./ { next }
    {
      gsub(/\\-/, "-"); gsub(/\\\(aq/, "\047"); gsub(/\\\(ha/, "^"); gsub(/\\\(ti/, "~")
      if (/^\$ /) {
        n++; print substr($0, 3) >(dir "/cmd." n); printf "" >(dir "/in." n); printf "" >(dir "/want." n)
      } else if (match($0, /\\fB.*\\fP$/)) {
        printf "%s", substr($0, 1, RSTART - 1) >(dir "/want." n)
        print substr($0, RSTART + 3, RLENGTH - 6) >(dir "/in." n)
      } else print >(dir "/want." n)
    }
    END { print n + 0 }' "$1"
}

for page in "$man"/*.[15]; do
  name=${page##*/}
  out=$(groff -man -ww -z "$page" 2>&1) && [[ -z $out ]] || { echo "$name: $out"; fail=1; }
  header=".TH $(tr a-z- A-Z- <<<"${name%.*}") ${name##*.} \"$date\" \"kdzconf $version\" \"Driver configuration\""
  [[ $(head -n1 "$page") == "$header" ]] || { echo "$name: header not $header"; fail=1; }

  ex=$work/$name
  mkdir -p "$ex/run" && cp "$sample/cfg" "$sample/par" "$ex/run/"
  n=$(split_examples "$page" "$ex")
  for ((i = 1; i <= n; i++)); do
    printf '{ %s\n} <"%s" >"%s" 2>&1; status=$?; echo $status >"%s"; (exit $status)\n' \
      "$(<"$ex/cmd.$i")" "$ex/in.$i" "$ex/out.$i" "$ex/status.$i"
  done >"$ex/session"
  (cd "$ex/run" && HOME=$ex PATH=$bin:$PATH bash "$ex/session") || true
  for ((i = 1; i <= n; i++)); do
    [[ $(<"$ex/status.$i") == 0 || $(cat "$ex/cmd.$((i + 1))" 2>/dev/null) == 'echo $?' ]] &&
      diff "$ex/want.$i" "$ex/out.$i" >/dev/null && continue
    echo "$name: \$ $(<"$ex/cmd.$i"): status $(<"$ex/status.$i")"
    diff "$ex/want.$i" "$ex/out.$i" || true
    fail=1
  done
done
exit $fail
