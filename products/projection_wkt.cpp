#include "products/projection_wkt.h"

#include <optional>

#include "core/number_format.h"
#include "geodesy/fix_projection.h"

namespace nivora {
namespace {

using geodesy::GeodeticParameters;
using geodesy::GridProjection;

double number(const std::string& text) {
    return parseNumber(text).value_or(0.0);
}

std::string num(double v) {
    return formatShortest(v == 0 ? 0.0 : v);  // no "-0" in a file others read
}

// A name inside WKT quotes: a quote would end it early.
std::string quoted(std::string name, bool esri) {
    for (char& c : name) {
        if (c == '"') c = '\'';
        if (esri && c == ' ') c = '_';
    }
    return '"' + name + '"';
}

std::string parameter(std::string_view name, double value) {
    return "PARAMETER[\"" + std::string(name) + "\"," + num(value) + "]";
}

// TOWGS84 takes position-vector rotations; the fields hold coordinate-frame ones.
std::optional<std::string> toWgs84(const GeodeticParameters& p) {
    const std::string* fields[] = {&p.shiftX,    &p.shiftY,    &p.shiftZ,  &p.rotationX,
                                   &p.rotationY, &p.rotationZ, &p.scalePpm};
    std::string out = "TOWGS84[";
    for (int i = 0; i < 7; ++i) {
        const auto v = parseNumber(*fields[i]);
        if (!v) return std::nullopt;
        if (i) out += ',';
        out += num(i >= 3 && i <= 5 ? -*v : *v);
    }
    return out + ']';
}

}  // namespace

ProjectionWkt projectionWkt(const GeodeticParameters& p, WktDialect dialect) {
    ProjectionWkt out;
    geodesy::ParameterConversionError error;
    const auto projector = geodesy::FixProjector::take(p, &error);
    if (!projector) {
        out.error = error.reason.empty()
                        ? std::string(error.key) + ": '" + error.text + "' is not a valid number"
                        : error.reason;
        return out;
    }
    const bool esri = dialect == WktDialect::Esri;
    const double a = number(p.semiMajorAxis);
    const double f = geodesy::flatteningOf(p.flattening).value_or(0.0);
    const std::string datum = p.datumName.empty() ? std::string("Local datum") : p.datumName;

    // 1 / 0.00336700336700337 is 297 to 15 digits; the digits after those
    // are the stored flattening's rounding, not the ellipsoid.
    std::string geog = "GEOGCS[" + quoted(esri ? "GCS_" + datum : datum, esri) + ",DATUM[" +
                       quoted(esri ? "D_" + datum : datum, esri) + ",SPHEROID[" +
                       quoted(datum + " ellipsoid", esri) + ',' + num(a) + ',' +
                       (f > 0 ? formatGeneral15(1.0 / f) : std::string("0")) + ']';
    if (const auto shift = toWgs84(p)) geog += ',' + *shift;
    geog += esri ? "],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]"
                 : "],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]]";

    std::string projection;
    std::string name;
    switch (projector->projection()) {
        case GridProjection::TransverseMercator:
            name = datum + " / Transverse Mercator";
            projection =
                "PROJECTION[\"Transverse_Mercator\"]," +
                parameter(esri ? "Latitude_Of_Origin" : "latitude_of_origin",
                          number(p.referenceLatitude)) +
                ',' +
                parameter(esri ? "Central_Meridian" : "central_meridian",
                          number(p.centralMeridian)) +
                ',' + parameter(esri ? "Scale_Factor" : "scale_factor", number(p.scaleFactor)) +
                ',' + parameter(esri ? "False_Easting" : "false_easting", number(p.falseEasting)) +
                ',' +
                parameter(esri ? "False_Northing" : "false_northing", number(p.falseNorthing));
            break;
        case GridProjection::Lambert1: {
            // ESRI has one Lambert method; a single parallel at the origin
            // with a scale factor is its one-parallel form.
            name = datum + " / Lambert Conformal Conic (1SP)";
            const double lat0 = number(p.lccCentralParallel);
            projection = esri ? "PROJECTION[\"Lambert_Conformal_Conic\"]," +
                                    parameter("False_Easting", number(p.lccFalseEasting)) + ',' +
                                    parameter("False_Northing", number(p.lccFalseNorthing)) + ',' +
                                    parameter("Central_Meridian", number(p.lccCentralMeridian)) +
                                    ',' + parameter("Standard_Parallel_1", lat0) + ',' +
                                    parameter("Scale_Factor", number(p.lccScaleFactor)) + ',' +
                                    parameter("Latitude_Of_Origin", lat0)
                              : "PROJECTION[\"Lambert_Conformal_Conic_1SP\"]," +
                                    parameter("latitude_of_origin", lat0) + ',' +
                                    parameter("central_meridian", number(p.lccCentralMeridian)) +
                                    ',' + parameter("scale_factor", number(p.lccScaleFactor)) +
                                    ',' + parameter("false_easting", number(p.lccFalseEasting)) +
                                    ',' + parameter("false_northing", number(p.lccFalseNorthing));
            break;
        }
        case GridProjection::Lambert2:
            name = datum + " / Lambert Conformal Conic (2SP)";
            projection =
                esri ? "PROJECTION[\"Lambert_Conformal_Conic\"]," +
                           parameter("False_Easting", number(p.lccFalseEasting)) + ',' +
                           parameter("False_Northing", number(p.lccFalseNorthing)) + ',' +
                           parameter("Central_Meridian", number(p.lccCentralMeridian)) + ',' +
                           parameter("Standard_Parallel_1", number(p.lccStandardParallel1)) + ',' +
                           parameter("Standard_Parallel_2", number(p.lccStandardParallel2)) + ',' +
                           parameter("Latitude_Of_Origin", number(p.lccCentralParallel))
                     : "PROJECTION[\"Lambert_Conformal_Conic_2SP\"]," +
                           parameter("standard_parallel_1", number(p.lccStandardParallel1)) + ',' +
                           parameter("standard_parallel_2", number(p.lccStandardParallel2)) + ',' +
                           parameter("latitude_of_origin", number(p.lccCentralParallel)) + ',' +
                           parameter("central_meridian", number(p.lccCentralMeridian)) + ',' +
                           parameter("false_easting", number(p.lccFalseEasting)) + ',' +
                           parameter("false_northing", number(p.lccFalseNorthing));
            break;
    }
    out.text = "PROJCS[" + quoted(name, esri) + ',' + geog + ',' + projection +
               (esri ? ",UNIT[\"Meter\",1.0]]"
                     : ",UNIT[\"metre\",1],AXIS[\"Easting\",EAST],AXIS[\"Northing\",NORTH]]");
    return out;
}

std::string_view wgs84GeographicWkt() {
    return "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563,"
           "AUTHORITY[\"EPSG\",\"7030\"]],AUTHORITY[\"EPSG\",\"6326\"]],PRIMEM[\"Greenwich\",0,"
           "AUTHORITY[\"EPSG\",\"8901\"]],UNIT[\"degree\",0.0174532925199433,AUTHORITY[\"EPSG\","
           "\"9122\"]],AXIS[\"Latitude\",NORTH],AXIS[\"Longitude\",EAST],AUTHORITY[\"EPSG\","
           "\"4326\"]]";
}

}  // namespace nivora
