// What kbr370 offers of the content and report formats, and what its manual
// says of them, is the formats' registries, row for row.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/formats/ContentFormat.h"
#include "core/formats/ReportFormat.h"
#include "tests/support/CliRun.h"

namespace {

// The words of `text` between `separator`s.
std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; std::getline(in, word, separator);)
        words.push_back(word);
    return words;
}

TEST(CliFormats, OptionsHelpAndManualNameExactlyTheRegisteredFormats) {
    std::vector<std::string> names;
    std::map<std::string, std::string> manual; // name -> what the manual's list puts after it
    for (const TContentFormatRow& row : ContentFormats()) {
        names.push_back(row.name);
        std::string extensions;
        for (std::string_view extension : row.extensions)
            extensions += (extensions.empty() ? "" : ", ") + std::string(extension);
        manual[row.name] = extensions.empty() ? "any other name" : extensions;
    }

    for (const char* command : {"read", "write", "verify"}) {
        SCOPED_TRACE(command);
        const CliResult help = Cli({"mem", command, "--help"});
        ASSERT_EQ(help.code, 0) << help.err;
        std::smatch choices;
        ASSERT_TRUE(std::regex_search(help.out, choices, std::regex("--format (\\S+)")));
        EXPECT_EQ(Split(choices[1], '|'), names);
        for (const TContentFormatRow& row : ContentFormats()) {
            EXPECT_TRUE(Contains(help.out, *row.title
                                               ? std::string(row.name) + " (" + row.title + ")"
                                               : std::string(row.name)))
                << row.name << "\n"
                << help.out;
            for (std::string_view extension : row.extensions)
                EXPECT_TRUE(Contains(help.out, std::string(extension))) << extension;
        }
    }
    const CliResult bad = Cli({"mem", "read", "sram", "0", "1", "-o", "x", "--format", "elf"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(Contains(bad.err, "unknown format \"elf\" (" + ContentFormatNames() + ")"))
        << bad.err;

    // The manual's list of file formats, a ".BR name " (extensions)"" line each.
    std::ifstream fragment(KBR_SOURCE_DIR "/docs/man/kbr370/files.h2m");
    std::map<std::string, std::string> listed;
    const std::regex entry("\\.BR (\\S+) \" \\((.*)\\)\"");
    for (std::string line; std::getline(fragment, line);) {
        std::smatch m;
        if (std::regex_match(line, m, entry))
            listed[m[1]] = m[2];
    }
    EXPECT_EQ(listed, manual);
    // The JSON summary of `mem read` may name each of them.
    std::ifstream schemaFile(KBR_SOURCE_DIR "/docs/mem-read.schema.json");
    const auto schema = nlohmann::json::parse(schemaFile);
    EXPECT_EQ(schema["properties"]["format"]["enum"].get<std::vector<std::string>>(), names);

    // The self test offers each report format by its option, in the registry's order.
    const CliResult selftest = Cli({"selftest", "--help"});
    ASSERT_EQ(selftest.code, 0) << selftest.err;
    std::vector<std::string> options, registered;
    const std::regex option("\\n  (--\\w+) FILE +(write .*)");
    for (auto it = std::sregex_iterator(selftest.out.begin(), selftest.out.end(), option);
         it != std::sregex_iterator(); ++it)
        options.push_back((*it)[1].str() + " " + (*it)[2].str());
    for (const TReportFormatRow& row : ReportFormats())
        registered.push_back(std::string(row.option) + " " + row.help);
    EXPECT_EQ(options, registered);
}

} // namespace
