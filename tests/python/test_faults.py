"""Failures as exceptions, the link usable again afterwards, Ctrl-C at the
next exchange, and the GIL free while the board works."""

import _thread
import threading
import time

import pytest

import kbr370


@pytest.fixture
def own():
    """A virtual board this test may spoil, and a board open on it."""
    with kbr370.VirtualBoard() as vb:
        with kbr370.open(vboard=vb, time_limit_ms=1000) as board:
            yield vb, board


def test_a_cut_or_silent_link_raises_link_error_and_connect_mends_it(vb):
    board = kbr370.open(vboard=vb, time_limit_ms=200)
    vb.ctl("fault", "disconnect")
    with pytest.raises(kbr370.LinkError) as cut:
        board.set_leds(1)
    assert isinstance(cut.value, kbr370.Error) and str(cut.value)
    assert not board.connected
    board.connect()
    board.set_leds(2)
    assert vb.ctl("get", "leds") == "0x00000002"

    vb.ctl("fault", "drop", "3")
    with pytest.raises(kbr370.LinkError):
        board.memory("sram").read(0, 16)
    vb.ctl("fault", "clear")
    board.connect()
    assert board.memory("sram").read(0, 4) == bytes(4)
    board.close()


def test_open_configures_a_blank_board_and_names_an_absent_one(monkeypatch):
    with kbr370.VirtualBoard(configure=False) as vb:
        assert vb.ctl("status").startswith("configured=0")
        with kbr370.open(vboard=vb) as board:
            assert board.name == "KBR_370"
        assert vb.ctl("status").startswith("configured=1")
        with pytest.raises(kbr370.Error, match="configure"):
            vb.ctl("configure", "/nonexistent")
    with pytest.raises(kbr370.LinkError, match="stopped"):
        kbr370.open(vboard=vb)
    monkeypatch.setenv("KBR370_CABLE", "no-such-cable")
    with pytest.raises(kbr370.LinkError, match="unknown cable"):
        kbr370.open()


def interrupt_after(seconds):
    timer = threading.Timer(seconds, _thread.interrupt_main)
    timer.start()
    return timer


def test_ctrl_c_stops_a_paced_transfer_at_the_next_exchange(own):
    vb, board = own
    vb.ctl("link", "rate", "400000")
    sdram = board.memory("sdram")
    seen = []
    timer = interrupt_after(0.3)
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        sdram.read(0, 8 << 20, progress=lambda done, total: seen.append(done))
    timer.join()
    assert time.monotonic() - started < 2  # not the 20 s the whole read takes
    assert 0 < seen[-1] < 8 << 20
    vb.ctl("link", "rate", "off")
    board.set_leds(5)  # the link is still usable
    assert vb.ctl("get", "leds") == "0x00000005"
    assert sdram.read(0, 4) == bytes(4)


def test_ctrl_c_during_a_watch_leaves_the_mode_off(own):
    vb, board = own
    timer = interrupt_after(0.3)
    with pytest.raises(KeyboardInterrupt):
        for _ in board.rs232.receive(timeout=5):
            pass
    timer.join()
    assert vb.ctl("get", "modes") == "ir=0 rs232=0 ps2=0"
    board.set_leds(1)


def test_the_progress_callables_exception_ends_the_transfer(own):
    vb, board = own

    def refuse(done, total):
        raise RuntimeError("enough")
    with pytest.raises(RuntimeError, match="enough"):
        board.memory("sram").write(0, bytes(100000), progress=refuse)
    board.set_leds(3)
    assert vb.ctl("get", "leds") == "0x00000003"


def test_other_threads_run_while_the_board_works(own):
    vb, board = own
    sram = board.memory("sram")
    pattern = bytes(range(251)) * 320
    sram.write(0, pattern)
    vb.ctl("link", "rate", "200000")
    ticks, lit, stop = [], [], threading.Event()

    def count():
        while not stop.is_set():
            ticks.append(1)
            time.sleep(0.01)

    def light():
        # The board is one link: these wait for the read's exchanges.
        while not stop.is_set():
            board.set_leds(len(lit))
            lit.append(1)
    threads = [threading.Thread(target=count), threading.Thread(target=light)]
    for t in threads:
        t.start()
    try:
        back = sram.read(0, len(pattern))  # about 0.4 s on the paced link
    finally:
        stop.set()
        for t in threads:
            t.join()
        vb.ctl("link", "rate", "off")
    assert back == pattern
    assert len(ticks) >= 10 and lit
    assert vb.ctl("get", "leds") == f"0x{len(lit) - 1:08X}"


def test_ctrl_c_during_the_selftest_puts_memory_back_and_writes_the_report(own, tmp_path):
    vb, board = own
    sram = board.memory("sram")
    mine = bytes(range(256)) * 16
    sram.write(0, mine)
    junit = tmp_path / "r.xml"
    timer = interrupt_after(0.3)
    with pytest.raises(KeyboardInterrupt):
        board.selftest(only=["memories"], junit=junit)
    timer.join()
    assert "<testsuite" in junit.read_text()
    assert sram.read(0, len(mine)) == mine
