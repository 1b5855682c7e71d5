#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "core/formats/ContentEncoder.h"

// The forms of a memory content file: raw bytes, the panel's HEX text (two
// digits a byte), Intel HEX and Motorola S-records.
enum class TContentFormat { Binary, PanelHex, IntelHex, SRecord };

// The format of a --format value: "binary", "hex", "ihex" or "srec"
// (any case); nullopt for anything else.
std::optional<TContentFormat> ContentFormatNamed(std::string_view name);
// The format's --format value.
const char* ContentFormatName(TContentFormat format);
// "binary|hex|ihex|srec", for a help text.
inline constexpr const char* kContentFormatNames = "binary|hex|ihex|srec";

// The format a file name's extension (any case) stands for: .ihex and .ihx
// Intel HEX; .srec, .s19, .s28 and .s37 S-records; .hex the panel's HEX text;
// anything else, and a name without an extension such as "-", binary.
TContentFormat ContentFormatOfName(std::string_view path);

// What a file of the format its name gives is read as, once its first bytes
// are known: a .hex file that starts with ':' is Intel HEX, as other tools
// name theirs.
TContentFormat ContentFormatOfText(TContentFormat byName, std::string_view start);

// Whether the format places its bytes by the addresses of its records.
constexpr bool HasRecords(TContentFormat format) {
    return format == TContentFormat::IntelHex || format == TContentFormat::SRecord;
}

// The encoder that writes `count` bytes read from `address` on in `format`;
// an S-record file's header carries `header`.
std::unique_ptr<TContentEncoder> MakeContentEncoder(TContentFormat format, uint32_t address,
                                                    uint32_t count, std::string_view header);
