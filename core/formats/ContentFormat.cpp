#include "core/formats/ContentFormat.h"

#include <string>
#include <utility>

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

// Each format's name, as options take it and summaries give it.
constexpr std::pair<TContentFormat, const char*> kFormatNames[] = {
    {TContentFormat::Binary, "binary"},
    {TContentFormat::PanelHex, "hex"},
    {TContentFormat::IntelHex, "ihex"},
    {TContentFormat::SRecord, "srec"}};

} // namespace

std::optional<TContentFormat> ContentFormatNamed(std::string_view name) {
    const std::string lower = Lower(name);
    for (const auto& [format, formatName] : kFormatNames)
        if (lower == formatName)
            return format;
    return std::nullopt;
}

const char* ContentFormatName(TContentFormat format) {
    for (const auto& [named, name] : kFormatNames)
        if (named == format)
            return name;
    return "binary";
}

TContentFormat ContentFormatOfName(std::string_view path) {
    const std::string ext = Extension(path);
    if (ext == ".hex")
        return TContentFormat::PanelHex;
    if (ext == ".ihex" || ext == ".ihx")
        return TContentFormat::IntelHex;
    if (ext == ".srec" || ext == ".s19" || ext == ".s28" || ext == ".s37")
        return TContentFormat::SRecord;
    return TContentFormat::Binary;
}

TContentFormat ContentFormatOfText(TContentFormat byName, std::string_view start) {
    if (byName == TContentFormat::PanelHex && !start.empty() && start[0] == ':')
        return TContentFormat::IntelHex;
    return byName;
}

std::unique_ptr<TContentEncoder> MakeContentEncoder(TContentFormat format, uint32_t address,
                                                    uint32_t count, std::string_view header) {
    switch (format) {
    case TContentFormat::PanelHex:
        return std::make_unique<TPanelHexEncoder>();
    case TContentFormat::IntelHex:
        return std::make_unique<TIntelHexWriter>(address);
    case TContentFormat::SRecord:
        return std::make_unique<TSRecordWriter>(address, count, header);
    case TContentFormat::Binary:
        break;
    }
    return std::make_unique<TBinaryEncoder>();
}
