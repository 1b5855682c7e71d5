#pragma once
#include <cstdint>
#include <string>

// Opens a memory content file for reading: only a regular file, and at once.
// The open does not wait, so a FIFO is refused instead of waiting for a
// writer that may never come. Returns the descriptor (the caller closes it)
// and the file's size, or -1 with the reason, which names `path`.
int OpenInputFile(const std::string& path, uint64_t& size, std::string& reason);
