#include "pages/Dialogs.h"

#include <utility>

#include "pages/QtDialogs.h"
#include "platform/System.h"

namespace {
std::unique_ptr<TDialogs>& Current() {
    static std::unique_ptr<TDialogs> current = std::make_unique<TQtDialogs>();
    return current;
}
std::string& UserDir() {
    static std::string dir;
    return dir;
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

void SetUserDirectory(const std::string& dir) {
    UserDir() = dir;
}

const std::string& UserDirectory() {
    return UserDir();
}

std::string UserPath(const std::string& name) {
    const std::string& dir = UserDir();
    if (name.empty() || name.front() == '/' || dir.empty())
        return platform::AbsolutePath(name);
    return dir + (dir.back() == '/' ? "" : "/") + name;
}
