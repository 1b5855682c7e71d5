#include "core/devices/HsmcReport.h"

#include <cstdio>

std::string HsmcTransceiverLine(int group) {
    const int b = 31 - 4 * group;
    char line[64];
    std::snprintf(line, sizeof line, "HSMC Pin %d/%d-%d/%d    \r\n", b, b - 2, b + 1, b - 1);
    return line;
}

std::string HsmcPinPairLine(int pair) {
    // Two pairs in every six connector pins; the fifth and sixth are not looped.
    const int p = 41 + 6 * (pair / 2) + 2 * (pair % 2);
    char line[64];
    std::snprintf(line, sizeof line, "HSMC Pin %d-%d    \r\n", p, p + 1);
    return line;
}

std::string HsmcReportText(uint32_t mask8, uint64_t mask40) {
    std::string text = "HSMC Test:NG\r\n";
    if (mask8 != 0) {
        text += "<Transceiver Error:>\r\n";
        for (int i = 0; i < 4; ++i)
            if (mask8 & (1u << i))
                text += HsmcTransceiverLine(i);
    }
    if (mask40 != 0) {
        text += "<Pio Error:>\r\n";
        for (int j = 0; j < 40; ++j)
            if (mask40 & (uint64_t{1} << j))
                text += HsmcPinPairLine(j);
    }
    return text;
}
