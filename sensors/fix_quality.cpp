#include "sensors/fix_quality.h"

namespace nivora {

QString fixQualityName(int quality) {
    switch (quality) {
        case 0:
            return QStringLiteral("No Fix");
        case 1:
            return QStringLiteral("GPS");
        case 2:
            return QStringLiteral("DGPS");
        case 4:
            return QStringLiteral("RTK Fix");
        case 5:
            return QStringLiteral("RTK Float");
        default:
            return QStringLiteral("Fix:") + QString::number(quality);
    }
}

TColor fixQualityColor(int quality) {
    switch (quality) {
        case 0:
        case 1:
            return colors::Red;
        case 2:
            return colors::Aqua;
        case 4:
            return colors::Lime;
        default:
            return colors::Yellow;
    }
}

}  // namespace nivora
