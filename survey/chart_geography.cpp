#include "survey/chart_geography.h"

#include <cmath>

#include "config/settings_models.h"
#include "core/number_format.h"

namespace nivora {

namespace {

bool sameParameters(const geodesy::GeodeticParameters& a, const geodesy::GeodeticParameters& b) {
    for (const geodesy::GeodeticKey& k : geodesy::kGeodeticKeys)
        if (a.*k.field != b.*k.field) return false;
    return true;
}

double number(const std::string& text, double fallback) {
    return parseNumber(text).value_or(fallback);
}

constexpr double kMetresPerDegree = 111320.0;

}  // namespace

bool ChartGeography::ready() {
    const geodesy::GeodeticParameters now = models_.device.geodeticParameters();
    if (!tried_ || !sameParameters(now, taken_)) {
        tried_ = true;
        taken_ = now;
        projector_ = geodesy::FixProjector::take(now);
        last_.reset();
    }
    return projector_.has_value();
}

geodesy::WgsPosition ChartGeography::roughly(double easting, double northing) const {
    const geodesy::GeodeticParameters& p = taken_;
    double lat0, lon0, e0, n0;
    if (p.lambertSelected()) {
        lat0 = number(p.lccCentralParallel, 0);
        lon0 = number(p.lccCentralMeridian, 0);
        e0 = number(p.lccFalseEasting, 0);
        n0 = number(p.lccFalseNorthing, 0);
    } else {
        lat0 = number(p.referenceLatitude, 0);
        lon0 = number(p.centralMeridian, 0);
        e0 = number(p.falseEasting, 0);
        n0 = number(p.falseNorthing, 0);
    }
    const double lat = std::clamp(lat0 + (northing - n0) / kMetresPerDegree, -85.0, 85.0);
    const double lon =
        lon0 + (easting - e0) / (kMetresPerDegree * std::max(0.05, std::cos(lat * M_PI / 180)));
    return {lat, lon};
}

std::optional<geodesy::WgsPosition> ChartGeography::toWgs84(double easting, double northing) {
    if (!ready() || !std::isfinite(easting) || !std::isfinite(northing)) return std::nullopt;
    // From the last answer when it is near, else from a rough guess.
    std::optional<geodesy::WgsPosition> p;
    if (last_) p = geodesy::gridToWgs84(*projector_, easting, northing, 0, *last_);
    if (!p) p = geodesy::gridToWgs84(*projector_, easting, northing, 0, roughly(easting, northing));
    if (p) last_ = p;
    return p;
}

std::optional<double> ChartGeography::convergenceAt(double easting, double northing) {
    const auto p = toWgs84(easting, northing);
    if (!p) return std::nullopt;
    const geodesy::FixResult r = projector_->project(p->latitude, p->longitude, 0);
    if (!r.placed() || !r.convergence) return std::nullopt;
    return r.convergence;
}

QString ChartGeography::readOut(double easting, double northing) {
    auto fixed = [](double v, int decimals) {
        return QString::fromStdString(formatFixed(v, decimals));
    };
    QString text =
        QStringLiteral("E: ") + fixed(easting, 2) + QStringLiteral("  N: ") + fixed(northing, 2);
    if (const auto p = toWgs84(easting, northing)) {
        text += QStringLiteral("  Lat: ") + fixed(p->latitude, 8) + QStringLiteral("  Lon: ") +
                fixed(p->longitude, 8);
    }
    return text;
}

}  // namespace nivora
