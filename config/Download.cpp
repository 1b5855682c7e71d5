#include "config/Download.h"

#include <cstdint>
#include <iterator>

#include "platform/System.h"
#include "wire/WireFacts.h"

namespace {

// The library's entry points, in its own order. All must resolve.
constexpr const auto& kEntryNames = kbr::wire::kDownloadEntryNames;
constexpr size_t kJtagDownload = kbr::wire::kDownloadJtagDownload;
constexpr size_t kGetQuatusVersion = kbr::wire::kDownloadGetQuatusVersion;

using GetQuatusVersionFn = double(KBR_STDCALL*)();
using JtagDownloadFn = int32_t(KBR_STDCALL*)(const char* sofFile, int32_t, uint8_t, int32_t,
                                             int32_t, uint8_t, uint8_t);

} // namespace

TDownload::TDownload() {
    static_assert(std::size(kEntryNames) == sizeof(entry) / sizeof(entry[0]));
    const std::string path = platform::ProgramDirectory() + kbr::wire::kDownloadLibrary;
    if (!library.Load(path)) {
        loadError = "fail to load dll - " + path;
        return;
    }
    bool all = true;
    for (size_t i = 0; i < std::size(kEntryNames); ++i) {
        entry[i] = library.Symbol(kEntryNames[i]);
        all = all && entry[i] != nullptr;
    }
    if (!all) {
        loadError = "load ZOLVANE_DOWNLOAD.DLL fail. Cannot find all of desired API";
        library.Unload();
        for (auto& e : entry)
            e = nullptr;
    }
}

TDownload::~TDownload() = default;

double TDownload::GetQuatusVersion() {
    if (!IsLoaded())
        return 0;
    return reinterpret_cast<GetQuatusVersionFn>(entry[kGetQuatusVersion])();
}

bool TDownload::JtagDownload(const std::string& sofPath) {
    if (!IsLoaded())
        return false;
    auto download = reinterpret_cast<JtagDownloadFn>(entry[kJtagDownload]);
    return (download(sofPath.c_str(), 20000, 1, 0, 0, 0, 0) & 0xFF) != 0;
}
