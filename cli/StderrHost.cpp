#include "cli/StderrHost.h"

#include "cli/JsonOutput.h"

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
