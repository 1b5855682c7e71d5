#include "platform/Hooks.h"

#include <cstdio>
#include <utility>

namespace platform {

namespace {
BeepHandler& Beep() {
    static BeepHandler h;
    return h;
}
MessageBoxHandler& Box() {
    static MessageBoxHandler h;
    return h;
}
const char* KindName(MessageKind k) {
    switch (k) {
    case MessageKind::Information: return "information";
    case MessageKind::Warning: return "warning";
    case MessageKind::Error: return "error";
    }
    return "message";
}
} // namespace

void MessageBeep(unsigned type) {
    if (Beep())
        Beep()(type);
}

void ShowMessageBox(MessageKind kind, const std::string& text, const std::string& caption) {
    if (Box()) {
        Box()(kind, text, caption);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", KindName(kind), text.c_str());
}

BeepHandler SetBeepHandler(BeepHandler handler) { return std::exchange(Beep(), std::move(handler)); }

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Box(), std::move(handler));
}

} // namespace platform
