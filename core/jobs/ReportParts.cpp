#include "core/jobs/ReportParts.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace kbr::report {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// Whether XML 1.0 allows the decoded character `c`; the control characters
// it only discourages (DEL and C1) are left out too, as no reader shows them
// sensibly.
bool Allowed(uint32_t c) {
    if (c < 0x20)
        return c == '\t' || c == '\n' || c == '\r';
    return (c < 0x7F || c > 0x9F) && c != 0xFFFE && c != 0xFFFF;
}

// The length of the UTF-8 sequence at `at` and its character; 0 when the
// bytes there are not a well-formed sequence (truncated, overlong, a
// surrogate or past U+10FFFF).
size_t Decode(std::string_view s, size_t at, uint32_t& c) {
    const auto lead = static_cast<unsigned char>(s[at]);
    size_t length;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        c = lead & 0x1F, length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
        c = lead & 0x0F, length = 3;
    } else if ((lead & 0xF8) == 0xF0) {
        c = lead & 0x07, length = 4;
    } else {
        return 0;
    }
    if (at + length > s.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[at + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kShortest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

// The entity for `ch` in HTML text or an attribute value, or null where it
// stands for itself; line ends and tabs are kept as they are in text only.
const char* Entity(char ch, bool attribute) {
    static constexpr std::pair<char, const char*> kEntities[] = {
        {'&', "&amp;"},  {'<', "&lt;"},   {'>', "&gt;"},   {'"', "&quot;"},
        {'\'', "&#39;"}, {'\r', "&#13;"}, {'\n', "&#10;"}, {'\t', "&#9;"}};
    if (!attribute && (ch == '\n' || ch == '\t'))
        return nullptr;
    for (const auto& [from, entity] : kEntities)
        if (ch == from)
            return entity;
    return nullptr;
}

std::string Escaped(std::string_view text, bool attribute) {
    std::string out;
    for (char ch : ValidText(text)) {
        if (const char* entity = Entity(ch, attribute))
            out += entity;
        else
            out += ch;
    }
    return out;
}

} // namespace

TCounts Count(const std::vector<const TCheckResult*>& checks) {
    TCounts counts;
    for (const TCheckResult* check : checks) {
        switch (check->result) {
        case TCheckResult::Result::Passed:
            ++counts.passed;
            break;
        case TCheckResult::Result::Failed:
            ++counts.failed;
            break;
        case TCheckResult::Result::Skipped:
            ++counts.skipped;
            break;
        }
    }
    return counts;
}

TCounts Count(const TSelfTestReport& report) {
    std::vector<const TCheckResult*> all;
    for (const TCheckResult& check : report.checks)
        all.push_back(&check);
    return Count(all);
}

std::vector<TArea> ByArea(const TSelfTestReport& report) {
    std::vector<TArea> areas;
    for (const TCheckResult& check : report.checks) {
        auto area = std::find_if(areas.begin(), areas.end(),
                                 [&](const TArea& a) { return a.first == check.area; });
        if (area == areas.end())
            area = areas.insert(areas.end(), {check.area, {}});
        area->second.push_back(&check);
    }
    return areas;
}

const char* Verdict(const TSelfTestReport& report) {
    if (!report.completed)
        return "incomplete";
    return Count(report).failed > 0 ? "failed" : "passed";
}

std::string ValidText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        uint32_t c = 0;
        const size_t length = Decode(text, at, c);
        if (length == 0) {
            out += kReplacement; // one per byte that starts no character
            ++at;
            continue;
        }
        if (Allowed(c))
            out += text.substr(at, length);
        else
            out += kReplacement;
        at += length;
    }
    return out;
}

std::string MarkupText(std::string_view text) {
    return Escaped(text, false);
}

std::string MarkupAttribute(std::string_view text) {
    return Escaped(text, true);
}

std::string Seconds(uint32_t ms) {
    std::string fraction = std::to_string(ms % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return std::to_string(ms / 1000) + "." + fraction;
}

std::string RangeText(const TPatternRange& range) {
    char text[64];
    const uint32_t last = range.address + (range.bytes ? range.bytes - 1 : 0);
    std::snprintf(text, sizeof text, " 0x%06X-0x%06X", range.address, last);
    return range.memory + text;
}

std::string NotRestoredDetail(const std::vector<TPatternRange>& ranges) {
    std::string text;
    for (const TPatternRange& range : ranges)
        text += (text.empty() ? "" : ", ") + RangeText(range);
    return "no: " + text + " may still hold test patterns";
}

std::vector<std::string> UnrestoredLines(const std::vector<TPatternRange>& ranges) {
    std::vector<std::string> lines;
    for (const TPatternRange& range : ranges)
        lines.push_back(RangeText(range) + " holds test patterns: not restored (" +
                        std::to_string(range.bytes) + (range.bytes == 1 ? " byte)" : " bytes)"));
    return lines;
}

std::string DetailLines(const TCheckResult::TDetails& details, std::string_view indent) {
    std::string out;
    for (const auto& [name, value] : details)
        out.append(indent).append(name).append(": ").append(value).append("\n");
    return out;
}

} // namespace kbr::report
