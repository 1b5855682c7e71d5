#include "cli/StderrReporter.h"

#include <iostream>

#include "cli/JsonOutput.h"

void TStderrReporter::Info(const std::string& text, Tone tone) {
    // Standard output holds only the JSON result under --json.
    if (!text.empty() && tone != Tone::Failure && !JsonOutput())
        out << text << std::endl;
}

void TStderrReporter::Box(platform::MessageKind, const std::string& text, const std::string&) {
    if (JsonOutput())
        return KeepForJsonError(text);
    out.flush();
    err << "kbr370: " << text << "\n";
}

TReporter& CliReport() {
    static TStderrReporter report(std::cout, std::cerr);
    return report;
}
