#!/usr/bin/env bash
# The board picture checked in under $2 (resources/board) is what the skin
# generator $1 draws today, so that builds without Qt show the same board.
set -euo pipefail
generator=$1 checked_in=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/kbr370-board-XXXXXX")
trap 'rm -rf "$work"' EXIT

QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$generator" --board-source "$work" 2>/dev/null
stale=0
for f in board.png frames.txt; do
  cmp -s "$work/$f" "$checked_in/$f" || { echo "FAIL: $checked_in/$f is not what kbr_skin_gen draws" >&2; stale=1; }
done
diff -u "$checked_in/frames.txt" "$work/frames.txt" >&2 || true
if [[ $stale == 1 ]]; then
  echo "If the new drawing is meant, refresh them with 'make board-picture' and commit them." >&2
  exit 1
fi
echo "board picture up to date"
