#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

// One run of bytes of a record file and the address its first byte belongs at.
struct TImageSegment {
    uint64_t address = 0;
    std::vector<uint8_t> bytes;
    uint64_t End() const { return address + bytes.size(); }
};

// The bytes of a record file (Intel HEX, S-records) by address: records that
// follow one another are joined into one segment, gaps stay gaps, and a
// record may not place a byte that another has placed already.
class TRecordImage {
  public:
    TRecordImage() = default;
    // Not copied: it keeps an iterator into its own runs.
    TRecordImage(const TRecordImage&) = delete;
    TRecordImage& operator=(const TRecordImage&) = delete;
    // False, and nothing added, when a byte of the run is placed already;
    // `clash` is then the first such address.
    bool Add(uint64_t address, const uint8_t* data, size_t count, uint64_t* clash = nullptr);
    bool Empty() const { return runs.empty(); }
    // The bytes placed so far.
    uint64_t Bytes() const { return bytes; }
    // The segments in address order; the image is empty afterwards.
    std::vector<TImageSegment> TakeSegments();

  private:
    using TRuns = std::map<uint64_t, std::vector<uint8_t>>;
    TRuns runs;
    TRuns::iterator last = runs.end(); // the run the last bytes were added to
    uint64_t lastBound = 0;            // where the run after it starts
    uint64_t bytes = 0;
};
