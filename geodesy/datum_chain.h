#pragma once

// The datum shift of every fix: WGS-84 geodetic -> geocentric -> seven
// parameters -> geocentric -> geodetic on the local ellipsoid.

#include <optional>
#include <string_view>

#include "geodesy/ellipsoid.h"
#include "geodesy/geocentric.h"
#include "geodesy/helmert.h"

namespace nivora::geodesy {

// The 18 numbers of a datum parameter text: source ellipsoid a, f, the
// source seven parameters, destination ellipsoid a, f and the destination
// seven parameters.
struct DatumParameters {
    Ellipsoid source;
    HelmertParameters sourceShift;
    Ellipsoid destination;
    HelmertParameters destinationShift;
};

// Scans the 18 numbers; nothing when fewer than 18 can be read.
std::optional<DatumParameters> scanDatumParameters(std::string_view text);

// The datum shift's result as written: latitude and longitude with 8
// decimals, height with 2, read back as doubles.
struct LocalPosition {
    double latitude = 0;
    double longitude = 0;
    double height = 0;
};

// How the stages hand their numbers on. The program has always written
// them as texts of 15 significant digits between the stages; Exact keeps
// every digit for analysis and comparisons.
enum class StagePrecision { FifteenDigits, Exact };

class DatumChain {
  public:
    DatumChain(const DatumParameters& parameters, StagePrecision precision);

    // Destination geocentric position, or nothing when a stage gives a
    // non-finite number.
    std::optional<GeocentricPosition> toLocalGeocentric(const GeodeticPosition& wgs84) const;
    // Destination latitude and longitude rounded to 8 decimals, height to 2
    // (the precision of the datum shift's result), read back as doubles.
    // Nothing on the polar axis or when a stage gives a non-finite number.
    // `wgs84Angles`, when given, receives the input latitude and longitude
    // in radians with their sines and cosines (even when nothing comes back).
    std::optional<GeodeticPosition> toLocal(const GeodeticPosition& wgs84,
                                            GeodeticHint* wgs84Angles = nullptr) const;
    // toLocal for the real-time cycle: false where toLocal gives nothing.
    bool toLocal(const GeodeticPosition& wgs84, GeodeticHint& wgs84Angles,
                 LocalPosition& out) const;
    // As toLocal, without the final rounding.
    std::optional<GeodeticPosition> toLocalUnrounded(const GeodeticPosition& wgs84,
                                                     GeodeticHint* wgs84Angles = nullptr) const;

    const DatumParameters& parameters() const { return parameters_; }

  private:
    // The stages after the first, from its geocentric position; false when
    // a stage gives a non-finite number.
    bool shifted(const GeocentricPosition& start, bool roundStages, GeocentricPosition& g) const;
    std::optional<GeocentricPosition> geocentric(const GeodeticPosition& wgs84, GeodeticHint* hint,
                                                 bool roundStages) const;
    std::optional<GeodeticPosition> geodetic(const GeodeticPosition& wgs84, GeodeticHint* hint,
                                             bool roundStages) const;
    // The rounded result without the stage texts; false where they must
    // decide.
    bool roundedUnlessNearTie(const GeocentricPosition& start, const GeodeticHint& hint,
                              LocalPosition& out) const;
    static bool roundedOrNothing(const std::optional<GeodeticPosition>& p, LocalPosition& out);

    DatumParameters parameters_;
    StagePrecision precision_;
    SevenParameterTransform sourceTransform_;
    SevenParameterTransform destinationTransform_;
    NearSurfaceGeodetic nearSurface_;
};

}  // namespace nivora::geodesy
