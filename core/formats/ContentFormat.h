#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/formats/ContentEncoder.h"
#include "core/formats/RecordImage.h"

class TContentInput;

// The forms of a memory content file: raw bytes, the panel's HEX text (two
// digits a byte), Intel HEX and Motorola S-records.
enum class TContentFormat { Binary, PanelHex, IntelHex, SRecord };

// One row of the content formats: everything that chooses, names, writes or
// reads a format takes it from here, so a new format is one more row.
struct TContentFormatRow {
    TContentFormat format;
    // --format's value (taken in any case) and the "format" of a JSON summary.
    const char* name;
    // What --format's help says it is, after its name; empty: nothing.
    const char* title;
    // The extensions, with their dot and in lower case, that choose it by a
    // file's name. None: the format of every other name (one row has none).
    std::vector<std::string_view> extensions;
    // What a file of these names is read as and written as, for the help
    // of a file argument; rows with the same text are named together.
    const char* readHelp;
    const char* writeHelp;
    // The bytes are the file's bytes, so a regular file's size tells them.
    bool raw = false;
    // The bytes lie at the addresses of the file's records.
    bool records = false;
    // The panel's memory page saves and opens it too; the filter its file
    // dialogs offer for it, or nullptr.
    bool panel = false;
    const char* dialogFilter = nullptr;
    // What a file this format's name chooses is read as, once its first
    // bytes are known; nullptr: this format.
    TContentFormat (*readAs)(std::string_view start) = nullptr;
    // The encoder that writes `count` bytes read from `address` on; an
    // S-record file's header carries `header`.
    std::unique_ptr<TContentEncoder> (*encoder)(uint32_t address, uint32_t count,
                                                std::string_view header) = nullptr;
    // The file's segments (ContentFile.h), the input holding at least one byte.
    std::vector<TImageSegment> (*decoder)(TContentInput& input, uint64_t room) = nullptr;
};

// Every content format, in the order help texts and choices list them.
const std::vector<TContentFormatRow>& ContentFormats();
const TContentFormatRow& ContentFormatRow(TContentFormat format);

// The format of a --format value (any case); nullopt for anything else.
std::optional<TContentFormat> ContentFormatNamed(std::string_view name);
// The format's --format value.
const char* ContentFormatName(TContentFormat format);
// Every --format value, `separator` between them: "binary|hex|ihex|srec".
std::string ContentFormatNames(std::string_view separator = "|");
// "binary, hex (the panel's HEX text), ihex (Intel HEX) or srec (S-records)".
std::string ContentFormatChoices();
// What file names choose, for the help of a file read (`reading`) or
// written: ".hex: HEX text, ...; .ihex/.ihx: Intel HEX; ...; else binary".
std::string ContentExtensionsHelp(bool reading);

// The format a file name's extension (any case) stands for, by the rows'
// extensions; anything else, and a name without an extension such as "-",
// is the format of the row without extensions (binary).
TContentFormat ContentFormatOfName(std::string_view path);

// What a file of the format its name gives is read as, once its first bytes
// are known: a .hex file that starts with ':' is Intel HEX, as other tools
// name theirs.
TContentFormat ContentFormatOfText(TContentFormat byName, std::string_view start);

// The --format values of the formats whose bytes lie at their records'
// addresses: "ihex, srec".
std::string RecordFormatNames();

// The encoder that writes `count` bytes read from `address` on in `format`;
// an S-record file's header carries `header`.
std::unique_ptr<TContentEncoder> MakeContentEncoder(TContentFormat format, uint32_t address,
                                                    uint32_t count, std::string_view header);

// The format the panel's memory page saves or opens a file in: the one its
// name chooses when the page handles that format, else binary.
TContentFormat PanelContentFormatOfName(std::string_view path);
// The filter of the page's file dialogs: all files, then each format it offers.
std::string PanelDialogFilter();
