#include "core/files/InputFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/devices/MemoryModel.h"
#include "core/files/WholeIo.h"
#include "core/formats/ContentFormat.h"
#include "core/formats/HexCodec.h"

int OpenInputFile(const std::string& path, uint64_t& size, std::string& reason) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = "cannot read " + path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        reason = "cannot read " + path + ": not a regular file";
        return -1;
    }
    size = static_cast<uint64_t>(st.st_size);
    return fd;
}

namespace {

// Closes the input file on every path.
struct TInputFd {
    int fd;
    explicit TInputFd(int fd) : fd(fd) {}
    ~TInputFd() {
        if (fd >= 0)
            ::close(fd);
    }
};

enum class THexRead { Ok, Failed, NotHex };

// Reads `digits` hex digits and decodes them to `out`, a piece at a time.
THexRead ReadHexDigits(int fd, uint64_t digits, uint8_t* out) {
    uint8_t piece[64 * 1024]; // even: only the last piece may end in half a byte
    for (uint64_t done = 0; done < digits;) {
        const auto n = static_cast<size_t>(std::min<uint64_t>(sizeof piece, digits - done));
        if (!ReadAll(fd, piece, n))
            return THexRead::Failed;
        if (!DecodeHexText(piece, n))
            return THexRead::NotHex;
        std::memcpy(out + done / 2, piece, HexDecodedSize(n));
        done += n;
    }
    return THexRead::Ok;
}

TWriteContent Warned(const std::string& text, bool saysAll) {
    return {.warning = text, .warningSaysAll = saysAll};
}

} // namespace

TWriteContent LoadWriteContent(const std::string& path, bool fileLength, uint64_t length,
                               uint64_t room) {
    // Refused at once: a FIFO would wait for a writer, and the page with it.
    uint64_t size = 0;
    std::string reason;
    TInputFd file(OpenInputFile(path, size, reason));
    if (file.fd < 0)
        return {};
    const bool hex = PanelContentFormatOfName(path) == TContentFormat::PanelHex;

    // Cut at the memory's end without a word.
    const uint64_t bytes = fileLength ? std::min(ContentBytesOfFile(size, hex), room) : length;
    if (!fileLength && size < (hex ? 2 * bytes : bytes))
        return Warned(FormatText("File(%s) size is less than the specified length.", path.c_str()),
                      true);

    // A HEX file's digits are read and decoded a piece at a time, so that no
    // more than the bytes and one piece are ever held; an odd last digit
    // meets a padding "0".
    TWriteContent content;
    content.count = static_cast<uint32_t>(bytes);
    content.data.assign(bytes, 0);
    if (!hex) {
        if (!ReadAll(file.fd, content.data.data(), bytes))
            return Warned(FormatText("Read file(%s) error.", path.c_str()), true);
    } else {
        switch (ReadHexDigits(file.fd, std::min(size, 2 * bytes), content.data.data())) {
        case THexRead::Failed:
            return Warned(FormatText("Read file(%s) error.", path.c_str()), true);
        case THexRead::NotHex:
            return Warned(kInvalidHexFileText, false);
        case THexRead::Ok:
            break;
        }
    }
    content.ok = true;
    return content;
}
