#include "vboard/FrameParser.h"

#include <algorithm>
#include <cstring>

#include "wire/FrameCodec.h"

namespace vboard {

namespace wire = ::kbr::wire;


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
    auto found = static_cast<const uint8_t*>(std::memchr(p + from, wire::kFrameStart, end - from));
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
        if (buf[head] != wire::kFrameStart) {
            ++badFrames;
            DropToNextStart(head);
            continue;
        }
        if (end - head < wire::kHeaderSize)
            return false;
        const uint8_t* f = buf.data() + head;
        if (!wire::HeaderOk(f)) {
            ++badFrames;
            DropToNextStart(head + 1);
            continue;
        }
        const uint32_t length = wire::FramePayloadLength(f);
        const size_t total = length + wire::kFrameOverhead;
        if (end - head < total) {
            // Make sure the whole frame will fit behind the head.
            if (kCapacity - head < total)
                Compact();
            return false;
        }
        if (!wire::TailOk(f, length)) {
            ++badFrames;
            DropToNextStart(head + 1);
            continue;
        }
        frame.command = wire::FrameCommand(f);
        frame.payload = f + wire::kHeaderSize;
        frame.length = length;
        head += total;
        return true;
    }
}

void TFrameParser::Clear() {
    head = end = 0;
}

} // namespace vboard
