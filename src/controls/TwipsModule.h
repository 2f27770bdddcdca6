#pragma once

class QWidget;

// Layout distances are designed in twips (1/1440 inch). They become pixels through the pixel
// density of the screen a widget is on, so a high-density screen shows the same physical sizes.
namespace TwipsModule {

inline constexpr double TwipsPerInch = 1440.0;

// Twips per device-independent pixel of the widget's screen (of the primary screen without a
// widget); 15 on an ordinary 96 dpi screen.
double TwipsPerPixel(const QWidget* widget = nullptr);

// Rounded to the nearest pixel, halves to even.
int ToPixels(double twips, double twipsPerPixel);
double ToTwips(double pixels, double twipsPerPixel);

// The same through the widget's screen.
int ToPixels(double twips, const QWidget* widget);
double ToTwips(double pixels, const QWidget* widget);

} // namespace TwipsModule
