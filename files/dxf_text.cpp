#include "files/dxf_text.h"

#include <QStringDecoder>

namespace nivora::dxf {
namespace {

bool isAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

QString latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Decodes with the converter; nothing when the bytes are not valid in it.
std::optional<QString> strictDecode(QStringConverter::Encoding encoding, std::string_view bytes) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return std::nullopt;
    return text;
}

bool isFormatLetter(char c) {
    switch (c) {
        case 'A':
        case 'C':
        case 'F':
        case 'H':
        case 'K':
        case 'L':
        case 'O':
        case 'P':
        case 'Q':
        case 'S':
        case 'T':
        case 'W':
        case 'f':
        case 'p':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<TColor> colorOfIndex(int index) {
    switch (index) {
        case 1:
            return colors::Red;
        case 2:
            return colors::Yellow;
        case 3:
            return colors::Lime;
        case 4:
            return colors::Aqua;
        case 5:
            return colors::Blue;
        case 6:
            return colors::Fuchsia;
        case 7:
            return colors::White;
        case 8:
            return colors::Gray;
        case 9:
            return colors::Silver;
        default:
            break;
    }
    if (index < 10 || index > 255) return std::nullopt;
    return rgbColor(static_cast<std::uint8_t>((17 * index) % 256),
                    static_cast<std::uint8_t>((37 * index) % 256),
                    static_cast<std::uint8_t>((53 * index) % 256));
}

std::string cleanTextCodes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\\' || i + 1 >= text.size()) {
            out.push_back(c);
            ++i;
            continue;
        }
        const char next = text[i + 1];
        if (isFormatLetter(next)) {
            i += 2;
            while (i < text.size() && text[i] != ';' && text[i] != ' ')
                ++i;
            if (i < text.size()) ++i;  // the terminator goes too
        } else if (next == '\\') {
            out.push_back('\\');
            i += 2;
        } else {
            out.push_back('\\');
            ++i;
        }
    }
    return out;
}

bool isBlankText(const QString& text) {
    for (const QChar c : text) {
        if (!c.isSpace()) return false;
    }
    return true;
}

QString decodeWindows1252(std::string_view bytes) {
    // 0x80 .. 0x9F; the five unassigned bytes keep their own code points.
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* d = out.data();
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *d++ = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(static_cast<char16_t>(b));
    }
    return out;
}

QString decodeText(std::string_view bytes) {
    if (isAscii(bytes)) return latin1(bytes);
    if (auto t = strictDecode(QStringConverter::Utf8, bytes)) return *t;
    if (auto t = strictDecode(QStringConverter::System, bytes)) return *t;
    return decodeWindows1252(bytes);
}

QString decodeName(std::string_view bytes) {
    if (isAscii(bytes)) return latin1(bytes);
    if (auto t = strictDecode(QStringConverter::System, bytes)) return *t;
    return decodeWindows1252(bytes);
}

}  // namespace nivora::dxf
