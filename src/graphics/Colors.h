#pragma once
// Colour values of the graphic classes. A TColor holds red in the low byte, then green, then
// blue (0x00BBGGRR), the layout GIF colour values use throughout the engine. Values with the
// high byte 0xFF name system colours (window background, button face, ...), resolved when drawn.
#include <QtGui/qrgb.h>
#include <cstdint>
#include <functional>

using TColor = uint32_t;

constexpr TColor rgbColor(uint8_t red, uint8_t green, uint8_t blue)
{
    return TColor(red) | (TColor(green) << 8) | (TColor(blue) << 16);
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// "No colour" and "the default colour" markers; neither is ever drawn as such.
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours (index in the low byte).
constexpr TColor clSystemColor = 0xFF000000;
constexpr TColor clScrollBar = clSystemColor | 0;
constexpr TColor clBackground = clSystemColor | 1;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;

inline bool isSystemColor(TColor color)
{
    return (color & 0xFF000000u) == clSystemColor;
}

// The platform layer installs the desktop's colours; without it fixed light-theme values are used.
using TSystemColorResolver = std::function<QRgb(TColor systemColor)>;
void setSystemColorResolver(TSystemColorResolver resolver);

// The opaque RGB a colour stands for (system colours resolved, clNone and clDefault as black).
QRgb colorToRgb(TColor color);
// The TColor of an RGB value (alpha dropped).
constexpr TColor rgbToColor(QRgb rgb)
{
    return rgbColor(uint8_t(qRed(rgb)), uint8_t(qGreen(rgb)), uint8_t(qBlue(rgb)));
}
