#pragma once
#include <memory>
#include <string>

#include "platform/Hooks.h"

// Message boxes and file dialogs, through one small interface so that tests
// can answer and record them. Every box has one OK button.
class TDialogs {
  public:
    virtual ~TDialogs() = default;
    virtual void MessageBox(platform::MessageKind kind, const std::string& text,
                            const std::string& caption) = 0;
    // Both return false when the user cancels; `path` is then left as it was.
    virtual bool OpenFileName(const std::string& title, const std::string& filter,
                              std::string& path) = 0;
    virtual bool SaveFileName(const std::string& title, const std::string& filter,
                              const std::string& defaultExtension, std::string& path) = 0;
};

// The dialogs in use; the Qt ones unless another set was installed.
TDialogs& Dialogs();
// Installs `dialogs` (null puts the Qt ones back) and returns the previous set.
std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs);

// The caption a box gets when its caller names none.
std::string DefaultMessageCaption(platform::MessageKind kind);

// The folder the user started the program from. Opening the board's link
// changes the current directory, so the file dialogs open in this folder and
// a relative name they give is taken from it.
void SetUserDirectory(const std::string& dir);
const std::string& UserDirectory();
// `name` made absolute against the user's folder (against the current
// directory when none was set).
std::string UserPath(const std::string& name);
