#include "controls/TwipsModule.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace TwipsModule {

namespace {
constexpr double OrdinaryTwipsPerPixel = 15.0;
}

double TwipsPerPixel(const QWidget* widget) {
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return OrdinaryTwipsPerPixel;
    }
    const double dpi = screen->logicalDotsPerInchY();
    return dpi > 0.0 ? TwipsPerInch / dpi : OrdinaryTwipsPerPixel;
}

int ToPixels(double twips, double twipsPerPixel) {
    if (twipsPerPixel <= 0.0) {
        twipsPerPixel = OrdinaryTwipsPerPixel;
    }
    return int(std::nearbyint(twips / twipsPerPixel));
}

double ToTwips(double pixels, double twipsPerPixel) {
    return pixels * (twipsPerPixel > 0.0 ? twipsPerPixel : OrdinaryTwipsPerPixel);
}

int ToPixels(double twips, const QWidget* widget) {
    return ToPixels(twips, TwipsPerPixel(widget));
}

double ToTwips(double pixels, const QWidget* widget) {
    return ToTwips(pixels, TwipsPerPixel(widget));
}

} // namespace TwipsModule
