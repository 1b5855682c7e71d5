#include "pages/DialogRecorder.h"

void TDialogRecorder::MessageBox(platform::MessageKind kind, const std::string& text,
                                 const std::string& caption) {
    Boxes.push_back({kind, text, caption});
}

bool TDialogRecorder::OpenFileName(const std::string&, const std::string&, std::string& path) {
    return Answer(path);
}

bool TDialogRecorder::SaveFileName(const std::string&, const std::string&, const std::string&,
                                   std::string& path) {
    return Answer(path);
}

bool TDialogRecorder::Answer(std::string& path) {
    if (FileAnswers.empty())
        return false;
    path = FileAnswers.front();
    FileAnswers.pop_front();
    return true;
}
