#include "geodesy/geodetic_parameters.h"

#include "core/number_format.h"
#include "geodesy/geodesy_text.h"

namespace nivora::geodesy {
namespace {

using P = GeodeticParameters;
constexpr std::string_view S = kGeodeticSection;

// Booleans read as integers; nothing when the text is not one.
std::optional<bool> flag(const std::string& text) {
    const auto v = parseInteger(text);
    if (!v) return std::nullopt;
    return *v != 0;
}

std::string joined(std::initializer_list<const std::string*> fields) {
    std::string s;
    bool first = true;
    for (const std::string* f : fields) {
        if (!first) s += ' ';
        s += *f;
        first = false;
    }
    return s;
}

}  // namespace

const std::array<GeodeticKey, 28> kGeodeticKeys = {{
    {S, "SemiMajorAxis", &P::semiMajorAxis, ""},
    {S, "InverseFlattening", &P::flattening, ""},
    {S, "X_Rotation", &P::rotationX, ""},
    {S, "Y_Rotation", &P::rotationY, ""},
    {S, "Z_Rotation", &P::rotationZ, ""},
    {S, "X_Shift", &P::shiftX, ""},
    {S, "Y_Shift", &P::shiftY, ""},
    {S, "Z_Shift", &P::shiftZ, ""},
    {S, "Scale_PPM", &P::scalePpm, ""},
    {S, "Central_Meridian", &P::centralMeridian, "0"},
    {S, "Reference_Latitude", &P::referenceLatitude, "0"},
    {S, "Scale_Factor", &P::scaleFactor, "1"},
    {S, "False_Easting", &P::falseEasting, "0"},
    {S, "False_Northing", &P::falseNorthing, "0"},
    {S, "Use Projection", &P::useTmProjection, ""},
    {S, "Use DTP", &P::useDtp, ""},
    {S, "Name of Datum", &P::datumName, ""},
    {S, "eLCCSP1", &P::lccStandardParallel1, "0"},
    {S, "eLCCSP2", &P::lccStandardParallel2, "0"},
    {S, "eLCCSF", &P::lccScaleFactor, "1"},
    {S, "eLCCCP", &P::lccCentralParallel, "0"},
    {S, "eLCCM", &P::lccCentralMeridian, "0"},
    {S, "eLCCFE", &P::lccFalseEasting, "0"},
    {S, "eLCCFN", &P::lccFalseNorthing, "0"},
    {S, "cbUseLCCProjection", &P::useLambert, ""},
    {S, "cLambert1", &P::useLambert1, ""},
    {S, "EPSG_Code", &P::epsgCode, ""},
    {S, "EPSG_Transformation", &P::epsgTransformation, ""},
}};

bool GeodeticParameters::lambertSelected() const {
    // Loading ticks or clears the TM box first, which clears or ticks the
    // Lambert box; then the Lambert flag, when it is a number, decides.
    if (const auto lambert = flag(useLambert)) return *lambert;
    return !flag(useTmProjection).value_or(true);
}

bool GeodeticParameters::lambert1Selected() const {
    return flag(useLambert1).value_or(false);
}

bool GeodeticParameters::dtpSelected() const {
    return flag(useDtp).value_or(true);
}

GeodeticParameters readGeodeticParameters(const IniLookup& lookup) {
    GeodeticParameters p;
    for (const GeodeticKey& k : kGeodeticKeys) {
        p.*k.field = lookup(k.section, k.key).value_or(std::string(k.defaultText));
    }
    return p;
}

GeodeticParameters defaultGeodeticParameters() {
    return readGeodeticParameters(
        [](std::string_view, std::string_view) { return std::optional<std::string>(); });
}

std::optional<double> flatteningOf(std::string_view text) {
    const auto v = parseNumber(text);
    if (!v) return std::nullopt;
    if (*v >= 0 && *v < 1) return v;
    if (*v >= 250 && *v <= 350) return 1.0 / *v;
    return std::nullopt;
}

std::string flatteningText(const GeodeticParameters& p) {
    const auto v = parseNumber(p.flattening);
    if (v && *v >= 250 && *v <= 350) return formatGeneral15(1.0 / *v);
    return p.flattening;
}

std::string datumParameterText(const GeodeticParameters& p) {
    const std::string f = flatteningText(p);
    return std::string(kWgs84IdentityPrefix) +
           joined({&p.semiMajorAxis, &f, &p.scalePpm, &p.rotationX, &p.rotationY, &p.rotationZ,
                   &p.shiftX, &p.shiftY, &p.shiftZ});
}

std::string ellipsoidPairText(const GeodeticParameters& p) {
    return std::string(kWgs84EllipsoidPrefix) + p.semiMajorAxis + ' ' + flatteningText(p);
}

std::string tmParameterText(const GeodeticParameters& p) {
    return joined({&p.centralMeridian, &p.referenceLatitude, &p.scaleFactor, &p.falseEasting,
                   &p.falseNorthing});
}

}  // namespace nivora::geodesy
