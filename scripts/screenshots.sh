#!/bin/sh
# Writes PNGs of the panel's windows (welcome, connecting, connected on the LED
# page, About) into <outdir>, against a private virtual board.
# Usage: scripts/screenshots.sh <bindir> <outdir>
set -eu
if [ $# -ne 2 ]; then
    echo "usage: $0 <bindir> <outdir>" >&2
    exit 2
fi
bin=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/kbr370-shots-XXXXXX")
vboard="$work/vboard"
mkdir -m 0700 "$vboard"
cleanup() {
    "$bin/kbr370-vboard" stop --dir "$vboard" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

"$bin/kbr370-vboard" serve --dir "$vboard"
"$bin/kbr370-vboard" ctl --dir "$vboard" configure "$bin/KBR_370_ControlPanel.sof" >/dev/null

# A private runtime dir keeps the single-instance lock away from a running panel.
mkdir -m 0700 "$work/runtime"
KBR370_VBOARD_DIR="$vboard" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
    "$bin/kbr370-screenshots" "$out"
