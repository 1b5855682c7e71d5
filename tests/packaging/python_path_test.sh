#!/usr/bin/env bash
# packaging/python-path.sh ($1) after an install into a prefix: silent when
# python3 already searches the module's folder or the install is staged, a
# kbr370.pth in the prefix's own site folder when python3 has one there, and
# otherwise one line naming the PYTHONPATH.
set -uo pipefail
script=$(realpath -e "$1") || exit 1
work=$(mktemp -d "${TMPDIR:-/tmp}/kbr370-python-path-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
prefix="$work/prefix" dir="$work/prefix/lib/python3/dist-packages"
mkdir -p "$dir/kbr370" && touch "$dir/kbr370/__init__.py"
cd "$work" || exit 1

out=$("$script" "$prefix")
[[ $out == "python3 does not search $dir: import kbr370 with PYTHONPATH=$dir" ]] || fail "another prefix: '$out'"
out=$(PYTHONPATH="$dir" "$script" "$prefix")
[[ -z $out ]] || fail "already on the path: '$out'"
out=$(DESTDIR="$work/stage" "$script" "$prefix")
[[ -z $out ]] || fail "a staged install: '$out'"
out=$("$script" "$work/empty")
[[ -z $out ]] || fail "no module installed: '$out'"

# A python3 with a site folder under the prefix, as Debian's has in /usr/local.
site="$prefix/lib/python3.11/dist-packages"
mkdir -p "$site"
cat >"$work/python3" <<STANDIN
#!/bin/sh
exec /usr/bin/python3 -c "import site, sys; site.getsitepackages = lambda: ['$site']; sys.argv = sys.argv[1:]; exec(sys.stdin.read())" "\$@"
STANDIN
chmod +x "$work/python3"
out=$(KBR370_PYTHON="$work/python3" "$script" "$prefix")
[[ $out == "python3 finds kbr370 through $site/kbr370.pth" ]] || fail "a site folder: '$out'"
[[ $(cat "$site/kbr370.pth" 2>/dev/null) == "$dir" ]] || fail "kbr370.pth does not name $dir"
/usr/bin/python3 -c 'import site, sys; site.addsitedir(sys.argv[1]); import kbr370' "$site" 2>/dev/null ||
  fail "python3 does not import kbr370 through kbr370.pth"

[[ $failures == 0 ]] || exit 1
echo "python-path.sh checked"
