#!/bin/sh
# Writes PNGs of the panel's windows (welcome, connecting, connected on the LED
# page, the pages, About) into <outdir>, against a private virtual board; then
# the main window and two pages again at scale 2 (NAME@2x.png), against a
# fresh board so both runs start from the same state.
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

# A private runtime dir keeps the single-instance lock away from a running panel.
mkdir -m 0700 "$work/runtime"
shoot() {
    "$bin/kbr370-vboard" serve --dir "$vboard"
    "$bin/kbr370-vboard" ctl --dir "$vboard" configure "$bin/KBR_370_ControlPanel.sof" >/dev/null
    KBR370_VBOARD_DIR="$vboard" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
        QT_SCALE_FACTOR="$1" "$bin/kbr370-screenshots" "$out"
    "$bin/kbr370-vboard" stop --dir "$vboard" >/dev/null
}
shoot 1
shoot 2
