#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Memory content files: binary, or HEX text when the extension is .hex in any
// case: two upper-case hex digits per byte and nothing else. An empty file is
// refused. Errors are usage errors naming the file.

// Checks that the file can be read and, for HEX text, that it holds nothing
// but upper-case hex digits: a bad file is reported as such before any range
// is checked.
void CheckContentFile(const std::string& path);

// Bytes of memory the file stands for, from its size alone.
uint64_t ContentFileByteCount(const std::string& path);

// The memory bytes the file holds (HEX text decoded).
std::vector<uint8_t> ReadContentFile(const std::string& path);
