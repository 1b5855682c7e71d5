#include "drivers/jtag/AtlanticLibrary.h"

#include <dlfcn.h>
#include <type_traits>
#include <unistd.h>

#include "drivers/quartus/QuartusFolder.h"

namespace drivers {

namespace {

struct Symbol {
    const char* name;
    void (*store)(AtlanticLibrary&, void*);
};

template <auto Member> void Store(AtlanticLibrary& lib, void* address) {
    lib.*Member = reinterpret_cast<std::remove_reference_t<decltype(lib.*Member)>>(address);
}

// The entry points as the library's C++ names mangle them.
const Symbol kSymbols[] = {
    {"_Z17jtagatlantic_openPKciiS0_", Store<&AtlanticLibrary::Open>},
    {"_Z22jtagatlantic_get_errorPPKc", Store<&AtlanticLibrary::GetError>},
    {"_Z18jtagatlantic_closeP12JTAGATLANTIC", Store<&AtlanticLibrary::Close>},
    {"_Z18jtagatlantic_writeP12JTAGATLANTICPKcj", Store<&AtlanticLibrary::Write>},
    {"_Z18jtagatlantic_flushP12JTAGATLANTIC", Store<&AtlanticLibrary::Flush>},
    {"_Z17jtagatlantic_readP12JTAGATLANTICPcj", Store<&AtlanticLibrary::Read>},
    {"_Z28jtagatlantic_bytes_availableP12JTAGATLANTIC", Store<&AtlanticLibrary::BytesAvailable>},
    {"_Z21jtagatlantic_get_infoP12JTAGATLANTICPPKcPiS4_", Store<&AtlanticLibrary::GetInfo>},
};

std::string LastDlError() {
    const char* text = dlerror();
    return text ? text : "unknown reason";
}

// The JTAG server's libraries start threads of their own; they stay in memory
// after our handle goes, so unloading us never pulls code from under them.
constexpr int kLoadFlags = RTLD_NOW | RTLD_NODELETE;

} // namespace

AtlanticLibrary::~AtlanticLibrary() { Unload(); }

bool AtlanticLibrary::Load(const std::string& quartusFolder, std::string& error) {
    Unload();
    const std::string clientPath = QuartusFolder::Join(quartusFolder, kClientLibrary);
    if (access(clientPath.c_str(), F_OK) == 0) {
        client = dlopen(clientPath.c_str(), kLoadFlags | RTLD_GLOBAL);
        if (!client) {
            error = "cannot load " + clientPath + ": " + LastDlError();
            return false;
        }
    }
    const std::string atlanticPath = QuartusFolder::Join(quartusFolder, kAtlanticLibrary);
    atlantic = dlopen(atlanticPath.c_str(), kLoadFlags | RTLD_LOCAL);
    if (!atlantic) {
        error = "cannot load " + atlanticPath + ": " + LastDlError();
        Unload();
        return false;
    }
    for (const Symbol& symbol : kSymbols) {
        void* address = dlsym(atlantic, symbol.name);
        if (!address) {
            error = atlanticPath + " lacks " + symbol.name;
            Unload();
            return false;
        }
        symbol.store(*this, address);
    }
    return true;
}

void AtlanticLibrary::Unload() {
    Open = nullptr;
    GetError = nullptr;
    Close = nullptr;
    Write = nullptr;
    Flush = nullptr;
    Read = nullptr;
    BytesAvailable = nullptr;
    GetInfo = nullptr;
    if (atlantic)
        dlclose(atlantic);
    if (client)
        dlclose(client);
    atlantic = client = nullptr;
}

std::string AtlanticErrorText(int code, const char* detail) {
    std::string text;
    switch (code) {
    case kAtlanticNoJtagUart:
        return {};
    case -1: text = "the link to the JTAG server broke"; break;
    case -2: text = "more than one cable is attached; set KBR370_BLASTER to one of the names jtagconfig lists"; break;
    case -3: text = "no such cable; KBR370_BLASTER must be a name that jtagconfig lists"; break;
    case -4: text = "the cable is not connected to the PC"; break;
    case -5: text = "the cable is not connected to a board, or the board is switched off"; break;
    case kAtlanticInUse: text = "the JTAG UART is in use by another program (a nios2-terminal, or another panel)"; break;
    case -7: text = "the device has more than one JTAG UART"; break;
    case -9: text = "the cable or the board's JTAG hardware is broken"; break;
    default: text = "the JTAG server reported error " + std::to_string(code); break;
    }
    if (detail && *detail)
        text += std::string(" (") + detail + ")";
    return text;
}

} // namespace drivers
