#!/usr/bin/env bash
# udev reads rules from /usr/lib/udev/rules.d and /etc/udev/rules.d only. After
# an install under another prefix, link the USB-Blaster rule into /etc (when we
# may) and reload udev, so a plugged-in cable is usable at once.
set -euo pipefail
prefix=${1:-/usr/local}
rule=60-kbr370-usb-blaster.rules
installed="$prefix/lib/udev/rules.d/$rule"
[ -n "${DESTDIR:-}" ] && exit 0              # a staged install is not live
[ "$prefix" = /usr ] && exit 0               # already where udev reads
if [ -w /etc/udev/rules.d ]; then
  ln -sf "$installed" "/etc/udev/rules.d/$rule"
  if command -v udevadm >/dev/null 2>&1; then
    udevadm control --reload-rules 2>/dev/null || true
    udevadm trigger --subsystem-match=usb --attr-match=idVendor=09fb 2>/dev/null || true
  fi
  echo "USB-Blaster rule linked into /etc/udev/rules.d"
else
  echo "To use a USB-Blaster without root: sudo ln -s $installed /etc/udev/rules.d/$rule"
fi
