#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "wire/WireFacts.h"

// Building and reading frames of the layout both directions share (see
// wire/WireFacts.h): AA, command, u32 length, payload, 8-bit sum of
// command+length+payload, 55.
namespace vboard::wire {

inline constexpr uint8_t kStart = ::kbr::wire::kFrameStart;
inline constexpr uint8_t kEnd = ::kbr::wire::kFrameEnd;
inline constexpr size_t kHeaderSize = ::kbr::wire::kHeaderSize;
inline constexpr size_t kOverhead = ::kbr::wire::kFrameOverhead;
inline constexpr uint32_t kMaxPayload = ::kbr::wire::kMaxPayload;

inline uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void PutU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline uint8_t Checksum(const uint8_t* p, size_t n) {
    unsigned sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += p[i];
    return uint8_t(sum);
}

// Appends one complete frame to `out`.
inline void AppendFrame(std::vector<uint8_t>& out, uint8_t command, const uint8_t* payload,
                        size_t length) {
    size_t at = out.size();
    out.resize(at + length + kOverhead);
    uint8_t* f = out.data() + at;
    f[0] = kStart;
    f[1] = command;
    PutU32(f + 2, uint32_t(length));
    for (size_t i = 0; i < length; ++i)
        f[kHeaderSize + i] = payload[i];
    f[kHeaderSize + length] = Checksum(f + 1, length + 5);
    f[kHeaderSize + length + 1] = kEnd;
}

inline std::vector<uint8_t> MakeFrame(uint8_t command, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out;
    AppendFrame(out, command, payload.data(), payload.size());
    return out;
}

} // namespace vboard::wire
