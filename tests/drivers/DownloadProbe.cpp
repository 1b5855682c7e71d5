// Constructs one TDownload in the directory this program was copied to and
// prints why it could not load, if it could not, and what it offers.
#include <cstdio>

#include "config/Download.h"

int main() {
    TDownload download;
    if (!download.LoadError().empty())
        std::printf("box error: %s\n", download.LoadError().c_str());
    bool loaded = download.IsLoaded();
    double version = download.GetQuatusVersion();
    bool configured = download.JtagDownload("/nonexistent/KBR_370_ControlPanel.sof");
    std::printf("loaded=%d version=%g download=%d\n", loaded, version, configured);
    return 0;
}
