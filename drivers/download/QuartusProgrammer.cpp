#include "drivers/download/QuartusProgrammer.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "drivers/common/Complain.h"
#include "drivers/quartus/ProgramRun.h"
#include "drivers/quartus/QuartusFolder.h"
#include "platform/ChosenCable.h"
#include "wire/WireFacts.h"

namespace drivers {

namespace {

constexpr const char* kPrefix = "ZOLVANE_DOWNLOAD";
constexpr const char* kProgrammerPath = "bin/quartus_pgm";

// The virtual board's design configures only the virtual board; handed to
// Quartus it would fail after a long wait with an obscure error.
bool IsVirtualDesign(const std::string& path) {
    using kbr::wire::kVirtualDesignMagic;
    std::ifstream in(path, std::ios::binary);
    char head[sizeof kVirtualDesignMagic] = {};
    return in.read(head, sizeof head) && std::memcmp(head, kVirtualDesignMagic, sizeof head) == 0;
}

// quartus_pgm reads "p;<file>" as an operation, a file and, after '@', a
// device index: a name with either character would be read as something else.
bool UnsafeForOperation(const std::string& path) {
    return std::any_of(path.begin(), path.end(), [](char c) {
        return c == ';' || c == '@' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
}

// <Quartus>/bin/quartus_pgm, or empty with `error` set.
std::string ProgrammerPath(std::string& error) {
    std::string folder;
    if (!QuartusFolder::Find(folder, error))
        return {};
    std::string pgm = QuartusFolder::Join(folder, kProgrammerPath);
    if (access(pgm.c_str(), X_OK) != 0) {
        error = "the Quartus Programmer must be installed: there is no " + pgm;
        return {};
    }
    return pgm;
}

} // namespace

double QuartusProgrammer::QuartusVersion() {
    std::string error;
    std::string pgm = ProgrammerPath(error);
    if (pgm.empty()) {
        Complain(kPrefix, error);
        return 0;
    }
    ProgramRun run = ProgramRun::Run({pgm, "--version"}, kVersionTimeoutMs);
    double version = run.Succeeded() ? ParseQuartusVersion(run.output) : 0;
    if (version == 0)
        Complain(kPrefix, pgm + " --version did not tell its version" +
                              (run.error.empty() ? "" : ": " + run.error));
    return version;
}

bool QuartusProgrammer::Configure(const std::string& sofFile, std::string& error) {
    std::string path;
    if (!ResolveDesignFile(sofFile, path, error))
        return false;
    if (IsVirtualDesign(path)) {
        error = sofFile + " is the virtual board's design; a real board needs its own "
                          "design file: set KBR370_DESIGN to it";
        return false;
    }
    if (UnsafeForOperation(path)) {
        error = "quartus_pgm cannot take a design file whose path holds ';', '@' or control "
                "characters: " +
                path;
        return false;
    }
    std::string pgm = ProgrammerPath(error);
    if (pgm.empty())
        return false;

    const std::string cable = platform::ChosenBlaster(kDefaultCable);
    ProgramRun run =
        ProgramRun::Run({pgm, "-c", cable, "-m", "jtag", "-o", "p;" + path}, kDownloadTimeoutMs);
    if (run.Succeeded())
        return true;
    if (!run.started)
        error = run.error;
    else if (run.timedOut)
        error = "quartus_pgm did not finish within 2 minutes and was stopped";
    else {
        error = "quartus_pgm failed";
        if (run.exitStatus >= 0)
            error += " (exit status " + std::to_string(run.exitStatus) + ")";
        else if (!run.error.empty())
            error += " (" + run.error + ")";
        std::string why = LastErrorLine(run.output);
        if (!why.empty())
            error += ": " + why;
    }
    return false;
}

} // namespace drivers
