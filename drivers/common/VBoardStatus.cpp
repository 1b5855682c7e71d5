#include "drivers/common/VBoardStatus.h"

#include <sstream>

namespace drivers {

std::optional<VBoardStatus> VBoardStatus::Parse(const std::string& reply) {
    std::istringstream words(reply);
    std::string word;
    if (!(words >> word) || word != "ok")
        return std::nullopt;
    std::optional<bool> configured;
    std::optional<bool> linkOpen;
    while (words >> word) {
        if (word == "configured=0")
            configured = false;
        else if (word == "configured=1")
            configured = true;
        else if (word == "link=open")
            linkOpen = true;
        else if (word == "link=closed")
            linkOpen = false;
        else if (word.rfind("configured=", 0) == 0 || word.rfind("link=", 0) == 0)
            return std::nullopt; // a value we do not understand is not a guess
    }
    if (!configured || !linkOpen)
        return std::nullopt;
    return VBoardStatus{*configured, *linkOpen};
}

} // namespace drivers
