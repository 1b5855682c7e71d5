#pragma once
#include <string>

#include "core/jobs/SelfTestReport.h"

// The self test as one self-contained HTML page for people: the verdict and
// the run's facts, the board as the panel draws it with each device framed
// green (passed), red (failed) or grey (skipped or not run), and a table of
// checks per area. It loads nothing: the picture is a data: URI, the style
// is inline.
std::string HtmlReportText(const TSelfTestReport& report);
