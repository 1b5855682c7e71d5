#!/usr/bin/env bash
# Builds one man page with help2man from the program's own --help and
# --version, a reference of every subcommand from the subcommands' own --help,
# and the fragments given (help2man's include format). Also writes PAGE.gz.
# usage: make-man.sh PROGRAM VERSION PAGE [FRAGMENT...]
set -euo pipefail
program=$1 version=$2 page=$3
shift 3
name=$(basename "$program")
here=$(dirname "$0")
work=$(mktemp -d "${TMPDIR:-/tmp}/kbr370-man-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Asking for help must not open a window, reach a board or start one, even
# from a program that does not know the option yet.
export QT_QPA_PLATFORM=offscreen KBR370_CABLE=no-cable-while-building-the-manual
export KBR370_VBOARD_DIR="$work/board" KBR370_PANEL_TEST_QUIT=1 KBR370_PANEL_TEST_LOG=/dev/null
ask() {
  # argv[0] is the bare name, so the usage lines do not show the build folder.
  timeout -s KILL 20 bash -c 'exec -a "$0" "$1" "${@:2}"' "$name" "$program" "$@" </dev/null 2>/dev/null
}

help=$(ask --help) || true
if [[ $help != *Usage:* ]]; then
  echo "make-man.sh: $name --help printed no usage; its page holds only the fragments" >&2
  help="Usage: $name [OPTIONS]"
fi
version_line=$(ask --version | head -n 1) || true
[[ $version_line == "$name "*[0-9]* ]] || version_line="$name $version"

# help2man runs a stand-in that answers with what the program said.
mkdir "$work/bin"
printf '%s\n' "$help" >"$work/help"
printf '%s\n' "$version_line" >"$work/version"
cat >"$work/bin/$name" <<STANDIN
#!/bin/sh
case "\$1" in --version) cat "$work/version" ;; *) cat "$work/help" ;; esac
STANDIN
chmod +x "$work/bin/$name"

# Each command that runs (not a group of commands), from its own --help.
reference() {
  local sub_help sub
  # The text is what counts: a sanitizer's exit status says nothing of it.
  sub_help=$(ask "$@" --help) || true
  [[ $sub_help == *Usage:* ]] || { echo "make-man.sh: $name $* --help printed no usage" >&2; exit 1; }
  if [[ $sub_help == *Subcommands:* ]]; then
    for sub in $(subcommands <<<"$sub_help"); do reference "$@" "$sub"; done
  else
    awk -f "$here/help-to-roff.awk" <<<"$sub_help"
  fi
}
subcommands() {
  awk '/^[^ ].*:$/ { in_list = ($0 == "Subcommands:"); next } in_list && /^  [^ ]/ { print $1 }'
}

includes=()
if [[ $help == *Subcommands:* ]]; then
  {
    echo "[COMMANDS]"
    for sub in $(subcommands <<<"$help"); do reference "$sub"; done
  } >"$work/commands.h2m"
  includes+=(--include "$work/commands.h2m")
fi
for fragment in "$@"; do
  includes+=(--include "$fragment")
done

help2man --no-info --section 1 --source "KBR-370 Control Panel" --manual "User Commands" \
  "${includes[@]}" --output "$page" "$work/bin/$name"
gzip -9 -n -c "$page" >"$page.gz"
