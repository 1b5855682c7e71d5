#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/formats/ContentFormat.h"
#include "core/formats/RecordImage.h"

// Memory content files for `mem write` and `mem verify`, in the format
// `format` names, else the one of the file's name (core/formats/ContentFormat.h).
// "-" is standard input; it, a pipe, a FIFO or /dev/stdin is read to its
// end. The panel's HEX text is taken as `xxd -p` writes it: hex digits of
// either case, two a byte, and line breaks. Every error is a usage error
// that names the file and, in a record file, the line.

// The file's bytes and where they go, relative to the command's address: a
// binary or HEX text file is one segment at 0, a record file's segments lie
// at its records' addresses, in address order. `room` is the bytes from the
// command's address to the memory's end: a larger binary file is refused
// (a regular one before it is read), and no input is read without bound.
std::vector<TImageSegment> ReadContentFile(const std::string& path,
                                           std::optional<TContentFormat> format, uint64_t room);
