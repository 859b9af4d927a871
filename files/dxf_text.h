#pragma once

// Small rules of the DXF reader that stand on their own: colour numbers,
// text formatting codes and the encodings of names and texts.

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/colors.h"

namespace nivora::dxf {

// The colour of a DXF colour number (group 62); none for 0 (by block),
// 256 (by layer), negative numbers (layer off) and numbers above 256.
std::optional<TColor> colorOfIndex(int index);

// Drops the inline formatting codes of a text: "\f...;", "\P" and their
// kind up to the next ';' or blank; "\\" keeps one backslash.
std::string cleanTextCodes(std::string_view text);

// A text that shows nothing: empty, or blanks and line breaks only. Such a
// text is neither exported nor imported, so that an export and its import
// hold the same texts (a DXF value line is read trimmed).
bool isBlankText(const QString& text);

// Entity texts are UTF-8. Bytes that are not (an older drawing in its
// Windows code page) are read in the system code page, and where that fails
// too as Windows-1252, so no byte is lost.
QString decodeText(std::string_view bytes);
// Layer and block names are in the system code page, with the same fallback.
QString decodeName(std::string_view bytes);
// Windows-1252, every byte mapped.
QString decodeWindows1252(std::string_view bytes);

}  // namespace nivora::dxf
