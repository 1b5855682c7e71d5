#pragma once
#include <cstddef>
#include <cstdint>
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

// The bytes of a record's digits (either case), which follow its start mark.
// False, with what is wrong in `what`, on anything else or an odd count.
bool DecodeRecordDigits(std::string_view digits, std::vector<uint8_t>& bytes, std::string& what);

// Appends two upper-case digits.
void AppendHexByte(std::string& text, uint8_t byte);
