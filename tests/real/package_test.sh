#!/usr/bin/env bash
# The Debian package of the build in $1: its runtime dependencies, its files,
# its changelog's version, that the programs it carries run from an unpacked
# copy, and no error from lintian when that is installed. With "tools" as $2
# (a build without Qt) the package carries no panel and needs no Qt.
set -euo pipefail
build=$1 kind=${2:-panel}
work=$(mktemp -d "${TMPDIR:-/tmp}/kbr370-package-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/kbr370_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
panel_needs="libqt6core6 libqt6gui6 libqt6widgets6 fonts-liberation qt6-qpa-plugins libqt6svg6"
panel_files="./usr/lib/kbr370/kbr370-panel ./usr/share/applications/kbr370-panel.desktop
  ./usr/share/man/man1/kbr370-panel.1.gz"
dpkg-deb -c "$deb" >"$work/contents"
if [ "$kind" != panel ]; then
  for need in $panel_needs; do
    [[ ", $depends," != *", $need"[\ ,]* ]] || fail "Depends has $need without the panel"
  done
  for f in $panel_files; do
    ! grep -q " $f\( \|$\)" "$work/contents" || fail "package has $f without the panel"
  done
  panel_needs= panel_files=
fi
for need in libc6 libstdc++6 libfmt9 zlib1g $panel_needs; do
  [[ ", $depends," == *", $need"[\ ,]* ]] || fail "Depends lacks $need"
done
for f in ./usr/lib/kbr370/ZOLVANE_JTAG.DLL ./usr/lib/kbr370/KBR_370_ControlPanel.sof \
         ./usr/bin/kbr370 ./usr/lib/udev/rules.d/60-kbr370-usb-blaster.rules \
         ./usr/share/man/man1/kbr370.1.gz ./usr/share/man/man1/kbr370-vboard.1.gz \
         ./usr/share/bash-completion/completions/kbr370 ./usr/share/bash-completion/completions/kbr370-vboard \
         ./usr/share/doc/kbr370/copyright ./usr/share/doc/kbr370/changelog.gz $panel_files; do
  grep -q " $f\( \|$\)" "$work/contents" || fail "package lacks $f"
done
dpkg-deb -e "$deb" "$work/control"
[ -x "$work/control/postinst" ] || fail "postinst missing"

dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/kbr370" --help >/dev/null || fail "unpacked kbr370 does not run"
"$work/root/usr/bin/kbr370-vboard" --help >/dev/null || fail "unpacked kbr370-vboard does not run"

# A new version needs its changelog entry.
doc="$work/root/usr/share/doc/kbr370"
changelog_version=$(gzip -dc "$doc/changelog.gz" | sed -n '1s/^kbr370 (\([^)]*\)).*/\1/p')
[ "$changelog_version" = "$(dpkg-deb -f "$deb" Version)" ] ||
  fail "the changelog's last entry is $changelog_version, the package $(dpkg-deb -f "$deb" Version)"
head -n 1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
  fail "copyright is not in the machine-readable format"

if command -v lintian >/dev/null; then
  lintian "$deb" >"$work/lintian" 2>&1 || true
  cat "$work/lintian"
  ! grep -q '^E: ' "$work/lintian" || fail "lintian reports errors"
else
  echo "lintian is not installed: the package was not checked by it"
fi
echo "package $(basename "$deb") checked"
