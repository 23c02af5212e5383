# Completion of buildc and editpar for bash, by its builtins alone. Installed under both
# names, so that whichever program bash completes first loads both.

# Names of the "type" lines of file $1 (first word "type", the name quoted or not), one a
# line. Only a regular file is read: a FIFO in its place would hang the shell.
_kdz_types() {
  local word rest IFS=$' \t\n'
  [[ -f $1 && -r $1 ]] || return 0
  while read -r word rest || [[ -n $word ]]; do
    [[ $word == type ]] || continue
    if [[ $rest == \"* ]]; then
      rest=${rest#\"} rest=${rest%%\"*}
    else
      rest=${rest%%[[:blank:]]*}
    fi
    [[ -z $rest ]] || printf '%s\n' "$rest"
  done <"$1"
}

# Reads the words before the one completed, as the programs read them, and sets: dir, the
# package directory (-C DIR, else the typed program's directory when typed with a "/",
# else "."); want, the option letter whose argument the word is; mode, the last mode or
# change letter (editpar), "-" after another word that ends the options.
_kdz_scan() {
  local i word letter
  dir=. want='' mode=''
  [[ ${COMP_WORDS[0]} == */* ]] && dir=${COMP_WORDS[0]%/*}
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ -n $want ]]; then
      [[ $want == C ]] && dir=$word
      want=''
    elif [[ -n $mode ]]; then
      # A change of a script starts at a word "-X"; what follows belongs to it.
      if [[ $mode == [adeM] && $word == -?* ]]; then
        mode=${word:1:1}
        [[ $mode != [adeM] ]] || want=$mode
      fi
    elif [[ $word != -[!-]* ]]; then
      mode=-
    else
      word=${word#-}
      while [[ -n $word && -z $want && -z $mode ]]; do
        letter=${word:0:1} word=${word:1}
        case $letter in
          C | o) want=$letter ;;
          [lcm]) mode=$letter ;;
          [adeM]) mode=$letter want=$letter ;;
        esac
      done
      # A bundle's rest after -C or -o is its argument ("-Cpkg").
      [[ $want == [Co] && -n $word ]] && { [[ $want == C ]] && dir=$word; want=''; }
    fi
  done
  dir=${dir/#\~/$HOME}
}

# Fills COMPREPLY with the words of $1 (one a line) that begin with the word completed,
# quoted as the shell reads them back.
_kdz_reply() {
  local word
  while IFS= read -r word; do
    [[ -n $word && $word == "$cur"* ]] && printf -v word '%q' "$word" && COMPREPLY+=("$word")
  done <<<"$1"
}

# $1: the program's options, one a line; $2: the words it takes in their place (the bus).
_kdz_complete() {
  local cur=${COMP_WORDS[COMP_CWORD]} dir want mode changes=$'-a\n-d\n-e\n-M' types i
  COMPREPLY=()
  _kdz_scan
  case $want in
    [Co])
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -d -- "$cur") ;;
    [de])
      mapfile -t types < <(_kdz_types "$dir/par")
      for ((i = 1; i <= ${#types[@]}; i++)); do _kdz_reply "$i"; done ;;
    a) _kdz_reply "$(_kdz_types "$dir/cfg")" ;;
    M) _kdz_reply $'interrupt\npolling' ;;
    *)
      case $mode in
        [ae])
          [[ $cur == -* ]] && { _kdz_reply "$changes"; return; }
          compopt -o nospace 2>/dev/null
          _kdz_reply $'size=\nirq=\nioa=\ndpa='
          [[ $mode == e ]] || _kdz_reply bus= ;;
        [dM]) _kdz_reply "$changes" ;;
        '') if [[ $cur == -* || -z $2 ]]; then _kdz_reply "$1"; else _kdz_reply "$2"; fi ;;
      esac ;;
  esac
}

_buildc() { _kdz_complete $'-C\n-f\n-n\n-o\n-h\n--help\n--version'; }
_editpar() {
  _kdz_complete $'-C\n-f\n-n\n-h\n--help\n--version\n-l\n-c\n-m\n-a\n-d\n-e\n-M' $'at\nmc'
}
complete -F _buildc buildc
complete -F _editpar editpar
