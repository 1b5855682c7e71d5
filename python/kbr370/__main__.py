"""``python3 -m kbr370 ARGS`` is ``kbr370 ARGS``: the program itself runs in
this process's place, so its exit status and streams are its own."""

import os
import sys

from kbr370 import Error, program


def main():
    try:
        path = program("kbr370")
    except Error as e:
        print(f"kbr370: {e}", file=sys.stderr)
        return 127
    sys.stdout.flush()
    sys.stderr.flush()
    os.execv(path, ["kbr370"] + sys.argv[1:])


if __name__ == "__main__":
    sys.exit(main())
