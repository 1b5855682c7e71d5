#include "pages/ShowInfo.h"

#include <utility>

#include "pages/PanelReporter.h"

namespace {
InfoSink& Sink() {
    static InfoSink sink;
    return sink;
}
} // namespace

bool ShowInfoInSink(const std::string& text, uint32_t colour) {
    // Copy first: a sink may replace itself while it runs.
    InfoSink sink = Sink();
    if (sink)
        sink(text, colour);
    return static_cast<bool>(sink);
}

void ShowInfo(const std::string& text, uint32_t colour) {
    if (!ShowInfoInSink(text, colour))
        Report().Info(text, TPanelReporter::ToneOf(colour));
}

void SetInfoSink(InfoSink sink) {
    Sink() = std::move(sink);
}
