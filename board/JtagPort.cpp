#include "board/JtagPort.h"

#include "platform/System.h"

namespace {

const char* const kLibraryName = kbr::wire::kJtagLibrary;
using kbr::wire::LinkFailure;

// A number the library returns is trusted only when it names a known kind.
LinkFailure ToLinkFailure(int32_t value) {
    switch (static_cast<LinkFailure>(value)) {
    case LinkFailure::None:
    case LinkFailure::NoBoard:
    case LinkFailure::InUse:
    case LinkFailure::Other:
        return static_cast<LinkFailure>(value);
    default:
        return LinkFailure::Unknown;
    }
}

} // namespace

TJtagPort::TJtagPort(int32_t portIndex, const std::string& cableName)
    : portIndex(portIndex), cableName(cableName) {
    std::string path = platform::ProgramDirectory() + kLibraryName;
    if (!library.Load(path)) {
        loadError = "fail to load dll - " + path;
        return;
    }
    fnOpen = library.Resolve<OpenFn>(kbr::wire::kJtagOpen);
    fnClose = library.Resolve<CloseFn>(kbr::wire::kJtagClose);
    fnWrite = library.Resolve<WriteFn>(kbr::wire::kJtagWrite);
    fnRead = library.Resolve<ReadFn>(kbr::wire::kJtagRead);
    fnGetInfo = library.Resolve<GetInfoFn>(kbr::wire::kJtagGetInfo);
    if (!fnOpen || !fnClose || !fnWrite || !fnRead || !fnGetInfo) {
        loadError = "fail to find some API";
        fnOpen = nullptr;
        fnClose = nullptr;
        fnWrite = nullptr;
        fnRead = nullptr;
        fnGetInfo = nullptr;
        library.Unload();
        return;
    }
    fnLastFailure = library.Resolve<LastFailureFn>(kbr::wire::kJtagLastFailure);
}

// The session closes the link before it destroys the port.
TJtagPort::~TJtagPort() = default;

bool TJtagPort::Open() {
    openFailure = LinkFailure::Unknown;
    if (!library.IsLoaded() || !fnOpen)
        return false;
    Close();
    // The programmer's libraries are found relative to Quartus's bin directory.
    platform::SetCurrentDirectory(platform::QuartusInstallDirectory() + "/bin");
    linkHandle = fnOpen(portIndex, cableName.c_str());
    if (linkHandle != 0)
        openFailure = LinkFailure::None;
    else if (fnLastFailure)
        openFailure = ToLinkFailure(fnLastFailure());
    platform::SetCurrentDirectory(platform::ProgramDirectory());
    return linkHandle != 0;
}

void TJtagPort::Close() {
    if (linkHandle != 0) {
        if (fnClose)
            fnClose(linkHandle);
        linkHandle = 0;
    }
}

bool TJtagPort::IsOpen() const { return library.IsLoaded() && linkHandle != 0; }

bool TJtagPort::Write(const uint8_t* bytes, uint32_t count) {
    if (!IsOpen() || !fnWrite)
        return false;
    return fnWrite(linkHandle, bytes, count) != 0;
}

uint32_t TJtagPort::Read(uint8_t* buffer, uint32_t count, uint32_t timeoutMs) {
    if (!IsOpen() || !fnRead)
        return 0;
    uint32_t got = 0;
    const uint32_t start = platform::GetTickCount();
    // The library's read returns at once or after a short wait for data. It is
    // asked at least once, or a 1 ms read whose tick moves on at once would
    // report nothing while bytes are waiting, and FlushInput would stop early.
    while (got < count) {
        int32_t n = fnRead(linkHandle, buffer + got, count - got);
        if (n > 0)
            got += static_cast<uint32_t>(n) <= count - got ? static_cast<uint32_t>(n) : count - got;
        if (platform::GetTickCount() - start >= timeoutMs)
            break;
    }
    return got;
}

bool TJtagPort::GetInfo(void* record) {
    if (!IsOpen() || !fnGetInfo)
        return false;
    return fnGetInfo(linkHandle, record) != 0;
}
