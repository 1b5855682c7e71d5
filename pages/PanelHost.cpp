#include "pages/PanelHost.h"

#include <QApplication>

#include "pages/Dialogs.h"
#include "skin/Colours.h"

uint32_t TPanelHost::Colour(Tone tone) {
    // In the order of the tones.
    constexpr uint32_t kColours[] = {colours::Green, colours::Yellow, colours::Red};
    return kColours[static_cast<int>(tone)];
}

// Without a window there is no info line.
void TPanelHost::Info(const std::string&, Tone) {}

void TPanelHost::Box(platform::MessageKind kind, const std::string& text,
                     const std::string& caption) {
    Dialogs().MessageBox(kind, text, caption);
}

void TPanelHost::Beep() {
    QApplication::beep();
}
