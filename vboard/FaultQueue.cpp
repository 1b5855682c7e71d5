#include "vboard/FaultQueue.h"

#include <algorithm>
#include <charconv>

#include "wire/FrameCodec.h"

namespace vboard {

namespace wire = ::kbr::wire;

namespace {

struct TKindName {
    const char* name;
    TFaultQueue::Kind kind;
    bool hasValue;
};
constexpr TKindName kKinds[] = {
    {"drop", TFaultQueue::Kind::Drop, false},
    {"bad-checksum", TFaultQueue::Kind::BadChecksum, false},
    {"bad-start", TFaultQueue::Kind::BadStart, false},
    {"bad-end", TFaultQueue::Kind::BadEnd, false},
    {"wrong-command", TFaultQueue::Kind::WrongCommand, false},
    {"wrong-length", TFaultQueue::Kind::WrongLength, false},
    {"garbage", TFaultQueue::Kind::Garbage, true},
    {"stall", TFaultQueue::Kind::Stall, true},
    {"truncate", TFaultQueue::Kind::Truncate, true},
    {"status", TFaultQueue::Kind::Status, true},
    {"disconnect", TFaultQueue::Kind::Disconnect, false},
};

bool ParseDecimal(const std::string& s, uint32_t& out) {
    if (s.empty())
        return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

} // namespace

std::optional<TFaultQueue::TFault> TFaultQueue::Parse(const std::string& text) {
    size_t colon = text.find(':');
    std::string name = text.substr(0, colon);
    for (const auto& k : kKinds) {
        if (name != k.name)
            continue;
        TFault f{k.kind, 0};
        if (!k.hasValue)
            return colon == std::string::npos ? std::optional(f) : std::nullopt;
        if (colon == std::string::npos || !ParseDecimal(text.substr(colon + 1), f.value))
            return std::nullopt;
        if ((k.kind == Kind::Garbage && f.value > kMaxGarbage) ||
            (k.kind == Kind::Stall && f.value > kMaxStallMs) ||
            (k.kind == Kind::Status && f.value > 255))
            return std::nullopt;
        return f;
    }
    return std::nullopt;
}

std::string TFaultQueue::KindNames() {
    std::string names;
    for (const auto& k : kKinds)
        names += std::string(names.empty() ? "" : ", ") + k.name + (k.hasValue ? ":<n>" : "");
    return names;
}

void TFaultQueue::Arm(TFault fault, uint32_t count) {
    if (count > 0 && fault.kind != Kind::None)
        pending.push_back({fault, count});
}

size_t TFaultQueue::Pending() const {
    size_t n = 0;
    for (const auto& a : pending)
        n += a.left;
    return n;
}

TFaultQueue::TFault TFaultQueue::Take() {
    if (pending.empty())
        return {};
    TFault f = pending.front().fault;
    if (--pending.front().left == 0)
        pending.pop_front();
    return f;
}

TFaultQueue::TOutcome TFaultQueue::Apply(TFault fault, uint8_t command,
                                         const std::vector<uint8_t>& payload) {
    TOutcome out;
    switch (fault.kind) {
    case Kind::Drop:
        return out;
    case Kind::Disconnect:
        out.disconnect = true;
        return out;
    case Kind::WrongCommand:
        wire::AppendFrame(out.bytes, uint8_t(command + 1), payload.data(), payload.size());
        return out;
    case Kind::WrongLength: {
        // A well-formed frame, one byte longer than the command's reply.
        std::vector<uint8_t> longer = payload;
        longer.push_back(0);
        wire::AppendFrame(out.bytes, command, longer.data(), longer.size());
        return out;
    }
    case Kind::Status: {
        std::vector<uint8_t> changed = payload;
        if (!changed.empty())
            changed[0] = uint8_t(fault.value);
        wire::AppendFrame(out.bytes, command, changed.data(), changed.size());
        return out;
    }
    case Kind::Garbage: {
        // Junk that never contains a start byte, so it cannot pass for a header.
        uint32_t x = 0x12345678u;
        for (uint32_t i = 0; i < fault.value; ++i) {
            x = x * 1664525u + 1013904223u;
            uint8_t b = uint8_t(x >> 24);
            out.bytes.push_back(b == wire::kFrameStart ? 0x5A : b);
        }
        break;
    }
    default:
        break;
    }
    wire::AppendFrame(out.bytes, command, payload.data(), payload.size());
    uint8_t* frameStart = out.bytes.data() + (out.bytes.size() - payload.size() - wire::kFrameOverhead);
    size_t frameSize = payload.size() + wire::kFrameOverhead;
    switch (fault.kind) {
    case Kind::BadChecksum:
        frameStart[frameSize - 2] ^= 0xFF;
        break;
    case Kind::BadStart:
        frameStart[0] = 0x00;
        break;
    case Kind::BadEnd:
        frameStart[frameSize - 1] = 0x00;
        break;
    case Kind::Stall:
        out.delayMs = fault.value;
        break;
    case Kind::Truncate:
        out.bytes.resize(std::min<size_t>(out.bytes.size(), fault.value));
        break;
    default:
        break;
    }
    return out;
}

} // namespace vboard
