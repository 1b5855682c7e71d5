#!/usr/bin/env bash
# A configure of the source tree $1 where Qt 6 is not found, in $2 with the
# generator $3 (make program $4): it succeeds, says so in one line, keeps every
# tool and drops the panel, and its board picture is written without Qt. The
# whole build and its tests are `make test-tools`; this is the quick check.
set -euo pipefail
source=$1 tree=$2 generator=$3 make_program=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v "$make_program" >/dev/null || { echo "no $make_program: cannot configure"; exit 77; }

rm -rf "$tree"
mkdir -p "$tree"
cmake -S "$source" -B "$tree" -G "$generator" -DCMAKE_MAKE_PROGRAM="$make_program" \
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=TRUE >"$tree/configure.log" 2>&1 ||
  { cat "$tree/configure.log"; fail "the configure without Qt failed"; }
said=$(grep -c "Qt 6 not found: building the tools only" "$tree/configure.log" || true)
[ "$said" = 1 ] || { cat "$tree/configure.log"; fail "the configure said it $said times, not once"; }

targets=$(cmake --build "$tree" --target help)
has() { grep -qE "(^|[ /])$1(:| |$)" <<<"$targets"; }
for t in kbr370 kbr370-vboard ZOLVANE_JTAG ZOLVANE_DOWNLOAD kbr_design_file kbr_man_pages; do
  has "$t" || fail "no target $t without Qt"
done
for t in kbr370-panel kbr370-screenshots kbr_skin kbr_skin_gen kbr_pages kbr_app kbr_skin_test \
         kbr_gui_main_window_tests kbr370_gui_bench; do
  ! has "$t" || fail "target $t is there without Qt"
done
! grep -rq "kbr370-panel" --include=cmake_install.cmake "$tree" || fail "the install rules name the panel"

cmake --build "$tree" --target kbr_board_picture >"$tree/build.log" 2>&1 ||
  { cat "$tree/build.log"; fail "the board picture without Qt"; }
echo "configured and drew the board picture without Qt"
