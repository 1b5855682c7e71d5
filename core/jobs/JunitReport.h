#pragma once
#include <string>

#include "core/jobs/SelfTestReport.h"

// The self test as JUnit XML, the report CI systems read: a test suite per
// area and a test case per check, with the run's facts as properties of each
// suite. A run that ended early adds a suite "run" whose one case is an
// error, so that no CI system shows an unfinished run as green.
std::string JunitReportText(const TSelfTestReport& report);
