#include "core/devices/Rs232Text.h"

#include <algorithm>
#include <cstdio>

#include "board/Board.h"
#include "core/devices/Devices.h"

std::vector<uint8_t> Rs232TransmitBytes(std::string_view text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

std::string Rs232StreamText(const uint8_t* data, uint32_t count) {
    std::string text;
    text.reserve(count);
    std::copy_if(data, data + count, std::back_inserter(text), [](uint8_t b) { return b != 0; });
    return text;
}

std::string EscapeForTerminal(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\\')
            out += "\\\\";
        else if ((b >= 0x20 && b < 0x7F) || b == '\n' || b == '\t')
            out += c;
        else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

namespace kbr::devices {

TDeviceResult Rs232Send(TBoardConnection& connection, std::string_view text) {
    const std::vector<uint8_t> bytes = Rs232TransmitBytes(text);
    TDeviceResult result =
        RunExchange(connection, DeviceRow("RS232"), [&bytes](TBoard& b, bool& done) {
            return b.SendDeviceData(done, kRs232.channel, static_cast<uint32_t>(bytes.size()),
                                    bytes.data());
        });
    // Sending has words of its own, whichever way it failed.
    if (!result.Ok())
        result.reason = kRs232TransmitFailed;
    return result;
}

TDeviceValue<std::vector<uint8_t>> Rs232Receive(TBoardConnection& connection,
                                                TDeviceWatch& watch) {
    auto received = PollWatch(connection, watch, DeviceRow("RS232"));
    // The board refusing a read means nothing came in.
    if (received.outcome == TOutcome::Refused)
        received.reason = kRs232.failed;
    return received;
}

} // namespace kbr::devices
