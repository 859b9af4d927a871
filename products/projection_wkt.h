#pragma once

// The survey's grid as other programs read a coordinate system: WKT1 text
// built from the geodetic parameters the soundings were placed with. The
// local ellipsoid, the datum shift to WGS-84 and the projection in use, in
// metres, so a GIS puts an exported sounding where the program put it.

#include <string>
#include <string_view>

#include "geodesy/geodetic_parameters.h"

namespace nivora {

enum class WktDialect {
    Esri,  // the .prj beside an ASCII grid or a shapefile
    Ogc,   // GeoPackage's gpkg_spatial_ref_sys.definition
};

struct ProjectionWkt {
    std::string text;   // empty when the parameters describe no grid
    std::string error;  // why not, naming the field
    bool ok() const { return !text.empty(); }
};

// The grid of `p`: Transverse Mercator, or Lambert with one or two standard
// parallels, as the real-time cycle selects it. The datum shift is written
// as TOWGS84 in the position-vector convention (the program's rotations are
// coordinate-frame, so they change sign); it is left out when the datum
// fields are not all numbers. Names come from "Name of Datum" when set.
ProjectionWkt projectionWkt(const geodesy::GeodeticParameters& p, WktDialect dialect);

// WGS-84 latitude and longitude (EPSG:4326) in OGC WKT1.
std::string_view wgs84GeographicWkt();

}  // namespace nivora
