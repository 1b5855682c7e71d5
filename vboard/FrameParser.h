#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vboard {

// One request frame found in the stream. `payload` points into the parser's
// buffer and stays valid until the next call of Feed or Next.
struct TFrameView {
    uint8_t command = 0;
    const uint8_t* payload = nullptr;
    size_t length = 0;
};

// Cuts request frames out of a byte stream. The buffer has a fixed capacity
// (one largest frame and then some), so a hostile length field can never make
// it allocate: a length over the frame limit is rejected as soon as the header
// is complete. After a bad frame it drops the start byte and resynchronises at
// the next 0xAA, so a good frame hidden behind junk is still found.
class TFrameParser {
  public:
    static constexpr size_t kCapacity = 64 * 1024;

    TFrameParser();

    // Takes up to `count` bytes (as many as there is room for); returns how many.
    size_t Feed(const uint8_t* data, size_t count);
    // Room left for Feed.
    size_t Space() const { return kCapacity - (end - head); }
    size_t Buffered() const { return end - head; }

    // Finds the next complete good frame; false when more bytes are needed.
    bool Next(TFrameView& frame);

    void Clear();

    // Bad frames seen so far (start, checksum, end byte or oversize length).
    uint64_t BadFrames() const { return badFrames; }

  private:
    void DropToNextStart(size_t from);
    void Compact();

    std::vector<uint8_t> buf;
    size_t head = 0;
    size_t end = 0;
    uint64_t badFrames = 0;
};

} // namespace vboard
