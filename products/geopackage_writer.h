#pragma once

// A GeoPackage (1.2) written straight through SQLite: the soundings as
// points, the boat's track as lines and the planned survey lines, each with
// a spatial index, in the survey's grid. The package is built in a
// temporary file beside the final name and renamed only when it is whole,
// so a failed or abandoned export never leaves a half package behind.

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "guidance/survey_line.h"
#include "products/sounding_records.h"

namespace nivora {

namespace geodesy {
struct GeodeticParameters;
}

// The row of gpkg_spatial_ref_sys the features are in.
struct GeoPackageCrs {
    int srsId = -1;  // -1: the undefined cartesian system every package has
    std::string name = "Undefined cartesian SRS";
    std::string organization = "NONE";
    int organizationId = -1;
    std::string definition = "undefined";  // OGC WKT1
    std::string description;

    // The survey's grid from its parameters: organisation EPSG and its code
    // when they came from the register, else a system of the package's own
    // (srs_id 100000). False with `error` when they describe no grid.
    static bool fromParameters(const geodesy::GeodeticParameters& p, GeoPackageCrs& out,
                               std::string* error);
};

// The column of the chosen value: "depth", "reduced_depth", "elevation".
const char* geoPackageValueColumn(DepthValue v);

class GeoPackageWriter {
  public:
    // A gap longer than this in the rows' times starts a new track line.
    static constexpr std::int64_t kTrackGapMs = 30000;
    // A longer run is split into lines that share their end vertex, so the
    // memory a track holds stays bounded however long the survey ran.
    static constexpr std::size_t kMaxTrackVertices = 100000;

    GeoPackageWriter();
    ~GeoPackageWriter();  // an unfinished package is removed
    GeoPackageWriter(const GeoPackageWriter&) = delete;
    GeoPackageWriter& operator=(const GeoPackageWriter&) = delete;

    // Starts the package that finish() will put at `path`.
    bool open(const QString& path, DepthValue values, const GeoPackageCrs& crs);
    bool addSounding(const SoundingRecord& r);
    // The next sounding starts a new track line (a new log file).
    void breakTrack();
    bool addSurveyLine(const SurveyLine& line);
    // Extents, index triggers, then the rename to the final name.
    bool finish();
    // Drops the package; nothing is left under either name.
    void discard();

    const QString& errorString() const { return error_; }
    std::int64_t soundings() const { return soundings_; }
    std::int64_t tracks() const { return tracks_; }
    std::int64_t surveyLines() const { return surveyLines_; }

  private:
    struct Db;
    bool fail(const QString& what);
    bool flushTrack();

    std::unique_ptr<Db> db_;
    DepthValue valueMode_ = DepthValue::Depth;
    QString path_;
    QString tempPath_;
    QString error_;
    std::int64_t soundings_ = 0;
    std::int64_t tracks_ = 0;
    std::int64_t surveyLines_ = 0;
};

}  // namespace nivora
