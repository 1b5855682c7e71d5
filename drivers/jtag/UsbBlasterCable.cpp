#include "drivers/jtag/UsbBlasterCable.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

#include "drivers/common/Complain.h"
#include "drivers/quartus/QuartusFolder.h"
#include "platform/ChosenCable.h"

namespace drivers {

namespace {

constexpr const char* kPrefix = "ZOLVANE_JTAG";
// The UART drains at JTAG speed; a full FIFO empties within a millisecond or two.
constexpr auto kFifoFullPause = std::chrono::milliseconds(1);

using kbr::wire::LinkFailure;

LinkFailure FailureOf(int atlanticError) {
    switch (atlanticError) {
    case kAtlanticNoJtagUart: return LinkFailure::NoBoard;
    case kAtlanticInUse: return LinkFailure::InUse;
    default: return LinkFailure::Other;
    }
}

} // namespace

UsbBlasterCable::~UsbBlasterCable() { Close(); }

bool UsbBlasterCable::Open(int32_t, const std::string& cableName) {
    Close();
    failure = LinkFailure::Other;
    std::string folder, error;
    if (!QuartusFolder::Find(folder, error) || !library.Load(folder, error)) {
        Complain(kPrefix, error);
        return false;
    }
    const std::string chosen = platform::ChosenBlaster(cableName);
    link = library.Open(chosen.empty() ? nullptr : chosen.c_str(), -1, -1, kAppName);
    if (!link) {
        const char* detail = nullptr;
        int code = library.GetError(&detail);
        // No JTAG UART means a blank FPGA: the panel configures it and opens
        // again, so that is no error worth a line.
        std::string why = AtlanticErrorText(code, detail);
        if (!why.empty())
            Complain(kPrefix, "cannot open the JTAG UART: " + why);
        failure = FailureOf(code);
        return false;
    }
    failure = LinkFailure::None;
    broken = false;
    return true;
}

void UsbBlasterCable::Close() {
    if (link)
        library.Close(link);
    link = nullptr;
}

bool UsbBlasterCable::Write(const uint8_t* bytes, uint32_t count) {
    if (!link || broken || (!bytes && count > 0))
        return false;
    auto lastProgress = std::chrono::steady_clock::now();
    const char* at = reinterpret_cast<const char*>(bytes);
    while (count > 0) {
        unsigned piece = std::min<uint32_t>(count, INT_MAX);
        int accepted = library.Write(link, at, piece);
        if (accepted < 0 || static_cast<unsigned>(accepted) > piece) {
            broken = true;
            return false;
        }
        library.Flush(link);
        if (accepted > 0) {
            at += accepted;
            count -= static_cast<uint32_t>(accepted);
            lastProgress = std::chrono::steady_clock::now();
            continue;
        }
        if (std::chrono::steady_clock::now() - lastProgress >
            std::chrono::milliseconds(kWriteStallMs))
            return false;
        std::this_thread::sleep_for(kFifoFullPause);
    }
    return true;
}

uint32_t UsbBlasterCable::Receive(uint8_t* buffer, uint32_t maxCount) {
    // The library's read never blocks: one short pause between two empty
    // reads keeps a silent board from costing a core.
    int n = ReadNow(buffer, maxCount);
    if (n == 0) {
        std::this_thread::sleep_for(ReadWait());
        n = broken ? 0 : ReadNow(buffer, maxCount);
    }
    return static_cast<uint32_t>(n);
}

int UsbBlasterCable::ReadNow(uint8_t* buffer, uint32_t maxCount) {
    // The caller's count comes back as a signed 32-bit number.
    const unsigned limit = std::min<uint32_t>(maxCount, INT_MAX);
    const int n = library.Read(link, reinterpret_cast<char*>(buffer), limit);
    if (n < 0) {
        // From now on nothing arrives, so the session's time limits end the exchange.
        broken = true;
        return 0;
    }
    return static_cast<int>(std::min<unsigned>(static_cast<unsigned>(n), limit));
}

std::string UsbBlasterCable::Describe() const {
    if (!link)
        return "USB-Blaster";
    const char* cable = nullptr;
    int device = -1, instance = -1;
    library.GetInfo(link, &cable, &device, &instance);
    return std::string(cable && *cable ? cable : "USB-Blaster") + ", device " +
           std::to_string(device) + ", JTAG UART " + std::to_string(instance);
}

} // namespace drivers
