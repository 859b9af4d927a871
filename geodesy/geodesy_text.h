#pragma once

// The geodesy operations as the rest of the program has always called
// them: numbers travel as texts of blank- or tab-separated numbers, read
// with a "%lf" scan. Each is a thin layer over the numeric routines.
//
// Failure results: "0" for a text that does not hold the numbers asked
// for, an empty text at a pole. A result that would not read back as a
// finite double ("nan", "inf", 1e400) is never written; the operation
// fails instead.

#include <string>
#include <string_view>

#include "geodesy/extended_math.h"

namespace nivora::geodesy {

// WGS-84 with an identity transformation: the first nine numbers of every
// datum parameter text the program builds.
inline constexpr std::string_view kWgs84IdentityPrefix =
    "6378137.0  0.0033528106647474  0.0  0.0  0.0  0.0  0.0  0.0  0.0 ";
// The first two numbers of an ellipsoid pair text.
inline constexpr std::string_view kWgs84EllipsoidPrefix = "6378137.0 0.0033528106647474 ";

// "R" or "r": degrees to radians; "D" or "d": radians to degrees; 0 for
// any other unit.
Real ConvertAngle(Real value, std::string_view unit);

// "X\tY\tZ" in metres, 15 significant digits.
std::string GeodeticToGeocentric(Real latitude, Real longitude, Real height, Real a, Real f);

// Direction "WGS": X' = s * R * X + T; any other direction (the datum
// chain passes "Local"): the inverse. `values` holds X, Y, Z, ppm, rx, ry,
// rz (arc-seconds), tx, ty, tz; further numbers are ignored. "X\tY\tZ", or
// "0" when fewer than 10 numbers can be read.
std::string HelmertTransform(std::string_view direction, std::string_view values);

// "lat lon h" with 8, 8 and 2 decimals; empty on the polar axis.
std::string GeocentricToGeodetic(Real x, Real y, Real z, Real a, Real f);

// `position`: WGS-84 latitude, longitude (degrees), height (m); further
// numbers are ignored. `datumParameterText`: the 18 numbers of the datum.
// Selector "XYZ": the destination geocentric text; any other (callers pass
// "BLH"): the destination geodetic text. "0" when the position has fewer
// than 3 numbers or the datum fewer than 18.
std::string TransformDatum(std::string_view selector, std::string_view position,
                           std::string_view datumParameterText);

// Local latitude and longitude (degrees) to "easting northing"; the TM
// parameter text holds central meridian, reference latitude, scale factor,
// false easting and false northing; the ellipsoid pair text holds two
// tokens (skipped) and the local a and f. "0" when any of them is short.
std::string TransverseMercator(std::string_view position, std::string_view tmParameterText,
                               std::string_view ellipsoidPairText);

// WGS-84 latitude and longitude through the datum chain (height 0) and
// Transverse Mercator: "easting northing", or "0".
std::string ProjectTM(std::string_view position, std::string_view datumParameterText,
                      std::string_view tmParameterText, std::string_view ellipsoidPairText);

// "PtScFac": point scale factor; "GrdConv": grid convergence in degrees;
// 0 for any other selector. The reference latitude and false origin do not
// enter either.
Real TMScaleOrConvergence(std::string_view selector, Real a, Real f, Real latitude, Real longitude,
                          Real centralMeridian, Real referenceLatitude, Real scaleFactor,
                          Real falseEasting, Real falseNorthing);

}  // namespace nivora::geodesy
