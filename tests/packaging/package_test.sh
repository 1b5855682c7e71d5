#!/usr/bin/env bash
# The Debian packages of the build in $1, built afresh with cpack: which
# packages there are, what each depends on and holds (no file in two of them),
# each one's copyright and changelog, and, unpacked together into a staging
# folder as a lab server installs them, the tools running and the Python module
# importing and running a test through its pytest plugin; no error or warning
# from lintian when that is installed. With "tools" as $2 (a build without Qt)
# there is no panel package. The Python package is expected when the build made
# the module (build/python/kbr370).
set -euo pipefail
build=$1 kind=${2:-panel}
python=/usr/bin/python3
work=$(mktemp -d "${TMPDIR:-/tmp}/kbr370-package-XXXXXX")
root="$work/root"
# A board the plugin's fixture left running (after a failure) is stopped.
cleanup() {
  if [ -d "$work/tmp" ]; then
    find "$work/tmp" -mindepth 1 -maxdepth 2 -type d -exec "$root/usr/bin/kbr370-vboard" stop --dir {} \; >/dev/null 2>&1
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# python3 with the module: a sanitized build's needs its runtime preloaded
# (KBR_PYTHON_PRELOAD), and python3's own allocations are not ours to report.
with_module() {
  if [ -n "${KBR_PYTHON_PRELOAD:-}" ]; then
    LD_PRELOAD="$KBR_PYTHON_PRELOAD" ASAN_OPTIONS=detect_leaks=0 "$python" "$@"
  else
    "$python" "$@"
  fi
}

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
packages="kbr370-tools"
[ "$kind" = panel ] && packages+=" kbr370"
[ -d "$build/python/kbr370" ] && packages+=" python3-kbr370"
built=$(cd "$work" && ls -- *.deb | sed 's/_.*//' | sort | tr '\n' ' ')
[ "$built" = "$(tr ' ' '\n' <<<"$packages" | sort | tr '\n' ' ')" ] || fail "cpack built '$built', expected '$packages'"
deb() { echo "$work/$1_${version}_"*.deb; }

# has_depends PACKAGE NAME...: Depends of PACKAGE names each NAME (with or
# without a version); lacks_depends: names none of them.
depends_of() { echo ", $(dpkg-deb -f "$(deb "$1")" Depends),"; }
has_depends() {
  local package=$1 depends need
  depends=$(depends_of "$package")
  shift
  for need; do [[ $depends == *", $need"[\ ,]* ]] || fail "$package: Depends lacks $need: $depends"; done
}
lacks_depends() {
  local package=$1 depends need
  depends=$(depends_of "$package")
  shift
  for need; do [[ $depends != *", $need"[\ ,]* ]] || fail "$package: Depends has $need: $depends"; done
}
# holds PACKAGE FILE...: PACKAGE has each FILE (a path below /); lacks: none.
for p in $packages; do dpkg-deb -c "$(deb "$p")" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/$p.contents"; done
contents() { cat "$work/$1.contents"; }
holds() {
  local package=$1 list f
  list=$(contents "$package")
  shift
  for f; do grep -qxF "$f" <<<"$list" || fail "$package lacks $f"; done
}
lacks() {
  local package=$1 list f
  list=$(contents "$package")
  shift
  for f; do ! grep -qxF "$f" <<<"$list" || fail "$package holds $f"; done
}
# The listing is taken whole before it is searched: a grep -q that stops at the
# first match would leave tar writing into a closed pipe, failing under pipefail.
control_script() {
  local list
  list=$(dpkg-deb --ctrl-tarfile "$(deb "$1")" | tar -t)
  grep -qx "./$2" <<<"$list" || fail "$1 has no $2"
}

panel_files="/usr/lib/kbr370/kbr370-panel /usr/bin/kbr370-panel /usr/share/applications/kbr370-panel.desktop
  /usr/share/icons/hicolor/scalable/apps/kbr370-panel.svg /usr/share/man/man1/kbr370-panel.1.gz"
qt_needs="fonts-liberation qt6-qpa-plugins libqt6svg6"

# The tools: every program but the panel, nothing of Qt.
has_depends kbr370-tools libc6 libstdc++6 libfmt9 zlib1g
lacks_depends kbr370-tools $qt_needs
[[ $(depends_of kbr370-tools) != *libqt6* ]] || fail "kbr370-tools depends on Qt: $(depends_of kbr370-tools)"
holds kbr370-tools /usr/lib/kbr370/kbr370 /usr/lib/kbr370/kbr370-vboard /usr/bin/kbr370 /usr/bin/kbr370-vboard \
  /usr/lib/kbr370/ZOLVANE_JTAG.DLL /usr/lib/kbr370/ZOLVANE_DOWNLOAD.DLL /usr/lib/kbr370/KBR_370_ControlPanel.sof \
  /usr/lib/udev/rules.d/60-kbr370-usb-blaster.rules \
  /usr/share/man/man1/kbr370.1.gz /usr/share/man/man1/kbr370-vboard.1.gz \
  /usr/share/bash-completion/completions/kbr370 /usr/share/bash-completion/completions/kbr370-vboard \
  /usr/share/doc/kbr370-tools/selftest-report.schema.json /usr/share/doc/kbr370-tools/info.schema.json
lacks kbr370-tools $panel_files
control_script kbr370-tools postinst
control_script kbr370-tools postrm

# The panel: the window and its menu entry, on the tools of the same version.
if [[ " $packages " == *" kbr370 "* ]]; then
  has_depends kbr370 "kbr370-tools (= $version)" libqt6core6 libqt6gui6 libqt6widgets6 $qt_needs
  holds kbr370 $panel_files
  lacks kbr370 /usr/lib/kbr370/kbr370 /usr/lib/kbr370/ZOLVANE_JTAG.DLL
fi

# The module: for the python3 it was built for, on the tools of the same version.
pyver=$("$python" -c 'import sys; print("%d.%d %d.%d" % (sys.version_info[0], sys.version_info[1], sys.version_info[0], sys.version_info[1] + 1))')
read -r this_python next_python <<<"$pyver"
dist=/usr/lib/python3/dist-packages
if [[ " $packages " == *" python3-kbr370 "* ]]; then
  has_depends python3-kbr370 "kbr370-tools (= $version)" "python3 (>= $this_python~)" "python3 (<< $next_python)" libc6
  lacks_depends python3-kbr370 $qt_needs
  [ "$(dpkg-deb -f "$(deb python3-kbr370)" Section)" = python ] || fail "python3-kbr370 is not in section python"
  holds python3-kbr370 $dist/kbr370/__init__.py $dist/kbr370/pytest_plugin.py $dist/kbr370/py.typed \
    "$dist/kbr370-$version.dist-info/METADATA" "$dist/kbr370-$version.dist-info/entry_points.txt"
  grep -q "^$dist/kbr370/_kbr370\..*\.so$" "$work/python3-kbr370.contents" || fail "python3-kbr370 lacks the extension"
  ! grep -qE '__pycache__|\.pyc$' "$work/python3-kbr370.contents" || fail "python3-kbr370 holds byte code"
  control_script python3-kbr370 postinst
  control_script python3-kbr370 prerm
fi

# dpkg refuses two packages that hold one file.
for p in $packages; do contents "$p" | grep -v '/$' | sed "s|\$| $p|"; done | sort >"$work/owners"
twice=$(awk '{ print $1 }' "$work/owners" | uniq -d)
[ -z "$twice" ] || fail "files in more than one package: $(grep -F "$twice" "$work/owners" | tr '\n' ' ')"

# Each its own copyright and changelog, whose last entry is this version.
for p in $packages; do
  dpkg-deb -x "$(deb "$p")" "$root"
  doc="$root/usr/share/doc/$p"
  head -n 1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
    fail "$p: copyright is missing or not in the machine-readable format"
  changelog_version=$(gzip -dc "$doc/changelog.gz" | sed -n '1s/^kbr370 (\([^)]*\)).*/\1/p')
  [ "$changelog_version" = "$version" ] || fail "$p: the changelog's last entry is $changelog_version, the package $version"
done

# The unpacked tools run.
unset KBR370_CABLE KBR370_DESIGN KBR370_VBOARD_DIR
[ "$("$root/usr/bin/kbr370" --version)" = "kbr370 $version" ] || fail "unpacked kbr370 --version: $("$root/usr/bin/kbr370" --version 2>&1)"
"$root/usr/bin/kbr370-vboard" --help >/dev/null || fail "unpacked kbr370-vboard does not run"

# The unpacked module, with the plugin its entry point registers, reaches a
# virtual board from the unpacked tools. Nothing of the build tree is used.
if [[ " $packages " == *" python3-kbr370 "* ]]; then
  export PYTHONPATH="$root$dist" PYTHONDONTWRITEBYTECODE=1 PATH="$root/usr/bin:$PATH" KBR370_VBOARD_CONFIGURE_MS=50
  export TMPDIR="$work/tmp"
  mkdir "$work/pytest" "$TMPDIR" && cd "$work/pytest"
  where=$(with_module -c 'import kbr370; print(kbr370.__file__)') || fail "import kbr370 from the unpacked package"
  [ "$where" = "$root$dist/kbr370/__init__.py" ] || fail "kbr370 was imported from $where"
  cat >test_installed.py <<'PY'
def test_board_on_the_plugins_virtual_board(kbr370_board):
    assert kbr370_board.name == "KBR_370"
PY
  with_module -m pytest -q -p no:cacheprovider test_installed.py >"$work/pytest.log" 2>&1 ||
    { cat "$work/pytest.log"; fail "pytest through the unpacked plugin"; }
  grep -q '1 passed' "$work/pytest.log" || { cat "$work/pytest.log"; fail "the plugin's test did not pass"; }
  cd "$work"
fi

if command -v lintian >/dev/null; then
  lintian "$work"/*.deb >"$work/lintian" 2>&1 || true
  grep -v 'root privileges' "$work/lintian" || true
  ! grep -qE '^[EW]: ' "$work/lintian" || fail "lintian reports errors or warnings"
else
  echo "lintian is not installed: the packages were not checked by it"
fi
echo "packages $packages checked"
