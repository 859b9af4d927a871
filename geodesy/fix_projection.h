#pragma once

// What the real-time cycle does with the geodetic parameters for one GNSS
// fix: take the settings once, then per fix shift the datum and project
// with Transverse Mercator or Lambert, giving easting, northing and grid
// convergence, or abandon the fix.

#include <optional>
#include <string>
#include <string_view>

#include "geodesy/datum_chain.h"
#include "geodesy/geodetic_parameters.h"
#include "geodesy/lambert.h"
#include "geodesy/transverse_mercator.h"

namespace nivora::geodesy {

enum class GridProjection { TransverseMercator, Lambert1, Lambert2 };

// A settings field the cycle cannot use, and its text: not a number, a
// number no ellipsoid has, or parameters the Lambert projection rejects.
struct ParameterConversionError {
    std::string_view key;
    std::string text;
    bool notANumber = true;
    bool rejectedByProjection = false;
    // Why, in words, when the field holds a number: "SemiMajorAxis: '0' is
    // not a valid ellipsoid value".
    std::string reason;
};

enum class FixStatus {
    Placed,
    ParameterNotANumber,        // the parameters could not be taken
    DatumParametersIncomplete,  // the datum text holds fewer than 18 numbers
    DatumShiftFailed,           // polar axis, or a stage gave no finite number
    ProjectionFailed,           // rejected Lambert parameters, error bits, or no finite result
};

struct FixResult {
    FixStatus status = FixStatus::ParameterNotANumber;
    double easting = 0;
    double northing = 0;
    // Degrees; grid heading = true heading + convergence. Set when the fix
    // is placed, and on the TM path also when a later step abandons it (the
    // cycle has updated its convergence by then).
    std::optional<double> convergence;

    bool placed() const { return status == FixStatus::Placed; }
};

class FixProjector {
  public:
    // The parameters as the cycle takes them at its first tick: the
    // ellipsoid and the fields of the projection in use must be numbers the
    // projection accepts (else nothing, and `error` names the field and
    // why); the other projection's fields are not looked at. The datum, TM
    // and ellipsoid texts are built as the cycle builds them.
    static std::optional<FixProjector> take(const GeodeticParameters& parameters,
                                            ParameterConversionError* error = nullptr);

    GridProjection projection() const { return projection_; }
    // The datum text as built (fewer than 18 numbers abandons every fix).
    const std::string& datumText() const { return datumText_; }

    // One WGS-84 fix (degrees, metres) as the cycle places the vessel.
    FixResult project(double latitude, double longitude, double altitude);
    // A position already on the local datum: only the projection.
    FixResult projectLocal(double latitude, double longitude);
    // The datum shift alone (8/8/2 decimals), or nothing where a fix would
    // be abandoned.
    std::optional<GeodeticPosition> toLocal(double latitude, double longitude, double height) const;
    // Why a fix was abandoned, in words ("the datum parameters are
    // incomplete (X_Rotation: '' is not a valid number)"); empty when placed.
    std::string whyNotPlaced(const FixResult& result) const;

  private:
    FixProjector(const Ellipsoid& local, const TmParameters& tmNumbers,
                 const Ellipsoid& tmEllipsoid, const TmParameters& tmScanned);

    FixResult projectTm(double latitude, double longitude, bool shift);
    FixResult projectLambert(double latitude, double longitude);

    GridProjection projection_ = GridProjection::TransverseMercator;
    std::string datumText_;
    // The first transformation field that is not a number, when one is not.
    std::string datumProblem_;
    std::optional<DatumChain> chain_;
    Ellipsoid local_;
    // Convergence from the converted fields, the projection from the
    // scanned parameter texts, as in the cycle.
    TransverseMercatorProjection tmConvergence_;
    std::optional<TransverseMercatorProjection> tmProjection_;
    struct LambertNumbers {
        double parallel1 = 0, parallel2 = 0, centralParallel = 0, centralMeridian = 0;  // radians
        double centralMeridianDegrees = 0;
        double scaleFactor = 0, falseEasting = 0, falseNorthing = 0;
    } lambert_;
    LambertConformalConic lcc_;
    // The cycle sets the Lambert parameters before every conversion; with
    // the same arguments each time, once leaves the same state.
    std::optional<double> cone_;
};

// The cycle for one fix in one call: take the parameters, then project.
FixResult projectFix(const GeodeticParameters& parameters, double latitude, double longitude,
                     double altitude);

}  // namespace nivora::geodesy
