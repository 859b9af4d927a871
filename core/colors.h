#pragma once

// Colours are 32-bit values 0x00BBGGRR everywhere: shapes, layers, settings,
// files. 255 is red.

#include <cstdint>

namespace nivora {

using TColor = std::uint32_t;

namespace colors {
inline constexpr TColor Black = 0x000000;
inline constexpr TColor Maroon = 0x000080;
inline constexpr TColor Green = 0x008000;
inline constexpr TColor Olive = 0x008080;
inline constexpr TColor Navy = 0x800000;
inline constexpr TColor Purple = 0x800080;
inline constexpr TColor Teal = 0x808000;
inline constexpr TColor Gray = 0x808080;
inline constexpr TColor Silver = 0xC0C0C0;
inline constexpr TColor Red = 0x0000FF;
inline constexpr TColor Lime = 0x00FF00;
inline constexpr TColor Yellow = 0x00FFFF;
inline constexpr TColor Blue = 0xFF0000;
inline constexpr TColor Fuchsia = 0xFF00FF;
inline constexpr TColor Aqua = 0xFFFF00;
inline constexpr TColor White = 0xFFFFFF;
}  // namespace colors

inline constexpr std::uint8_t redOf(TColor c) {
    return static_cast<std::uint8_t>(c & 0xFF);
}
inline constexpr std::uint8_t greenOf(TColor c) {
    return static_cast<std::uint8_t>((c >> 8) & 0xFF);
}
inline constexpr std::uint8_t blueOf(TColor c) {
    return static_cast<std::uint8_t>((c >> 16) & 0xFF);
}
inline constexpr TColor rgbColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}

}  // namespace nivora
