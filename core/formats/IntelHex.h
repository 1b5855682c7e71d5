#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/formats/RecordImage.h"
#include "core/formats/RecordLines.h"
#include "core/formats/RecordWriter.h"

// Intel HEX: lines of ":", a byte count, a 16-bit address, a record type,
// the data and a checksum, all as hex digits.

// Places the data records of the text in `image` at their addresses: data
// (type 00) relative to the last extended segment (02) or linear (04)
// address; under a segment address a record's bytes wrap round within its
// 64 KiB segment. Start addresses (03, 05) are accepted and not used. The text
// ends with the end-of-file record (01); nothing but blank lines may follow
// it. False at the first bad record, with its line and what is wrong in `error`.
bool ReadIntelHex(TRecordLines& lines, TRecordImage& image, TRecordError& error);

// Writes bytes read from `address` on as Intel HEX: kRecordDataBytes a data
// record, none crossing a 64 KiB boundary, an extended linear address record
// (04) where the upper 16 address bits change, the end-of-file record last.
class TIntelHexWriter : public TRecordWriter {
  public:
    explicit TIntelHexWriter(uint32_t address) : TRecordWriter(address) {}
    std::string Add(const uint8_t* data, size_t count) override;
    std::string Finish() override;

  private:
    // Appends the pending bytes as one data record.
    void Flush(std::string& text);
    uint32_t upper = 0; // the upper 16 address bits in force
};
