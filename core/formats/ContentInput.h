#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Why a memory content file cannot be read: the text names the file and, in
// a record file, the line. A front end shows it as bad usage.
class TContentFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A content file opened for reading, handed out piece by piece so that a
// decoder holds one piece, however large the file. "-" is standard input;
// it, a pipe, a FIFO (whose writer is waited for, as `cat` does) or
// /dev/stdin is read to its end. Every failure throws TContentFileError.
class TContentInput {
  public:
    explicit TContentInput(const std::string& path);
    ~TContentInput();
    TContentInput(const TContentInput&) = delete;
    TContentInput& operator=(const TContentInput&) = delete;

    const std::string& Path() const { return path; }
    // A regular file's size; UINT64_MAX for a stream, whose size is unknown.
    uint64_t Size() const { return size; }
    // The first piece of the input, empty for an empty one: read once, and
    // handed out again by Read, so a format can be told by its first bytes.
    std::string_view Start();
    // The next piece into `buffer`; 0 at the end.
    size_t Read(char* buffer, size_t count);
    // From now on more than `characters` read in all is refused: a text
    // bigger than any text of the `room` bytes could be.
    void LimitText(uint64_t characters, uint64_t room);
    // Refuses the file as holding more than `room` bytes: `bytes` of them, or
    // an unknown number (UINT64_MAX) from a stream read one byte past it.
    [[noreturn]] void TooLarge(uint64_t room, uint64_t bytes = UINT64_MAX) const;

  private:
    size_t ReadFile(char* buffer, size_t count);
    std::string path;
    int fd = -1;
    bool own = false; // closed at the end unless it is standard input
    uint64_t size = UINT64_MAX;
    std::string start;
    bool started = false;
    size_t startGiven = 0; // bytes of the start Read has handed out
    uint64_t total = 0, limit = UINT64_MAX, room = 0;
};
