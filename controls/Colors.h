#pragma once

#include <QColor>
#include <QPalette>

#include <cstdint>

// Colours as stored in forms and settings: red in the low byte, green in the
// second, blue in the third; with the top bit set the low byte names a system
// colour, which is looked up in the palette before any arithmetic.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clFuchsia = 0xFF00FF;

inline constexpr TColor kSystemColorFlag = 0x80000000;
inline constexpr TColor clWindow = kSystemColorFlag | 5;
inline constexpr TColor clWindowText = kSystemColorFlag | 8;
inline constexpr TColor clHighlight = kSystemColorFlag | 13;
inline constexpr TColor clHighlightText = kSystemColorFlag | 14;
inline constexpr TColor clBtnFace = kSystemColorFlag | 15;
inline constexpr TColor clBtnShadow = kSystemColorFlag | 16;
inline constexpr TColor clBtnText = kSystemColorFlag | 18;
inline constexpr TColor clBtnHighlight = kSystemColorFlag | 20;

inline constexpr TColor RGBColor(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}

// The RGB value of a colour; system colours come from the palette roles that
// play their part in this toolkit.
QColor ResolveColor(TColor color, const QPalette& palette);

// The stored form of an RGB colour (alpha is dropped).
TColor ToTColor(const QColor& color);
