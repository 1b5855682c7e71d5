#pragma once
#include <string>

#include "core/jobs/SelfTestReport.h"

// The self test as one JSON document, laid out as
// docs/selftest-report.schema.json describes: the run's facts, its summary,
// and each check with its details as an object and its faults as an array.
std::string JsonReportText(const TSelfTestReport& report);
