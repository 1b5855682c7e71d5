"""Every board operation of the module against the virtual board, checked at
the board through its control socket."""

import ast
import json
import os
import subprocess
import threading
import time

import pytest

import kbr370


def test_front_panel_reaches_the_board(vb, board):
    assert board.name == "KBR_370" and board.connected
    board.set_leds(0x07FFFFFF)
    assert vb.ctl("get", "leds") == "0x07FFFFFF"
    board.set_seg7(0x12345678, extra=0x5A)
    assert vb.ctl("get", "seg7") == "0x12345678 0x5A"
    board.set_lcd("Hello", "W\xf6rld")
    assert vb.ctl("get", "lcd") == "48656C6C6F 57F6726C64"
    board.set_vga("blue")
    assert vb.ctl("get", "vga") == "3"
    board.set_vga(5)
    assert vb.ctl("get", "vga") == "5"
    vb.ctl("set", "inputs", "0x3FFFF5")
    keys, switches = board.inputs()
    assert (keys, switches) == (0x5, 0x3FFFF)
    vb.ctl("usb", "storage")
    assert board.usb() == "storage"


def test_bad_arguments_raise_value_error_before_the_board_is_touched(board, requests):
    sram = board.memory("SRAM")
    calls = [
        lambda: board.set_leds(1 << 27),
        lambda: board.set_leds("7"),
        lambda: board.set_seg7(0, extra=256),
        lambda: board.set_lcd("x" * 17),
        lambda: board.set_lcd("\u20ac"),
        lambda: board.set_vga("Purple"),
        lambda: board.set_vga(6),
        lambda: board.memory("dram"),
        lambda: sram.read(sram.size - 1, 2),
        lambda: sram.write(sram.size, b"x"),
        lambda: sram.write(0, "text"),
        lambda: sram.verify(-1, b"x"),
        lambda: sram.erase(),
        lambda: sram.read(0, 1, progress=3),
        lambda: board.selftest(only=["memory"]),
        lambda: next(board.rs232.receive(timeout=-1)),
        lambda: kbr370.open(time_limit_ms=0),
        lambda: kbr370.open(cable="usb-blaster", vboard=object()),
    ]
    for call in calls:
        with pytest.raises(ValueError):
            call()
    assert requests() == []


def test_sd_is_what_kbr370_sd_json_prints(vb, board):
    board.close()  # kbr370 takes the one link while it runs
    printed = subprocess.run([kbr370.program("kbr370"), "sd", "--json"], capture_output=True,
                             check=True, env=dict(os.environ, KBR370_VBOARD_DIR=vb.dir))
    board.connect()
    assert board.sd() == json.loads(printed.stdout)
    vb.ctl("sd", "remove")
    try:
        with pytest.raises(kbr370.BoardRefused, match="SDCARD"):
            board.sd()
    finally:
        vb.ctl("sd", "insert")


def test_hsmc_lists_the_pins_that_do_not_loop_back(vb, board):
    assert board.hsmc().passed
    vb.ctl("hsmc", "fail", "0x0000000003", "0x01")
    try:
        result = board.hsmc()
        assert not result.passed and len(result.failing) == 3
    finally:
        vb.ctl("hsmc", "fail", "0x0000000000", "0x00")


def test_memories_round_trip_with_progress(board):
    assert [board.memory(n).size for n in ("sram", "eeprom", "sdram", "flash")] == [
        2 << 20, 4 << 10, 128 << 20, 8 << 20]
    sdram = board.memory("sdram")
    data = bytes(range(256)) * 300  # more than one exchange
    steps = []
    sdram.write(0x1000, bytearray(data), progress=lambda done, total: steps.append((done, total)))
    assert steps[-1] == (len(data), len(data)) and len(steps) > 1
    assert sdram.read(0x1000, len(data)) == data
    assert sdram.verify(0x1000, memoryview(data)) is None
    assert sdram.verify(0x1000, data[:100] + b"\xff") == 0x1000 + 100
    assert board.memory("eeprom").read(4090) == bytes(6)


def test_save_writes_what_kbr370_mem_read_writes(vb, board, tmp_path):
    sram = board.memory("sram")
    sram.write(0x100, bytes(range(200)))
    board.close()
    for name, extra in (("a.ihex", []), ("a.srec", []), ("a.txt", ["--format", "hex"])):
        subprocess.run([kbr370.program("kbr370"), "mem", "read", "sram", "0x100", "200", "-o",
                        str(tmp_path / ("cli-" + name))] + extra, check=True, capture_output=True,
                       env=dict(os.environ, KBR370_VBOARD_DIR=vb.dir))
    board.connect()
    sram.save(tmp_path / "a.ihex", 0x100, 200)
    sram.save(str(tmp_path / "a.srec"), 0x100, 200)
    sram.save(tmp_path / "a.txt", 0x100, 200, format="hex")
    for name in ("a.ihex", "a.srec", "a.txt"):
        assert (tmp_path / name).read_bytes() == (tmp_path / ("cli-" + name)).read_bytes()
    with pytest.raises(ValueError, match="ihex"):
        sram.save(tmp_path / "b", format="elf")
    # A read that fails leaves no file behind (a board of its own that soon
    # gives up on a cut link).
    board.close()
    with kbr370.open(vboard=vb, time_limit_ms=200) as quick:
        vb.ctl("fault", "disconnect")
        with pytest.raises(kbr370.LinkError):
            quick.memory("sram").save(tmp_path / "c.bin", 0, 100000)
    assert sorted(p.name for p in tmp_path.iterdir() if not p.name.startswith(("a.", "cli-"))) == []
    board.connect()


def test_load_places_each_record_where_it_belongs(board, tmp_path):
    sram = board.memory("sram")
    sram.write(0x1000, bytes(64))
    (tmp_path / "a.srec").write_text("S1060010AABBCCB8\nS9030000FC\n")
    assert sram.load(tmp_path / "a.srec", 0x1000) == 3
    assert sram.read(0x1010, 4) == b"\xaa\xbb\xcc\x00"
    (tmp_path / "big.bin").write_bytes(bytes(16))
    with pytest.raises(ValueError):
        sram.load(tmp_path / "big.bin", sram.size - 8)
    with pytest.raises(ValueError):
        sram.load(tmp_path / "missing.bin")


def test_flash_erase_counts_its_steps(vb, board):
    vb.ctl("erase", "steps", "4")
    vb.ctl("erase", "step-ms", "1")
    flash = board.memory("flash")
    flash.write(0, b"\x00\x00")
    steps = []
    flash.erase(progress=lambda done, total: steps.append((done, total)))
    assert steps == [(1, 4), (2, 4), (3, 4), (4, 4)]
    assert flash.read(0, 2) == b"\xff\xff"
    vb.ctl("defect", "flash-sector", "2")
    try:
        flash.write(3 * (flash.size // 4) - 1, b"\x00")
        flash.erase()
        assert flash.read(3 * (flash.size // 4) - 1, 1) == b"\x00"  # the defect leaves it
    finally:
        vb.ctl("defect", "clear")


def test_rs232_sends_and_receives_and_leaves_the_mode_off(vb, board):
    board.rs232.send(b"hello\r\n")
    assert vb.ctl("get", "rs232-tx") == "68656C6C6F0D0A00"
    board.rs232.send("\xe9")
    assert vb.ctl("get", "rs232-tx") == "E900"
    vb.ctl("rs232", "push", "414243")
    received = b"".join(board.rs232.receive(timeout=0.3))
    assert received == b"ABC"
    assert vb.ctl("get", "modes") == "ir=0 rs232=0 ps2=0"


def test_ps2_and_ir_are_decoded_as_the_pages_decode_them(vb, board):
    vb.ctl("ps2", "push", "0905FE00" "0A000300")
    reports = list(board.ps2.watch(timeout=0.3))
    assert reports == [(1, 5, -2), (2, 0, 3)]
    vb.ctl("ir", "push", "0F12FF")
    assert list(board.ir.watch(timeout=0.3)) == [(0x0F, "A"), (0x12, "PW"), (0xFF, None)]
    # A loop left early stops watching too.
    vb.ctl("ir", "push", "0102")
    for _ in board.ir.watch(timeout=1):
        break
    assert vb.ctl("get", "modes") == "ir=0 rs232=0 ps2=0"
    vb.ctl("ps2", "present", "0")
    try:
        with pytest.raises(kbr370.BoardRefused, match="PS/2"):
            next(board.ps2.watch(timeout=0.1))
    finally:
        vb.ctl("ps2", "present", "1")


def test_watch_inputs_yields_each_change(vb, board):
    vb.ctl("set", "inputs", "0x0")

    def press():
        time.sleep(0.25)
        vb.ctl("set", "inputs", "0x1")
        time.sleep(0.25)
        vb.ctl("set", "inputs", "0x31")
    threading.Thread(target=press).start()
    changes = list(board.watch_inputs(timeout=0.5))
    assert changes == [(0, 0), (1, 0), (1, 3)]


def test_selftest_runs_the_chosen_areas_and_writes_its_report(vb, board, tmp_path):
    junit = tmp_path / "r.xml"
    result = board.selftest(only=["link", "sd", "hsmc"], skip="hsmc", junit=junit)
    assert result.passed and result.completed
    assert {c.area for c in result.checks} == {"link", "sd"}
    assert junit.read_text().count("<testcase") == len(result.checks)
    vb.ctl("sd", "remove")
    try:
        result = board.selftest(only="sd")
    finally:
        vb.ctl("sd", "insert")
    assert not result.passed and result.completed
    failed = [c for c in result.checks if c.result == "failed"]
    assert failed and failed[0].area == "sd" and "SDCARD" in failed[0].message
    # A person at the board: the LCD seen, the VGA's Scale pattern not.
    questions = []
    result = board.selftest(only=["lcd", "vga"],
                            ask=lambda question: questions.append(question) or "Scale" not in question)
    assert len(questions) == 7
    assert [(c.area, c.result) for c in result.checks if c.result != "passed"] == [
        ("vga", "failed")]
    assert [c.name for c in result.checks if c.result == "failed"] == ["Scale"]


def test_the_module_runs_kbr370_and_documents_itself(vb):
    env = dict(os.environ, KBR370_VBOARD_DIR=vb.dir)
    for args in (["--version"], ["leds", "0x12"], ["no-such-command"]):
        ours = subprocess.run(["/usr/bin/python3", "-m", "kbr370"] + args, capture_output=True,
                              env=env)
        theirs = subprocess.run([kbr370.program("kbr370")] + args, capture_output=True, env=env)
        assert (ours.returncode, ours.stdout, ours.stderr) == (
            theirs.returncode, theirs.stdout, theirs.stderr)
    stubbed = set()
    for node in ast.walk(ast.parse(open(kbr370.__file__ + "i").read())):
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            stubbed.add(node.name)
    public = set(kbr370.__all__)
    for name in kbr370.__all__:
        item = getattr(kbr370, name)
        if isinstance(item, type):
            public |= {m for m, v in vars(item).items() if not m.startswith("_")
                       and (callable(v) or isinstance(v, property))}
    assert public - {"SELFTEST_AREAS", "PROGRAM_DIRECTORY"} - stubbed == set()
    undocumented = []
    for name in kbr370.__all__:
        item = getattr(kbr370, name)
        if callable(item) and not (item.__doc__ or "").strip():
            undocumented.append(name)
        for member, value in vars(item).items() if isinstance(item, type) else []:
            if callable(value) and not member.startswith("_") and not value.__doc__:
                undocumented.append(f"{name}.{member}")
    assert undocumented == []
