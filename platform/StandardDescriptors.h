#pragma once

namespace platform {

// Makes sure descriptors 0, 1 and 2 are open, onto /dev/null when they are
// not, as daemons and the core utilities do: otherwise the next file or
// socket the program opens would take the number, and what is meant for the
// screen would go to the board or into a capture file. Every program calls it
// first thing in main.
void OpenStandardDescriptors();

// Whether standard descriptor `fd` (0, 1 or 2) was closed when the program
// started, before OpenStandardDescriptors put /dev/null in its place.
bool ClosedAtStart(int fd);

} // namespace platform
