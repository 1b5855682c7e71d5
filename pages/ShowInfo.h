#pragma once
#include <cstdint>
#include <functional>
#include <string>

// Writes the main window's info line; colour is a Windows 0x00BBGGRR value.
void ShowInfo(const std::string& text, uint32_t colour);

// The main window installs the sink behind ShowInfo (tests may too).
using InfoSink = std::function<void(const std::string& text, uint32_t colour)>;
void SetInfoSink(InfoSink sink);
