#pragma once

#include <cstdint>

// The colours of the program's one skin, shared by the windows and the picture generator.
namespace chrome::skin {

inline constexpr std::uint32_t colourKey = 0xFF00FF; // fuchsia: shows what lies behind
inline constexpr std::uint32_t titleStrip = 0x1C2A44;
inline constexpr std::uint32_t titleStripLight = 0x2E4572;
inline constexpr std::uint32_t side = 0x34435E;
inline constexpr std::uint32_t body = 0xE6EBF2;
inline constexpr std::uint32_t frame = 0x8D9AB0;
inline constexpr std::uint32_t headingGrey = 0x808080;
inline constexpr std::uint32_t lightText = 0xF2F5FA;
inline constexpr std::uint32_t darkText = 0x1A2233;
inline constexpr std::uint32_t arrow = 0xFFC93C;
inline constexpr std::uint32_t separator = 0x9AA3B0;
inline constexpr std::uint32_t accent = 0xF0A01E;
inline constexpr std::uint32_t on = 0x2E8B47;
inline constexpr std::uint32_t off = 0xB8372E;
inline constexpr std::uint32_t choice = 0x2F5E9E;
inline constexpr std::uint32_t silver = 0xC0C0C0;
inline constexpr std::uint32_t maroon = 0x800000;

// Design font: "MS Sans Serif" 8 point. Where the system has no face of that name with the Polish
// letters, the first of the substitutes it has draws the texts: the condensed one is about as
// wide as the design's face, so the texts fit their boxes.
inline constexpr const char* fontFamily = "MS Sans Serif";
inline constexpr const char* fontSubstitute = "DejaVu Sans";
inline constexpr const char* fontSubstitutes[] = {"DejaVu Sans Condensed", fontSubstitute};
inline constexpr int fontPointSize = 8;

} // namespace chrome::skin
