// Memory content files: the registry of their formats, and reading them as
// kbr370 does, piece by piece.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/formats/ContentFile.h"
#include "core/formats/ContentFormat.h"
#include "tests/support/TestVBoard.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ContentFormat, ChosenByNameFirstCharacterAndOption) {
    EXPECT_EQ(ContentFormatOfName("a.ihex"), TContentFormat::IntelHex);
    EXPECT_EQ(ContentFormatOfName("/x/A.IHX"), TContentFormat::IntelHex);
    for (const char* srec : {"a.srec", "a.s19", "a.S28", "dir/a.s37"})
        EXPECT_EQ(ContentFormatOfName(srec), TContentFormat::SRecord) << srec;
    EXPECT_EQ(ContentFormatOfName("a.Hex"), TContentFormat::PanelHex);
    for (const char* binary : {"a.bin", "-", "/dev/stdin", "/dev/fd/63", "a.srec/b", "a.s38"})
        EXPECT_EQ(ContentFormatOfName(binary), TContentFormat::Binary) << binary;

    EXPECT_EQ(ContentFormatOfText(TContentFormat::PanelHex, ":"), TContentFormat::IntelHex);
    EXPECT_EQ(ContentFormatOfText(TContentFormat::PanelHex, "0"), TContentFormat::PanelHex);
    EXPECT_EQ(ContentFormatOfText(TContentFormat::Binary, ":"), TContentFormat::Binary);

    for (auto format : {TContentFormat::Binary, TContentFormat::PanelHex, TContentFormat::IntelHex,
                        TContentFormat::SRecord})
        EXPECT_EQ(ContentFormatNamed(ContentFormatName(format)), format);
    EXPECT_EQ(ContentFormatNamed("IHEX"), TContentFormat::IntelHex);
    EXPECT_EQ(ContentFormatNamed("elf"), std::nullopt);
}

// The panel's memory page saves and opens binary and its HEX text only, as
// the page always has: an Intel HEX name is binary to it.
TEST(ContentFormat, ThePanelChoosesHexTextByTheNameAlone) {
    for (const char* hex : {"dump.hex", "DUMP.HEX", "/tmp/a.b/Dump.Hex", "x.tar.hex"})
        EXPECT_EQ(PanelContentFormatOfName(hex), TContentFormat::PanelHex) << hex;
    for (const char* binary :
         {"dump.bin", "dump.hexa", "dump.he", "hex", "dir.hex/dump", "", "a.ihex", "a.s19"})
        EXPECT_EQ(PanelContentFormatOfName(binary), TContentFormat::Binary) << binary;
    EXPECT_EQ(PanelDialogFilter(), "All files (*.*)|*.*|Hex files (*.HEX)|*.hex");
}

// Every registered format: what its encoder writes, in runs, its decoder
// reads back whole, chosen by each of its names' extensions (any case) and
// by its --format value; record formats keep the addresses, the others
// start at the command's address. The run crosses a 64 KiB boundary.
TEST(ContentFormat, EveryRegisteredFormatRoundTrips) {
    TempDir dir;
    constexpr uint32_t kAddress = 0xFFF3, kCount = 77;
    std::vector<uint8_t> data(kCount);
    std::mt19937 random(7);
    for (uint8_t& byte : data)
        byte = static_cast<uint8_t>(random());
    ASSERT_GE(ContentFormats().size(), 4u);
    int otherNames = 0;
    for (const TContentFormatRow& row : ContentFormats()) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(row.encoder && row.decoder);
        EXPECT_EQ(ContentFormatNamed(row.name), row.format);
        std::string upper = row.name;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(ContentFormatNamed(upper), row.format);
        EXPECT_EQ(ContentFormatName(row.format), std::string(row.name));

        const auto encoder = MakeContentEncoder(row.format, kAddress, kCount, "sram");
        std::string text;
        for (uint32_t at = 0; at < kCount; at += 10)
            text += encoder->Add(data.data() + at, std::min<uint32_t>(10, kCount - at));
        text += encoder->Finish();

        std::vector<std::string> names;
        for (std::string_view extension : row.extensions) {
            std::string loud(extension);
            for (char& c : loud)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            names.push_back(std::string("f") + std::string(extension));
            names.push_back(std::string("g") + loud);
        }
        otherNames += row.extensions.empty();
        if (row.extensions.empty())
            names.push_back("f.data");
        for (const std::string& name : names) {
            SCOPED_TRACE(name);
            EXPECT_EQ(ContentFormatOfName(name), row.format);
            WriteFile(dir.File(name), text);
            for (std::optional<TContentFormat> format :
                 {std::optional<TContentFormat>(), std::optional(row.format)}) {
                const auto segments = ReadContentFile(dir.File(name), format, 1 << 20);
                ASSERT_EQ(segments.size(), 1u);
                EXPECT_EQ(segments[0].address, row.records ? kAddress : 0u);
                EXPECT_EQ(segments[0].bytes, data);
            }
        }
    }
    EXPECT_EQ(otherNames, 1) << "one format, and one only, takes the names no extension claims";
}

// The bytes of a file that holds one run, read with room for 1 MiB.
std::vector<uint8_t> Content(const std::string& path,
                             std::optional<TContentFormat> format = std::nullopt) {
    const auto segments = ReadContentFile(path, format, 1 << 20);
    EXPECT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments.at(0).address, 0u);
    return segments.at(0).bytes;
}

std::string RefusalOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const TContentFileError& e) {
        return e.what();
    }
    ADD_FAILURE() << "not refused";
    return {};
}

TEST(ContentFile, BinaryHexAndRecordFiles) {
    TempDir dir;
    WriteFile(dir.File("a.bin"), std::string("\x00\x01\xFF", 3));
    EXPECT_EQ(Content(dir.File("a.bin")), (std::vector<uint8_t>{0x00, 0x01, 0xFF}));
    // Larger than the room: refused by its size.
    EXPECT_NE(RefusalOf([&] {
                  ReadContentFile(dir.File("a.bin"), std::nullopt, 2);
              }).find("holds 0x3 bytes; the memory has 0x2"),
              std::string::npos);

    // HEX text as xxd -p writes it: either case, line breaks.
    WriteFile(dir.File("b.HeX"), "00ab\nF0\r\n");
    EXPECT_EQ(Content(dir.File("b.HeX")), (std::vector<uint8_t>{0x00, 0xAB, 0xF0}));
    for (const char* bad : {"ABC", "", "\n\n", "00 AB", "0x00"}) {
        WriteFile(dir.File("bad.hex"), bad);
        RefusalOf([&] { ReadContentFile(dir.File("bad.hex"), std::nullopt, 100); });
    }
    WriteFile(dir.File("c.hex"), "0011\n22x3\n");
    const std::string why = RefusalOf([&] { Content(dir.File("c.hex")); });
    EXPECT_NE(why.find("invalid hex file.: character 0x78 at offset 7 (line 2)"), std::string::npos)
        << why;

    // A .hex file that starts with ':' is Intel HEX; --format binary takes it as it is.
    const std::string ihex = ":0200100055AAEF\n:00000001FF\n";
    WriteFile(dir.File("i.hex"), ihex);
    auto segments = ReadContentFile(dir.File("i.hex"), std::nullopt, 100);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].address, 0x10u);
    EXPECT_EQ(Content(dir.File("i.hex"), TContentFormat::Binary).size(), ihex.size());
    // A bad record names the file and its line.
    WriteFile(dir.File("bad.s19"), "S1050010AABB85\nS1050010AABB84\n");
    EXPECT_NE(RefusalOf([&] { Content(dir.File("bad.s19")); }).find("bad.s19 line 2: checksum"),
              std::string::npos);
    WriteFile(dir.File("none.srec"), "S0030000FC\nS9030000FC\n");
    EXPECT_NE(RefusalOf([&] { Content(dir.File("none.srec")); }).find("no data records"),
              std::string::npos);

    WriteFile(dir.File("empty.bin"), "");
    RefusalOf([&] { Content(dir.File("empty.bin")); });
    RefusalOf([&] { Content(dir.File("missing.bin")); });
    EXPECT_NE(RefusalOf([&] { Content(dir.Path()); }).find("directory"), std::string::npos);
}

// A FIFO is read to its end, however much its writer sends at a time; a
// stream longer than the room is cut off, not read without end.
TEST(ContentFile, PipesAreReadToTheirEnd) {
    TempDir dir;
    const std::string fifo = dir.File("in.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string big(200000, 'z');
    std::thread writer([&] { WriteFile(fifo, big); });
    EXPECT_EQ(Content(fifo), std::vector<uint8_t>(big.begin(), big.end()));
    writer.join();

    // The writer then finds no reader: an error for it, not a signal for the test.
    signal(SIGPIPE, SIG_IGN);
    std::thread endless([&] { WriteFile(fifo, big); });
    EXPECT_NE(
        RefusalOf([&] { ReadContentFile(fifo, std::nullopt, 1000); }).find("more than 0x3E8 bytes"),
        std::string::npos);
    endless.join();
}

// Text files are read as they are decoded: a huge sparse file whose first
// line is bad is refused at once, in a child whose address space may grow by
// no more than 64 MiB, and in little time.
TEST(ContentFile, AHugeTextFileIsRefusedAtItsFirstLine) {
    TempDir dir;
    constexpr off_t kHuge = off_t{16} << 30;
    struct {
        const char* name;
        const char* start; // before the holes' NULs
        const char* why;
    } files[] = {
        {"a.ihex", "", "line 1: the line is longer than"},
        {"b.srec", "S1 is not a record\n", "line 1: character 0x20"},
        {"c.hex", "00ff", "character 0x00 at offset 4 (line 1)"},
    };
    for (const auto& f : files) {
        const std::string path = dir.File(f.name);
        WriteFile(path, f.start);
        ASSERT_EQ(truncate(path.c_str(), kHuge), 0) << path;
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::ifstream status("/proc/self/status");
        uint64_t vmKiB = 0;
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmSize:", 0) == 0)
                vmKiB = std::stoull(line.substr(7));
        const rlimit bound{(vmKiB << 10) + (64u << 20), (vmKiB << 10) + (64u << 20)};
        if (vmKiB == 0 || setrlimit(RLIMIT_AS, &bound) != 0)
            _exit(10);
        int refused = 0;
        for (const auto& f : files) {
            try {
                ReadContentFile(dir.File(f.name), std::nullopt, 128u << 20);
            } catch (const TContentFileError& e) {
                refused += std::string(e.what()).find(f.why) != std::string::npos;
                if (std::string(e.what()).find(f.why) == std::string::npos)
                    std::fprintf(stderr, "%s\n", e.what());
            } catch (const std::bad_alloc&) {
                _exit(11);
            }
        }
        _exit(refused == 3 ? 0 : 12);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no bound set, 11: out of memory, 12: not refused";
    const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                       1e-6 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    EXPECT_LT(cpu, 2.0) << "seconds: the files were read further than their first line";
}

} // namespace
