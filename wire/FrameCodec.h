#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "wire/WireFacts.h"

// The frame layout in code, for both ends of the link: AA, command, u32 length
// (little-endian), payload, 8-bit sum of command+length+payload, 55. Nothing
// else builds or checks frame bytes.
namespace kbr::wire {

inline void PutU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

inline uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint8_t Checksum(const uint8_t* bytes, size_t count) {
    uint8_t sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    return sum;
}

// Writes one whole frame (length + kFrameOverhead bytes) to `out`.
inline void EncodeFrame(uint8_t* out, uint8_t command, const uint8_t* payload, size_t length) {
    out[0] = kFrameStart;
    out[1] = command;
    PutU32(out + 2, static_cast<uint32_t>(length));
    for (size_t i = 0; i < length; ++i)
        out[kHeaderSize + i] = payload[i];
    out[kHeaderSize + length] = Checksum(out + 1, length + kHeaderSize - 1);
    out[kHeaderSize + length + 1] = kFrameEnd;
}

inline void AppendFrame(std::vector<uint8_t>& out, uint8_t command, const uint8_t* payload,
                        size_t length) {
    const size_t at = out.size();
    out.resize(at + length + kFrameOverhead);
    EncodeFrame(out.data() + at, command, payload, length);
}

inline std::vector<uint8_t> MakeFrame(uint8_t command, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out;
    AppendFrame(out, command, payload.data(), payload.size());
    return out;
}

inline uint8_t FrameCommand(const uint8_t* header) {
    return header[1];
}
inline uint32_t FramePayloadLength(const uint8_t* header) {
    return GetU32(header + 2);
}

// A received header (kHeaderSize bytes) that may begin a frame: the start byte
// and a length no frame can exceed.
inline bool HeaderOk(const uint8_t* header) {
    return header[0] == kFrameStart && FramePayloadLength(header) <= kMaxPayload;
}

// The rest of a frame whose header passed: checksum and end byte. `frame`
// starts at the start byte and holds length + kFrameOverhead bytes.
inline bool TailOk(const uint8_t* frame, size_t length) {
    return frame[kHeaderSize + length] == Checksum(frame + 1, length + kHeaderSize - 1) &&
           frame[kHeaderSize + length + 1] == kFrameEnd;
}

} // namespace kbr::wire
