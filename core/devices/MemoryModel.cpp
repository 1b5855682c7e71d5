#include "core/devices/MemoryModel.h"

#include "core/formats/HexCodec.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> text(n > 0 ? n + 1 : 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    return std::string(text.data(), n > 0 ? n : 0);
}

std::string SizeText(const char* name, uint32_t bytes) {
    const unsigned words = bytes >> 1;
    if (bytes < 0x400)
        return FormatText("%s (%Xh WORDS, %d Bytes)", name, words, static_cast<int>(bytes));
    if (bytes < 0x100000)
        return FormatText("%s (%Xh WORDS, %d KB)", name, words, static_cast<int>(bytes >> 10));
    if (bytes < 0x40000000)
        return FormatText("%s (%Xh WORDS, %d MB)", name, words, static_cast<int>(bytes >> 20));
    return FormatText("%s (%Xh WORDS, %d GB)", name, words, static_cast<int>(bytes >> 30));
}

std::string ZeroAddressText(uint32_t wordCount) {
    const std::string last = FormatText("%X", wordCount - 1);
    return std::string(last.size(), '0');
}

std::string WordCountText(uint32_t wordCount) {
    return FormatText("%X", wordCount);
}

THexInput CheckHexInputText(const std::string& text, const std::string& fieldName, int32_t max,
                            int32_t min) {
    THexInput result;
    // The text is read as "0x" + text: empty, prefixed or non-hex texts fail,
    // and only the low 32 bits of a longer number count.
    bool valid = !text.empty();
    uint32_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            valid = false;
            break;
        }
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    const char* t = text.c_str();
    const char* f = fieldName.c_str();
    if (!valid) {
        result.message = FormatText("Value '%s' is invalid for '%s'", t, f);
        return result;
    }
    const auto signedValue = static_cast<int32_t>(value);
    if (signedValue > max) {
        result.message = FormatText(
            "The input value(%s) for the field '%s' is expected to less or equal to %Xh.", t, f,
            static_cast<unsigned>(max));
        return result;
    }
    if (signedValue < min) {
        result.message = FormatText(
            "The intput value(%s) for the field '%s' is expected to larger or equal to %Xh.", t, f,
            static_cast<unsigned>(min));
        return result;
    }
    result.ok = true;
    result.value = signedValue;
    return result;
}

int PercentDone(uint64_t done, uint64_t total) {
    return total == 0 ? 100 : static_cast<int>(done * 100 / total);
}

uint32_t TransferStep(uint32_t total, uint32_t cap) {
    uint32_t step = total / 20;
    if (step == 0)
        step = total;
    if (cap != 0 && step > cap)
        step = cap;
    return step;
}

bool EraseStepCountValid(uint32_t steps) { return steps > 0 && steps <= kMaxEraseSteps; }

uint64_t ContentBytesOfFile(uint64_t fileSize, bool hex) {
    return hex ? (fileSize + 1) / 2 : fileSize;
}
