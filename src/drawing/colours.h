#pragma once
// Colours as the pages name them: 0x00BBGGRR values, plus two system colours
// (button face, highlight) that take their value from the application palette.
#include <QRgb>
#include <cstdint>

using TColor = std::uint32_t;

namespace Colour {
inline constexpr TColor Black   = 0x000000;
inline constexpr TColor Maroon  = 0x000080;
inline constexpr TColor Green   = 0x008000;
inline constexpr TColor Olive   = 0x008080;
inline constexpr TColor Navy    = 0x800000;
inline constexpr TColor Red     = 0x0000FF;
inline constexpr TColor Lime    = 0x00FF00;
inline constexpr TColor Yellow  = 0x00FFFF;
inline constexpr TColor Blue    = 0xFF0000;
inline constexpr TColor Fuchsia = 0xFF00FF;
inline constexpr TColor White   = 0xFFFFFF;
inline constexpr TColor BtnFace   = 0x8000000F;
inline constexpr TColor Highlight = 0x8000000D;
inline constexpr TColor WindowText = 0x80000008;
}

// The RGB value a colour stands for; system colours are read from the application palette.
QRgb toRgb(TColor colour);
