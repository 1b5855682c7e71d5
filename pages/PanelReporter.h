#pragma once
#include <cstdint>

#include "core/Reporter.h"

// The panel's side of the reporting seam: boxes through Dialogs(), the beep
// through the application. The main window adds the info line, status and
// progress by installing its own reporter; tests install a recorder.
class TPanelReporter : public TReporter {
  public:
    void Info(const std::string& text, Tone tone) override;
    void Box(platform::MessageKind kind, const std::string& text,
             const std::string& caption = {}) override;
    void Beep() override;

    // The colour the panel shows a tone in (0x00BBGGRR).
    static uint32_t Colour(Tone tone);
};

// The reporter the panel's pages and windows use.
TReporter& Report();
// Installs `reporter` (null puts the default back) and returns the previous one.
TReporter* SetReport(TReporter* reporter);
