#include "core/formats/VcdWriter.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

constexpr char kFirstCode = '!';
constexpr unsigned kCodeChars = '~' - '!' + 1;

// Names go between blanks in the header: a blank inside one would split it.
std::string SafeName(const std::string& name) {
    std::string safe = name.empty() ? "_" : name;
    for (char& c : safe)
        if (c <= ' ' || c == 0x7F)
            c = '_';
    return safe;
}

} // namespace

TVcdWriter::TVcdWriter(std::ostream& out, std::string scope, std::vector<std::string> names,
                       std::string version)
    : out(out), scope(SafeName(scope)), names(std::move(names)), version(std::move(version)) {
    if (this->names.size() > 64)
        throw std::invalid_argument("a VCD trace holds at most 64 wires");
}

std::string TVcdWriter::WireCode(size_t index) {
    std::string code;
    do {
        code += static_cast<char>(kFirstCode + index % kCodeChars);
        index /= kCodeChars;
    } while (index-- > 0);
    return code;
}

void TVcdWriter::WriteHeader() {
    out << "$version " << version << " $end\n"
        << "$timescale 1 us $end\n"
        << "$scope module " << scope << " $end\n";
    for (size_t i = 0; i < names.size(); ++i)
        out << "$var wire 1 " << WireCode(i) << ' ' << SafeName(names[i]) << " $end\n";
    out << "$upscope $end\n"
        << "$enddefinitions $end\n";
}

void TVcdWriter::WriteTime(uint64_t timeUs) {
    lastTime = std::max(lastTime, timeUs);
    out << '#' << lastTime << '\n';
}

void TVcdWriter::Sample(uint64_t timeUs, uint64_t bits) {
    if (!started) {
        WriteHeader();
        WriteTime(timeUs);
        out << "$dumpvars\n";
        for (size_t i = 0; i < names.size(); ++i)
            out << ((bits >> i) & 1) << WireCode(i) << '\n';
        out << "$end\n";
        started = true;
    } else if (const uint64_t changed = bits ^ lastBits; changed != 0) {
        // Two samples at one time stamp would be one change written twice.
        if (timeUs > lastTime)
            WriteTime(timeUs);
        for (size_t i = 0; i < names.size(); ++i)
            if ((changed >> i) & 1)
                out << ((bits >> i) & 1) << WireCode(i) << '\n';
    }
    lastBits = bits;
    out.flush();
}

void TVcdWriter::Finish(uint64_t timeUs) {
    if (started && timeUs > lastTime)
        WriteTime(timeUs);
    out.flush();
}
