#!/usr/bin/env bash
# After `make install` into PREFIX ($1), the Python module is in
# PREFIX/lib/python3/dist-packages, which Debian's python3 searches for /usr
# only. Under a prefix where python3 has a site folder of its own (/usr/local),
# a kbr370.pth there adds the module's folder to its path; under any other,
# one line says which PYTHONPATH finds it. A staged install (DESTDIR) is not
# live: nothing is done.
set -euo pipefail
prefix=${1:-/usr/local}
dir="$prefix/lib/python3/dist-packages"
python=${KBR370_PYTHON:-/usr/bin/python3}
[ -n "${DESTDIR:-}" ] && exit 0
[ -f "$dir/kbr370/__init__.py" ] || exit 0   # built without the module
# Prints "found", or the site folder under the prefix, or nothing.
where=$("$python" - "$dir" "$prefix" <<'PY'
import os, site, sys
folder, prefix = (os.path.realpath(p) for p in sys.argv[1:])
if any(os.path.realpath(p or ".") == folder for p in sys.path[1:]):
    print("found")
else:
    print(next((s for s in site.getsitepackages()
                if os.path.isdir(s) and os.path.realpath(s).startswith(prefix + os.sep)), ""))
PY
)
case $where in
  found) ;;
  "") echo "python3 does not search $dir: import kbr370 with PYTHONPATH=$dir" ;;
  *) echo "$dir" >"$where/kbr370.pth" && echo "python3 finds kbr370 through $where/kbr370.pth" ;;
esac
