#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A Value Change Dump read back the way a waveform viewer reads it, for the
// tests of what writes one: whitespace-separated tokens, the header's
// $keyword ... $end sections, then time stamps and one-bit value changes.
struct VcdTrace {
    struct Change {
        uint64_t time;
        std::string wire; // the wire's name
        char level;       // '0', '1', 'x' or 'z'
    };

    std::string error; // why the text is not a trace; empty when it is
    std::string timescale;
    std::vector<std::string> scopes;
    std::vector<std::string> wires;           // in the order of their $var
    std::map<std::string, std::string> codes; // code -> wire name
    std::vector<Change> changes;              // the $dumpvars levels first
    uint64_t lastTime = 0;                    // the last time stamp

    // Each wire's level at `time`: the last change at or before it ('x' before any).
    std::map<std::string, char> LevelsAt(uint64_t time) const;
};

VcdTrace ParseVcd(const std::string& text);
