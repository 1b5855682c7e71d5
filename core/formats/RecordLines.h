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

// Hands on the next piece of a text: fills at most `size` bytes of `buffer`
// and returns how many, 0 at the end. It throws when the text cannot be read.
using TTextSource = std::function<size_t(char* buffer, size_t size)>;

// No record line is longer than this (a record holds at most 255 data bytes);
// a longer one is refused rather than held, so no file is read without bound.
inline constexpr size_t kMaxRecordLine = 64 * 1024;

// The lines of a record file, numbered as an editor numbers them. A line
// ends at LF; a CR before it and blanks after the record are dropped, and
// blank lines are skipped. The text is a whole string or comes from a
// source piece by piece, so that only one piece and one line are held.
class TRecordLines {
  public:
    explicit TRecordLines(std::string_view text) : window(text) {}
    explicit TRecordLines(TTextSource source) : source(std::move(source)) {}
    // The next non-blank line; false at the end of the text, or at a line
    // longer than kMaxRecordLine (then TooLong()).
    bool Next(std::string_view& line);
    // The number of the line Next returned last, or of the line too long. At
    // the end, the last record's, or without any the text's last line.
    size_t Number() const { return number; }
    bool TooLong() const { return tooLong; }
    // Whether the text's last line has no line end: it may have been cut.
    bool LastLineOpen() const { return lastLineOpen; }

  private:
    // The next line, blank or not, without its LF.
    bool NextRaw(std::string_view& line);
    // Keeps the unread rest and appends the next piece; false at the end.
    bool Refill();
    TTextSource source;
    std::string buffer;      // a source's pieces; the window lies in it
    std::string_view window; // what is not yet read
    bool drained = false;    // the source has given everything
    bool tooLong = false;
    bool lastLineOpen = false;
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

// Tells, for a text that ends at a line end without an end record, what is
// wrong with that ("" when nothing is).
using TEndlessCheck = std::function<std::string()>;

// The reading both record formats share: each non-blank line starts with
// `mark` (either case) and holds hex digits after its first `digitsFrom`
// characters; nothing follows the end record. Without one the file is
// refused as cut short, unless `endless` is given and the last line has its
// line end: `endless` then decides. False at the first fault, with its line
// in `error`. `end` names the end record, as "end-of-file record (:00000001FF)".
bool ReadRecordLines(TRecordLines& lines, char mark, size_t digitsFrom, std::string_view end,
                     const TRecordTaker& take, TRecordError& error,
                     const TEndlessCheck& endless = nullptr);
