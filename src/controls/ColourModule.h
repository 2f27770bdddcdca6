#pragma once

#include "store/BrandValues.h"

#include <QColor>
#include <QtGlobal>

class QWidget;

// Colours as the brand file and the style table hold them: 0x00BBGGRR with red in the low byte,
// or 0x80000000 + n for system colour n, which follows the running desktop's palette.
using ColourValue = BrandColour;

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

// The contrast ratio of two colours (1 for equal ones, 21 for black on white).
double ContrastRatio(const QColor& first, const QColor& second);
// The preferred text colour, unless it is too faint on the background to be read (below 3:1);
// then black or white, whichever reads better.
QColor ReadableTextColour(const QColor& background, const QColor& preferred);

// True when two colours can be told apart at a glance, by brightness or by hue.
bool AreDistinct(const QColor& first, const QColor& second);

struct Highlight {
    QColor back;
    QColor text;
};
// The current row of a list on base with text: the preferred colours, unless that highlight
// cannot be told from the base (a style whose hover and normal fills are alike); then the row
// shows inverted, text colour on base colour. The row's text is always readable.
Highlight ListHighlight(const QColor& base, const QColor& text, const QColor& preferredBack,
                        const QColor& preferredText);

// A widget filled with the colour rather than showing its parent through.
void FillBackground(QWidget* widget, ColourValue colour);
// The colour of a widget's text, a label's as well as an edit's.
void SetTextColour(QWidget* widget, ColourValue colour);

} // namespace ColourModule
