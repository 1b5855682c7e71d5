"""The KBR-370 FPGA board from Python.

Every operation goes through the same core as the ``kbr370`` program and the
control panel, so a script does exactly what they do::

    import kbr370

    with kbr370.VirtualBoard() as vb:          # a private virtual board
        with kbr370.open(vboard=vb) as board:  # or kbr370.open() for the chosen cable
            board.set_leds(0x07FFFFFF)
            keys, switches = board.inputs()
            data = board.memory("sdram").read(0, 4096)

Failures are exceptions: :class:`Error` is the base of :class:`LinkError`
(the board was not reached or was lost; ``board.connect()`` opens the link
again) and :class:`BoardRefused` (the board answered that it could not).
Bad arguments raise :class:`ValueError` before the board is touched.

Long operations (memory transfers, the erase, the self test, the watches)
take an optional ``progress(done, total)`` callable and stop at the next
exchange on Ctrl-C, raising :class:`KeyboardInterrupt` with the link usable
and every monitoring mode off. ``python3 -m kbr370 ARGS`` runs ``kbr370 ARGS``.
"""

import collections as _collections
import os as _os
import shutil as _shutil
import subprocess as _subprocess
import tempfile as _tempfile
import time as _time


class Error(Exception):
    """A board operation failed; the base of the module's own exceptions."""


class LinkError(Error):
    """The board was not reached, or its link was lost.

    The text is the one ``kbr370`` prints. The board object stays usable:
    ``board.connect()`` opens the link again.
    """


class BoardRefused(Error):
    """The board answered, but said it could not do what was asked."""


# The exceptions above are raised from the C++ side too, so they exist first.
from . import _kbr370  # noqa: E402

__version__ = _kbr370.version

_DRIVER = "ZOLVANE_JTAG.DLL"


def _program_directory():
    """The folder of kbr370, kbr370-vboard, the drivers and the design file.

    ``KBR370_PROGRAM_DIR`` when set; else beside this package: ``build/bin``
    for the build tree (``build/python/kbr370``), ``<prefix>/lib/kbr370`` for
    an installed package (``<prefix>/lib/python3/dist-packages/kbr370``);
    else the folder of the ``kbr370`` found on PATH.
    """
    chosen = _os.environ.get("KBR370_PROGRAM_DIR")
    if chosen:
        return _os.path.abspath(chosen)
    here = _os.path.dirname(_os.path.abspath(__file__))
    for candidate in (_os.path.join(here, "..", "..", "bin"),
                      _os.path.join(here, "..", "..", "..", "kbr370")):
        if _os.path.isfile(_os.path.join(candidate, _DRIVER)):
            return _os.path.realpath(candidate)
    found = _shutil.which("kbr370")
    if found:
        return _os.path.dirname(_os.path.realpath(found))
    return None


PROGRAM_DIRECTORY = _program_directory()
if PROGRAM_DIRECTORY:
    # The core looks beside "the program" for its drivers; python3 is not it.
    _kbr370.set_program_directory(PROGRAM_DIRECTORY)
# The links open from other folders; a relative path in the environment
# must keep meaning what it meant here.
_kbr370.make_path_variables_absolute()


def program(name):
    """The path of one of the board's programs (``kbr370``, ``kbr370-vboard``).

    Found in :data:`PROGRAM_DIRECTORY`, else on PATH; :class:`Error` when
    neither has it.
    """
    if PROGRAM_DIRECTORY:
        path = _os.path.join(PROGRAM_DIRECTORY, name)
        if _os.access(path, _os.X_OK):
            return path
    found = _shutil.which(name)
    if not found:
        raise Error(f"{name} is not found (set KBR370_PROGRAM_DIR to its folder)")
    return found


def design_file():
    """The companion design the board is configured with: ``$KBR370_DESIGN``,
    else ``KBR_370_ControlPanel.sof`` beside the programs."""
    chosen = _os.environ.get("KBR370_DESIGN")
    if chosen:
        return chosen
    return _os.path.join(_os.path.dirname(program("kbr370")), "KBR_370_ControlPanel.sof")


# ---------------------------------------------------------------------------
# The virtual board

def _end_with_parent():
    """In the daemon before it runs: a script that dies without stopping its
    board (killed, crashed) takes the board with it."""
    try:
        import ctypes
        import signal
        ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except (OSError, AttributeError):
        pass

class VirtualBoard:
    """A private ``kbr370-vboard`` in a fresh folder of its own (mode 0700).

    Started at once and stopped on :meth:`stop` or at the end of a ``with``
    block, or when the thread that started it ends without; its folder goes
    with it. ``kbr370.open(vboard=vb)`` reaches it and
    never the user's default board. ``configure`` configures its FPGA with the
    design file first (else it starts blank, as a board just switched on, and
    ``kbr370.open`` configures it); ``configure_ms`` is how long a configure
    takes (the daemon's own 1500 ms when None).
    """

    def __init__(self, configure=True, configure_ms=50):
        self.dir = _tempfile.mkdtemp(prefix="kbr370-vboard-")
        _os.chmod(self.dir, 0o700)
        args = [program("kbr370-vboard"), "serve", "--dir", self.dir, "--foreground"]
        if configure_ms is not None:
            args += ["--configure-ms", str(int(configure_ms))]
        self._process = _subprocess.Popen(args, stdin=_subprocess.DEVNULL,
                                          preexec_fn=_end_with_parent)
        try:
            self._wait_for_control()
            if configure:
                self.ctl("configure", design_file())
        except BaseException:
            self.stop()
            raise

    def _wait_for_control(self):
        deadline = _time.monotonic() + 10
        while _kbr370.control_request(self.control_socket, "status", 1000) is None:
            if self._process.poll() is not None:
                raise Error(f"kbr370-vboard ended at start (status {self._process.returncode})")
            if _time.monotonic() > deadline:
                raise Error(f"the virtual board did not start in {self.dir}")
            _time.sleep(0.01)

    @property
    def control_socket(self):
        """The path of the board's control socket."""
        return _os.path.join(self.dir, "ctl")

    @property
    def running(self):
        """Whether the daemon still runs."""
        return self._process is not None and self._process.poll() is None

    def ctl(self, *words, timeout=10.0):
        """Sends one control command and returns its reply after ``ok``.

        ``vb.ctl("set", "inputs", "0x3FFFFF")``; words are joined by blanks,
        numbers are turned into text. An ``error ...`` reply raises
        :class:`Error` with its reason; so does a board that does not answer.
        """
        line = " ".join(str(w) for w in words)
        if any(ord(c) < 0x20 or ord(c) == 0x7F for c in line):
            raise ValueError("a control command has no control characters")
        reply = _kbr370.control_request(self.control_socket, line, int(timeout * 1000))
        if reply is None:
            raise Error(f"the virtual board in {self.dir} does not answer")
        if reply == "ok":
            return ""
        if reply.startswith("ok "):
            return reply[3:]
        raise Error(f"{line}: {reply[6:] if reply.startswith('error ') else reply}")

    def stop(self):
        """Ends the daemon and removes its folder."""
        if self._process is not None:
            if self._process.poll() is None:
                self._process.terminate()
                try:
                    self._process.wait(5)
                except _subprocess.TimeoutExpired:
                    self._process.kill()
                    self._process.wait()
            self._process = None
        _shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def __del__(self):
        if getattr(self, "_process", None) is not None:
            self.stop()

    def __repr__(self):
        return f"<kbr370.VirtualBoard {self.dir}{'' if self.running else ' stopped'}>"


# ---------------------------------------------------------------------------
# Results

Inputs = _collections.namedtuple("Inputs", "keys switches")
Inputs.__doc__ = """The keys (bits 0-3) and the switches (bits 0-17), as read from the board."""

Ps2Report = _collections.namedtuple("Ps2Report", "buttons dx dy")
Ps2Report.__doc__ = """One PS/2 mouse report as the page decodes it: buttons (bit 0 left,
bit 1 right) and the pointer's movement (y grows upward)."""

IrCode = _collections.namedtuple("IrCode", "code key")
IrCode.__doc__ = """One IR scan code and the remote's key that sends it (None: no key)."""

Check = _collections.namedtuple("Check", "area name result message duration_ms details")
Check.__doc__ = """One self-test check: its area ("memories"), name, result ("passed",
"failed" or "skipped"), one line of message, duration and (name, value) details."""


class HsmcResult:
    """The HSMC loopback test's outcome: ``passed``, and ``failing``, the pins
    that do not loop back, one line each as the page lists them."""

    def __init__(self, passed, failing):
        self.passed = passed
        self.failing = list(failing)

    def __repr__(self):
        return f"<HsmcResult passed={self.passed} failing={len(self.failing)}>"


class SelfTestResult:
    """A self-test run: ``passed`` (it completed and no check failed),
    ``completed`` (False when the board was lost; ``stop_reason`` says why),
    ``checks`` (:class:`Check`, in the order they ran) and ``unrestored``
    (memory ranges it could not put back: (memory, address, bytes))."""

    def __init__(self, raw):
        self.checks = [Check(c["area"], c["name"], c["result"], c["message"],
                             c["duration_ms"], list(c["details"])) for c in raw["checks"]]
        self.completed = raw["completed"]
        self.stop_reason = raw["stop_reason"]
        self.unrestored = [tuple(u) for u in raw["unrestored"]]
        self.passed = (self.completed and not self.unrestored
                       and all(c.result != "failed" for c in self.checks))

    def __repr__(self):
        return (f"<SelfTestResult passed={self.passed} completed={self.completed} "
                f"checks={len(self.checks)}>")


# ---------------------------------------------------------------------------
# Argument checks: before the board is touched

def _integer(value, what, low, high):
    if isinstance(value, bool) or not isinstance(value, int):
        raise ValueError(f"{what} must be an integer, not {type(value).__name__}")
    if not low <= value <= high:
        raise ValueError(f"{what} {value:#x} is out of range ({low:#x} to {high:#x})")
    return value


def _timeout(value):
    if isinstance(value, bool) or not isinstance(value, (int, float)) or value < 0:
        raise ValueError(f"the timeout must be a number of seconds, at least 0, not {value!r}")
    return float(value)


def _progress(progress):
    if progress is not None and not callable(progress):
        raise ValueError("progress must be a callable progress(done, total), or None")
    return progress


def _format(name):
    if name is None:
        return ""
    if not isinstance(name, str) or _kbr370.content_format(name) is None:
        raise ValueError(f"no content format {name!r}; the formats are "
                         + ", ".join(_kbr370.content_formats))
    return name


def _bytes_like(data):
    try:
        return memoryview(data).cast("B")
    except TypeError:
        raise ValueError(f"data must be bytes-like, not {type(data).__name__}") from None


_MAX_TIME_LIMIT_MS = 600000


# ---------------------------------------------------------------------------
# Memories

class Memory:
    """One of the board's memories (``board.memory("sdram")``).

    Addresses are byte addresses, as ``kbr370 mem`` takes them; ``size`` is
    in bytes. A range past the end raises :class:`ValueError` before the board
    is touched.
    """

    def __init__(self, board, argument, name, size, erased, flash):
        self._board = board
        self.name = name
        self.argument = argument
        self.size = size
        self.erased = erased
        self.flash = flash

    def __repr__(self):
        return f"<kbr370.Memory {self.name} {self.size} bytes>"

    def _range(self, address, count):
        _integer(address, f"{self.argument} address", 0, self.size)
        _integer(count, "the byte count", 0, self.size)
        if address + count > self.size:
            raise ValueError(f"{count} bytes from {address:#x} lie past the end of "
                             f"{self.name} ({self.size:#x} bytes)")

    def read(self, address=0, count=None, progress=None):
        """The bytes from ``address`` on (``count`` of them; to the end when None)."""
        if count is None:
            _integer(address, f"{self.argument} address", 0, self.size)
            count = self.size - address
        self._range(address, count)
        return self._board._handle.read(self.argument, address, count, _progress(progress))

    def write(self, address, data, progress=None):
        """Writes bytes-like ``data`` from ``address`` on (the flash: a write
        only clears bits; erase it first)."""
        view = _bytes_like(data)
        self._range(address, view.nbytes)
        self._board._handle.write(self.argument, address, view, _progress(progress))

    def verify(self, address, data, progress=None):
        """Reads the range back: None when it equals ``data``, else the first
        differing byte address."""
        view = _bytes_like(data)
        self._range(address, view.nbytes)
        return self._board._handle.verify(self.argument, address, view, _progress(progress))

    def save(self, path, address=0, count=None, format=None, progress=None):
        """Reads ``count`` bytes from ``address`` (to the end when None) into
        the file ``path``, as ``kbr370 mem read`` does: ``format`` is "binary",
        "hex" (the panel's HEX text), "ihex" or "srec", else the one of the
        file's extension (.ihex/.ihx, .srec/.s19/.s28/.s37, .hex; else binary).
        The file appears only when the whole range was read."""
        if count is None:
            _integer(address, f"{self.argument} address", 0, self.size)
            count = self.size - address
        self._range(address, count)
        path = _os.fspath(path)
        self._board._handle.save(self.argument, address, count, path, _format(format),
                                 _progress(progress))

    def load(self, path, address=0, format=None, progress=None):
        """Writes the content file ``path`` from ``address`` on, as ``kbr370
        mem write`` does: ``format`` as for :meth:`save`, else the one of the
        file's extension; a record file's records go to their own addresses
        from ``address``. Returns the bytes written. A file that cannot be
        read or does not fit raises :class:`ValueError` before the board is
        touched."""
        _integer(address, f"{self.argument} address", 0, self.size - 1)
        path = _os.fspath(path)
        return self._board._handle.load(self.argument, address, path, _format(format),
                                        _progress(progress))

    def erase(self, progress=None):
        """Erases the whole flash, step by step; ``progress(done, total)``
        counts the steps. Only the flash can be erased (:class:`ValueError`)."""
        if not self.flash:
            raise ValueError(f"{self.name} is not erased; only the flash is")
        self._board._handle.erase(_progress(progress))


# ---------------------------------------------------------------------------
# Watched devices

def _watch(board, channel, timeout, decode=None):
    handle = board._handle
    poll = _kbr370.poll_ms[channel] / 1000.0
    timeout = _timeout(timeout)
    handle.watch_start(channel)
    try:
        last = _time.monotonic()
        while True:
            data = handle.watch_tick(channel)
            now = _time.monotonic()
            if data:
                last = now
                if decode is None:
                    yield data
                else:
                    yield from map(decode, data)
            elif now - last >= timeout:
                return
            else:
                _time.sleep(min(poll, max(0.0, timeout - (now - last))))
    finally:
        # Also after a Ctrl-C or a loop left early: nothing stays watched.
        if handle.connected:
            handle.watch_stop(channel)


class Rs232:
    """The board's serial port (``board.rs232``)."""

    def __init__(self, board):
        self._board = board

    def send(self, data):
        """Transmits ``data`` (bytes, or a str as Latin-1) from the board's port."""
        if isinstance(data, str):
            data = data.encode("latin-1")
        self._board._handle.rs232_send(bytes(_bytes_like(data)))

    def receive(self, timeout=2.0):
        """Yields the bytes as they arrive; ends after ``timeout`` s of silence.

        The port is watched (its monitoring mode on) while the generator runs,
        and off again when it ends, is closed, or a Ctrl-C stops it.
        """
        return _watch(self._board, _kbr370.channels["rs232"], timeout)


class Ps2:
    """The PS/2 mouse port (``board.ps2``)."""

    def __init__(self, board):
        self._board = board

    def watch(self, timeout=2.0):
        """Yields each mouse report as a :class:`Ps2Report` (buttons, dx, dy);
        ends after ``timeout`` s without one."""
        return _watch(self._board, _kbr370.channels["ps2"], timeout,
                      lambda report: Ps2Report(*report))


class Ir:
    """The IR receiver (``board.ir``)."""

    def __init__(self, board):
        self._board = board

    def watch(self, timeout=2.0):
        """Yields each scan code as an :class:`IrCode` (code, key name); ends
        after ``timeout`` s without one."""
        return _watch(self._board, _kbr370.channels["ir"], timeout,
                      lambda code: IrCode(*code))


# ---------------------------------------------------------------------------
# The board

def _choose_cable(cable, vboard):
    """The environment the drivers read for this board: the cable as
    ``kbr370 --cable`` chooses it, or the given virtual board."""
    if vboard is not None:
        if cable not in (None, "virtual"):
            raise ValueError("a virtual board and a cable were both given")
        return {"KBR370_CABLE": "virtual", "KBR370_VBOARD_DIR": vboard.dir,
                "KBR370_BLASTER": None}
    if cable is None:
        return {}
    if not isinstance(cable, str) or not cable.strip():
        raise ValueError(f"the cable must be a name, not {cable!r}")
    if cable.lower() in ("virtual", "usb-blaster"):
        return {"KBR370_CABLE": cable, "KBR370_BLASTER": None}
    return {"KBR370_CABLE": "usb-blaster", "KBR370_BLASTER": cable}


def _set_environment(values):
    for name, value in values.items():
        if value is None:
            _os.environ.pop(name, None)
        else:
            _os.environ[name] = value


class Board:
    """An open KBR-370 board; made by :func:`open`.

    Usable in a ``with`` block, which closes the link at its end. After a
    :class:`LinkError`, :meth:`connect` opens the link again.
    """

    def __init__(self, environment, design, time_limit_ms, vboard=None):
        self._environment = environment
        self._vboard = vboard
        self._design = design
        self._handle = _kbr370.BoardHandle(time_limit_ms)
        self.rs232 = Rs232(self)
        self.ps2 = Ps2(self)
        self.ir = Ir(self)

    def connect(self):
        """Opens the link: configures a blank board, never one whose link
        another program holds, and checks that it answers as KBR_370."""
        if self._vboard is not None and not self._vboard.running:
            # The driver would start a daemon of its own in the board's folder.
            raise LinkError(f"the virtual board in {self._vboard.dir} is stopped")
        # The drivers read the cable from the environment while the link
        # opens; the script's own environment is left as it was.
        before = {name: _os.environ.get(name) for name in self._environment}
        try:
            _set_environment(self._environment)
            self._handle.connect(self._design or "")
        finally:
            _set_environment(before)

    def close(self):
        """Closes the link."""
        self._handle.disconnect()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    @property
    def name(self):
        """The name the board answered with: "KBR_370"."""
        return self._handle.name

    @property
    def link(self):
        """What the link library tells of the link."""
        return self._handle.link_info

    @property
    def connected(self):
        """Whether the link is open."""
        return self._handle.connected

    def __repr__(self):
        state = "connected" if self.connected else "closed"
        return f"<kbr370.Board {self.name or '?'} {state}>"

    def set_leds(self, bits):
        """Lights the 27 LEDs: bit i lights LED i (0x07FFFFFF lights all)."""
        self._handle.set_leds(_integer(bits, "LED bits", 0, _kbr370.all_leds))

    def set_seg7(self, value, extra=0):
        """Shows eight hex digits, digit d in bits 4d to 4d+3 (0x12345678 shows
        12345678); ``extra`` is the byte sent beside them."""
        self._handle.set_seg7(_integer(value, "value", 0, 0xFFFFFFFF),
                              _integer(extra, "extra byte", 0, 0xFF))

    def inputs(self):
        """The keys and switches now, as :class:`Inputs` (keys, switches)."""
        return Inputs(*self._handle.inputs())

    def set_lcd(self, line0="", line1=""):
        """Puts two lines of at most 16 characters (Latin-1) on the LCD."""
        lines = []
        for number, line in enumerate((line0, line1)):
            if not isinstance(line, str):
                raise ValueError(f"LCD line {number} must be a str")
            try:
                encoded = line.encode("latin-1")
            except UnicodeEncodeError:
                raise ValueError(f"LCD line {number} has a character the LCD has not") from None
            fault = _kbr370.lcd_line_fault(encoded, number)
            if fault:
                raise ValueError(fault)
            lines.append(encoded)
        self._handle.set_lcd(*lines)

    def set_vga(self, pattern):
        """Shows a VGA test pattern: its name ("Scale", "Red", "Green", "Blue",
        "White", "Black", any case) or its index 0-5."""
        if isinstance(pattern, bool) or not isinstance(pattern, (int, str)):
            raise ValueError(f"the pattern is a name or 0-5, not {pattern!r}")
        index = _kbr370.vga_pattern(str(pattern))
        if index is None:
            raise ValueError(f"no VGA pattern {pattern!r}; the patterns are "
                             + ", ".join(_kbr370.vga_patterns) + " (or 0-5)")
        self._handle.set_vga(index)

    def usb(self):
        """The device on the USB host port: "none", "mouse", "storage" or "other"."""
        return _kbr370.usb_word(self._handle.usb())

    def sd(self):
        """The SD card's registers, decoded, as a dict: the fields of
        ``kbr370 sd --json`` ("cid", "csd", "file_system", "file_system_code").
        No card raises :class:`BoardRefused`."""
        return self._handle.sd()

    def hsmc(self):
        """Runs the HSMC loopback test: an :class:`HsmcResult`."""
        return HsmcResult(*self._handle.hsmc())

    def memory(self, name):
        """The memory ``name``: "sram", "eeprom", "sdram" or "flash" (any case)."""
        if isinstance(name, str):
            for argument, title, size, erased, flash in _kbr370.memories:
                if name.lower() == argument:
                    return Memory(self, argument, title, size, erased, flash)
        raise ValueError(f"no memory {name!r}; the memories are "
                         + ", ".join(m[0] for m in _kbr370.memories))

    def watch_inputs(self, timeout=2.0):
        """Yields the keys and switches as :class:`Inputs`: first as they are,
        then at every change; ends after ``timeout`` s without one."""
        timeout = _timeout(timeout)
        poll = _kbr370.switches_poll_ms / 1000.0
        last = None
        changed = _time.monotonic()
        while True:
            now_inputs = self.inputs()
            now = _time.monotonic()
            if now_inputs != last:
                last, changed = now_inputs, now
                yield now_inputs
            elif now - changed >= timeout:
                return
            else:
                _time.sleep(min(poll, max(0.0, timeout - (now - changed))))

    def selftest(self, only=None, skip=None, full=False, destructive=False, loopback=False,
                 junit=None, json=None, html=None, progress=None, ask=None, tell=None):
        """Runs the board's self test, as ``kbr370 selftest`` does.

        ``only`` and ``skip`` are lists of areas (see :data:`SELFTEST_AREAS`);
        ``full`` marches over each whole memory; ``destructive`` erases and
        programs the flash; ``loopback`` checks RS232 through a loopback plug.
        ``junit``, ``json`` and ``html`` name report files to write.
        With ``ask``, a callable ``ask(question) -> bool``, the run is
        interactive (``kbr370 selftest --interactive``): a person judges what
        the board shows, and ``tell(instruction)`` hears what to do at it;
        without, those checks drive their pattern and are skipped.
        Memory the run changed is put back, also after a Ctrl-C. Returns a
        :class:`SelfTestResult`.
        """
        for name, call in (("ask", ask), ("tell", tell)):
            if call is not None and not callable(call):
                raise ValueError(f"{name} must be a callable, or None")
        areas = _choose_areas(only, skip)
        reports = {}
        for kind, path in (("junit", junit), ("json", json), ("html", html)):
            if path is not None:
                reports[kind] = _os.fspath(path)
        raw = self._handle.selftest(areas, bool(full), bool(destructive), bool(loopback),
                                    reports, _progress(progress), ask, tell)
        return SelfTestResult(raw)


SELFTEST_AREAS = tuple(_kbr370.selftest_areas())


def _choose_areas(only, skip):
    def listed(value):
        if value is None:
            return ""
        if isinstance(value, str):
            return value
        return ",".join(str(v) for v in value)
    return _kbr370.choose_areas(listed(only), listed(skip))


def open(cable=None, design=None, time_limit_ms=3000, vboard=None):  # noqa: A001
    """Opens the board and returns a connected :class:`Board`.

    ``cable`` chooses it as ``kbr370 --cable`` does: "virtual", "usb-blaster",
    or a cable's name as jtagconfig lists it; None takes ``KBR370_CABLE`` and
    ``KBR370_BLASTER``, else the virtual board. ``vboard`` is a
    :class:`VirtualBoard` to use instead. A blank board is configured with
    ``design`` (default: the design file beside the programs).
    ``time_limit_ms`` is how long to wait for each reply (1 to 600000).
    Raises :class:`LinkError` when the board is not reached.
    """
    _integer(time_limit_ms, "the time limit in ms", 1, _MAX_TIME_LIMIT_MS)
    if vboard is not None and not isinstance(vboard, VirtualBoard):
        raise ValueError("vboard must be a kbr370.VirtualBoard")
    if design is not None:
        design = _os.path.abspath(_os.fspath(design))
    board = Board(_choose_cable(cable, vboard), design, time_limit_ms, vboard)
    board.connect()
    return board


__all__ = [
    "Error", "LinkError", "BoardRefused", "VirtualBoard", "Board", "Memory", "Rs232", "Ps2",
    "Ir", "Inputs", "Ps2Report", "IrCode", "Check", "HsmcResult", "SelfTestResult",
    "SELFTEST_AREAS", "PROGRAM_DIRECTORY", "open", "program", "design_file",
]
