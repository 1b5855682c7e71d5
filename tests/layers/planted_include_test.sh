#!/bin/sh
# The layer check on a copy of the sources: clean, it passes; with a wrong
# include planted in one file, it fails and names that file and the arrow.
# Usage: planted_include_test.sh <source root> <kbr_include_check>
set -u
root=$1 check=$2
copy=$(mktemp -d) || exit 1
trap 'rm -rf "$copy"' EXIT
for dir in "$root"/*/; do
    case $(basename "$dir") in build*) continue ;; esac
    cp -R "$dir" "$copy/" || exit 1
done
fail() { echo "planted include: $*"; exit 1; }

"$check" "$copy" >"$copy/out.txt" || { cat "$copy/out.txt"; fail "the clean copy fails"; }

echo '#include "app/FormMain.h"' >>"$copy/board/Board.h"
if "$check" "$copy" >"$copy/out.txt"; then fail "a board file that includes app passes"; fi
grep -q '^board/Board.h:[0-9]*: #include "app/FormMain.h": board may not use app$' "$copy/out.txt" ||
    { cat "$copy/out.txt"; fail "the board file is not named"; }

# Qt in a Qt-free folder, and an include that leaves the source root.
sed -i '$d' "$copy/board/Board.h"
echo '#include <QString>' >>"$copy/core/formats/HexCodec.h"
echo '#include "nowhere/Thing.h"' >>"$copy/wire/WireFacts.h"
if "$check" "$copy" >"$copy/out.txt"; then fail "Qt in core passes"; fi
grep -q '^core/formats/HexCodec.h:[0-9]*: #include <QString>: core never includes Qt$' "$copy/out.txt" &&
    grep -q '^wire/WireFacts.h:[0-9]*: .*not a path from the source root$' "$copy/out.txt" &&
    [ "$(grep -c '#include' "$copy/out.txt")" -eq 2 ] || { cat "$copy/out.txt"; fail "wrong report"; }
exit 0
