#include "core/devices/LcdText.h"

std::vector<uint8_t> LcdText(const std::string& line0, const std::string& line1) {
    const std::string text = line0 + '\n' + line1 + '\n';
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}
