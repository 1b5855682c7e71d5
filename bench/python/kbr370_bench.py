"""Figures of the Python module (not a test), on a private virtual board:
Memory.read of the whole SDRAM against `kbr370 mem read` of the same, the
per-call cost of board.set_leds against SetLeds through the C++ TBoard, and
the memory the 128 MiB read takes above idle.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/kbr370_bench.py build/bin
"""

import os
import re
import subprocess
import sys
import time

import kbr370

SDRAM_BYTES = 128 << 20
LED_CALLS = 10000
MIB = 1 << 20


def rss_kib(field):
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def reset_peak():
    # Writing 5 resets the peak resident size (VmHWM) to the present one.
    with open("/proc/self/clear_refs", "w") as refs:
        refs.write("5")


def timed(work):
    start = time.perf_counter()
    result = work()
    return time.perf_counter() - start, result


def verdict(met):
    return "met" if met else "MISSED"


def main():
    bin_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/bin")
    with kbr370.VirtualBoard() as vb:
        env = dict(os.environ, KBR370_VBOARD_DIR=vb.dir)
        print(f"kbr370 Python module benchmark (virtual board in {vb.dir})\n")

        # kbr370 first, while no board of ours holds the one link.
        cli_seconds, _ = timed(lambda: subprocess.run(
            [os.path.join(bin_dir, "kbr370"), "mem", "read", "sdram", "0", str(SDRAM_BYTES),
             "-o", "/dev/null"], env=env, check=True, capture_output=True))
        leds = subprocess.run([os.path.join(bin_dir, "kbr370_leds_bench"), str(LED_CALLS),
                               vb.dir], env=env, check=True, capture_output=True, text=True)
        cpp_us = float(re.match(r"([0-9.]+) us", leds.stdout).group(1))

        with kbr370.open(vboard=vb) as board:
            sdram = board.memory("sdram")
            idle = rss_kib("VmRSS")
            reset_peak()
            py_seconds, data = timed(lambda: sdram.read(0, SDRAM_BYTES))
            peak_above = (rss_kib("VmHWM") - idle) * 1024
            assert len(data) == SDRAM_BYTES
            del data

            board.set_leds(0)
            py_led_seconds, _ = timed(
                lambda: [board.set_leds(i & 0x7FFFFFF) for i in range(LED_CALLS)])
        py_us = py_led_seconds * 1e6 / LED_CALLS

    ratio = py_seconds / cli_seconds
    led_ratio = py_us / cpp_us
    limit = SDRAM_BYTES + 16 * MIB
    print(f"(a) 128 MiB of SDRAM: Memory.read {py_seconds:.3f} s, "
          f"kbr370 mem read {cli_seconds:.3f} s: {ratio:.2f}x")
    print(f"(b) {LED_CALLS} set_leds: {py_us:.1f} us per call, TBoard::SetLeds {cpp_us:.1f} us: "
          f"{led_ratio:.2f}x")
    print(f"(c) peak memory above idle during the read: {peak_above / MIB:.1f} MiB "
          f"(data {SDRAM_BYTES // MIB} MiB)")
    print("\nTargets")
    print(f"  Memory.read at most 1.1x kbr370 mem read: {ratio:.2f}x  {verdict(ratio <= 1.1)}")
    print(f"  set_leds at most 1.3x TBoard per call: {led_ratio:.2f}x  {verdict(led_ratio <= 1.3)}")
    print(f"  peak at most the data + 16 MiB: {peak_above / MIB:.1f} MiB  "
          f"{verdict(peak_above <= limit)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
