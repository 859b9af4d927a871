#include "geodesy/geoid_grid.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace nivora::geodesy {
namespace {

// GTX marks a node without a value with -88.8888.
constexpr float kNoValue = -88.8888f;

template <class T>
T bigEndian(const unsigned char* p) {
    unsigned char b[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
        b[i] = p[sizeof(T) - 1 - i];
    T v;
    std::memcpy(&v, b, sizeof(T));
    return v;
}

}  // namespace

std::optional<GeoidGrid> GeoidGrid::load(const std::string& path, std::string* error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        *error = "cannot read the geoid grid " + path;
        return std::nullopt;
    }
    unsigned char header[40];
    if (!f.read(reinterpret_cast<char*>(header), sizeof header)) {
        *error = path + " is too short for a GTX geoid grid";
        return std::nullopt;
    }
    GeoidGrid g;
    g.south_ = bigEndian<double>(header);
    g.west_ = bigEndian<double>(header + 8);
    g.dLat_ = bigEndian<double>(header + 16);
    g.dLon_ = bigEndian<double>(header + 24);
    g.rows_ = bigEndian<std::int32_t>(header + 32);
    g.columns_ = bigEndian<std::int32_t>(header + 36);
    const bool sane = g.rows_ > 1 && g.columns_ > 1 && g.rows_ < 100000 && g.columns_ < 100000 &&
                      g.dLat_ > 0 && g.dLon_ > 0 && std::abs(g.south_) <= 90 &&
                      std::abs(g.west_) <= 360;
    if (!sane) {
        *error = path + " is not a GTX geoid grid (its header makes no grid)";
        return std::nullopt;
    }
    const std::size_t nodes = static_cast<std::size_t>(g.rows_) * g.columns_;
    std::vector<unsigned char> raw(nodes * 4);
    if (!f.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size()))) {
        *error = path + " ends before its " + std::to_string(nodes) + " values";
        return std::nullopt;
    }
    g.values_.resize(nodes);
    for (std::size_t i = 0; i < nodes; ++i)
        g.values_[i] = bigEndian<float>(raw.data() + 4 * i);
    g.global_ = std::abs(g.columns_ * g.dLon_ - 360.0) < g.dLon_ * 1.5;
    return g;
}

std::optional<double> GeoidGrid::separation(double latitude, double longitude) const {
    const double y = (latitude - south_) / dLat_;
    if (!(y >= 0 && y <= rows_ - 1)) return std::nullopt;
    double x = (longitude - west_) / dLon_;
    if (global_) {
        const double round = 360.0 / dLon_;
        x = std::fmod(x, round);
        if (x < 0) x += round;
    } else if (!(x >= 0 && x <= columns_ - 1)) {
        return std::nullopt;
    }
    const int r0 = std::min(static_cast<int>(y), rows_ - 2);
    int c0 = static_cast<int>(x);
    const double fy = y - r0;
    double fx = x - c0;
    int c1 = c0 + 1;
    if (global_) {
        c0 %= columns_;
        c1 %= columns_;
    } else if (c0 >= columns_ - 1) {
        c0 = columns_ - 2;
        c1 = columns_ - 1;
        fx = x - c0;
    }
    const auto at = [this](int r, int c) {
        return values_[static_cast<std::size_t>(r) * columns_ + c];
    };
    const float v00 = at(r0, c0), v01 = at(r0, c1), v10 = at(r0 + 1, c0), v11 = at(r0 + 1, c1);
    for (float v : {v00, v01, v10, v11}) {
        if (v == kNoValue) return std::nullopt;
    }
    return (1 - fy) * ((1 - fx) * v00 + fx * v01) + fy * ((1 - fx) * v10 + fx * v11);
}

}  // namespace nivora::geodesy
