#include "geodesy/datum_chain.h"

#include "core/scan.h"
#include "geodesy/geocentric.h"

namespace nivora::geodesy {
namespace {

HelmertParameters rewritten(const HelmertParameters& p, StagePrecision precision) {
    if (precision == StagePrecision::Exact) return p;
    return {roundSignificant15(p.scalePpm),  roundSignificant15(p.rotationX),
            roundSignificant15(p.rotationY), roundSignificant15(p.rotationZ),
            roundSignificant15(p.shiftX),    roundSignificant15(p.shiftY),
            roundSignificant15(p.shiftZ)};
}

// How close to a rounding tie an unrounded result may come before the
// stages must be repeated with their texts. Rounding the stages to 15
// digits moves a geocentric coordinate by at most 2e-8 m, which below 80
// degrees of latitude shifts the result by at most about 1.5e-12 degrees
// and 3e-7 m (a different last round of the iteration included, and so the
// near-surface conversion, which lands on the fixed point itself); the
// margins are well beyond that.
constexpr Real kAngleMargin = 1e-10L;
constexpr Real kHeightMargin = 1e-5L;

GeodeticPosition rounded(const GeodeticPosition& p) {
    return {roundDecimals(p.latitude, 8), roundDecimals(p.longitude, 8),
            roundDecimals(p.height, 2)};
}

bool finite(const GeocentricPosition& g) {
    return std::isfinite(g.x) && std::isfinite(g.y) && std::isfinite(g.z);
}

}  // namespace

std::optional<DatumParameters> scanDatumParameters(std::string_view text) {
    static const ScanPattern pattern(
        "%lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf");
    double v[18];
    if (pattern(text, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10],
                &v[11], &v[12], &v[13], &v[14], &v[15], &v[16], &v[17]) != 18) {
        return std::nullopt;
    }
    return DatumParameters{{v[0], v[1]},
                           {v[2], v[3], v[4], v[5], v[6], v[7], v[8]},
                           {v[9], v[10]},
                           {v[11], v[12], v[13], v[14], v[15], v[16], v[17]}};
}

DatumChain::DatumChain(const DatumParameters& parameters, StagePrecision precision)
    : parameters_(parameters),
      precision_(precision),
      sourceTransform_(rewritten(parameters.sourceShift, precision),
                       RotationConvention::CoordinateFrame),
      destinationTransform_(rewritten(parameters.destinationShift, precision),
                            RotationConvention::CoordinateFrame),
      nearSurface_(parameters.destination) {}

std::optional<GeocentricPosition> DatumChain::geocentric(const GeodeticPosition& wgs84,
                                                         GeodeticHint* hint,
                                                         bool roundStages) const {
    return shifted(geodeticToGeocentric(wgs84, parameters_.source, hint), roundStages);
}

std::optional<GeocentricPosition> DatumChain::shifted(const GeocentricPosition& start,
                                                      bool roundStages) const {
    const auto stage = [&](const GeocentricPosition& g) {
        if (!roundStages) return g;
        return GeocentricPosition{roundSignificant15(g.x), roundSignificant15(g.y),
                                  roundSignificant15(g.z)};
    };
    GeocentricPosition g = stage(start);
    // An all-zero parameter set returns its input unchanged, digit for digit,
    // so skipping it changes nothing.
    if (!sourceTransform_.isIdentity()) {
        g = stage(sourceTransform_.apply(HelmertDirection::LocalToWgs84, g));
    }
    if (!destinationTransform_.isIdentity()) {
        g = stage(destinationTransform_.apply(HelmertDirection::Wgs84ToLocal, g));
    }
    if (!finite(g)) return std::nullopt;
    return g;
}

std::optional<GeocentricPosition> DatumChain::toLocalGeocentric(
    const GeodeticPosition& wgs84) const {
    return geocentric(wgs84, nullptr, precision_ == StagePrecision::FifteenDigits);
}

std::optional<GeodeticPosition> DatumChain::toLocalUnrounded(const GeodeticPosition& wgs84,
                                                             GeodeticHint* wgs84Angles) const {
    return geodetic(wgs84, wgs84Angles, precision_ == StagePrecision::FifteenDigits);
}

std::optional<GeodeticPosition> DatumChain::geodetic(const GeodeticPosition& wgs84,
                                                     GeodeticHint* wgs84Angles,
                                                     bool roundStages) const {
    GeodeticHint local;
    GeodeticHint& hint = wgs84Angles ? *wgs84Angles : local;
    const auto g = geocentric(wgs84, &hint, roundStages);
    if (!g) return std::nullopt;
    return geocentricToGeodetic(*g, parameters_.destination, &hint);
}

std::optional<GeodeticPosition> DatumChain::roundedUnlessNearTie(
    const GeocentricPosition& start, const GeodeticHint& hint) const {
    const auto g = shifted(start, false);
    if (!g) return std::nullopt;
    GeodeticPosition fast;
    if (!nearSurface_.convert(*g, hint, fast)) {
        const auto iterated = geocentricToGeodetic(*g, parameters_.destination, &hint);
        if (!iterated) return std::nullopt;
        fast = *iterated;
    }
    double lat, lon, h;
    if (std::fabs(fast.latitude) < 80 &&
        roundDecimalsClearOfTie(fast.latitude, 8, kAngleMargin, lat) &&
        roundDecimalsClearOfTie(fast.longitude, 8, kAngleMargin, lon) &&
        roundDecimalsClearOfTie(fast.height, 2, kHeightMargin, h)) {
        return GeodeticPosition{lat, lon, h};
    }
    return std::nullopt;
}

std::optional<GeodeticPosition> DatumChain::toLocal(const GeodeticPosition& wgs84,
                                                    GeodeticHint* wgs84Angles) const {
    if (precision_ == StagePrecision::Exact) {
        const auto p = toLocalUnrounded(wgs84, wgs84Angles);
        if (!p) return std::nullopt;
        const GeodeticPosition r = rounded(*p);
        if (!std::isfinite(r.height)) return std::nullopt;
        return r;
    }
    // Unless the unrounded result lies within the margins of a rounding
    // tie of its 8 or 2 decimals, rounding it gives the very numbers the
    // stage-by-stage texts give, at a fraction of the cost. Near the poles
    // longitudes are too sensitive for this.
    GeodeticHint own;
    GeodeticHint& hint = wgs84Angles ? *wgs84Angles : own;
    const GeocentricPosition start = geodeticToGeocentric(wgs84, parameters_.source, &hint);
    if (const auto fast = roundedUnlessNearTie(start, hint)) return fast;
    const auto g = shifted(start, true);
    if (!g) return std::nullopt;
    const auto p = geocentricToGeodetic(*g, parameters_.destination, &hint);
    if (!p) return std::nullopt;
    const GeodeticPosition r = rounded(*p);
    // A height beyond the double range reads back infinite.
    if (!std::isfinite(r.height)) return std::nullopt;
    return r;
}

}  // namespace nivora::geodesy
