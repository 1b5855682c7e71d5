// Constructs one TDownload in the directory this program was copied to and
// prints what the user would see and what it offers.
#include <cstdio>

#include "config/Download.h"
#include "platform/Hooks.h"

int main() {
    platform::SetMessageBoxHandler(
        [](platform::MessageKind kind, const std::string& text, const std::string&) {
            std::printf("box %s: %s\n", kind == platform::MessageKind::Error ? "error" : "other",
                        text.c_str());
        });
    TDownload download;
    bool loaded = download.IsLoaded();
    double version = download.GetQuatusVersion();
    bool configured = download.JtagDownload("/nonexistent/KBR_370_ControlPanel.sof");
    std::printf("loaded=%d version=%g download=%d\n", loaded, version, configured);
    return 0;
}
