#include "pages/DialogRecorder.h"

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
