#include "core/formats/ContentFormat.h"

#include <string>

#include "core/formats/ContentFile.h"
#include "core/formats/HexCodec.h"
#include "core/formats/IntelHex.h"
#include "core/formats/SRecord.h"

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// The extension of the file's own name, with its dot, in lower case.
std::string Extension(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string() : Lower(name.substr(dot));
}

class TBinaryEncoder : public TContentEncoder {
  public:
    std::string Add(const uint8_t* data, size_t count) override {
        return {reinterpret_cast<const char*>(data), count};
    }
    std::string Finish() override { return {}; }
};

class TPanelHexEncoder : public TContentEncoder {
  public:
    std::string Add(const uint8_t* data, size_t count) override {
        return EncodeHexText(data, count);
    }
    std::string Finish() override { return {}; }
};

// A format whose text does not depend on where the bytes came from.
template <typename T>
std::unique_ptr<TContentEncoder> WholeEncoder(uint32_t, uint32_t, std::string_view) {
    return std::make_unique<T>();
}

// What a .hex file is read as: other tools name their Intel HEX files so.
TContentFormat HexOrIntelHex(std::string_view start) {
    return !start.empty() && start[0] == ':' ? TContentFormat::IntelHex : TContentFormat::PanelHex;
}

} // namespace

// A function's own table, so that help texts built while the program starts find it made.
const std::vector<TContentFormatRow>& ContentFormats() {
    static const std::vector<TContentFormatRow> formats = {
        {.format = TContentFormat::Binary,
         .name = "binary",
         .title = "",
         .extensions = {},
         .readHelp = "binary",
         .writeHelp = "binary",
         .raw = true,
         .panel = true,
         .encoder = &WholeEncoder<TBinaryEncoder>,
         .decoder = &DecodeBinaryContent},
        {.format = TContentFormat::PanelHex,
         .name = "hex",
         .title = "the panel's HEX text",
         .extensions = {".hex"},
         .readHelp =
             "hex digits as xxd -p writes them (either case, line breaks), or Intel HEX when "
             "it starts with ':'",
         .writeHelp = "HEX text, two upper-case digits a byte",
         .panel = true,
         .dialogFilter = "Hex files (*.HEX)|*.hex",
         .readAs = &HexOrIntelHex,
         .encoder = &WholeEncoder<TPanelHexEncoder>,
         .decoder = &DecodePanelHexContent},
        {.format = TContentFormat::IntelHex,
         .name = "ihex",
         .title = "Intel HEX",
         .extensions = {".ihex", ".ihx"},
         .readHelp = "records at their own addresses, gaps left untouched",
         .writeHelp = "Intel HEX",
         .records = true,
         .encoder = [](uint32_t address, uint32_t,
                       std::string_view) -> std::unique_ptr<TContentEncoder> {
             return std::make_unique<TIntelHexWriter>(address);
         },
         .decoder = &DecodeIntelHexContent},
        {.format = TContentFormat::SRecord,
         .name = "srec",
         .title = "S-records",
         .extensions = {".srec", ".s19", ".s28", ".s37"},
         .readHelp = "records at their own addresses, gaps left untouched",
         .writeHelp = "S-records",
         .records = true,
         .encoder = [](uint32_t address, uint32_t count,
                       std::string_view header) -> std::unique_ptr<TContentEncoder> {
             return std::make_unique<TSRecordWriter>(address, count, header);
         },
         .decoder = &DecodeSRecordContent},
    };
    return formats;
}

namespace {

// The format of every name no row's extensions claim.
const TContentFormatRow& OtherNames() {
    for (const TContentFormatRow& row : ContentFormats())
        if (row.extensions.empty())
            return row;
    return ContentFormats().front();
}

// `items` as "a, b or c".
std::string ListText(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " or " : ", ") + items[i];
    return text;
}

} // namespace

const TContentFormatRow& ContentFormatRow(TContentFormat format) {
    for (const TContentFormatRow& row : ContentFormats())
        if (row.format == format)
            return row;
    return OtherNames();
}

std::optional<TContentFormat> ContentFormatNamed(std::string_view name) {
    const std::string lower = Lower(name);
    for (const TContentFormatRow& row : ContentFormats())
        if (lower == row.name)
            return row.format;
    return std::nullopt;
}

const char* ContentFormatName(TContentFormat format) {
    return ContentFormatRow(format).name;
}

std::string ContentFormatNames(std::string_view separator) {
    std::string names;
    for (const TContentFormatRow& row : ContentFormats())
        names += (names.empty() ? "" : std::string(separator)) + row.name;
    return names;
}

std::string ContentFormatChoices() {
    std::vector<std::string> items;
    for (const TContentFormatRow& row : ContentFormats())
        items.push_back(*row.title ? std::string(row.name) + " (" + row.title + ")" : row.name);
    return ListText(items);
}

std::string RecordFormatNames() {
    std::string names;
    for (const TContentFormatRow& row : ContentFormats())
        if (row.records)
            names += (names.empty() ? "" : ", ") + std::string(row.name);
    return names;
}

std::string ContentExtensionsHelp(bool reading) {
    std::string text, pending;
    const char* pendingHelp = nullptr;
    const auto flush = [&] {
        if (pendingHelp)
            text += (text.empty() ? "" : "; ") + pending + ": " + pendingHelp;
        pending.clear();
    };
    for (const TContentFormatRow& row : ContentFormats()) {
        if (row.extensions.empty())
            continue;
        const char* help = reading ? row.readHelp : row.writeHelp;
        if (pendingHelp && std::string_view(pendingHelp) != help)
            flush();
        std::string extensions;
        for (std::string_view extension : row.extensions)
            extensions += (extensions.empty() ? "" : "/") + std::string(extension);
        pending += (pending.empty() ? "" : ", ") + extensions;
        pendingHelp = help;
    }
    flush();
    const TContentFormatRow& other = OtherNames();
    return text + "; else " + (reading ? other.readHelp : other.writeHelp);
}

TContentFormat ContentFormatOfName(std::string_view path) {
    const std::string ext = Extension(path);
    for (const TContentFormatRow& row : ContentFormats())
        for (std::string_view extension : row.extensions)
            if (ext == extension)
                return row.format;
    return OtherNames().format;
}

TContentFormat ContentFormatOfText(TContentFormat byName, std::string_view start) {
    const TContentFormatRow& row = ContentFormatRow(byName);
    return row.readAs ? row.readAs(start) : byName;
}

std::unique_ptr<TContentEncoder> MakeContentEncoder(TContentFormat format, uint32_t address,
                                                    uint32_t count, std::string_view header) {
    return ContentFormatRow(format).encoder(address, count, header);
}

TContentFormat PanelContentFormatOfName(std::string_view path) {
    const TContentFormatRow& row = ContentFormatRow(ContentFormatOfName(path));
    return row.panel ? row.format : TContentFormat::Binary;
}

std::string PanelDialogFilter() {
    std::string filter = "All files (*.*)|*.*";
    for (const TContentFormatRow& row : ContentFormats())
        if (row.panel && row.dialogFilter)
            filter += std::string("|") + row.dialogFilter;
    return filter;
}
