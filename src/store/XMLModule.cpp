#include "store/XMLModule.h"

#include "store/HashModule.h"

#include <QBuffer>
#include <QImageReader>

namespace XMLModule {

cXMLRegistry& SharedXMLRegistry() {
    static cXMLRegistry store;
    return store;
}

QString XMLOpen(cXMLRegistry& store, const QString& fileName, const QString& appName, bool create) {
    QString name = appName;
    if (store.OpenXMLFile(fileName, name, create)) {
        return QString();
    }
    const auto& error = store.lastOpenError();
    if (error && !error->description().isEmpty()) {
        return error->description();
    }
    return QStringLiteral("Cannot open file: ") + fileName;
}

QString XMLOpen(const QString& fileName, const QString& appName, bool create) {
    return XMLOpen(SharedXMLRegistry(), fileName, appName, create);
}

QString XMLUnescape(QString text) {
    return text.replace(QLatin1String("&#xD;"), QLatin1String("\r"))
        .replace(QLatin1String("&#xA;"), QLatin1String("\n"))
        .replace(QLatin1String("&#x9;"), QLatin1String("\t"))
        .replace(QLatin1String("&#x0;"), QString(QChar(u'\0')));
}

QVariant XMLGetValue(const cXMLRegistry& store, const QString& section, const QString& key,
                     const QVariant& defaultValue) {
    const QVariant value = store.GetSettingEx(section, key, defaultValue);
    if (value.typeId() == QMetaType::QString) {
        return XMLUnescape(value.toString());
    }
    return value;
}

QVariant XMLGetValue(const QString& section, const QString& key, const QVariant& defaultValue) {
    return XMLGetValue(SharedXMLRegistry(), section, key, defaultValue);
}

QImage BytesToPicture(const QByteArray& bytes) {
    if (bytes.size() < 2) {
        return QImage();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.width() > MaxPictureSide || size.height() > MaxPictureSide ||
        qint64(size.width()) * size.height() > MaxPicturePixels) {
        throw XMLRegistryError(XMLRegistryError::InvalidPicture, QStringLiteral("BytesToPicture"),
                               QStringLiteral("The picture is %1 x %2 pixels; at most %3 on "
                                              "either side and %4 in all can be shown.")
                                   .arg(size.width())
                                   .arg(size.height())
                                   .arg(MaxPictureSide)
                                   .arg(MaxPicturePixels));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        throw XMLRegistryError(XMLRegistryError::InvalidPicture, QStringLiteral("BytesToPicture"),
                               QStringLiteral("Invalid picture: %1").arg(reader.errorString()));
    }
    return image;
}

QImage XMLGetPicture(const cXMLRegistry& store, const QString& section, const QString& key) {
    const QVariant value = store.GetSettingEx(section, key, QString());
    if (value.typeId() == QMetaType::QByteArray) {
        try {
            return BytesToPicture(value.toByteArray());
        } catch (const XMLRegistryError& error) {
            throw XMLRegistryError(error.code(), QStringLiteral("XMLGetPicture"),
                                   QStringLiteral("%1 (key \"%2\" of section \"%3\")")
                                       .arg(error.description(), key, section));
        }
    }
    if (!value.toString().trimmed().isEmpty()) {
        throw XMLRegistryError(XMLRegistryError::InvalidPicture, QStringLiteral("XMLGetPicture"),
                               QStringLiteral("The key \"%1\" of section \"%2\" holds text, not "
                                              "binary picture data.")
                                   .arg(key, section));
    }
    return QImage();
}

QImage XMLGetPicture(const QString& section, const QString& key) {
    return XMLGetPicture(SharedXMLRegistry(), section, key);
}

QStringList XMLNodeList(const QString& appName, const QString& section) {
    return SharedXMLRegistry().NodeList(appName, section);
}

QString XMLSectionDigest(const cXMLRegistry& store, const QString& section) {
    QString text;
    for (const auto& [name, keyText] : store.SectionTexts(section, QStringLiteral("Unknown"))) {
        if (name.compare(QLatin1String("md5hash"), Qt::CaseInsensitive) != 0) {
            text += keyText;
        }
    }
    return HashModule::SaltedMD5(text);
}

bool XMLVerifyHash(const cXMLRegistry& store, const QString& section) {
    const QString stored =
        XMLGetValue(store, section, QStringLiteral("MD5Hash"), QString()).toString();
    return stored == XMLSectionDigest(store, section);
}

bool XMLVerifyHash(const QString& section) {
    return XMLVerifyHash(SharedXMLRegistry(), section);
}

} // namespace XMLModule
