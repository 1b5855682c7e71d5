#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/formats/RecordImage.h"
#include "core/formats/RecordLines.h"
#include "core/formats/RecordWriter.h"

// Motorola S-records: lines of "S", a type digit, a byte count, an address
// of 2, 3 or 4 bytes, the data and a checksum, all as hex digits.

// Places the data records (S1, S2, S3) of the text in `image` at their
// addresses. The header (S0) is skipped; a count record (S5, S6) must match
// the data records before it. The text ends with an end record (S7, S8, S9),
// after which only blank lines may follow, or without one (as srec_cat
// writes a file that has no start address) at a line end, where a count
// record, if there is one, must count every data record. False at the first
// bad record, with its line and what is wrong in `error`.
bool ReadSRecords(TRecordLines& lines, TRecordImage& image, TRecordError& error);

// Writes `count` bytes read from `address` on as S-records: the header S0
// with `header` as its text, kRecordDataBytes a data record of the
// narrowest type that holds the last address (S1, S2 or S3), the record count
// (S5, or S6 past 65535 records), and the matching end record (S9, S8 or S7)
// with start address 0.
class TSRecordWriter : public TRecordWriter {
  public:
    TSRecordWriter(uint32_t address, uint32_t count, std::string_view header);
    std::string Add(const uint8_t* data, size_t count) override;
    std::string Finish() override;

  private:
    void Flush(std::string& text);
    std::string header;
    int addressBytes; // 2, 3 or 4
    uint64_t records = 0;
    bool started = false;
};
