#include "tests/support/VcdTrace.h"

#include <sstream>

namespace {

// The tokens of one $keyword section, up to its $end; false when it never ends.
bool Section(std::istringstream& in, std::vector<std::string>& tokens) {
    tokens.clear();
    std::string token;
    while (in >> token) {
        if (token == "$end")
            return true;
        tokens.push_back(token);
    }
    return false;
}

std::string Joined(const std::vector<std::string>& tokens) {
    std::string text;
    for (const std::string& t : tokens)
        text += (text.empty() ? "" : " ") + t;
    return text;
}

} // namespace

std::map<std::string, char> VcdTrace::LevelsAt(uint64_t time) const {
    std::map<std::string, char> levels;
    for (const std::string& wire : wires)
        levels[wire] = 'x';
    for (const Change& c : changes)
        if (c.time <= time)
            levels[c.wire] = c.level;
    return levels;
}

VcdTrace ParseVcd(const std::string& text) {
    VcdTrace trace;
    std::istringstream in(text);
    std::string token;
    std::vector<std::string> tokens;
    bool definitions = true, timed = false;
    while (in >> token) {
        if (definitions) {
            if (token[0] != '$')
                return trace.error = "\"" + token + "\" outside a section", trace;
            if (!Section(in, tokens))
                return trace.error = token + " has no $end", trace;
            if (token == "$timescale") {
                trace.timescale = Joined(tokens);
            } else if (token == "$scope") {
                if (tokens.size() != 2)
                    return trace.error = "$scope takes a type and a name", trace;
                trace.scopes.push_back(tokens[1]);
            } else if (token == "$var") {
                if (tokens.size() != 4 || tokens[1] != "1")
                    return trace.error = "$var is not one one-bit wire: " + Joined(tokens), trace;
                if (!trace.codes.emplace(tokens[2], tokens[3]).second)
                    return trace.error = "code " + tokens[2] + " used twice", trace;
                trace.wires.push_back(tokens[3]);
            } else if (token == "$enddefinitions") {
                definitions = false;
            }
            continue;
        }
        if (token == "$dumpvars" || token == "$end")
            continue;
        if (token[0] == '#') {
            const uint64_t time = std::stoull(token.substr(1));
            if (timed && time < trace.lastTime)
                return trace.error = "time goes back at " + token, trace;
            trace.lastTime = time;
            timed = true;
            continue;
        }
        const std::string code = token.substr(1);
        if (std::string("01xz").find(token[0]) == std::string::npos || !trace.codes.count(code))
            return trace.error = "not a value change: " + token, trace;
        if (!timed)
            return trace.error = "a value change before any time stamp", trace;
        trace.changes.push_back({trace.lastTime, trace.codes[code], token[0]});
    }
    if (definitions)
        trace.error = "no $enddefinitions";
    return trace;
}
