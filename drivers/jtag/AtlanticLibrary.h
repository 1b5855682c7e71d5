#pragma once
#include <string>

namespace drivers {

struct JTAGATLANTIC; // the JTAG server's link, opaque to us

// Quartus's libjtag_atlantic.so: the JTAG UART of a Nios II system, reached
// through the JTAG server. Loaded from <Quartus>/linux64 and looked up by the
// C++ names the Linux library exports.
class AtlanticLibrary {
public:
    using OpenFn = JTAGATLANTIC* (*)(const char* cable, int device, int instance, const char* app);
    using GetErrorFn = int (*)(const char** detail);
    using CloseFn = void (*)(JTAGATLANTIC*);
    using WriteFn = int (*)(JTAGATLANTIC*, const char*, unsigned);
    using FlushFn = int (*)(JTAGATLANTIC*);
    using ReadFn = int (*)(JTAGATLANTIC*, char*, unsigned);
    using BytesAvailableFn = int (*)(JTAGATLANTIC*);
    using GetInfoFn = void (*)(JTAGATLANTIC*, const char** cable, int* device, int* instance);

    AtlanticLibrary() = default;
    ~AtlanticLibrary();
    AtlanticLibrary(const AtlanticLibrary&) = delete;
    AtlanticLibrary& operator=(const AtlanticLibrary&) = delete;

    // Loads linux64/libjtag_client.so (when present, its symbols made global so
    // that the atlantic library finds them) and then linux64/libjtag_atlantic.so.
    // False, with `error` set, when a library or an entry point is missing.
    bool Load(const std::string& quartusFolder, std::string& error);

    OpenFn Open = nullptr;
    GetErrorFn GetError = nullptr;
    CloseFn Close = nullptr;
    WriteFn Write = nullptr;
    FlushFn Flush = nullptr;
    ReadFn Read = nullptr;
    BytesAvailableFn BytesAvailable = nullptr;
    GetInfoFn GetInfo = nullptr;

    static constexpr const char* kClientLibrary = "linux64/libjtag_client.so";
    static constexpr const char* kAtlanticLibrary = "linux64/libjtag_atlantic.so";

private:
    void Unload();
    void* client = nullptr;
    void* atlantic = nullptr;
};

// Why an open failed, from the library's error number; empty for the one
// reason that is no error to the panel (no JTAG UART: a blank FPGA).
std::string AtlanticErrorText(int code, const char* detail);
constexpr int kAtlanticNoJtagUart = -8;
constexpr int kAtlanticInUse = -6;

} // namespace drivers
