#include "geodesy/fix_projection.h"

#include "core/number_format.h"
#include "core/scan.h"

namespace nivora::geodesy {
namespace {

constexpr double kPiD = 3.141592653589793;

double toRadians(double degrees) {
    return degrees * kPiD / 180;
}

FixResult abandoned(FixStatus status) {
    FixResult r;
    r.status = status;
    return r;
}

struct NumberField {
    std::string_view key;
    const std::string* text;
    double* value;
};

}  // namespace

FixProjector::FixProjector(const Ellipsoid& local, const TmParameters& tmNumbers,
                           const Ellipsoid& tmEllipsoid, const TmParameters& tmScanned)
    : local_(local),
      tmConvergence_(local, tmNumbers),
      tmProjection_(std::in_place, tmEllipsoid, tmScanned) {}

std::optional<FixProjector> FixProjector::take(const GeodeticParameters& p,
                                               ParameterConversionError* error) {
    double cm, refLat, k0, fe, fn, a, f, sp1, sp2, cp, lcm, lsf, lfe, lfn;
    const NumberField fields[] = {
        {"Central_Meridian", &p.centralMeridian, &cm},
        {"Reference_Latitude", &p.referenceLatitude, &refLat},
        {"Scale_Factor", &p.scaleFactor, &k0},
        {"False_Easting", &p.falseEasting, &fe},
        {"False_Northing", &p.falseNorthing, &fn},
        {"SemiMajorAxis", &p.semiMajorAxis, &a},
        {"InverseFlattening", &p.flattening, &f},
        {"eLCCSP1", &p.lccStandardParallel1, &sp1},
        {"eLCCSP2", &p.lccStandardParallel2, &sp2},
        {"eLCCCP", &p.lccCentralParallel, &cp},
        {"eLCCM", &p.lccCentralMeridian, &lcm},
        {"eLCCSF", &p.lccScaleFactor, &lsf},
        {"eLCCFE", &p.lccFalseEasting, &lfe},
        {"eLCCFN", &p.lccFalseNorthing, &lfn},
    };
    for (const NumberField& field : fields) {
        const auto v = parseNumber(*field.text);
        if (!v) {
            if (error) *error = {field.key, *field.text};
            return std::nullopt;
        }
        *field.value = *v;
    }
    // The flattening field holds the flattening itself; 298.257 typed there
    // (the inverse) or a non-positive axis would place every fix somewhere
    // else without a word.
    if (!(a > 0)) {
        if (error) *error = {"SemiMajorAxis", p.semiMajorAxis, false};
        return std::nullopt;
    }
    if (!(f >= 0 && f < 1)) {
        if (error) *error = {"InverseFlattening", p.flattening, false};
        return std::nullopt;
    }

    // The projection reads its numbers back from the texts the cycle
    // builds; for fields that converted they are the same numbers.
    static const ScanPattern fiveNumbers("%lf %lf %lf %lf %lf");
    static const ScanPattern pair("%*20s %*20s %lf %lf");
    double s[5] = {}, sa = 0, sf = 0;
    const bool tmScanned =
        fiveNumbers(tmParameterText(p), &s[0], &s[1], &s[2], &s[3], &s[4]) == 5 &&
        pair(ellipsoidPairText(p), &sa, &sf) == 2;

    FixProjector fp({a, f}, {cm, refLat, k0, fe, fn}, {sa, sf}, {s[0], s[1], s[2], s[3], s[4]});
    if (!tmScanned) fp.tmProjection_.reset();
    fp.projection_ = !p.lambertSelected()   ? GridProjection::TransverseMercator
                     : p.lambert1Selected() ? GridProjection::Lambert1
                                            : GridProjection::Lambert2;
    fp.datumText_ = datumParameterText(p);
    if (const auto datum = scanDatumParameters(fp.datumText_)) {
        fp.chain_.emplace(*datum, StagePrecision::FifteenDigits);
    }
    fp.lambert_ = {
        toRadians(sp1), toRadians(sp2), toRadians(cp), toRadians(lcm), lcm, lsf, lfe, lfn};
    return fp;
}

FixResult FixProjector::project(double latitude, double longitude, double altitude) {
    if (projection_ == GridProjection::TransverseMercator) {
        return projectTm(latitude, longitude, true);
    }
    if (!chain_) return abandoned(FixStatus::DatumParametersIncomplete);
    GeodeticHint wgs;
    LocalPosition local;
    if (!chain_->toLocal({latitude, longitude, altitude}, wgs, local)) {
        return abandoned(FixStatus::DatumShiftFailed);
    }
    return projectLambert(local.latitude, local.longitude);
}

FixResult FixProjector::projectLocal(double latitude, double longitude) {
    if (projection_ == GridProjection::TransverseMercator) {
        return projectTm(latitude, longitude, false);
    }
    return projectLambert(latitude, longitude);
}

std::optional<GeodeticPosition> FixProjector::toLocal(double latitude, double longitude,
                                                      double height) const {
    if (!chain_) return std::nullopt;
    return chain_->toLocal({latitude, longitude, height});
}

FixResult FixProjector::projectTm(double latitude, double longitude, bool shift) {
    // The cycle takes the convergence at the receiver's own position first,
    // then shifts the datum (height 0 on this path) and projects.
    GeodeticHint wgs;
    LocalPosition local;
    bool haveLocal = false;
    if (shift && chain_) {
        haveLocal = chain_->toLocal({latitude, longitude, 0}, wgs, local);
    } else {
        wgs.latitude.radians = degreesToRadians(latitude);
        sinCos(wgs.latitude.radians, wgs.latitude.sin, wgs.latitude.cos);
        if (!shift) {
            local = {latitude, longitude, 0};
            haveLocal = true;
        }
    }
    // One result object on every path, built in place.
    FixResult r;
    const Real gamma =
        tmConvergence_.gridConvergence({wgs.latitude.sin, wgs.latitude.cos}, longitude);
    if (!std::isfinite(gamma)) {
        r.status = FixStatus::ProjectionFailed;
        return r;
    }
    r.convergence = static_cast<double>(gamma);
    if (shift && !chain_) {
        r.status = FixStatus::DatumParametersIncomplete;
        return r;
    }
    if (!haveLocal) {
        r.status = FixStatus::DatumShiftFailed;
        return r;
    }
    r.status = FixStatus::ProjectionFailed;
    if (!tmProjection_) return r;
    // The shifted latitude and longitude have 8 decimals, so writing them
    // with 15 significant digits for the projection changes nothing.
    const GridPosition g = tmProjection_->forward(local.latitude, local.longitude);
    const double e = roundSignificant15(g.easting);
    const double n = roundSignificant15(g.northing);
    if (!std::isfinite(e) || !std::isfinite(n)) return r;
    r.status = FixStatus::Placed;
    r.easting = e;
    r.northing = n;
    return r;
}

FixResult FixProjector::projectLambert(double latitude, double longitude) {
    const LambertNumbers& L = lambert_;
    const double a = static_cast<double>(local_.a);
    const double f = static_cast<double>(local_.f);
    const double phi = toRadians(latitude);
    const double lam = toRadians(longitude);
    double e = 0, n = 0;
    unsigned bits;
    if (projection_ == GridProjection::Lambert1) {
        if (!cone_) {
            const double cone =
                lcc_.SetLambert1Parameters(a, f, L.centralParallel, L.centralMeridian,
                                           L.falseEasting, L.falseNorthing, L.scaleFactor);
            if (lcc_.lastSetErrors() != 0) return abandoned(FixStatus::ProjectionFailed);
            cone_ = cone;
        }
        bits = lcc_.GeodeticToLambert1(phi, lam, e, n);
    } else {
        if (!cone_) {
            const double cone =
                lcc_.SetLambert2Parameters(a, f, L.centralParallel, L.centralMeridian, L.parallel1,
                                           L.parallel2, L.falseEasting, L.falseNorthing);
            if (lcc_.lastSetErrors() != 0) return abandoned(FixStatus::ProjectionFailed);
            cone_ = cone;
        }
        bits = lcc_.GeodeticToLambert2(phi, lam, e, n);
    }
    // Rejected parameters or error bits leave no position to place.
    if (bits != 0 || !std::isfinite(e) || !std::isfinite(n)) {
        return abandoned(FixStatus::ProjectionFailed);
    }
    // The meridians lean towards the cone's apex by n * (lon - lon0): true
    // north lies that far west of grid north east of the central meridian,
    // as with the TM convergence, hence the sign.
    const double gamma = -*cone_ * (longitude - L.centralMeridianDegrees);
    if (!std::isfinite(gamma)) return abandoned(FixStatus::ProjectionFailed);
    FixResult r;
    r.status = FixStatus::Placed;
    r.easting = e;
    r.northing = n;
    r.convergence = gamma;
    return r;
}

FixResult projectFix(const GeodeticParameters& parameters, double latitude, double longitude,
                     double altitude) {
    auto projector = FixProjector::take(parameters);
    if (!projector) return abandoned(FixStatus::ParameterNotANumber);
    return projector->project(latitude, longitude, altitude);
}

}  // namespace nivora::geodesy
