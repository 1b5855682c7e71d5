#pragma once
#include "pages/Dialogs.h"

// The real dialogs: QMessageBox and QFileDialog.
class TQtDialogs : public TDialogs {
  public:
    void MessageBox(platform::MessageKind kind, const std::string& text,
                    const std::string& caption) override;
    bool OpenFileName(const std::string& title, const std::string& filter,
                      std::string& path) override;
    bool SaveFileName(const std::string& title, const std::string& filter,
                      const std::string& defaultExtension, std::string& path) override;
};
