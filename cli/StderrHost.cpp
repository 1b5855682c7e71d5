#include "cli/StderrHost.h"

#include <iostream>

#include "cli/JsonOutput.h"
#include "cli/StopSignals.h"
#include "cli/YesNoQuestion.h"

void TStderrHost::Info(const std::string& text, Tone tone) {
    // Standard output holds only the JSON result under --json.
    if (!text.empty() && tone != Tone::Failure && !JsonOutput())
        out << text << std::endl;
}

void TStderrHost::Box(platform::MessageKind, const std::string& text, const std::string&) {
    if (JsonOutput())
        return KeepForJsonError(text);
    out.flush();
    err << "kbr370: " << text << "\n";
}

bool TStderrHost::StopRequested() {
    return TStopSignals::Caught() != 0;
}

bool TStderrHost::Ask(const std::string& question) {
    out.flush();
    return AskYesNo(question, std::cin, err);
}

void TStderrHost::Tell(const std::string& instruction) {
    out.flush();
    err << instruction << " now\n" << std::flush;
}

THost& CliReport() {
    static TStderrHost report(std::cout, std::cerr);
    return report;
}
