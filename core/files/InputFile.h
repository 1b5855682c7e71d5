#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Opens a memory content file for reading: only a regular file, and at once.
// The open does not wait, so a FIFO is refused instead of waiting for a
// writer that may never come. Returns the descriptor (the caller closes it)
// and the file's size, or -1 with the reason, which names `path`.
int OpenInputFile(const std::string& path, uint64_t& size, std::string& reason);

// What the memory page writes from a content file (HEX text when the name
// ends in .hex): `count` bytes at the front of `data`. `length` bytes are
// wanted, or with `fileLength` the file's own length cut at `room`, the bytes
// from the address to the memory's end. When the file will not do, `warning`
// is the text of the warning box, if one is due; `warningSaysAll` tells that
// no failure box follows it.
struct TWriteContent {
    bool ok = false;
    std::vector<uint8_t> data;
    uint32_t count = 0;
    std::string warning;
    bool warningSaysAll = false;
};
TWriteContent LoadWriteContent(const std::string& path, bool fileLength, uint64_t length,
                               uint64_t room);
