#!/usr/bin/env bash
# Runs every benchmark in one go; each prints its own figures and targets.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
status=0
for b in kbr370_link_bench kbr370_gui_bench kbr370_switches_bench kbr370_monitor_bench kbr370_memory_bench kbr370_terminal_bench kbr370_record_bench; do
  if [ -x "$bin/$b" ]; then
    echo "== $b"
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bin/$b" || status=1
  fi
done
# The Python module's figures, with Debian's python3 and the package the build
# left beside the programs.
package=$(cd "$bin/.." && pwd)/python
if [ -d "$package/kbr370" ] && [ -x "$bin/kbr370_leds_bench" ]; then
  echo "== kbr370 Python module"
  PYTHONPATH="$package" /usr/bin/python3 "$(dirname "$0")/../bench/python/kbr370_bench.py" "$bin" ||
    status=1
fi
exit $status
