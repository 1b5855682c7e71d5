#include "pages/ShowInfo.h"

#include <utility>

namespace {
InfoSink& Sink() {
    static InfoSink sink;
    return sink;
}
} // namespace

void ShowInfo(const std::string& text, uint32_t colour) {
    // Copy first: a sink may replace itself while it runs.
    InfoSink sink = Sink();
    if (sink)
        sink(text, colour);
}

void SetInfoSink(InfoSink sink) {
    Sink() = std::move(sink);
}
