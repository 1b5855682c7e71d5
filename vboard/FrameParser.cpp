#include "vboard/FrameParser.h"

#include <algorithm>
#include <cstring>

#include "vboard/Wire.h"

namespace vboard {

using namespace wire;

TFrameParser::TFrameParser() : buf(kCapacity) {}

void TFrameParser::Compact() {
    if (head == 0)
        return;
    std::memmove(buf.data(), buf.data() + head, end - head);
    end -= head;
    head = 0;
}

size_t TFrameParser::Feed(const uint8_t* data, size_t count) {
    if (kCapacity - end < count)
        Compact();
    size_t take = std::min(count, kCapacity - end);
    std::memcpy(buf.data() + end, data, take);
    end += take;
    return take;
}

void TFrameParser::DropToNextStart(size_t from) {
    const uint8_t* p = buf.data();
    auto found = static_cast<const uint8_t*>(std::memchr(p + from, kStart, end - from));
    head = found ? size_t(found - p) : end;
    if (head == end)
        head = end = 0;
}

bool TFrameParser::Next(TFrameView& frame) {
    for (;;) {
        if (head == end) {
            head = end = 0;
            return false;
        }
        if (buf[head] != kStart) {
            ++badFrames;
            DropToNextStart(head);
            continue;
        }
        if (end - head < kHeaderSize)
            return false;
        const uint8_t* f = buf.data() + head;
        uint32_t length = GetU32(f + 2);
        if (length > kMaxPayload) {
            ++badFrames;
            DropToNextStart(head + 1);
            continue;
        }
        size_t total = length + kOverhead;
        if (end - head < total) {
            // Make sure the whole frame will fit behind the head.
            if (kCapacity - head < total)
                Compact();
            return false;
        }
        if (f[total - 1] != kEnd || f[total - 2] != Checksum(f + 1, length + 5)) {
            ++badFrames;
            DropToNextStart(head + 1);
            continue;
        }
        frame.command = f[1];
        frame.payload = f + kHeaderSize;
        frame.length = length;
        head += total;
        return true;
    }
}

void TFrameParser::Clear() {
    head = end = 0;
}

} // namespace vboard
