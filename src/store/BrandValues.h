#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QtGlobal>
#include <array>

// A colour as brand files and the controls store it: 0x00BBGGRR, red in the low byte. A value with
// the top bit set (0x80000000 + n) names system colour n.
using BrandColour = quint32;

// The look and identity loaded from the brand file. Colours are named after their keys in the
// file; all start at 0 (black) and the texts empty until a brand file has been loaded.
struct BrandValues {
    QString BrandCompany;
    QString BrandURL;
    QString BrandLongName;
    QString BrandShortName;
    QString BrandEmail;
    QString BrandPhone;
    qint32 BrandMode = 0;
    QString BrandSalesOrder;
    double BrandDate = 0; // a day number: days since 30 December 1899, time as the fraction
    QImage BrandLogo;
    QImage BrandLogoSmall;

    BrandColour Back = 0;
    BrandColour DisplayBack = 0;
    BrandColour HelpBack = 0;
    BrandColour HelpFore = 0;
    BrandColour Title = 0;
    BrandColour Headers = 0;
    BrandColour Text = 0;
    BrandColour Live = 0;
    BrandColour LiftoutBack = 0;
    BrandColour MenuFore = 0;
    BrandColour MenuHover = 0;
    BrandColour MenuDown = 0;
    BrandColour MenuDisabled = 0;
    BrandColour Border = 0;
    BrandColour BorderFocus = 0;
    BrandColour BorderDisabled = 0;
    BrandColour FieldBack = 0;
    BrandColour FieldBackHover = 0;
    BrandColour FieldBackDown = 0;
    BrandColour FieldBackDisabled = 0;
    BrandColour FieldFore = 0;
    BrandColour FieldForeHover = 0;
    BrandColour FieldForeDown = 0;
    BrandColour FieldForeDisabled = 0;
    BrandColour ButtonBack = 0;
    BrandColour ButtonBackHover = 0;
    BrandColour ButtonBackDown = 0;
    BrandColour ButtonBackDisabled = 0;
    BrandColour ButtonFore = 0;
    BrandColour ButtonForeHover = 0;
    BrandColour ButtonForeDown = 0;
    BrandColour ButtonForeDisabled = 0;
    BrandColour LiftoutFore = 0;
};

// The brand values of this run: filled once at start-up by branding, read by every window.
BrandValues& Brand();

// The colour keys in the order the brand file is read, each with the value it fills.
struct BrandColourKey {
    const char* key;
    BrandColour BrandValues::*value;
};
inline constexpr int BrandColourCount = 33;
const std::array<BrandColourKey, BrandColourCount>& BrandColourKeys();

// An 0x00BBGGRR colour as a QColor; system colours (top bit set) give an invalid QColor, for the
// caller to map onto its palette.
inline QColor BrandColourToQColor(BrandColour colour) {
    if (colour & 0x80000000u) {
        return QColor();
    }
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}
