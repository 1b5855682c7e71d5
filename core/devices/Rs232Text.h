#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/devices/DeviceResult.h"

// Text over the board's serial port. Bytes are bytes: the panel shows each one
// as the Latin-1 character of the same number, so every byte has exactly one
// character and back.

// What Send transmits: the text's bytes and its terminating zero byte.
std::vector<uint8_t> Rs232TransmitBytes(std::string_view text);

// What one reply adds to the received text. A zero byte only ends one sent
// text, and the next may follow it in the same reply: the bytes without their
// zero bytes, so nothing after a terminator is lost.
std::string Rs232StreamText(const uint8_t* data, uint32_t count);

// For a terminal: printable ASCII, line feeds and tabs as they are; a
// backslash doubled; every other byte as \xHH.
std::string EscapeForTerminal(std::string_view bytes);

namespace kbr::devices {

// Transmits `text` and its terminating zero byte on the serial port.
TDeviceResult Rs232Send(TBoardConnection& connection, std::string_view text);

// The bytes the port received since the last read, zero bytes too (see
// Rs232StreamText for the text they carry). `watch` watches the RS232
// channel, its mode switched on.
TDeviceValue<std::vector<uint8_t>> Rs232Receive(TBoardConnection& connection,
                                                TDeviceWatch& watch);

// The self test's "rs232" area: its monitoring mode, and bytes through a loopback plug.
void CheckRs232(TCheckRun& run);

} // namespace kbr::devices
