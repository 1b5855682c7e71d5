#pragma once
#include <functional>
#include <string>

// The beep and the modal message box, which lower layers call and the GUI (or a
// test recorder) provides. Without a handler they go to standard error.
namespace platform {

enum class MessageKind { Information, Warning, Error };

using BeepHandler = std::function<void(unsigned type)>;
using MessageBoxHandler =
    std::function<void(MessageKind kind, const std::string& text, const std::string& caption)>;

void MessageBeep(unsigned type);
void ShowMessageBox(MessageKind kind, const std::string& text, const std::string& caption = {});

// Each returns the handler it replaces, so a test can put it back.
BeepHandler SetBeepHandler(BeepHandler handler);
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

} // namespace platform
