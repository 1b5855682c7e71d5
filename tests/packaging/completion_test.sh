#!/usr/bin/env bash
# The bash completion ($1) against the built programs (in $2): what TAB offers
# after a few command lines.
set -uo pipefail
completion=$(realpath -e "$1") || exit 1
PATH="$(realpath -e "$2"):$PATH"
work=$(mktemp -d "${TMPDIR:-/tmp}/kbr370-completion-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" && touch flash.bin image.hex notes.txt && mkdir designs

if [[ -f /usr/share/bash-completion/bash_completion ]]; then
  . /usr/share/bash-completion/bash_completion
else
  # Just enough of bash-completion for these lines: words split at blanks.
  _init_completion() {
    words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
    cur=${words[cword]} prev=${words[cword - 1]}
  }
  _filedir() { mapfile -t COMPREPLY < <(compgen -f -- "$cur"); }
  compopt() { :; }
fi
. "$completion" || exit 1

failures=0
# complete LINE: COMPREPLY for the last word of LINE (a trailing blank starts a new word).
complete_line() {
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE=$1 COMP_POINT=${#1}
  COMPREPLY=()
  _kbr370
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}
# expect LINE WORDS: TAB offers exactly WORDS (sorted, blank-separated).
expect() {
  local got
  got=$(complete_line "$1")
  if [[ $got != "$2" ]]; then
    echo "FAIL: '$1' offers '$got', expected '$2'" >&2
    failures=$((failures + 1))
  fi
}
# expect_some LINE WORD...: TAB offers at least these.
expect_some() {
  local line=$1 got word
  got=" $(complete_line "$line") "
  shift
  for word; do
    if [[ $got != *" $word "* ]]; then
      echo "FAIL: '$line' offers '$got', lacking '$word'" >&2
      failures=$((failures + 1))
    fi
  done
}

# Commands, nested as the program nests them, also after a global option's value.
expect_some 'kbr370 ' info leds seg7 inputs sd configure lcd usb vga hsmc rs232 ir ps2 mem
expect_some 'kbr370 --time-limit 500 ' info mem
expect 'kbr370 --time-limit ' ''
expect 'kbr370 mem ' 'erase read verify write'
expect 'kbr370 rs232 ' 'receive send term'
expect 'kbr370 ir ' 'watch'
expect_some 'kbr370 rs232 term --' --seconds --help

# Arguments' values by their place: memory names, VGA patterns, files.
expect 'kbr370 mem read ' 'eeprom flash sdram sram'
expect 'kbr370 mem verify s' 'sdram sram'
expect 'kbr370 mem read flash 0 ' ''
expect 'kbr370 vga ' '0 1 2 3 4 5 Black Blue Green Red Scale White'
expect 'kbr370 mem read flash 0 4K -o fl' 'flash.bin'
expect 'kbr370 mem read flash 0 4K --output=im' 'image.hex'
expect 'kbr370 mem write sram 0x100 i' 'image.hex'
expect 'kbr370 configure ' 'designs flash.bin image.hex notes.txt'
expect 'kbr370 rs232 receive --log n' 'notes.txt'
expect 'kbr370 rs232 term --map ' 'cr crlf lf'
expect_some 'kbr370 rs232 term --map --' --raw --log
expect 'kbr370 mem read flash --json 0 4K -o n' 'notes.txt'

# Option values the help lists: formats, cable kinds, the self test's areas
# (after each comma of the list).
expect 'kbr370 mem read sram 0 4K -o x --format ' 'binary hex ihex srec'
expect 'kbr370 mem write sram 0 x --format=i' 'ihex'
expect 'kbr370 --cable ' 'usb-blaster virtual'
expect 'kbr370 --cable=u' 'usb-blaster'
expect_some 'kbr370 selftest --only ' link memories sd hsmc vga
expect 'kbr370 selftest --skip link,me' 'link,memories'
expect 'kbr370 selftest --only link,memories,v' 'link,memories,vga'

# The virtual board: its commands, and the control commands' words.
expect_some 'kbr370-vboard ' serve ctl stop
expect_some 'kbr370-vboard ctl ' help status configure get set fault link reset
expect 'kbr370-vboard ctl --dir designs usb ' 'mouse none other storage'
# Every name `ctl get` takes, as a running board lists them.
vbdir=$work/vboard
kbr370-vboard serve --dir "$vbdir" >/dev/null || exit 1
gets=$(kbr370-vboard ctl --dir "$vbdir" help | tr ';' '\n' | sed -n 's/^ *get \([^ ]*\).*/\1/p' | sort | tr '\n' ' ')
kbr370-vboard stop --dir "$vbdir" >/dev/null
[[ -n $gets ]] || { echo "FAIL: no get names from ctl help" >&2; failures=$((failures + 1)); }
expect 'kbr370-vboard ctl get ' "${gets% }"
expect 'kbr370-vboard ctl rs232 loopback ' '0 1'
expect_some 'kbr370-vboard ctl fault ' drop stall: clear disconnect
expect 'kbr370-vboard ctl configure n' 'notes.txt'
expect 'kbr370-vboard serve --dir d' 'designs'

[[ $failures == 0 ]] || exit 1
echo "completion offers what was expected"
