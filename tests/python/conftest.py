"""One virtual board and one open board per test module, for the tests that
do not spoil them; a test that faults the link takes a board of its own."""

import pytest

import kbr370


@pytest.fixture(scope="module")
def vb():
    with kbr370.VirtualBoard() as board:
        yield board


@pytest.fixture(scope="module")
def board(vb):
    with kbr370.open(vboard=vb, time_limit_ms=1000) as b:
        yield b


@pytest.fixture
def requests(vb):
    """The command ids the board received during the test (two-digit hex)."""
    vb.ctl("log", "requests")

    def taken():
        return vb.ctl("log", "requests").split()
    return taken
