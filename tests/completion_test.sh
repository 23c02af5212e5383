#!/usr/bin/env bash
# The completion of both programs ($1, the file installed as both names), called as bash
# calls it: each row gives the words on the line, the last one being completed, and the
# words expected. The current directory holds the sample of $2 (four boards); one/ a par of one
# board, among lines that are no board, and a catalog naming a type with a blank; fifo/ a
# FIFO for par, which must not be read.
set -euo pipefail
sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$sample/cfg" "$sample/par" .
mkdir one fifo
printf '# type Octal-AT\n  type "Octal-AT"\ntypeface x\ntype\n' >one/par
printf 'type "Octal AT" # eight\ntype Hexa-AT\n' >one/cfg
mkfifo fifo/par

fail=0
while IFS='|' read -r line want; do
  read -ra words <<<"$line"
  [[ $line == *' ' ]] && words+=('')
  got=$(timeout 5 bash --norc -c '. "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    complete -p "${1##*/}" >/dev/null || exit; "_${1##*/}"; echo "${COMPREPLY[*]}"' - "$1" \
    "${words[@]}") || got="status $?"
  [[ $got == "$want" ]] || { echo "$line: got '$got', want '$want'"; fail=1; }
done <<'EOF'
buildc |-C -f -n -o -h --help --version
buildc --|--help --version
buildc -o f|fifo
editpar -C o|one
editpar |at mc
editpar -|-C -f -n -h --help --version -l -c -m -a -d -e -M
editpar -d |1 2 3 4
editpar -C one -e |1
one/editpar -d |1
editpar -fC one -d |1
editpar -nC one -e |1
editpar -Cone -d |1
editpar -C fifo -d |
editpar -a Octal-A|Octal-AT Octal-ATd
editpar -C one -a |Octal\ AT Hexa-AT
editpar -a Octal-AT |size= irq= ioa= dpa= bus=
editpar -e 2 i|irq= ioa=
editpar -e 1 irq = 7 -|-a -d -e -M
editpar -e 1 irq = 7 -e |1 2 3 4
editpar -M |interrupt polling
editpar -l |
EOF
exit $fail
