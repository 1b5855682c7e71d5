#!/usr/bin/env bash
# Starts the panel against the virtual board. Without a display it shows the
# same road on the command line: start the board, configure it, ask its name.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
if [ -x "$bin/kbr370-panel" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$bin/kbr370-panel"
fi
[ -x "$bin/kbr370-panel" ] && echo "No display found; running the command-line demo instead."
"$bin/kbr370-vboard" serve
if ! "$bin/kbr370" info 2>/dev/null; then
  "$bin/kbr370" configure
  "$bin/kbr370" info
fi
