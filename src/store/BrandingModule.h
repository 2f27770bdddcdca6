#pragma once

#include "store/BrandValues.h"

#include <QDateTime>
#include <QList>
#include <QString>

class cXMLRegistry;

// Choosing, loading and verifying the brand file. Applying the values to windows is the shell's.
namespace BrandingModule {

inline constexpr char BrandFileName[] = "brand.qkb";
inline constexpr char DefaultBrandFileName[] = "default.qkb";
inline constexpr char BrandApplication[] = "ZEXToolkit";
inline constexpr char BrandSection[] = "Data";
inline constexpr char HashKey[] = "MD5Hash";

enum class BrandKeyType { Text, Integer, DayNumber, Hash, Picture, Colour };

struct BrandKey {
    const char* key;
    BrandKeyType type;
};

// Every key of a brand file in the order it is read, "Company" to "LiftoutFore".
const QList<BrandKey>& BrandKeys();
// The key's own spelling for a name in any letter case, or "" when it is no brand key.
QString CanonicalBrandKey(const QString& name);
BrandKeyType BrandKeyTypeOf(const QString& canonicalKey);

// "brand.qkb" in the folder when that file exists, otherwise "default.qkb" there.
QString BrandFilePath(const QString& programFolder);

enum class BrandLoadStatus {
    Loaded,
    CannotOpen,   // missing, unreadable, not well-formed or refused XML
    CannotRead,   // a key could not be read from the open file
    HashMismatch, // the "Data" section is not what was signed (or has no "MD5Hash")
    BadValue,     // signed, but a colour, number or logo cannot be decoded
};

struct BrandLoadResult {
    BrandLoadStatus status = BrandLoadStatus::CannotOpen;
    QString path;
    QString error; // what went wrong, for logs and the brand tool; empty when loaded
    bool ok() const { return status == BrandLoadStatus::Loaded; }
};

// Opens the file, checks its hash and only then decodes it. On success the values replace those
// in `into`; on any failure `into` is left exactly as it was (no logo, no colour of a file that
// failed is ever used).
BrandLoadResult LoadBranding(const QString& path, BrandValues& into);
// Chooses the file in the program folder and loads it into the program's Brand().
BrandLoadResult LoadProgramBranding(const QString& programFolder);

// Decodes every key of the table from an opened store, without the hash check. False with
// errorText at the first value that cannot be decoded.
bool ReadBrandValues(const cXMLRegistry& store, BrandValues& values, QString* errorText);

// The forms the values take in the file. Colours: a decimal 32-bit number (negative numbers are
// the top-bit system colours as a signed number), or "&H" hexadecimal.
bool ParseColour(const QString& text, BrandColour* colour);
bool ParseMode(const QString& text, qint32* mode);
bool ParseDayNumber(const QString& text, double* dayNumber);
// Days since 30 December 1899, with the time of day as the fraction.
double DayNumber(const QDateTime& moment);

} // namespace BrandingModule
