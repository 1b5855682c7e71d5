#include "pages/Dialogs.h"

#include <utility>

#include "pages/QtDialogs.h"

namespace {
std::unique_ptr<TDialogs>& Current() {
    static std::unique_ptr<TDialogs> current = std::make_unique<TQtDialogs>();
    return current;
}
} // namespace

TDialogs& Dialogs() {
    return *Current();
}

std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs) {
    if (!dialogs)
        dialogs = std::make_unique<TQtDialogs>();
    std::swap(Current(), dialogs);
    return dialogs;
}

std::string DefaultMessageCaption(platform::MessageKind kind) {
    switch (kind) {
    case platform::MessageKind::Information:
        return "Information";
    case platform::MessageKind::Warning:
        return "Warning";
    case platform::MessageKind::Error:
        break;
    }
    return "Error";
}
