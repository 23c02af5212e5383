#!/usr/bin/env bash
# Includes only go down: a file of a layer folder may include its own folder's headers and
# those of the folders its folder's targets link, directly or through the layers they link.
# The links are read from the folders' CMakeLists.txt (target_link_libraries), so that they
# are the one list. Fails on an include of a folder not linked (a higher layer, or a sibling)
# and on two folders that link each other.
# The layers are the folders the top-level CMakeLists.txt adds; tests/, fuzz/ and bench/
# stand above all of them and are not checked. A unit test (`*_test.cpp`) may include the
# test support of tests/support/ besides; nothing else in a layer may include tests/.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t folders < <(sed -n 's/^ *add_subdirectory(\([a-z_]*\)).*/\1/p' CMakeLists.txt |
  grep -vx -e tests -e fuzz -e bench)
declare -A folder_of=() links=() is_layer=()
for f in "${folders[@]}"; do is_layer[$f]=1; done

# A folder's CMakeLists.txt on one line, comments dropped.
flat() { sed 's/#.*//' "$1/CMakeLists.txt" | tr '\n' ' '; }

for f in "${folders[@]}"; do
  for t in $(flat "$f" | grep -o 'add_\(library\|executable\)( *[A-Za-z0-9_]*' | sed 's/.*( *//'); do
    folder_of[$t]=$f
  done
done
for f in "${folders[@]}"; do
  while read -r target words; do
    for w in $words; do
      dep=${folder_of[$w]:-}
      [ -n "$dep" ] && [ "$dep" != "${folder_of[$target]}" ] && links[${folder_of[$target]}]+=" $dep"
    done
  done < <(flat "$f" | grep -o 'target_link_libraries([^)]*)' |
    sed 's/target_link_libraries( *//; s/)$//; s/\b\(PUBLIC\|PRIVATE\|INTERFACE\)\b//g')
done

# The folders a folder may include: itself and every folder it reaches through the links.
reach() {
  local todo=("$1") seen=" $1 " f d
  while ((${#todo[@]})); do
    f=${todo[0]}
    todo=("${todo[@]:1}")
    for d in ${links[$f]:-}; do
      [[ $seen == *" $d "* ]] || { seen+="$d "; todo+=("$d"); }
    done
  done
  echo "$seen"
}
declare -A allowed=()
for f in "${folders[@]}"; do allowed[$f]=$(reach "$f"); done

failed=0
for a in "${folders[@]}"; do
  for b in "${folders[@]}"; do
    if [ "$a" \< "$b" ] && [[ ${allowed[$a]} == *" $b "* ]] && [[ ${allowed[$b]} == *" $a "* ]]; then
      echo "layers: $a and $b link each other" >&2
      failed=1
    fi
  done
done

files=0
for f in "${folders[@]}"; do
  while IFS=: read -r file line text; do
    inc=$(sed 's/^#include "\([^"]*\)".*/\1/' <<<"$text")
    top=${inc%%/*}
    [ "$top" != "$inc" ] || continue  # a file beside it, or a library's header
    [[ $file == *_test.cpp && $inc == tests/support/* ]] && continue
    if [ -z "${is_layer[$top]:-}" ] && [ ! -d "$top" ]; then continue; fi
    if [[ ${allowed[$f]} != *" $top "* ]]; then
      echo "layers: $file:$line includes $inc, but $f does not link $top" \
        "(it may include:${allowed[$f]% })" >&2
      failed=1
    fi
  done < <(git ls-files "$f/*.cpp" "$f/*.h" | xargs -r grep -Hn '^#include "' || true)
  files=$((files + $(git ls-files "$f/*.cpp" "$f/*.h" | wc -l)))
done
((failed == 0)) || exit 1
for f in "${folders[@]}"; do printf '  %-8s links:%s\n' "$f" "${links[$f]:- none}"; done
echo "layers: the includes of $files files follow the links of ${#folders[@]} folders"
