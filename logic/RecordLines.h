#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What the record readers (Intel HEX, S-records) share: the lines of the
// text, the digits of a record, and how they tell what is wrong.

// What is wrong with a record file, and on which line (counted from 1).
struct TRecordError {
    size_t line = 0;
    std::string what;
};

// Data bytes in each record the writers emit.
inline constexpr size_t kRecordDataBytes = 16;

// The lines of a record file, numbered as an editor numbers them. A line
// ends at LF; a CR before it and blanks after the record are dropped, and
// blank lines are skipped.
class TRecordLines {
  public:
    explicit TRecordLines(std::string_view text) : rest(text) {}
    // The next non-blank line; false at the end of the text.
    bool Next(std::string_view& line);
    // The number of the line Next returned last: at the end, the last record's.
    size_t Number() const { return number; }

  private:
    std::string_view rest;
    size_t counted = 0; // lines so far, blank ones too
    size_t number = 0;
};

// The bytes of a record's digits (either case), the first of which stands in
// column `column` of its line (counted from 1). False, with what is wrong in
// `what`, on anything else or an odd count.
bool DecodeRecordDigits(std::string_view digits, std::vector<uint8_t>& bytes, std::string& what,
                        size_t column);

// Appends two upper-case digits.
void AppendHexByte(std::string& text, uint8_t byte);
// The sum of the bytes, modulo 256.
uint8_t ByteSum(const uint8_t* data, size_t count);
// Appends the bytes as digits; returns their sum, of which the checksums are made.
uint8_t AppendHexBytes(std::string& text, const uint8_t* data, size_t count);

// Takes one record: the line and the bytes of the digits after its mark and
// type. Returns what is wrong with it, or nothing; sets `ended` at the end record.
using TRecordTaker = std::function<std::string(std::string_view line,
                                               const std::vector<uint8_t>& bytes, bool& ended)>;

// The reading both record formats share: each non-blank line starts with
// `mark` (either case) and holds hex digits after its first `digitsFrom`
// characters; nothing follows the end record, and without one the file is
// refused as cut short. False at the first fault, with its line in `error`.
// `end` names the end record, as "end-of-file record (:00000001FF)".
bool ReadRecordLines(std::string_view text, char mark, size_t digitsFrom, std::string_view end,
                     const TRecordTaker& take, TRecordError& error);
