#include "controls/ColourModule.h"

#include <QGuiApplication>
#include <QPalette>

namespace ColourModule {

namespace {

QColor systemColour(int index) {
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 0:  // scroll bar
    case 15: // button face
        return palette.color(QPalette::Active, QPalette::Button);
    case 2:  // active caption
    case 13: // highlight
        return palette.color(QPalette::Active, QPalette::Highlight);
    case 3:  // inactive caption
    case 22: // 3-D light
        return palette.color(QPalette::Active, QPalette::Midlight);
    case 5: // window background
        return palette.color(QPalette::Active, QPalette::Base);
    case 6:  // window frame
    case 21: // 3-D dark shadow
        return palette.color(QPalette::Active, QPalette::Shadow);
    case 7: // menu text
        return palette.color(QPalette::Active, QPalette::WindowText);
    case 8: // window text
        return palette.color(QPalette::Active, QPalette::Text);
    case 9:  // caption text
    case 14: // highlighted text
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case 10: // active border
    case 11: // inactive border
        return palette.color(QPalette::Active, QPalette::Mid);
    case 12: // application workspace
    case 16: // button shadow
        return palette.color(QPalette::Active, QPalette::Dark);
    case 17: // grey text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: // button text
        return palette.color(QPalette::Active, QPalette::ButtonText);
    case 19: // inactive caption text
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case 20: // 3-D highlight
        return palette.color(QPalette::Active, QPalette::Light);
    case 23: // tool tip text
        return palette.color(QPalette::Active, QPalette::ToolTipText);
    case 24: // tool tip background
        return palette.color(QPalette::Active, QPalette::ToolTipBase);
    case 26: // hot-tracked item
        return palette.color(QPalette::Active, QPalette::Link);
    default: // desktop, menu, window and anything unknown
        return palette.color(QPalette::Active, QPalette::Window);
    }
}

} // namespace

QColor ToQColor(ColourValue colour) {
    if (IsSystemColour(colour)) {
        return systemColour(int(colour & ~SystemFlag));
    }
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

ColourValue FromQColor(const QColor& colour) {
    return Rgb(colour.red(), colour.green(), colour.blue());
}

} // namespace ColourModule
