#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/formats/ContentFormat.h"
#include "core/formats/ContentInput.h"
#include "core/formats/RecordImage.h"

// Memory content files as `mem write` and `mem verify` read them, in the
// format `format` names, else the one of the file's name (ContentFormat.h).
// The input is opened as TContentInput says. The panel's HEX text is taken
// as `xxd -p` writes it: hex digits of either case, two a byte, and line
// breaks. Every failure throws TContentFileError, whose text names the file
// and, in a record file, the line.

// The file's bytes and where they go, relative to the command's address: a
// binary or HEX text file is one segment at 0, a record file's segments lie
// at its records' addresses, in address order. `room` is the bytes from the
// command's address to the memory's end: a larger binary file is refused
// (a regular one before it is read), and no input is read without bound.
std::vector<TImageSegment> ReadContentFile(const std::string& path,
                                           std::optional<TContentFormat> format, uint64_t room);

// Each format's decoder, as its row in the content formats names it: the
// segments of the input, which holds at least one byte, for `room` bytes.
std::vector<TImageSegment> DecodeBinaryContent(TContentInput& input, uint64_t room);
std::vector<TImageSegment> DecodePanelHexContent(TContentInput& input, uint64_t room);
std::vector<TImageSegment> DecodeIntelHexContent(TContentInput& input, uint64_t room);
std::vector<TImageSegment> DecodeSRecordContent(TContentInput& input, uint64_t room);
