#include "sensors/nmea.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "core/number_format.h"

namespace nivora {
namespace {

using Fields = NmeaSentence;

double numberOrZero(std::string_view s) {
    return parseNumber(s).value_or(0.0);
}
int integerOrZero(std::string_view s) {
    return parseInteger(s).value_or(0);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool decodeGga(const Fields& fl, NavValues& nav, DecodeResult& r) {
    if (fl.count < 10) return false;
    double lat = 0, lon = 0;
    if (!nmeaCoordinate(fl[2], fl[3], lat) || !nmeaCoordinate(fl[4], fl[5], lon)) return false;
    if (!fl[6].empty()) nav.fixQuality = integerOrZero(fl[6]);
    if (!fl[7].empty()) nav.satellites = integerOrZero(fl[7]);
    const double alt = fl[9].empty() ? nav.altitude : numberOrZero(fl[9]);
    if (lat != nav.latitude || lon != nav.longitude || alt != nav.altitude) {
        nav.latitude = lat;
        nav.longitude = lon;
        nav.altitude = alt;
        r.positionChanged = true;
    }
    return true;
}

void setSpeed(double v, NavValues& nav, DecodeResult& r) {
    if (v != nav.speed) {
        nav.speed = v;
        r.speedChanged = true;
    }
}

bool decodeRmc(const Fields& fl, NavValues& nav, DecodeResult& r) {
    if (fl.count < 8) return false;
    if (!fl[7].empty()) setSpeed(numberOrZero(fl[7]) * 1.852, nav, r);
    if (!fl[8].empty()) nav.course = numberOrZero(fl[8]);
    return true;
}

bool decodeVtg(const Fields& fl, NavValues& nav, DecodeResult& r) {
    if (fl.count < 8) return false;
    if (!fl[1].empty()) nav.course = numberOrZero(fl[1]);
    if (!fl[7].empty()) setSpeed(numberOrZero(fl[7]), nav, r);
    return true;
}

}  // namespace

bool nmeaCoordinate(std::string_view text, std::string_view hemisphere, double& out) {
    out = 0;
    if (text.empty()) return true;
    const std::size_t dot = text.find('.');
    const std::size_t p = dot == std::string_view::npos ? 0 : dot + 1;  // 1-based
    if (p < 3) return true;
    const std::size_t degreeDigits = p <= 5 ? 2 : 3;
    const auto degrees = parseNumber(text.substr(0, degreeDigits));
    const auto minutes = parseNumber(text.substr(degreeDigits));
    if (!degrees || !minutes) return false;
    out = *degrees + *minutes / 60.0;
    if (hemisphere == "S" || hemisphere == "W") out = -out;
    return true;
}

Checksum nmeaChecksum(std::string_view line) {
    if (line.empty() || (line[0] != '$' && line[0] != '!')) return Checksum::Absent;
    const std::size_t star = line.find('*');
    if (star == std::string_view::npos || star + 2 >= line.size()) return Checksum::Absent;
    const int hi = hexValue(line[star + 1]);
    const int lo = hexValue(line[star + 2]);
    if (hi < 0 || lo < 0) return Checksum::Absent;
    unsigned char sum = 0;
    for (std::size_t i = 1; i < star; ++i)
        sum ^= static_cast<unsigned char>(line[i]);
    return sum == ((hi << 4) | lo) ? Checksum::Valid : Checksum::Invalid;
}

std::string withNmeaChecksum(std::string_view body) {
    unsigned char sum = 0;
    for (std::size_t i = 1; i < body.size(); ++i)
        sum ^= static_cast<unsigned char>(body[i]);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out(body);
    out += '*';
    out += kHex[sum >> 4];
    out += kHex[sum & 15];
    return out;
}

NmeaSentence splitNmea(std::string_view line) {
    NmeaSentence out;
    out.line = line;
    std::string_view s = line;
    const std::size_t star = s.find('*');
    if (star != std::string_view::npos) {
        s = s.substr(0, star);
        out.starred = true;
    }
    // One pass: fields are short, a search per field costs more than it saves.
    const char* const data = s.data();
    const std::size_t n = s.size();
    std::size_t start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (data[i] != ',') continue;
        if (out.count < NmeaSentence::kKeptFields)
            out.fields[out.count] = std::string_view(data + start, i - start);
        ++out.count;
        start = i + 1;
    }
    if (out.count < NmeaSentence::kKeptFields)
        out.fields[out.count] = std::string_view(data + start, n - start);
    ++out.count;
    if (s.size() > 5) {
        const std::string_view type = s.substr(3, 3);
        out.type = type == "GGA"   ? SentenceType::GGA
                   : type == "RMC" ? SentenceType::RMC
                   : type == "VTG" ? SentenceType::VTG
                   : type == "ZDA" ? SentenceType::ZDA
                   : type == "GSA" ? SentenceType::GSA
                                   : SentenceType::Unknown;
    }
    return out;
}

DecodeResult decodeNmea(const NmeaSentence& fl, NavValues& nav) {
    DecodeResult r;
    r.type = fl.type;
    switch (fl.type) {
        case SentenceType::GGA:
            r.accepted = decodeGga(fl, nav, r);
            break;
        case SentenceType::RMC:
            r.accepted = decodeRmc(fl, nav, r);
            break;
        case SentenceType::VTG:
            r.accepted = decodeVtg(fl, nav, r);
            break;
        default:
            break;
    }
    return r;
}

DecodeResult decodeNmea(std::string_view line, NavValues& nav) {
    return decodeNmea(splitNmea(line), nav);
}

namespace {

std::string coordinate(double degrees, int degreeDigits) {
    // Whole units of 1e-7 minute, so rounding can never produce 60 minutes.
    const long long units = std::llround(std::abs(degrees) * 60.0 * 1e7);
    const long long perDegree = 60LL * 10000000LL;
    const long long deg = units / perDegree;
    const long long rem = units % perDegree;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%0*lld%02lld.%07lld", degreeDigits, deg, rem / 10000000LL,
                  rem % 10000000LL);
    return buf;
}

}  // namespace

std::string nmeaLatitude(double degrees, char* hemisphere) {
    *hemisphere = degrees < 0 ? 'S' : 'N';
    return coordinate(degrees, 2);
}

std::string nmeaLongitude(double degrees, char* hemisphere) {
    *hemisphere = degrees < 0 ? 'W' : 'E';
    return coordinate(degrees, 3);
}

}  // namespace nivora
