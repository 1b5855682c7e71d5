#pragma once
// Helpers shared by the driver tests: the real DLLs loaded from the build's
// bin directory, environment variables set for one test, and a daemon that a
// driver started by itself, stopped at the end.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "board/JtagPort.h"
#include "platform/DynamicLibrary.h"
#include "tests/support/TestVBoard.h"

// Sets (or with nullopt unsets) one environment variable; puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name(name) {
        if (const char* old = std::getenv(name))
            saved = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name;
    std::optional<std::string> saved;
};

// Stops whatever daemon serves `dir` when the test ends, pass or fail.
class DaemonStopper {
public:
    explicit DaemonStopper(std::string dir) : dir(std::move(dir)) {}
    ~DaemonStopper() {
        std::string cmd = TestVBoard::BinDir() + "/kbr370-vboard stop --dir '" + dir + "' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0) {
        }
    }

private:
    std::string dir;
};

// ZOLVANE_JTAG.DLL with its five entry points, typed as the panel calls them.
struct JtagDll {
    platform::DynamicLibrary library;
    TJtagPort::OpenFn Open = nullptr;
    TJtagPort::CloseFn Close = nullptr;
    TJtagPort::WriteFn Write = nullptr;
    TJtagPort::ReadFn Read = nullptr;
    TJtagPort::GetInfoFn GetInfo = nullptr;

    JtagDll() {
        std::string path = TestVBoard::BinDir() + "/ZOLVANE_JTAG.DLL";
        if (!library.Load(path))
            throw std::runtime_error("cannot load " + path + ": " + library.LastError());
        Open = library.Resolve<TJtagPort::OpenFn>("ZOLVANE_JtagOpen");
        Close = library.Resolve<TJtagPort::CloseFn>("ZOLVANE_JtagClose");
        Write = library.Resolve<TJtagPort::WriteFn>("ZOLVANE_JtagWrite");
        Read = library.Resolve<TJtagPort::ReadFn>("ZOLVANE_JtagRead");
        GetInfo = library.Resolve<TJtagPort::GetInfoFn>("ZOLVANE_JtagGetInfo");
        if (!Open || !Close || !Write || !Read || !GetInfo)
            throw std::runtime_error("ZOLVANE_JTAG.DLL lacks an entry point");
    }
};

// ZOLVANE_DOWNLOAD.DLL with the two entry points the panel calls.
struct DownloadDll {
    using GetQuatusVersionFn = double (*)();
    using JtagDownloadFn = int32_t (*)(const char*, int32_t, uint8_t, int32_t, int32_t, uint8_t,
                                       uint8_t);
    platform::DynamicLibrary library;
    GetQuatusVersionFn GetQuatusVersion = nullptr;
    JtagDownloadFn JtagDownloadRaw = nullptr;

    DownloadDll() {
        std::string path = TestVBoard::BinDir() + "/ZOLVANE_DOWNLOAD.DLL";
        if (!library.Load(path))
            throw std::runtime_error("cannot load " + path + ": " + library.LastError());
        GetQuatusVersion = library.Resolve<GetQuatusVersionFn>("ZOLVANE_GetQuatusVersion");
        JtagDownloadRaw = library.Resolve<JtagDownloadFn>("ZOLVANE_JtagDownload");
        if (!GetQuatusVersion || !JtagDownloadRaw)
            throw std::runtime_error("ZOLVANE_DOWNLOAD.DLL lacks an entry point");
    }
    // With the panel's fixed arguments; true when the low byte says configured.
    bool JtagDownload(const char* file) const {
        return (JtagDownloadRaw(file, 20000, 1, 0, 0, 0, 0) & 0xFF) != 0;
    }
};
