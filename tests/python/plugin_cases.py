"""Tests as a lab writes them with the kbr370 plugin's fixtures."""

import kbr370


def test_the_board_fixture_is_open_on_the_virtual_board(kbr370_vboard, kbr370_board):
    kbr370_vboard.ctl("set", "inputs", "0x3FFFFF")
    assert kbr370_board.inputs() == (0xF, 0x3FFFF)
    kbr370_board.set_leds(0x155)
    assert kbr370_vboard.ctl("get", "leds") == "0x00000155"


def test_each_test_has_a_fresh_board(kbr370_vboard, kbr370_board):
    assert kbr370_vboard.ctl("get", "leds") == "0x00000000"
    kbr370_vboard.ctl("sd", "remove")
    try:
        kbr370_board.sd()
    except kbr370.BoardRefused:
        pass
    else:
        raise AssertionError("a refusal must raise")
