#pragma once

// The EPSG register as PROJ ships it (proj.db, an SQLite file), read for
// what a surveyor is given: a projected coordinate system by its code, name
// or area of use, and a Helmert transformation of its datum to WGS-84. The
// register only fills the settings' fields; the survey's own formulas do the
// projecting and the datum shift.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "geodesy/geodetic_parameters.h"

struct sqlite3;

namespace nivora::crs {

// An area of use in degrees; west may lie east of east (across 180°).
struct Extent {
    double south = 0, north = 0, west = 0, east = 0;
    // The point a share `t` of the way from the south-west corner (0.5: the centre).
    double latitudeAt(double t) const { return south + t * (north - south); }
    double longitudeAt(double t) const {
        const double width = east >= west ? east - west : east + 360 - west;
        const double lon = west + t * width;
        return lon > 180 ? lon - 360 : lon;
    }
};

struct CrsMatch {
    int code = 0;
    QString name;
    QString area;
    QString method;          // the conversion's method ("Transverse Mercator")
    bool supported = false;  // a method and units the program can take
    std::optional<Extent> extent;
};

struct TransformationMatch {
    int code = 0;
    QString name;
    QString method;
    double accuracyM = -1;  // -1: not given
    bool supported = false;
};

// The fields a projected CRS (and a transformation) fill, in the settings'
// units: degrees, metres, arc-seconds, ppm.
struct Filled {
    geodesy::GeodeticParameters parameters;
    QString crsName;
    int geodeticCode = 0;        // the CRS's geographic base
    QString transformationName;  // empty: none chosen
};

class EpsgRegister {
  public:
    // PROJ's register: $PROJ_DATA or $PROJ_LIB, else where Debian puts it.
    static QString defaultPath();
    // Nothing, with the reason in `error`, when the file is missing or not a register.
    static std::unique_ptr<EpsgRegister> open(const QString& path, QString* error);
    ~EpsgRegister();

    // Projected CRSs whose code starts with, or whose name or area of use
    // holds, every word of `text`; not deprecated; at most `limit`,
    // supported ones first, then by code.
    std::vector<CrsMatch> search(const QString& text, int limit = 50) const;
    // The Helmert transformations from the CRS's datum to WGS-84, best first.
    std::vector<TransformationMatch> transformationsToWgs84(int projectedCode) const;

    // `base` with the projection and ellipsoid fields (and the projection
    // chosen) of the CRS, and with a transformation's datum fields (or,
    // without one, the best Helmert transformation to WGS-84 there is).
    // Nothing, with why in `error` (naming the method refused), when the CRS
    // or the transformation cannot be taken.
    std::optional<Filled> fill(int projectedCode, std::optional<int> transformationCode,
                               const geodesy::GeodeticParameters& base, QString* error) const;
    // The projection and ellipsoid fields only; the datum fields stay as in `base`.
    std::optional<Filled> fillProjection(int projectedCode, const geodesy::GeodeticParameters& base,
                                         QString* error) const;

  private:
    explicit EpsgRegister(sqlite3* db) : db_(db) {}
    bool fillDatum(Filled& out, int projectedCode, std::optional<int> transformation,
                   QString* error) const;
    sqlite3* db_;
};

}  // namespace nivora::crs
