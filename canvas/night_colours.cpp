#include "canvas/night_colours.h"

#include <QColor>

#include "canvas/qt_color.h"

namespace nivora {

namespace {

double luma(const QColor& c) {
    return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
}

}  // namespace

TColor NightColour(TColor day) {
    const QColor in = toQColor(day);
    float h = 0, s = 0, l = 0;
    in.getHslF(&h, &s, &l);
    if (h < 0) h = 0;  // greys have no hue
    // White paper to a dark slate, black ink to a soft grey.
    float lightness = 0.11f + (1.0f - l) * 0.62f;
    QColor out = QColor::fromHslF(h, s * 0.9f, lightness);
    if (s > 0.4f) {
        // A colour keeps its hue and is lit until it stands out from the
        // dark paper: a blue that would sink into it is raised.
        lightness = 0.42f;
        out = QColor::fromHslF(h, s * 0.9f, lightness);
        while (luma(out) < 0.28 && lightness < 0.75f) {
            lightness += 0.03f;
            out = QColor::fromHslF(h, s * 0.9f, lightness);
        }
    }
    return fromQColor(out);
}

}  // namespace nivora
