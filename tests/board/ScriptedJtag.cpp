// A JTAG library for the cases the virtual board cannot produce: a board whose
// name fills all 16 bytes, an empty name, and a library without all entry
// points. It answers every request frame at once: command 0 with the name
// from KBR_TEST_NAME_HEX (32 hex digits), everything else with status 0.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/CallConv.h"
#include "wire/FrameCodec.h"

#define SCRIPTED_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::vector<uint8_t> pendingIn, pendingOut;
std::string cwdAtOpen;

void Reply(uint8_t command, const std::vector<uint8_t>& payload) {
    kbr::wire::AppendFrame(pendingOut, command, payload.data(), payload.size());
}

std::vector<uint8_t> NameReply() {
    std::vector<uint8_t> p(17, 0);
    const char* hex = std::getenv("KBR_TEST_NAME_HEX");
    for (size_t i = 0; hex && i < 16 && hex[2 * i] && hex[2 * i + 1]; ++i)
        p[1 + i] = uint8_t(std::stoul(std::string(hex + 2 * i, 2), nullptr, 16));
    return p;
}

void Serve() {
    // Frames are well formed here; the caller is the panel's own session.
    while (pendingIn.size() >= kbr::wire::kFrameOverhead) {
        const uint32_t n = kbr::wire::FramePayloadLength(pendingIn.data());
        if (pendingIn.size() < n + kbr::wire::kFrameOverhead)
            return;
        const uint8_t command = kbr::wire::FrameCommand(pendingIn.data());
        pendingIn.erase(pendingIn.begin(), pendingIn.begin() + n + kbr::wire::kFrameOverhead);
        Reply(command, command == 0 ? NameReply() : std::vector<uint8_t>{0});
    }
}

} // namespace

SCRIPTED_EXPORT uint32_t KBR_STDCALL ZOLVANE_JtagOpen(int32_t, const char*) {
    char buf[4096];
    cwdAtOpen = getcwd(buf, sizeof buf) ? buf : "?";
    return 1;
}

SCRIPTED_EXPORT void KBR_STDCALL ZOLVANE_JtagClose(uint32_t) {}

SCRIPTED_EXPORT int32_t KBR_STDCALL ZOLVANE_JtagWrite(uint32_t, const uint8_t* bytes, uint32_t count) {
    pendingIn.insert(pendingIn.end(), bytes, bytes + count);
    Serve();
    return 1;
}

SCRIPTED_EXPORT int32_t KBR_STDCALL ZOLVANE_JtagRead(uint32_t, uint8_t* buffer, uint32_t maxCount) {
    const size_t n = std::min<size_t>(maxCount, pendingOut.size());
    if (n == 0)
        return 0;
    std::memcpy(buffer, pendingOut.data(), n);
    pendingOut.erase(pendingOut.begin(), pendingOut.begin() + n);
    return static_cast<int32_t>(n);
}

#ifndef SCRIPTED_WITHOUT_GET_INFO
// The link text tells where the current directory was while the link opened.
SCRIPTED_EXPORT int32_t KBR_STDCALL ZOLVANE_JtagGetInfo(uint32_t, void* record) {
    const std::string text = "scripted cwd=" + cwdAtOpen;
    std::memcpy(static_cast<char*>(record) + kbr::wire::kInfoTextOffset, text.c_str(), text.size() + 1);
    return 1;
}
#endif
