#pragma once
#include <cstdint>

#include "core/Host.h"

// The panel's side of the reporting seam: boxes through Dialogs(), the beep
// through the application. The main window adds the info line, status and
// progress by installing its own host; tests install a recorder.
class TPanelHost : public THost {
  public:
    void Info(const std::string& text, Tone tone) override;
    void Box(platform::MessageKind kind, const std::string& text,
             const std::string& caption = {}) override;
    void Beep() override;

    // The colour the panel shows a tone in (0x00BBGGRR).
    static uint32_t Colour(Tone tone);
};

// The host the panel's pages and windows use.
THost& Report();
// Installs `host` (null puts the default back) and returns the previous one.
THost* SetReport(THost* host);
