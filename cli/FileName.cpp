#include "cli/FileName.h"

#include <string>

#include <CLI/CLI.hpp>

#include "platform/System.h"

CLI::Option* FileNameOption(CLI::Option* option) {
    // No description: the help says FILE, and a full path is still a FILE.
    return option->transform(CLI::Validator(
        [](std::string& name) {
            if (!name.empty() && name != "-")
                name = platform::AbsolutePath(name);
            return std::string();
        },
        ""));
}
