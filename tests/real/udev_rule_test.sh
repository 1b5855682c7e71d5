#!/usr/bin/env bash
# scripts/udev-rule.sh links the rule into udev's folder only when no one but
# root can change it. Runs against a temporary prefix and rules folder.
set -uo pipefail
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/udev-rule.sh"
rule=60-kbr370-usb-blaster.rules
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix="$tmp/prefix"
rules="$prefix/lib/udev/rules.d"
mkdir -p "$rules" "$tmp/etc-rules" "$tmp/bin"
chmod 0755 "$prefix" "$prefix/lib" "$prefix/lib/udev" "$rules"
echo '# rule' >"$rules/$rule"
chmod 0644 "$rules/$rule"
printf '#!/bin/sh\nexit 0\n' >"$tmp/bin/udevadm" && chmod 0755 "$tmp/bin/udevadm"
export PATH="$tmp/bin:$PATH" KBR370_UDEV_RULES_DIR="$tmp/etc-rules"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Expects a refusal naming $2; nothing may be linked.
expect_refused() {
  local out
  out=$("$script" "$prefix" 2>&1) && fail "$1: linked, exit 0"
  [[ "$out" == *"$2"* ]] || fail "$1: said \"$out\", not \"$2\""
  [ -e "$tmp/etc-rules/$rule" ] || [ -L "$tmp/etc-rules/$rule" ] && fail "$1: a link was made"
  rm -f "$tmp/etc-rules/$rule"
}

if [ "$(id -u)" = 0 ]; then
  "$script" "$prefix" >/dev/null || fail "a root-owned rule was refused"
  [ "$(readlink "$tmp/etc-rules/$rule")" = "$rules/$rule" ] || fail "the rule was not linked"
  rm -f "$tmp/etc-rules/$rule"
  if id nobody >/dev/null 2>&1; then
    chown nobody "$rules/$rule"
    expect_refused "another user's rule" "$rules/$rule does not belong to root"
    chown root "$rules/$rule"
  fi
  chmod 0664 "$rules/$rule"
  expect_refused "a group-writable rule" "$rules/$rule may be written by others than root"
  chmod 0644 "$rules/$rule"
  chmod 0777 "$prefix/lib"
  expect_refused "a folder all may write" "$prefix/lib may be written by others than root"
  chmod 0755 "$prefix/lib"
else
  expect_refused "a rule that is not root's" "does not belong to root"
fi
[ "$failures" = 0 ] && echo "udev rule checks passed"
exit "$failures"
