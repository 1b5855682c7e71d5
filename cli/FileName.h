#pragma once

namespace CLI {
class Option;
}

// Makes the file name `option` takes absolute while the words are parsed, so
// it names the file where the user stands: the command changes the current
// directory later (opening the board's link must). "-" (standard input or
// output) stays as it is, as do names that are absolute already, such as
// /dev/stdout and /dev/fd/N. Returns `option`.
CLI::Option* FileNameOption(CLI::Option* option);
