#include "core/formats/ReportFormat.h"

#include "core/jobs/HtmlReport.h"
#include "core/jobs/JsonReport.h"
#include "core/jobs/JunitReport.h"

const std::vector<TReportFormatRow>& ReportFormats() {
    static const std::vector<TReportFormatRow> formats = {
        {"junit", "--junit", "write a JUnit XML report to FILE", &JunitReportText},
        {"json", "--json", "write a JSON report to FILE", &JsonReportText},
        {"html", "--html", "write an HTML report to FILE", &HtmlReportText},
    };
    return formats;
}
