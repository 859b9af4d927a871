#include "config/latency_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/ini_store.h"
#include "core/number_format.h"
#include "core/number_text.h"

namespace nivora {

// ---- Latency ----

const std::vector<IniKey<LatencyModel>>& LatencyModel::keys() {
    static const std::vector<IniKey<LatencyModel>> keys = {
        {"LATENCY", "eLatencyTol", IniKind::Integer, &LatencyModel::tolerance, "500"},
    };
    return keys;
}

void LatencyModel::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
    setToleranceText(tolerance);
}

void LatencyModel::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

bool LatencyModel::setToleranceText(const QString& text) {
    tolerance = text;
    const auto v = toInteger(text);
    if (!v) return false;
    toleranceMs_ = *v;
    return true;
}

void LatencyModel::record(qint64 ms) {
    current_ = ms;
    ++count_;
    const double n = static_cast<double>(count_);
    average_ = ((n - 1.0) * average_ + static_cast<double>(ms)) / n;
}

QString LatencyModel::averagedText() const {
    return QString::fromStdString(formatFixed(average_, 1));
}

std::optional<TColor> LatencyModel::colour() const {
    if (count_ == 0) return std::nullopt;
    return current_ < toleranceMs_ ? kWithinColour : kOverColour;
}

// ---- Vessel shape ----

const std::vector<IniKey<VesselShapeModel>>& VesselShapeModel::keys() {
    using V = VesselShapeModel;
    static const std::vector<IniKey<V>> keys = {
        {"VESSEL_SHAPE", "Number of circles", IniKind::Integer, &V::circles, "2"},
        {"VESSEL_SHAPE", "Cirecle offset interval", IniKind::Real, &V::circleInterval, "10"},
        {"VESSEL_SHAPE", "Radious of first circle", IniKind::Real, &V::firstRadius, "10"},
        {"VESSEL_SHAPE", "Arrow length to bow", IniKind::Real, &V::bowLength, "100"},
        {"VESSEL_SHAPE", "Left right offset of arrow", IniKind::Real, &V::sideLength, "0"},
    };
    return keys;
}

void VesselShapeModel::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
}

void VesselShapeModel::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

void VesselShapeModel::defaults() {
    circles = QStringLiteral("2");
    circleInterval = QStringLiteral("10");
    firstRadius = QStringLiteral("10");
    bowLength = QStringLiteral("100");
    sideLength = QStringLiteral("10");
}

std::optional<VesselShape> VesselShapeModel::values(QString* error) const {
    const auto fail = [error](const char* field, const QString& text) {
        if (error) *error = notANumberMessage(QString::fromLatin1(field), text);
        return std::nullopt;
    };
    VesselShape s;
    const auto k = toInteger(circles);
    if (!k) return fail("Total number of circles", circles);
    s.circles = std::clamp(*k, 0, kMaxCircles);
    const auto d = toNumber(circleInterval);
    if (!d) return fail("Offset to next circle", circleInterval);
    const auto r = toNumber(firstRadius);
    if (!r) return fail("Radius of first circle", firstRadius);
    const auto b = toNumber(bowLength);
    if (!b) return fail("Arrow's longitude length", bowLength);
    const auto l = toNumber(sideLength);
    if (!l) return fail("Arrow's sideward length", sideLength);
    s.circleInterval = *d;
    s.firstRadius = *r;
    s.bowLength = *b;
    s.sideLength = *l;
    return s;
}

VesselSymbol vesselSymbol(double e, double n, double headingDeg, const VesselShape& s) {
    constexpr double kDeg = std::numbers::pi / 180.0;
    const double h = headingDeg * kDeg;
    const double bx = e + s.bowLength * std::sin(h);
    const double by = n + s.bowLength * std::cos(h);
    const double rx = e + s.sideLength * std::sin(h + std::numbers::pi / 2);
    const double ry = n + s.sideLength * std::cos(h + std::numbers::pi / 2);
    const double lx = e + s.sideLength * std::sin(h - std::numbers::pi / 2);
    const double ly = n + s.sideLength * std::cos(h - std::numbers::pi / 2);
    VesselSymbol out;
    out.lines = {
        {e, n, bx, by}, {e, n, rx, ry}, {e, n, lx, ly}, {rx, ry, bx, by}, {lx, ly, bx, by}};
    const int circles = std::clamp(s.circles, 0, VesselShapeModel::kMaxCircles);
    for (int i = 0; i < circles; ++i)
        out.radii.push_back(s.firstRadius + i * s.circleInterval);
    return out;
}

}  // namespace nivora
