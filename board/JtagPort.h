#pragma once
#include <cstdint>
#include <string>

#include "platform/CallConv.h"
#include "platform/DynamicLibrary.h"
#include "wire/WireFacts.h"

// The raw byte link to the Nios II program, through ZOLVANE_JTAG.DLL loaded
// from the program's own directory.
class TJtagPort {
public:
    // Size reserved for the library's information record; the link text lies at
    // byte offset kInfoTextOffset.
    static constexpr size_t kInfoRecordSize = kbr::wire::kInfoRecordSize;
    static constexpr size_t kInfoTextOffset = kbr::wire::kInfoTextOffset;

    using OpenFn = uint32_t(KBR_STDCALL*)(int32_t portIndex, const char* cableName);
    using CloseFn = void(KBR_STDCALL*)(uint32_t handle);
    using WriteFn = int32_t(KBR_STDCALL*)(uint32_t handle, const uint8_t* bytes, uint32_t count);
    using ReadFn = int32_t(KBR_STDCALL*)(uint32_t handle, uint8_t* buffer, uint32_t maxCount);
    using GetInfoFn = int32_t(KBR_STDCALL*)(uint32_t handle, void* record);
    // Our own library's optional extra; the board maker's has none.
    using LastFailureFn = int32_t(KBR_STDCALL*)();

    TJtagPort(int32_t portIndex, const std::string& cableName);
    ~TJtagPort();
    TJtagPort(const TJtagPort&) = delete;
    TJtagPort& operator=(const TJtagPort&) = delete;

    bool Open();
    void Close();
    bool IsOpen() const;
    bool Write(const uint8_t* bytes, uint32_t count);
    uint32_t Read(uint8_t* buffer, uint32_t count, uint32_t timeoutMs);
    bool GetInfo(void* record);

    bool IsLibraryLoaded() const { return library.IsLoaded(); }
    // Why the library could not be used ("fail to load dll - <path>", "fail
    // to find some API"); empty when it loaded.
    const std::string& LoadError() const { return loadError; }
    // Why the last Open failed, as far as the library tells: Unknown from a
    // library without the extra entry point.
    kbr::wire::LinkFailure OpenFailure() const { return openFailure; }

private:
    platform::DynamicLibrary library;
    uint32_t linkHandle = 0;
    int32_t portIndex;
    std::string cableName;
    OpenFn fnOpen = nullptr;
    CloseFn fnClose = nullptr;
    WriteFn fnWrite = nullptr;
    ReadFn fnRead = nullptr;
    GetInfoFn fnGetInfo = nullptr;
    LastFailureFn fnLastFailure = nullptr;
    kbr::wire::LinkFailure openFailure = kbr::wire::LinkFailure::None;
    std::string loadError;
};
