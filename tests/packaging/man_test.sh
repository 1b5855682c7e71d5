#!/usr/bin/env bash
# The man pages in $1/man of the programs named after it: each renders without
# a warning, names its program, and kbr370's command reference has a part for
# every command --help lists.
set -euo pipefail
man_dir=$1/man bin=$1/bin
shift
programs=("$@")
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for program in "${programs[@]}"; do
  page=$man_dir/$program.1
  [[ -f $page && -f $page.gz ]] || { fail "$program.1 or its .gz is missing"; continue; }
  cmp -s <(gzip -dc "$page.gz") "$page" || fail "$program.1.gz is not $program.1"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) || true
  [[ -z $warnings ]] || fail "$program.1 renders with warnings: $warnings"
  text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null)
  grep -q "^ *$program - [a-z]" <<<"$text" || fail "$program.1 has no NAME line of its own"
  grep -q "^SEE ALSO" <<<"$text" || fail "$program.1 lacks its main fragment's sections"
done

# Every command, groups opened up: "mem" lists read, write, ... and each of
# those must have its own part, with its options.
commands() {
  "$bin/kbr370" "$@" --help | awk '/^[^ ].*:$/ { on = ($0 == "Subcommands:"); next } on && /^  [^ ]/ { print $1 }'
}
text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$man_dir/kbr370.1" 2>/dev/null)
reference=$(sed -n '/^COMMANDS/,/^[A-Z]/p' <<<"$text")
for command in $(commands); do
  subs=$(commands "$command")
  for sub in ${subs:-""}; do
    grep -q "^   kbr370 $command${sub:+ $sub}\$" <<<"$reference" || fail "COMMANDS has no part for '$command $sub'"
  done
done
grep -q -- '--output' <<<"$(sed -n '/^   kbr370 mem read$/,/^   kbr370 /p' <<<"$reference")" ||
  fail "the part for 'mem read' lacks its --output option"

[[ $failures == 0 ]] || exit 1
echo "man pages checked"
