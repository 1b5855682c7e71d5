#include "pages/PanelReporter.h"

#include <QApplication>

#include "pages/Dialogs.h"
#include "skin/Colours.h"

namespace {
TPanelReporter& Default() {
    static TPanelReporter reporter;
    return reporter;
}
TReporter*& Current() {
    static TReporter* current = nullptr;
    return current;
}
} // namespace

uint32_t TPanelReporter::Colour(Tone tone) {
    // In the order of the tones.
    constexpr uint32_t kColours[] = {colours::Green, colours::Yellow, colours::Red};
    return kColours[static_cast<int>(tone)];
}

// Without a window there is no info line.
void TPanelReporter::Info(const std::string&, Tone) {}

void TPanelReporter::Box(platform::MessageKind kind, const std::string& text,
                         const std::string& caption) {
    Dialogs().MessageBox(kind, text, caption);
}

void TPanelReporter::Beep() {
    QApplication::beep();
}

TReporter& Report() {
    TReporter* current = Current();
    return current ? *current : Default();
}

TReporter* SetReport(TReporter* reporter) {
    TReporter* previous = Current();
    Current() = reporter;
    return previous;
}
