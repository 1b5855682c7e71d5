#pragma once
#include <string>

#include "platform/CallConv.h"
#include "platform/DynamicLibrary.h"

// The download tool, ZOLVANE_DOWNLOAD.DLL, loaded from the program's directory
// for the length of one configuration. All nineteen entry points must resolve
// for it to count as loaded; two are called.
class TDownload {
public:
    TDownload();
    ~TDownload();
    TDownload(const TDownload&) = delete;
    TDownload& operator=(const TDownload&) = delete;

    bool IsLoaded() const { return library.IsLoaded(); }
    // Why the library could not be used; empty when it loaded.
    const std::string& LoadError() const { return loadError; }
    // The installed Quartus version; 0 when none was found or the library is not loaded.
    double GetQuatusVersion();
    // Configures the FPGA from `sofPath`, blocking until the programmer has finished.
    bool JtagDownload(const std::string& sofPath);

private:
    platform::DynamicLibrary library;
    // One pointer per entry point, in the library's own order.
    void* entry[19] = {};
    std::string loadError;
};
