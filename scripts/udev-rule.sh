#!/usr/bin/env bash
# udev reads rules from /usr/lib/udev/rules.d and /etc/udev/rules.d only. After
# an install under another prefix, link the USB-Blaster rule into /etc (when we
# may) and reload udev, so a plugged-in cable is usable at once.
# KBR370_UDEV_RULES_DIR names another folder than /etc/udev/rules.d (for tests).
set -euo pipefail
prefix=${1:-/usr/local}
rule=60-kbr370-usb-blaster.rules
installed="$prefix/lib/udev/rules.d/$rule"
rules_dir=${KBR370_UDEV_RULES_DIR:-/etc/udev/rules.d}
[ -n "${DESTDIR:-}" ] && exit 0              # a staged install is not live
[ "$prefix" = /usr ] && exit 0               # already where udev reads

# udev runs rules as root: whoever may change the rule, or any folder above
# it, could run commands as root. Only a root-owned rule in root-owned folders
# that no one else may write is linked. A sticky folder (/tmp) writable by all
# is fine when root owns it: nobody else may rename what lies in it.
refuse() {
  echo "udev-rule.sh: not linking $installed: $1" >&2
  exit 1
}
target=$(realpath -e -- "$installed" 2>/dev/null) || refuse "it does not exist"
[ -f "$target" ] || refuse "$target is not a regular file"
path=$target
while :; do
  read -r uid mode < <(stat -L -c '%u %a' -- "$path")
  [ "$uid" = 0 ] || refuse "$path does not belong to root"
  writable_by_others=$(( 8#$mode & 8#022 ))
  sticky=$(( 8#$mode & 8#1000 ))
  if [ "$writable_by_others" != 0 ] && { [ "$path" = "$target" ] || [ "$sticky" = 0 ]; }; then
    refuse "$path may be written by others than root"
  fi
  [ "$path" = / ] && break
  path=$(dirname -- "$path")
done

if [ -w "$rules_dir" ]; then
  ln -sf "$target" "$rules_dir/$rule"
  if command -v udevadm >/dev/null 2>&1; then
    udevadm control --reload-rules 2>/dev/null || true
    udevadm trigger --subsystem-match=usb --attr-match=idVendor=09fb 2>/dev/null || true
  fi
  echo "USB-Blaster rule linked into $rules_dir"
else
  echo "To use a USB-Blaster without root: sudo ln -s $target $rules_dir/$rule"
fi
