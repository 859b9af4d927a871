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
// and 3e-7 m (a different last round of the iteration included, which also
// covers the near-surface conversion: it stops on the fixed point itself);
// the margins are well beyond that.
constexpr Real kAngleMargin = 1e-10L;
constexpr Real kHeightMargin = 1e-5L;

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
    GeocentricPosition g;
    if (!shifted(geodeticToGeocentric(wgs84, parameters_.source, hint), roundStages, g)) {
        return std::nullopt;
    }
    return g;
}

bool DatumChain::shifted(const GeocentricPosition& start, bool roundStages,
                         GeocentricPosition& g) const {
    const auto stage = [&](const GeocentricPosition& v) {
        if (!roundStages) return v;
        return GeocentricPosition{roundSignificant15(v.x), roundSignificant15(v.y),
                                  roundSignificant15(v.z)};
    };
    g = stage(start);
    // An all-zero parameter set returns its input unchanged, digit for digit,
    // so skipping it changes nothing.
    if (!sourceTransform_.isIdentity()) {
        g = stage(sourceTransform_.apply(HelmertDirection::LocalToWgs84, g));
    }
    if (!destinationTransform_.isIdentity()) {
        g = stage(destinationTransform_.apply(HelmertDirection::Wgs84ToLocal, g));
    }
    return finite(g);
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

std::optional<GeodeticPosition> DatumChain::toLocal(const GeodeticPosition& wgs84,
                                                    GeodeticHint* wgs84Angles) const {
    GeodeticHint own;
    LocalPosition r;
    if (!toLocal(wgs84, wgs84Angles ? *wgs84Angles : own, r)) return std::nullopt;
    return GeodeticPosition{r.latitude, r.longitude, r.height};
}

bool DatumChain::roundedUnlessNearTie(const GeocentricPosition& start, const GeodeticHint& hint,
                                      LocalPosition& out) const {
    // The stages of shifted() without their texts, written out so that they
    // stay in this function. The source parameters of the cycle's datum are
    // all zero.
    GeocentricPosition g;
    if (!sourceTransform_.isIdentity()) {
        if (!shifted(start, false, g)) return false;
    } else if (!destinationTransform_.isIdentity()) {
        g = destinationTransform_.apply(HelmertDirection::Wgs84ToLocal, start);
        if (!finite(g)) return false;
    } else {
        g = start;
        if (!finite(g)) return false;
    }
    GeodeticPosition fast;
    if (!nearSurface_.convert(g, hint, fast)) {
        const auto iterated = geocentricToGeodetic(g, parameters_.destination, &hint);
        if (!iterated) return false;
        fast = *iterated;
    }
    return std::fabs(fast.latitude) < 80 &&
           roundDecimalsClearOfTie(fast.latitude, 8, kAngleMargin, out.latitude) &&
           roundDecimalsClearOfTie(fast.longitude, 8, kAngleMargin, out.longitude) &&
           roundDecimalsClearOfTie(fast.height, 2, kHeightMargin, out.height);
}

bool DatumChain::toLocal(const GeodeticPosition& wgs84, GeodeticHint& hint,
                         LocalPosition& out) const {
    if (precision_ == StagePrecision::Exact) {
        return roundedOrNothing(toLocalUnrounded(wgs84, &hint), out);
    }
    // Unless the unrounded result lies within the margins of a rounding tie
    // of its 8 or 2 decimals, rounding it gives the very numbers the
    // stage-by-stage texts give, at a fraction of the cost. Near the poles
    // longitudes are too sensitive for this.
    const GeocentricPosition start = geodeticToGeocentric(wgs84, parameters_.source, &hint);
    if (roundedUnlessNearTie(start, hint, out)) return true;
    // Otherwise the stage texts decide, from the same first stage.
    GeocentricPosition g;
    if (!shifted(start, true, g)) return false;
    return roundedOrNothing(geocentricToGeodetic(g, parameters_.destination, &hint), out);
}

bool DatumChain::roundedOrNothing(const std::optional<GeodeticPosition>& p, LocalPosition& out) {
    if (!p) return false;
    out = {roundDecimals(p->latitude, 8), roundDecimals(p->longitude, 8),
           roundDecimals(p->height, 2)};
    // A height beyond the double range reads back infinite.
    return std::isfinite(out.height);
}

}  // namespace nivora::geodesy
