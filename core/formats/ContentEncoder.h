#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Turns the bytes of a memory, as they are read in runs, into the text (or
// bytes) of a content file.
class TContentEncoder {
  public:
    virtual ~TContentEncoder() = default;
    // The file's bytes for the next run of memory bytes.
    virtual std::string Add(const uint8_t* data, size_t count) = 0;
    // What closes the file, after the last run.
    virtual std::string Finish() = 0;
};
