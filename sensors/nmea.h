#pragma once

// The serial reader's own NMEA decoding: GGA, RMC and VTG become the current
// position, fix quality, satellites, speed and course.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace nivora {

struct NavValues {
    double latitude = 0;   // decimal degrees, south negative
    double longitude = 0;  // decimal degrees, west negative
    double altitude = 0;   // metres (GGA field 9)
    double speed = 0;      // km/h
    double course = 0;     // degrees
    int fixQuality = 0;
    int satellites = 0;
};

enum class SentenceType : std::uint8_t { Unknown, GGA, RMC, VTG, ZDA, GSA };

// One received line cut into its comma-separated fields once, for the
// reader's decoding and for whoever applies the sentence after it. The
// fields stop before a "*hh" checksum; `starred` says one was there, so the
// last field's text in the line runs on into it.
struct NmeaSentence {
    static constexpr std::size_t kKeptFields = 16;

    std::string_view line;  // the whole trimmed line
    SentenceType type = SentenceType::Unknown;
    std::array<std::string_view, kKeptFields> fields{};
    std::size_t count = 0;  // fields in the line (may exceed kKeptFields)
    bool starred = false;

    std::string_view operator[](std::size_t i) const {
        return i < kKeptFields && i < count ? fields[i] : std::string_view();
    }
    // Field i exactly as it stands in the line, followed by a comma or the
    // line's end (not the checksum): what a scan pattern sees of it.
    bool wholeField(std::size_t i) const {
        return i < kKeptFields && i < count && (i + 1 < count || !starred);
    }
};

// Cuts a line; the type is read from characters 4 to 6, as the reader does.
NmeaSentence splitNmea(std::string_view line);

struct DecodeResult {
    SentenceType type = SentenceType::Unknown;
    bool accepted = false;         // a GGA, RMC or VTG that was applied
    bool positionChanged = false;  // raise OnPosition3DChange
    bool speedChanged = false;     // raise OnSpeedChange
};

// Decodes one trimmed line that begins with '$'.
DecodeResult decodeNmea(std::string_view line, NavValues& nav);
DecodeResult decodeNmea(const NmeaSentence& sentence, NavValues& nav);

// The checksum a sentence carries: "*hh" after the data, where hh is the
// exclusive-or of every character between the leading '$' (or '!') and the
// star. A line without a star and two hexadecimal digits carries none.
enum class Checksum : std::uint8_t { Absent, Valid, Invalid };
Checksum nmeaChecksum(std::string_view line);

// The sentence with "*hh" appended (body starts with '$' or '!').
std::string withNmeaChecksum(std::string_view body);

// "ddmm.mmmmmmm" / "dddmm.mmmmmmm" with the hemisphere letter; seven decimals of minutes.
std::string nmeaLatitude(double degrees, char* hemisphere);
std::string nmeaLongitude(double degrees, char* hemisphere);

// Degrees from an NMEA ddmm.mmmm / dddmm.mmmm field and its hemisphere;
// false when a part is not a number.
bool nmeaCoordinate(std::string_view text, std::string_view hemisphere, double& out);

}  // namespace nivora
