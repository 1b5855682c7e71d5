"""pytest fixtures for tests of a KBR-370 board.

Registered through the ``pytest11`` entry point when kbr370 is installed (or
given as ``-p kbr370.pytest_plugin``):

``kbr370_vboard``
    A fresh, configured private :class:`kbr370.VirtualBoard` for each test,
    its ``ctl`` at hand for faults, defects and inputs.
``kbr370_board``
    An open :class:`kbr370.Board` on that virtual board; with
    ``--kbr370-cable NAME`` on the pytest command line, the real board on that
    cable instead (tests that need ``kbr370_vboard`` then skip).
"""

import pytest

import kbr370


def pytest_addoption(parser):
    group = parser.getgroup("kbr370", "KBR-370 board")
    group.addoption("--kbr370-cable", metavar="NAME", default=None,
                    help="run kbr370_board on the real board behind this cable "
                         "(virtual, usb-blaster or a cable's name as jtagconfig lists it) "
                         "instead of a private virtual board")
    group.addoption("--kbr370-time-limit", metavar="MS", type=int, default=3000,
                    help="how long kbr370_board waits for each reply (default 3000)")


def _cable(config):
    return config.getoption("kbr370_cable")


@pytest.fixture
def kbr370_vboard(request):
    """A fresh, configured private virtual board, stopped after the test."""
    if _cable(request.config):
        pytest.skip("needs the virtual board; --kbr370-cable chose a real one")
    with kbr370.VirtualBoard() as vb:
        yield vb


@pytest.fixture
def kbr370_board(request):
    """An open board: on a private virtual board, or on --kbr370-cable's."""
    limit = request.config.getoption("kbr370_time_limit")
    cable = _cable(request.config)
    if cable:
        board = kbr370.open(cable=cable, time_limit_ms=limit)
    else:
        board = kbr370.open(vboard=request.getfixturevalue("kbr370_vboard"),
                            time_limit_ms=limit)
    with board:
        yield board
