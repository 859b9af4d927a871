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

namespace {

std::string notANumberText(std::string_view key, const std::string& text) {
    return std::string(key) + ": '" + text + "' is not a valid number";
}

// The first field that the Lambert set operation refused, and why.
std::pair<std::string_view, const char*> lambertRefusal(GridProjection projection, unsigned bits) {
    if (projection == GridProjection::Lambert1) {
        using namespace lambert1_error;
        if (bits & kOriginLatitude) return {"eLCCCP", "must lie within 90 degrees and not be 0"};
        if (bits & kCentralMeridian) return {"eLCCM", "must lie between -180 and 360 degrees"};
        if (bits & kScaleFactor) return {"eLCCSF", "must lie between 0.3 and 3"};
        if (bits & kSemiMajorAxis) return {"SemiMajorAxis", "must be positive"};
        return {"InverseFlattening", "gives an inverse flattening outside 250 to 350"};
    }
    using namespace lambert2_error;
    if (bits & kParallel1) return {"eLCCSP1", "must lie within 90 degrees"};
    if (bits & kParallel2) return {"eLCCSP2", "must lie within 90 degrees"};
    if (bits & kFalseOriginLatitude) return {"eLCCCP", "must lie within 90 degrees"};
    if (bits & kCentralMeridian) return {"eLCCM", "must lie between -180 and 360 degrees"};
    if (bits & kSemiMajorAxis) return {"SemiMajorAxis", "must be positive"};
    if (bits & kFlattening)
        return {"InverseFlattening", "gives an inverse flattening outside 250 to 350"};
    if (bits & kOppositeParallels) return {"eLCCSP2", "lies opposite standard parallel 1"};
    if (bits & kBothParallelsZero) return {"eLCCSP1", "and standard parallel 2 are both 0"};
    return {"eLCCSP1", "and standard parallel 2 give no cone the projection can use"};
}

}  // namespace

std::optional<FixProjector> FixProjector::take(const GeodeticParameters& p,
                                               ParameterConversionError* error) {
    const GridProjection projection = !p.lambertSelected()   ? GridProjection::TransverseMercator
                                      : p.lambert1Selected() ? GridProjection::Lambert1
                                                             : GridProjection::Lambert2;
    const bool tm = projection == GridProjection::TransverseMercator;
    const bool one = projection == GridProjection::Lambert1;
    // Fields of the projection not in use keep the window's own values.
    double cm = 0, refLat = 0, k0 = 1, fe = 0, fn = 0, a = 0, f = 0;
    double sp1 = 0, sp2 = 0, cp = 0, lcm = 0, lsf = 1, lfe = 0, lfn = 0;
    const NumberField fields[] = {
        {"Central_Meridian", &p.centralMeridian, tm ? &cm : nullptr},
        {"Reference_Latitude", &p.referenceLatitude, tm ? &refLat : nullptr},
        {"Scale_Factor", &p.scaleFactor, tm ? &k0 : nullptr},
        {"False_Easting", &p.falseEasting, tm ? &fe : nullptr},
        {"False_Northing", &p.falseNorthing, tm ? &fn : nullptr},
        {"SemiMajorAxis", &p.semiMajorAxis, &a},
        {"InverseFlattening", &p.flattening, &f},
        {"eLCCSP1", &p.lccStandardParallel1, !tm && !one ? &sp1 : nullptr},
        {"eLCCSP2", &p.lccStandardParallel2, !tm && !one ? &sp2 : nullptr},
        {"eLCCCP", &p.lccCentralParallel, !tm ? &cp : nullptr},
        {"eLCCM", &p.lccCentralMeridian, !tm ? &lcm : nullptr},
        {"eLCCSF", &p.lccScaleFactor, one ? &lsf : nullptr},
        {"eLCCFE", &p.lccFalseEasting, !tm ? &lfe : nullptr},
        {"eLCCFN", &p.lccFalseNorthing, !tm ? &lfn : nullptr},
    };
    for (const NumberField& field : fields) {
        if (!field.value) continue;
        const auto v = parseNumber(*field.text);
        if (!v) {
            if (error)
                *error = {field.key, *field.text, true, false,
                          notANumberText(field.key, *field.text)};
            return std::nullopt;
        }
        *field.value = *v;
    }
    // The flattening field holds the flattening itself; 298.257 typed there
    // (the inverse) or a non-positive axis would place every fix somewhere
    // else without a word.
    const auto noEllipsoid = [error](std::string_view key, const std::string& text) {
        if (error) {
            *error = {key, text, false, false,
                      std::string(key) + ": '" + text + "' is not a valid ellipsoid value"};
        }
        return std::nullopt;
    };
    if (!(a > 0)) return noEllipsoid("SemiMajorAxis", p.semiMajorAxis);
    if (const auto flattening = flatteningOf(p.flattening)) {
        f = *flattening;
    } else {
        if (error) {
            *error = {"InverseFlattening", p.flattening, false, false,
                      "InverseFlattening: '" + p.flattening +
                          "' is neither a flattening (below 1, such as 0.00336) nor an inverse "
                          "flattening (250 to 350, such as 297)"};
        }
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
    fp.projection_ = projection;
    fp.datumText_ = datumParameterText(p);
    if (const auto datum = scanDatumParameters(fp.datumText_)) {
        fp.chain_.emplace(*datum, StagePrecision::FifteenDigits);
    } else {
        for (const auto& [key, text] :
             {std::pair<std::string_view, const std::string*>{"Scale_PPM", &p.scalePpm},
              {"X_Rotation", &p.rotationX},
              {"Y_Rotation", &p.rotationY},
              {"Z_Rotation", &p.rotationZ},
              {"X_Shift", &p.shiftX},
              {"Y_Shift", &p.shiftY},
              {"Z_Shift", &p.shiftZ}}) {
            if (!parseNumber(*text)) {
                fp.datumProblem_ = notANumberText(key, *text);
                break;
            }
        }
        if (fp.datumProblem_.empty()) fp.datumProblem_ = "they do not hold 18 numbers";
    }
    fp.lambert_ = {
        toRadians(sp1), toRadians(sp2), toRadians(cp), toRadians(lcm), lcm, lsf, lfe, lfn};
    if (!tm) {
        // The cycle sets the Lambert parameters before every conversion;
        // with the same arguments each time, once leaves the same state, and
        // parameters it rejects are said here, before any fix.
        const LambertNumbers& L = fp.lambert_;
        const double cone =
            one ? fp.lcc_.SetLambert1Parameters(a, f, L.centralParallel, L.centralMeridian,
                                                L.falseEasting, L.falseNorthing, L.scaleFactor)
                : fp.lcc_.SetLambert2Parameters(a, f, L.centralParallel, L.centralMeridian,
                                                L.parallel1, L.parallel2, L.falseEasting,
                                                L.falseNorthing);
        if (const unsigned bits = fp.lcc_.lastSetErrors()) {
            if (error) {
                const auto [key, why] = lambertRefusal(projection, bits);
                const NumberField* field = nullptr;
                for (const NumberField& candidate : fields)
                    if (candidate.key == key) field = &candidate;
                const std::string text = field ? *field->text : std::string();
                *error = {key, text, false, true,
                          std::string(key) + ": '" + text +
                              "' is rejected by the Lambert projection: it " + why};
            }
            return std::nullopt;
        }
        fp.cone_ = cone;
    }
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
    // Finite in extended precision is not enough: a far-off central
    // meridian gives a convergence beyond any double.
    const double gamma = static_cast<double>(
        tmConvergence_.gridConvergence({wgs.latitude.sin, wgs.latitude.cos}, longitude));
    if (!std::isfinite(gamma)) {
        r.status = FixStatus::ProjectionFailed;
        return r;
    }
    r.convergence = gamma;
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
    const double phi = toRadians(latitude);
    const double lam = toRadians(longitude);
    if (!cone_) return abandoned(FixStatus::ProjectionFailed);
    double e = 0, n = 0;
    unsigned bits;
    if (projection_ == GridProjection::Lambert1) {
        bits = lcc_.GeodeticToLambert1(phi, lam, e, n);
    } else {
        bits = lcc_.GeodeticToLambert2(phi, lam, e, n);
    }
    // Rejected parameters or error bits leave no position to place.
    if (bits != 0 || !std::isfinite(e) || !std::isfinite(n)) {
        return abandoned(FixStatus::ProjectionFailed);
    }
    // The meridians lean towards the cone's apex by n * (lon - lon0): true
    // north lies that far west of grid north east of the central meridian,
    // as with the TM convergence, hence the sign.
    const double gamma = -*cone_ * std::remainder(longitude - L.centralMeridianDegrees, 360.0);
    if (!std::isfinite(gamma)) return abandoned(FixStatus::ProjectionFailed);
    FixResult r;
    r.status = FixStatus::Placed;
    r.easting = e;
    r.northing = n;
    r.convergence = gamma;
    return r;
}

std::string FixProjector::whyNotPlaced(const FixResult& r) const {
    switch (r.status) {
        case FixStatus::Placed:
            return {};
        case FixStatus::ParameterNotANumber:
            return "a geodetic parameter is not a number";
        case FixStatus::DatumParametersIncomplete:
            return "the datum parameters are incomplete (" + datumProblem_ + ")";
        case FixStatus::DatumShiftFailed:
            return "the datum shift gives no position for it";
        case FixStatus::ProjectionFailed:
            return projection_ == GridProjection::TransverseMercator
                       ? "the Transverse Mercator projection gives no position for it"
                       : "the Lambert projection gives no position for it";
    }
    return {};
}

FixResult projectFix(const GeodeticParameters& parameters, double latitude, double longitude,
                     double altitude) {
    ParameterConversionError error;
    auto projector = FixProjector::take(parameters, &error);
    if (!projector) {
        // Lambert parameters the projection rejects place nothing, as
        // before any fix.
        return abandoned(error.rejectedByProjection ? FixStatus::ProjectionFailed
                                                    : FixStatus::ParameterNotANumber);
    }
    return projector->project(latitude, longitude, altitude);
}

}  // namespace nivora::geodesy
