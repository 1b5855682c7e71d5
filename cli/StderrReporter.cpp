#include "cli/StderrReporter.h"

#include <iostream>

void TStderrReporter::Info(const std::string& text, Tone tone) {
    if (!text.empty() && tone != Tone::Failure)
        out << text << std::endl;
}

void TStderrReporter::Box(platform::MessageKind, const std::string& text, const std::string&) {
    out.flush();
    err << "kbr370: " << text << "\n";
}

TReporter& CliReport() {
    static TStderrReporter report(std::cout, std::cerr);
    return report;
}
