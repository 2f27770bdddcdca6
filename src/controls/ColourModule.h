#pragma once

#include <QColor>
#include <QtGlobal>

// Colours as the brand file and the style table hold them: 0x00BBGGRR with red in the low byte,
// or 0x80000000 + n for system colour n, which follows the running desktop's palette.
using ColourValue = quint32;

namespace ColourModule {

inline constexpr ColourValue SystemFlag = 0x80000000u;

// System colours the controls use by default.
inline constexpr ColourValue InactiveCaption = SystemFlag | 3;
inline constexpr ColourValue WindowBackground = SystemFlag | 5;
inline constexpr ColourValue WindowText = SystemFlag | 8;
inline constexpr ColourValue ButtonFace = SystemFlag | 15;
inline constexpr ColourValue GreyText = SystemFlag | 17;
inline constexpr ColourValue ButtonText = SystemFlag | 18;
inline constexpr ColourValue Highlight3D = SystemFlag | 20;

constexpr ColourValue Rgb(int red, int green, int blue) {
    return ColourValue(red & 0xFF) | (ColourValue(green & 0xFF) << 8) |
           (ColourValue(blue & 0xFF) << 16);
}

constexpr bool IsSystemColour(ColourValue colour) {
    return (colour & SystemFlag) != 0;
}

// System colours map onto the application palette's nearest role; unknown ones give the window
// colour rather than black, so a stray number never makes text vanish.
QColor ToQColor(ColourValue colour);
ColourValue FromQColor(const QColor& colour);

} // namespace ColourModule
