#pragma once
#include <cstddef>
#include <iterator>
#include <string_view>

// The USB host port's device kinds as one word each, indexed by the kind the
// board reports: the command line prints them and the virtual board takes them.
namespace kbr::wire {

inline constexpr const char* kUsbKindWords[] = {"none", "mouse", "storage", "other"};

// The kind a word names; -1 for a word that names none.
constexpr int UsbKindOfWord(std::string_view word) {
    for (size_t i = 0; i < std::size(kUsbKindWords); ++i)
        if (word == kUsbKindWords[i])
            return int(i);
    return -1;
}

} // namespace kbr::wire
