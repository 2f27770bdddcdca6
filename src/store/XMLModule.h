#pragma once

#include "store/cXMLRegistry.h"

#include <QImage>
#include <QStringList>
#include <QVariant>

// Helpers over the XML settings store: one shared store for the program, the integrity check of a
// section, unescaping of stored control characters, and stored image bytes as a picture. Every
// function also comes in a form that takes the store to use, for code that keeps its own.
namespace XMLModule {

// The program's shared store, created on first use.
cXMLRegistry& SharedXMLRegistry();

// "" on success; otherwise the reason, or "Cannot open file: " and the name when there is none.
QString XMLOpen(cXMLRegistry& store, const QString& fileName, const QString& appName,
                bool create = false);
QString XMLOpen(const QString& fileName, const QString& appName, bool create = false);

// GetSettingEx, with the texts "&#xD;", "&#xA;", "&#x9;" and "&#x0;" in a text value turned into
// carriage return, line feed, tab and NUL.
QVariant XMLGetValue(const cXMLRegistry& store, const QString& section, const QString& key,
                     const QVariant& defaultValue);
QVariant XMLGetValue(const QString& section, const QString& key, const QVariant& defaultValue);
QString XMLUnescape(QString text);

// The key's binary value as a picture; a null image when the key is missing or empty. Raises
// XMLRegistryError InvalidPicture for bytes that are no readable picture.
QImage XMLGetPicture(const cXMLRegistry& store, const QString& section, const QString& key);
QImage XMLGetPicture(const QString& section, const QString& key);

QStringList XMLNodeList(const QString& appName, const QString& section);

// The salted digest of the texts of every key of the section except "MD5Hash" (in any letter
// case), joined in file order; keys whose element cannot be read count as "Unknown".
QString XMLSectionDigest(const cXMLRegistry& store, const QString& section);
// True exactly when the section's "MD5Hash" equals its digest.
bool XMLVerifyHash(const cXMLRegistry& store, const QString& section);
bool XMLVerifyHash(const QString& section);

// Pictures larger than this on either side, or in all, are refused before they are decoded: a
// logo is a few hundred pixels wide, and decoding a larger picture would hold up the start.
inline constexpr int MaxPictureSide = 8192;
inline constexpr qint64 MaxPicturePixels = 4 * 1024 * 1024;
// A null image for fewer than two bytes; raises InvalidPicture for bytes that do not decode.
QImage BytesToPicture(const QByteArray& bytes);

} // namespace XMLModule
