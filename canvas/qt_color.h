#pragma once

// TColor (0x00BBGGRR, red in the low byte) to and from Qt colours. Qt's QRgb
// is 0xAARRGGBB, the other way round, so a plain cast swaps red and blue.

#include <QColor>
#include <QRgb>

#include "core/colors.h"

namespace nivora {

inline QColor toQColor(TColor c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

// Opaque QRgb, as stored in a 32-bit image.
inline QRgb toQRgb(TColor c) {
    return qRgb(redOf(c), greenOf(c), blueOf(c));
}

inline TColor fromQColor(const QColor& c) {
    return rgbColor(static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                    static_cast<std::uint8_t>(c.blue()));
}

inline TColor fromQRgb(QRgb c) {
    return rgbColor(static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                    static_cast<std::uint8_t>(qBlue(c)));
}

}  // namespace nivora
