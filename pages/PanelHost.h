#pragma once
#include <cstdint>

#include "core/Host.h"

// The panel's side of the reporting seam: boxes through Dialogs(), the beep
// through the application. The main window's host adds the info line, status
// and progress; the page host hands the window's host (or a test's recorder)
// to every page.
class TPanelHost : public THost {
  public:
    void Info(const std::string& text, Tone tone) override;
    void Box(platform::MessageKind kind, const std::string& text,
             const std::string& caption = {}) override;
    void Beep() override;

    // The colour the panel shows a tone in (0x00BBGGRR).
    static uint32_t Colour(Tone tone);
};
