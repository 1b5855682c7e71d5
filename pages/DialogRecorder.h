#pragma once
#include <deque>
#include <string>
#include <vector>

#include "pages/Dialogs.h"

// Dialogs for tests: remembers every box and answers file dialogs from a queue
// (an empty queue cancels).
class TDialogRecorder : public TDialogs {
  public:
    struct Box {
        platform::MessageKind kind;
        std::string text;
        std::string caption;
    };

    void MessageBox(platform::MessageKind kind, const std::string& text,
                    const std::string& caption) override {
        Boxes.push_back({kind, text, caption});
    }
    bool OpenFileName(const std::string& title, const std::string& filter,
                      std::string& path) override;
    bool SaveFileName(const std::string& title, const std::string& filter,
                      const std::string& defaultExtension, std::string& path) override;

    std::vector<Box> Boxes;
    std::deque<std::string> FileAnswers;

  private:
    bool Answer(std::string& path);
};
