#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/jobs/SelfTestReport.h"

// What the self test's JUnit, JSON and HTML writers share: the checks grouped
// by area, their counts, the run's verdict, and texts made safe for markup.
namespace kbr::report {

struct TCounts {
    int passed = 0, failed = 0, skipped = 0;
    int Total() const { return passed + failed + skipped; }
};
TCounts Count(const std::vector<const TCheckResult*>& checks);
TCounts Count(const TSelfTestReport& report);

// The checks of each area, the areas in the order their first check ran.
using TArea = std::pair<std::string, std::vector<const TCheckResult*>>;
std::vector<TArea> ByArea(const TSelfTestReport& report);

// "incomplete" when the run ended early, else "failed" when any check
// failed, else "passed".
const char* Verdict(const TSelfTestReport& report);

// Board texts may hold anything: bytes that are not UTF-8 and characters XML
// 1.0 does not allow (control characters) become U+FFFD.
std::string ValidText(std::string_view text);
// `text` made valid and escaped for XML or HTML element content ...
std::string MarkupText(std::string_view text);
// ... and for an attribute value in double quotes, where line breaks and tabs
// are kept as character references.
std::string MarkupAttribute(std::string_view text);

// Milliseconds as seconds with three decimals ("1.250"), whatever the locale.
std::string Seconds(uint32_t ms);

// "SRAM 0x000000-0x07FFFF": a memory's bytes, first and last address.
std::string RangeText(const TPatternRange& range);
// The "restored" detail of a check that left `ranges` changed:
// "no: SRAM 0x000000-0x07FFFF may still hold test patterns".
std::string NotRestoredDetail(const std::vector<TPatternRange>& ranges);
// What every front end says of each range the run left changed, one line each:
// "SRAM 0x000000-0x07FFFF holds test patterns: not restored (524288 bytes)".
std::vector<std::string> UnrestoredLines(const std::vector<TPatternRange>& ranges);

// Details as "name: value" lines, each ended by a line break.
std::string DetailLines(const TCheckResult::TDetails& details, std::string_view indent = "");

} // namespace kbr::report
