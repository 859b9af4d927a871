#pragma once

// The geodetic parameters of the settings: the texts of section
// GEODETIC_PARAMETERS exactly as stored, and the texts the real-time cycle
// builds from them.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace nivora::geodesy {

struct GeodeticParameters {
    std::string semiMajorAxis;
    // Key "InverseFlattening", but it holds the flattening itself as stored
    // files have it (0.00336...); an inverse flattening (298.257) typed
    // there is understood too: see flatteningOf().
    std::string flattening;
    std::string rotationX, rotationY, rotationZ;  // arc-seconds
    std::string shiftX, shiftY, shiftZ;           // metres
    std::string scalePpm;
    std::string centralMeridian;    // degrees
    std::string referenceLatitude;  // degrees
    std::string scaleFactor;
    std::string falseEasting, falseNorthing;
    std::string useTmProjection;  // flag "Use Projection"
    std::string useDtp;           // flag "Use DTP" (stored and shown; the datum shift always runs)
    std::string datumName;
    std::string lccStandardParallel1, lccStandardParallel2;  // degrees
    std::string lccScaleFactor;
    std::string lccCentralParallel, lccCentralMeridian;  // degrees
    std::string lccFalseEasting, lccFalseNorthing;
    std::string useLambert;   // flag "cbUseLCCProjection"
    std::string useLambert1;  // flag "cLambert1"
    // Where the fields came from: "EPSG:23035" and the transformation's name
    // ("ED50 to WGS 84 (18)"); empty when typed by hand.
    std::string epsgCode;
    std::string epsgTransformation;

    // The check boxes as the settings window shows them after loading these
    // texts. A flag reads as an integer (non-zero is ticked); an empty or
    // non-numeric flag leaves its box as it was, and the two projection boxes
    // exclude each other, so a missing Lambert flag follows the TM flag.
    bool tmSelected() const { return !lambertSelected(); }
    bool lambertSelected() const;
    bool lambert1Selected() const;
    bool dtpSelected() const;
};

inline constexpr std::string_view kGeodeticSection = "GEODETIC_PARAMETERS";

struct GeodeticKey {
    std::string_view section;
    std::string_view key;
    std::string GeodeticParameters::*field;
    // The text of a missing key: the settings window's own text. The TM and
    // Lambert fields read "0" (scale factors "1"), the datum fields are
    // empty; flags default to "" (the box keeps its initial state: TM and
    // "Use DTP" ticked, Lambert boxes clear).
    std::string_view defaultText;
};

// Every key of the section, once, in the order the settings store them.
extern const std::array<GeodeticKey, 28> kGeodeticKeys;

// Gives the stored text of a key, or nothing when the key is missing.
using IniLookup =
    std::function<std::optional<std::string>(std::string_view section, std::string_view key)>;

GeodeticParameters readGeodeticParameters(const IniLookup& lookup);
// The texts the settings window shows before anything is loaded.
GeodeticParameters defaultGeodeticParameters();

// The flattening a field holds: a value from 0 up to 1 is the flattening
// itself; one from 250 to 350 an inverse flattening (the field's name says
// so), taken as its reciprocal; anything else (or not a number) is none.
std::optional<double> flatteningOf(std::string_view text);
// The flattening field as the operations take it: the text as stored when
// it holds the flattening, the reciprocal (15 significant digits) when it
// holds an inverse flattening.
std::string flatteningText(const GeodeticParameters& p);

// The texts the real-time cycle passes to the geodesy operations.
std::string datumParameterText(const GeodeticParameters& p);
std::string ellipsoidPairText(const GeodeticParameters& p);
std::string tmParameterText(const GeodeticParameters& p);

}  // namespace nivora::geodesy
