// The five entry points of ZOLVANE_JTAG.DLL, and our one extra that says why
// an open failed. Nothing may escape them but their results: no exception
// crosses into the caller.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "drivers/common/CableChoice.h"
#include "drivers/common/Complain.h"
#include "drivers/common/Export.h"
#include "drivers/common/ModuleDirectory.h"
#include "drivers/jtag/LinkTable.h"
#include "drivers/jtag/UsbBlasterCable.h"
#include "drivers/jtag/VirtualCable.h"
#include "platform/CallConv.h"
#include "wire/WireFacts.h"

namespace {

// The caller reserves this many bytes for the information record; the text
// lies at kInfoTextOffset.
constexpr size_t kInfoRecordSize = kbr::wire::kInfoRecordSize;
constexpr size_t kInfoTextOffset = kbr::wire::kInfoTextOffset;

using kbr::wire::LinkFailure;
using Cables =
    drivers::CableChoice<drivers::Cable, drivers::VirtualCable, drivers::UsbBlasterCable>;

drivers::LinkTable& Links() {
    static drivers::LinkTable table;
    return table;
}

// Per thread, as the caller asks right after its own open.
thread_local LinkFailure lastFailure = LinkFailure::None;

std::string DllDirectory();

} // namespace

KBR_DLL_EXPORT uint32_t KBR_STDCALL ZOLVANE_JtagOpen(int32_t portIndex, const char* cableName) {
    lastFailure = LinkFailure::Other;
    try {
        std::string error;
        auto cable = Cables::Make(DllDirectory(), error);
        if (!cable) {
            drivers::Complain("ZOLVANE_JTAG", error);
            return 0;
        }
        const bool opened = cable->Open(portIndex, cableName ? cableName : "");
        lastFailure = cable->OpenFailure();
        if (!opened)
            return 0;
        return Links().Add(std::move(cable));
    } catch (...) {
        lastFailure = LinkFailure::Other;
        return 0;
    }
}

// Why this thread's last ZOLVANE_JtagOpen failed (a LinkFailure), None after
// one that succeeded. The session tells a held link from a blank FPGA by it.
KBR_DLL_EXPORT int32_t KBR_STDCALL KBR370_JtagLastFailure(void) {
    return static_cast<int32_t>(lastFailure);
}

KBR_DLL_EXPORT void KBR_STDCALL ZOLVANE_JtagClose(uint32_t handle) {
    try {
        if (auto cable = Links().Remove(handle))
            cable->Close();
    } catch (...) {
    }
}

KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_JtagWrite(uint32_t handle, const uint8_t* bytes,
                                                     uint32_t count) {
    try {
        auto cable = Links().Find(handle);
        return cable && cable->Write(bytes, count) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_JtagRead(uint32_t handle, uint8_t* buffer,
                                                    uint32_t maxCount) {
    try {
        auto cable = Links().Find(handle);
        return cable ? static_cast<int32_t>(cable->ReadAvailable(buffer, maxCount)) : 0;
    } catch (...) {
        return 0;
    }
}

KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_JtagGetInfo(uint32_t handle, void* record) {
    try {
        auto cable = Links().Find(handle);
        if (!cable || !record)
            return 0;
        std::string text = cable->Describe();
        size_t room = kInfoRecordSize - kInfoTextOffset - 1;
        size_t length = std::min(text.size(), room);
        auto* out = static_cast<char*>(record) + kInfoTextOffset;
        std::memcpy(out, text.data(), length);
        out[length] = '\0';
        return 1;
    } catch (...) {
        return 0;
    }
}

namespace {

std::string DllDirectory() {
    return drivers::ModuleDirectory(reinterpret_cast<const void*>(&ZOLVANE_JtagOpen));
}

} // namespace

WIRE_AGREED_ENTRY(ZOLVANE_JtagOpen, kbr::wire::kJtagOpen);
WIRE_AGREED_ENTRY(ZOLVANE_JtagClose, kbr::wire::kJtagClose);
WIRE_AGREED_ENTRY(ZOLVANE_JtagWrite, kbr::wire::kJtagWrite);
WIRE_AGREED_ENTRY(ZOLVANE_JtagRead, kbr::wire::kJtagRead);
WIRE_AGREED_ENTRY(ZOLVANE_JtagGetInfo, kbr::wire::kJtagGetInfo);
WIRE_AGREED_ENTRY(KBR370_JtagLastFailure, kbr::wire::kJtagLastFailure);
