#include "survey/import_guard.h"

#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace nivora {
namespace {

bool fitsDegrees(const ShapeBounds& b) {
    return b.MinX >= -180.0 && b.MaxX <= 360.0 && b.MinY >= -90.0 && b.MaxY <= 90.0;
}

// The gap between two ranges, 0 when they overlap; signed: positive when
// `b` lies above `a`.
double gap(double aMin, double aMax, double bMin, double bMax) {
    if (bMin > aMax) return bMin - aMax;
    if (bMax < aMin) return bMax - aMin;
    return 0.0;
}

QString compassWord(double dx, double dy) {
    static const char* const kWords[] = {"east", "north-east", "north", "north-west",
                                         "west", "south-west", "south", "south-east"};
    const double angle = std::atan2(dy, dx) * 180.0 / M_PI;  // from east, anticlockwise
    const int sector =
        static_cast<int>(std::lround((angle < 0 ? angle + 360.0 : angle) / 45.0)) % 8;
    return QLatin1String(kWords[sector]);
}

QString distanceText(double metres) {
    const QLocale c = QLocale::c();
    if (metres >= 10000.0) return c.toString(metres / 1000.0, 'f', 0) + QStringLiteral(" km");
    if (metres >= 1000.0) return c.toString(metres / 1000.0, 'f', 1) + QStringLiteral(" km");
    return c.toString(metres, 'f', 0) + QStringLiteral(" m");
}

}  // namespace

ImportPlacement judgeImport(const ShapeBounds& drawing, const std::optional<ShapeBounds>& survey,
                            double farMetres) {
    ImportPlacement p;
    if (!survey) return p;
    const ShapeBounds& s = *survey;
    // A survey in degrees itself (an unprojected chart) is not a case of this.
    p.degrees = fitsDegrees(drawing) && !fitsDegrees(s);
    const double dx = gap(s.MinX, s.MaxX, drawing.MinX, drawing.MaxX);
    const double dy = gap(s.MinY, s.MaxY, drawing.MinY, drawing.MaxY);
    p.distanceM = std::hypot(dx, dy);
    if (p.distanceM > 0.0) p.direction = compassWord(dx, dy);
    p.far = p.degrees || p.distanceM > farMetres;
    return p;
}

QString importQuestion(const QString& file, const ImportPlacement& p, const ShapeBounds& drawing,
                       const QString& centre) {
    const QLocale c = QLocale::c();
    const auto range = [&c](double a, double b, int decimals) -> QString {
        return c.toString(a, 'f', decimals) + QStringLiteral(" to ") + c.toString(b, 'f', decimals);
    };
    QString text = QFileInfo(file).fileName();
    if (p.distanceM > 0.0) {
        text += QStringLiteral(" lies %1 %2 of the survey area")
                    .arg(distanceText(p.distanceM), p.direction);
    } else {
        text += QStringLiteral(" lies over the survey area");
    }
    text += QStringLiteral(", its centre at %1.").arg(centre);
    if (p.degrees) {
        text +=
            QStringLiteral(
                " Its coordinates (x %1, y %2) look like longitudes and latitudes in "
                "degrees, while the survey is in metres.")
                .arg(range(drawing.MinX, drawing.MaxX, 4), range(drawing.MinY, drawing.MaxY, 4));
    }
    text += QStringLiteral(" Import it anyway?");
    return text;
}

}  // namespace nivora
