#pragma once
#include <cstdint>
#include <functional>
#include <string>

// Writes the main window's info line; colour is a Windows 0x00BBGGRR value.
// It goes to the sink a test installed, else to Report().
void ShowInfo(const std::string& text, uint32_t colour);
// Only to the installed sink; false when there is none.
bool ShowInfoInSink(const std::string& text, uint32_t colour);

using InfoSink = std::function<void(const std::string& text, uint32_t colour)>;
void SetInfoSink(InfoSink sink);
