#pragma once

// The start-up function: single-instance check, the main window, the message loop.
int RunPanel(int argc, char** argv);
