#!/usr/bin/env bash
# A staging install (DESTDIR) of the build in $1: every file in its place, the
# menu entry valid, and the installed kbr370 configuring and reaching a virtual
# board that the installed driver starts from the installed folder. With
# "tools" as $2 (a build without Qt) the panel's files must be left out.
set -euo pipefail
build=$1 kind=${2:-panel}
work=$(mktemp -d "${TMPDIR:-/tmp}/kbr370-install-XXXXXX")
board="$work/board"
cleanup() {
  [ -x "$work/stage/usr/bin/kbr370-vboard" ] && "$work/stage/usr/bin/kbr370-vboard" stop --dir "$board" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
root="$work/stage/usr"
panel_files="lib/kbr370/kbr370-panel share/applications/kbr370-panel.desktop
  share/icons/hicolor/scalable/apps/kbr370-panel.svg share/man/man1/kbr370-panel.1.gz
  share/doc/kbr370/copyright share/doc/kbr370/changelog.gz"
programs="kbr370 kbr370-vboard"
if [ "$kind" = panel ]; then
  programs="kbr370-panel $programs"
else
  for f in $panel_files bin/kbr370-panel; do
    [ ! -e "$root/$f" ] && [ ! -L "$root/$f" ] || fail "$f installed by a build without the panel"
  done
  panel_files=
fi
for f in lib/kbr370/kbr370 lib/kbr370/kbr370-vboard \
         lib/kbr370/ZOLVANE_JTAG.DLL lib/kbr370/ZOLVANE_DOWNLOAD.DLL lib/kbr370/KBR_370_ControlPanel.sof \
         lib/udev/rules.d/60-kbr370-usb-blaster.rules share/bash-completion/completions/kbr370 \
         share/man/man1/kbr370.1.gz share/man/man1/kbr370-vboard.1.gz \
         share/doc/kbr370-tools/copyright share/doc/kbr370-tools/changelog.gz $panel_files; do
  [ -f "$root/$f" ] || fail "$f not installed"
done
[ "$(readlink "$root/share/bash-completion/completions/kbr370-vboard")" = kbr370 ] ||
  fail "the completion of kbr370-vboard is not a link to kbr370's"
for p in $programs; do
  [ "$(readlink "$root/bin/$p")" = "../lib/kbr370/$p" ] || fail "bin/$p is not a link to lib/kbr370/$p"
done
for product in 6001 6002 6003 6010 6810; do
  grep -q "ATTR{idVendor}==\"09fb\", ATTR{idProduct}==\"$product\".*uaccess" \
    "$root/lib/udev/rules.d/60-kbr370-usb-blaster.rules" || fail "udev rule lacks 09fb:$product"
done
# The Python module, when the build made it, where python3 looks for /usr.
if [ -d "$build/python/kbr370" ]; then
  for f in kbr370/__init__.py kbr370/pytest_plugin.py; do
    [ -f "$root/lib/python3/dist-packages/$f" ] || fail "lib/python3/dist-packages/$f not installed"
  done
  ls "$root/lib/python3/dist-packages/kbr370/"_kbr370.*.so >/dev/null 2>&1 || fail "the Python extension is not installed"
  [ -z "$(find "$root/lib/python3" -name __pycache__)" ] || fail "byte code installed"
fi
if [ "$kind" != panel ]; then
  :
elif command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/share/applications/kbr370-panel.desktop" || fail "desktop entry"
else
  fail "desktop-file-validate is missing (scripts/deps.sh installs desktop-file-utils)"
fi

# The installed programs only: nothing of the build tree may be used.
export KBR370_VBOARD_DIR="$board" KBR370_VBOARD_CONFIGURE_MS=50
unset KBR370_CABLE KBR370_DESIGN
cd "$work"
"$root/bin/kbr370" configure >"$work/out" 2>&1 || { cat "$work/out"; fail "installed kbr370 configure"; }
"$root/bin/kbr370" info >"$work/out" 2>&1 || { cat "$work/out"; fail "installed kbr370 info"; }
[ "$(head -1 "$work/out")" = "board: KBR_370" ] || { cat "$work/out"; fail "kbr370 info output"; }
grep -q "^link: KBR-370 virtual board at $board\$" "$work/out" || { cat "$work/out"; fail "link text"; }
echo "installed kbr370 reached the board: $(tr '\n' ' ' <"$work/out")"
