#include "controls/ColourModule.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdlib>

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
    return BrandColourToQColor(colour);
}

namespace {

double relativeLuminance(const QColor& colour) {
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

} // namespace

double ContrastRatio(const QColor& first, const QColor& second) {
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor ReadableTextColour(const QColor& background, const QColor& preferred) {
    constexpr double LeastReadableRatio = 3.0;
    if (ContrastRatio(background, preferred) >= LeastReadableRatio) {
        return preferred;
    }
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(background, black) >= ContrastRatio(background, white) ? black : white;
}

bool AreDistinct(const QColor& first, const QColor& second) {
    constexpr double DistinctRatio = 1.4;
    constexpr int DistinctChannelStep = 48;
    const int step =
        std::max({std::abs(first.red() - second.red()), std::abs(first.green() - second.green()),
                  std::abs(first.blue() - second.blue())});
    return step >= DistinctChannelStep || ContrastRatio(first, second) >= DistinctRatio;
}

Highlight ListHighlight(const QColor& base, const QColor& text, const QColor& preferredBack,
                        const QColor& preferredText) {
    QColor back = preferredBack;
    QColor foreground = preferredText;
    if (!AreDistinct(back, base)) {
        back = text;
        foreground = base;
        if (!AreDistinct(back, base)) {
            back = ReadableTextColour(base, QColor(Qt::black));
            foreground = base;
        }
    }
    return Highlight{back, ReadableTextColour(back, foreground)};
}

ColourValue FromQColor(const QColor& colour) {
    return Rgb(colour.red(), colour.green(), colour.blue());
}

void FillBackground(QWidget* widget, ColourValue colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, ColourValue colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, ToQColor(colour));
    palette.setColor(QPalette::Text, ToQColor(colour));
    widget->setPalette(palette);
}

} // namespace ColourModule
