#include "vboard/DesignFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "wire/FrameCodec.h"

namespace vboard {

namespace wire = ::kbr::wire;

namespace {

uint16_t GetU16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
void PutU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

uint32_t Crc32(const uint8_t* data, size_t count) {
    return uint32_t(crc32(crc32(0L, Z_NULL, 0), data, uInt(count)));
}

std::string InfoText(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < TDesignFile::kHeaderSize + 2)
        return {};
    const uint8_t* payload = bytes.data() + TDesignFile::kHeaderSize;
    uint16_t infoLength = GetU16(payload);
    uint32_t payloadLength = wire::GetU32(bytes.data() + 12);
    if (size_t(infoLength) + 2 > payloadLength)
        return {};
    return std::string(reinterpret_cast<const char*>(payload + 2), infoLength);
}

} // namespace

std::vector<uint8_t> TDesignFile::Build(const std::string& board, size_t bitstreamSize) {
    std::string info = "board=" + board +
                       "\ndevice=EP3C120/EP4CE115\ndesign=KBR_370_ControlPanel\n"
                       "cpu=Nios II\n";
    size_t payloadLength = 2 + info.size() + bitstreamSize;
    std::vector<uint8_t> out(kHeaderSize + payloadLength + 4);
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    PutU16(out.data() + 8, kVersion);
    PutU16(out.data() + 10, 0);
    wire::PutU32(out.data() + 12, uint32_t(payloadLength));
    uint8_t* p = out.data() + kHeaderSize;
    PutU16(p, uint16_t(info.size()));
    std::memcpy(p + 2, info.data(), info.size());
    // A deterministic stand-in for the configuration bitstream.
    uint32_t x = 0x370u;
    for (size_t i = 0; i < bitstreamSize; ++i) {
        x = x * 1103515245u + 12345u;
        p[2 + info.size() + i] = uint8_t(x >> 16);
    }
    size_t crcAt = kHeaderSize + payloadLength;
    wire::PutU32(out.data() + crcAt, Crc32(out.data(), crcAt));
    return out;
}

bool TDesignFile::Write(const std::string& path, std::string& error) {
    std::vector<uint8_t> bytes = Build();
    std::string tmp = path + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) {
            error = "cannot create " + tmp;
            return false;
        }
        f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!f) {
            error = "cannot write " + tmp;
            return false;
        }
    }
    // Rename, so a reader never sees half a file.
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        error = "cannot rename " + tmp + " to " + path;
        return false;
    }
    return true;
}

std::string TDesignFile::Validate(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return "not a KBR-370 design file";
    if (bytes.size() < kHeaderSize + 4)
        return "design file truncated";
    uint16_t version = GetU16(bytes.data() + 8);
    if (version != kVersion)
        return "unsupported design file version " + std::to_string(version);
    uint64_t payloadLength = wire::GetU32(bytes.data() + 12);
    uint64_t expected = kHeaderSize + payloadLength + 4;
    if (bytes.size() < expected)
        return "design file truncated";
    if (bytes.size() > expected)
        return "design file damaged (trailing bytes)";
    size_t crcAt = size_t(kHeaderSize + payloadLength);
    if (wire::GetU32(bytes.data() + crcAt) != Crc32(bytes.data(), crcAt))
        return "design file damaged (checksum)";
    if (payloadLength < 2 || GetU16(bytes.data() + kHeaderSize) + 2u > payloadLength)
        return "design file damaged (info)";
    std::string board = InfoValue(bytes, "board");
    if (board != kBoard)
        return "design is for another board (" + (board.empty() ? "unknown" : board) + ")";
    return {};
}

static std::string ValidateOpenFile(int fd, const std::string& path) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return "not a regular file: " + path;
    if (uint64_t(st.st_size) > TDesignFile::kMaxFileSize)
        return "design file too large";
    std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size) + 1);
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return "cannot read " + path;
        if (n == 0)
            break;
        got += size_t(n);
    }
    // A file that grew or shrank while we read it is not trusted either.
    if (got != bytes.size() - 1)
        return got < bytes.size() - 1 ? "cannot read " + path
                                      : "design file changed while being read";
    bytes.pop_back();
    return TDesignFile::Validate(bytes);
}

std::string TDesignFile::ValidateFile(const std::string& path) {
    if (path.empty())
        return "no design file given";
    // Opened without waiting and checked through the descriptor: a FIFO put in
    // the file's place must not hang the whole board.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? "no such file: " + path : "cannot read " + path;
    std::string why = ValidateOpenFile(fd, path);
    close(fd);
    return why;
}

std::string TDesignFile::InfoValue(const std::vector<uint8_t>& bytes, const std::string& key) {
    std::string info = InfoText(bytes);
    std::string prefix = key + "=";
    size_t at = 0;
    while (at < info.size()) {
        size_t nl = info.find('\n', at);
        std::string line = info.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
        if (line.rfind(prefix, 0) == 0)
            return line.substr(prefix.size());
        if (nl == std::string::npos)
            break;
        at = nl + 1;
    }
    return {};
}

} // namespace vboard
