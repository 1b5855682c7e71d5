// The nineteen entry points of ZOLVANE_DOWNLOAD.DLL. The panel resolves all of
// them and calls two; the rest exist so that it finds them, and fail.
#include <cstdint>

#include "drivers/common/CableChoice.h"
#include "drivers/common/Complain.h"
#include "drivers/common/Export.h"
#include "drivers/common/ModuleDirectory.h"
#include "drivers/download/QuartusProgrammer.h"
#include "drivers/download/VirtualProgrammer.h"
#include "platform/CallConv.h"
#include "wire/WireFacts.h"

namespace {

using Programmers =
    drivers::CableChoice<drivers::Programmer, drivers::VirtualProgrammer, drivers::QuartusProgrammer>;

std::string DllDirectory();

} // namespace

// The version of the Quartus that the chosen cable's programmer drives.
KBR_DLL_EXPORT double KBR_STDCALL ZOLVANE_GetQuatusVersion(void) {
    try {
        std::string error;
        auto programmer = Programmers::Make(DllDirectory(), error);
        // An unknown cable is no missing Quartus: the download reports it.
        return programmer ? programmer->QuartusVersion() : drivers::VirtualProgrammer::kQuartusVersion;
    } catch (...) {
        return 0;
    }
}

// The fixed arguments after the file belong to the Quartus programmer; the
// virtual one has no use for them.
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_JtagDownload(const char* sofFile, int32_t, uint8_t,
                                                        int32_t, int32_t, uint8_t, uint8_t) {
    try {
        std::string error;
        auto programmer = Programmers::Make(DllDirectory(), error);
        if (programmer && programmer->Configure(sofFile ? sofFile : "", error))
            return 1;
        drivers::Complain("ZOLVANE_DOWNLOAD", error);
        return 0;
    } catch (...) {
        return 0;
    }
}

KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_DownloadEEPROMByByteBlaster(const char*) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_JtagDownloadByteBlaster(const char*) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_JtagDownloadChain(const char*, int32_t) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_Programming(const char*) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_DownloadNios2(const char*) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_DownloadNios2Ex(const char*, int32_t) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_FlashProgrammer(const char*) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_AsDownload(const char*) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_AsDownloadPV(const char*) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_IsUsbBlasterDriverReady(void) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_SetQuartusProgrammerPath(const char*) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_quartus_pgm(const char*) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_Nios2Terminal(int32_t) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_KillNios2Terminal(void) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_EnableBlasterII(int32_t) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_SetUB2Name(const char*) { return 0; }
KBR_DLL_EXPORT int32_t KBR_STDCALL ZOLVANE_Jtagconfig(void) { return 0; }

namespace {

std::string DllDirectory() {
    return drivers::ModuleDirectory(reinterpret_cast<const void*>(&ZOLVANE_JtagDownload));
}

} // namespace

// Every entry point the panel resolves is defined above.
WIRE_DOWNLOAD_ENTRY_POINTS(WIRE_ENTRY_DEFINED)
