#include "core/jobs/MarchTest.h"

void TFaultList::Add(const TMemoryFault& fault) {
    // A bad bit is read wrong by several steps of a check; it is one fault.
    for (const TMemoryFault& f : faults)
        if (f.address == fault.address && f.bit == fault.bit && f.line == fault.line)
            return;
    if (faults.size() < limit)
        faults.push_back(fault);
    ++total;
}

void TFaultList::CompareByte(uint32_t address, uint8_t expected, uint8_t read) {
    const uint8_t wrong = expected ^ read;
    for (int bit = 0; wrong != 0 && bit < 8; ++bit)
        if (wrong & (1u << bit))
            Add({.address = address, .bit = bit, .expected = expected, .read = read});
}

void TFaultList::Compare(uint32_t address, const uint8_t* expected, const uint8_t* read,
                         size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (expected[i] != read[i])
            CompareByte(address + uint32_t(i), expected[i], read[i]);
}

void TFaultList::CompareFill(uint32_t address, uint8_t expected, const uint8_t* read,
                             size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (read[i] != expected)
            CompareByte(address + uint32_t(i), expected, read[i]);
}

std::vector<std::vector<uint8_t>> WalkingPatterns(uint32_t wordBytes) {
    std::vector<std::vector<uint8_t>> patterns;
    for (uint8_t background : {0x00, 0xFF})
        for (uint32_t line = 0; line < wordBytes * 8; ++line) {
            std::vector<uint8_t> word(wordBytes, background);
            word[line / 8] ^= uint8_t(1u << (line % 8));
            patterns.push_back(word);
        }
    return patterns;
}

int AddressLines(uint32_t size) {
    int lines = 0;
    while (lines < 32 && (uint64_t{1} << lines) < size)
        ++lines;
    return lines;
}

uint64_t MarchTraffic(uint32_t window) {
    uint64_t passes = 0;
    for (const TMarchElement& e : kMarchCMinus)
        passes += (e.read >= 0) + (e.write >= 0);
    return passes * window;
}

uint32_t SectorStart(uint32_t flashSize, uint32_t steps, uint32_t index) {
    return uint32_t(uint64_t{flashSize} * index / steps);
}

uint32_t SectorOf(uint32_t flashSize, uint32_t steps, uint32_t address) {
    // The board rounds each sector's start down; the guess is off by one at most.
    uint32_t index = uint32_t(uint64_t{address} * steps / flashSize);
    while (index + 1 < steps && SectorStart(flashSize, steps, index + 1) <= address)
        ++index;
    while (index > 0 && SectorStart(flashSize, steps, index) > address)
        --index;
    return index;
}
