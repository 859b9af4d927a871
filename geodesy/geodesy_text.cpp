#include "geodesy/geodesy_text.h"

#include "core/scan.h"
#include "geodesy/datum_chain.h"
#include "geodesy/geocentric.h"
#include "geodesy/helmert.h"
#include "geodesy/transverse_mercator.h"

namespace nivora::geodesy {
namespace {

const std::string kMalformed = "0";

// Callers read the numbers back as doubles: anything near or beyond the
// double range would come back infinite.
bool readable(Real v) {
    return std::fabs(v) < 1e308L;
}
bool readable(Real a, Real b, Real c) {
    return readable(a) && readable(b) && readable(c);
}

std::string tabbed(Real x, Real y, Real z) {
    std::string s;
    appendSignificant15(s, x);
    s += '\t';
    appendSignificant15(s, y);
    s += '\t';
    appendSignificant15(s, z);
    return s;
}

void appendShift(std::string& s, const HelmertParameters& p) {
    for (Real v :
         {p.scalePpm, p.rotationX, p.rotationY, p.rotationZ, p.shiftX, p.shiftY, p.shiftZ}) {
        s += '\t';
        appendSignificant15(s, v);
    }
}

bool scanThree(std::string_view text, double& a, double& b, double& c) {
    static const ScanPattern pattern("%lf %lf %lf");
    return pattern(text, &a, &b, &c) == 3;
}

}  // namespace

Real ConvertAngle(Real value, std::string_view unit) {
    if (unit == "R" || unit == "r") return value * kPi / 180;
    if (unit == "D" || unit == "d") return value * 180 / kPi;
    return 0;
}

std::string GeodeticToGeocentric(Real latitude, Real longitude, Real height, Real a, Real f) {
    const GeocentricPosition g = geodeticToGeocentric({latitude, longitude, height}, {a, f});
    if (!readable(g.x, g.y, g.z)) return kMalformed;
    return tabbed(g.x, g.y, g.z);
}

std::string HelmertTransform(std::string_view direction, std::string_view values) {
    static const ScanPattern pattern("%lf %lf %lf %lf %lf %lf %lf %lf %lf %lf");
    double v[10];
    if (pattern(values, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9]) !=
        10) {
        return kMalformed;
    }
    const SevenParameterTransform transform({v[3], v[4], v[5], v[6], v[7], v[8], v[9]},
                                            RotationConvention::CoordinateFrame);
    const HelmertDirection d =
        direction == "WGS" ? HelmertDirection::LocalToWgs84 : HelmertDirection::Wgs84ToLocal;
    const GeocentricPosition g = transform.apply(d, {v[0], v[1], v[2]});
    if (!readable(g.x, g.y, g.z)) return kMalformed;
    return tabbed(g.x, g.y, g.z);
}

std::string GeocentricToGeodetic(Real x, Real y, Real z, Real a, Real f) {
    const auto p = geocentricToGeodetic({x, y, z}, {a, f});
    if (!p || !readable(p->latitude, p->longitude, p->height)) return {};
    std::string s;
    appendFixedExtended(s, p->latitude, 8);
    s += ' ';
    appendFixedExtended(s, p->longitude, 8);
    s += ' ';
    appendFixedExtended(s, p->height, 2);
    return s;
}

std::string TransformDatum(std::string_view selector, std::string_view position,
                           std::string_view datumParameterText) {
    double lat, lon, h;
    if (!scanThree(position, lat, lon, h)) return kMalformed;
    // A datum field that is empty or not a number leaves fewer than 18
    // numbers; the chain must not run on what it did not read.
    const auto datum = scanDatumParameters(datumParameterText);
    if (!datum) return kMalformed;

    std::string text = GeodeticToGeocentric(lat, lon, h, datum->source.a, datum->source.f);
    if (text == kMalformed) return kMalformed;
    appendShift(text, datum->sourceShift);
    text = HelmertTransform("WGS", text);
    if (text == kMalformed) return kMalformed;
    appendShift(text, datum->destinationShift);
    text = HelmertTransform("Local", text);
    if (selector == "XYZ" || text == kMalformed) return text;

    double x, y, z;
    if (!scanThree(text, x, y, z)) return kMalformed;
    return GeocentricToGeodetic(x, y, z, datum->destination.a, datum->destination.f);
}

std::string TransverseMercator(std::string_view position, std::string_view tmParameterText,
                               std::string_view ellipsoidPairText) {
    static const ScanPattern twoNumbers("%lf %lf");
    static const ScanPattern fiveNumbers("%lf %lf %lf %lf %lf");
    static const ScanPattern pair("%*20s %*20s %lf %lf");
    double lat, lon;
    if (twoNumbers(position, &lat, &lon) != 2) return kMalformed;
    double cm, refLat, k0, fe, fn;
    if (fiveNumbers(tmParameterText, &cm, &refLat, &k0, &fe, &fn) != 5) return kMalformed;
    double a, f;
    if (pair(ellipsoidPairText, &a, &f) != 2) return kMalformed;

    const TransverseMercatorProjection tm({a, f}, {cm, refLat, k0, fe, fn});
    const GridPosition g = tm.forward(lat, lon);
    if (!readable(g.easting) || !readable(g.northing)) return kMalformed;
    std::string s;
    appendSignificant15(s, g.easting);
    s += ' ';
    appendSignificant15(s, g.northing);
    return s;
}

std::string ProjectTM(std::string_view position, std::string_view datumParameterText,
                      std::string_view tmParameterText, std::string_view ellipsoidPairText) {
    std::string withHeight(position);
    withHeight += " 0";
    const std::string local = TransformDatum("BLH", withHeight, datumParameterText);
    static const ScanPattern twoNumbers("%lf %lf");
    double lat, lon;
    if (twoNumbers(local, &lat, &lon) != 2) return kMalformed;
    std::string text;
    appendSignificant15(text, lat);
    text += ' ';
    appendSignificant15(text, lon);
    return TransverseMercator(text, tmParameterText, ellipsoidPairText);
}

Real TMScaleOrConvergence(std::string_view selector, Real a, Real f, Real latitude, Real longitude,
                          Real centralMeridian, Real referenceLatitude, Real scaleFactor,
                          Real falseEasting, Real falseNorthing) {
    const bool scale = selector == "PtScFac";
    if (!scale && selector != "GrdConv") return 0;
    const TransverseMercatorProjection tm(
        {a, f}, {centralMeridian, referenceLatitude, scaleFactor, falseEasting, falseNorthing});
    return scale ? tm.pointScaleFactor(latitude, longitude)
                 : tm.gridConvergence(latitude, longitude);
}

}  // namespace nivora::geodesy
