#pragma once
#include <string>
#include <vector>

#include "core/jobs/SelfTestReport.h"

// One row of the self test's report formats: the option that asks for a
// report, its help, and the writer that lays the run out. A front end offers
// every row; a new format is one more row.
struct TReportFormatRow {
    const char* name;   // "junit"
    const char* option; // "--junit", followed by the file
    const char* help;   // "write a JUnit XML report to FILE"
    std::string (*writer)(const TSelfTestReport& report);
};

// Every report format, in the order the options are listed and the reports written.
const std::vector<TReportFormatRow>& ReportFormats();
