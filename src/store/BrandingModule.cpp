#include "store/BrandingModule.h"

#include "store/XMLModule.h"
#include "store/cXMLRegistry.h"

#include <QFileInfo>
#include <QLocale>
#include <cmath>

namespace {

using BrandingModule::BrandKeyType;

struct TextTarget {
    const char* key;
    QString BrandValues::*value;
};

constexpr TextTarget TextTargets[] = {
    {"Company", &BrandValues::BrandCompany},       {"URL", &BrandValues::BrandURL},
    {"LongName", &BrandValues::BrandLongName},     {"ShortName", &BrandValues::BrandShortName},
    {"Email", &BrandValues::BrandEmail},           {"Phone", &BrandValues::BrandPhone},
    {"SalesOrder", &BrandValues::BrandSalesOrder},
};

bool ParseWhole(QString text, qint64 minimum, qint64 maximum, qint64* result) {
    text = text.trimmed();
    bool ok = false;
    qint64 value = 0;
    if (text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        QString digits = text.mid(2);
        if (digits.endsWith(u'&')) {
            digits.chop(1);
        }
        value = digits.size() <= 8 ? qint64(digits.toUInt(&ok, 16)) : 0;
        ok = ok && !digits.isEmpty();
    } else {
        value = text.toLongLong(&ok, 10);
    }
    if (!ok || value < minimum || value > maximum) {
        return false;
    }
    *result = value;
    return true;
}

QString ReadText(const cXMLRegistry& store, const char* key, const QString& defaultValue) {
    return XMLModule::XMLGetValue(store, QLatin1String(BrandingModule::BrandSection),
                                  QLatin1String(key), defaultValue)
        .toString();
}

QString BadValueText(const char* key, const QString& value, const QString& expected) {
    return QStringLiteral("The key \"%1\" holds \"%2\", which is not %3.")
        .arg(QLatin1String(key), value.left(40), expected);
}

} // namespace

namespace BrandingModule {

const QList<BrandKey>& BrandKeys() {
    static const QList<BrandKey> keys = [] {
        QList<BrandKey> list = {
            {"Company", BrandKeyType::Text},   {"URL", BrandKeyType::Text},
            {"LongName", BrandKeyType::Text},  {"ShortName", BrandKeyType::Text},
            {"Email", BrandKeyType::Text},     {"Phone", BrandKeyType::Text},
            {"Mode", BrandKeyType::Integer},   {"SalesOrder", BrandKeyType::Text},
            {"Date", BrandKeyType::DayNumber}, {"MD5Hash", BrandKeyType::Hash},
            {"Logo", BrandKeyType::Picture},   {"LogoSmall", BrandKeyType::Picture},
        };
        for (const BrandColourKey& colour : BrandColourKeys()) {
            list.append({colour.key, BrandKeyType::Colour});
        }
        return list;
    }();
    return keys;
}

QString CanonicalBrandKey(const QString& name) {
    for (const BrandKey& key : BrandKeys()) {
        if (name.trimmed().compare(QLatin1String(key.key), Qt::CaseInsensitive) == 0) {
            return QLatin1String(key.key);
        }
    }
    return QString();
}

BrandKeyType BrandKeyTypeOf(const QString& canonicalKey) {
    for (const BrandKey& key : BrandKeys()) {
        if (canonicalKey == QLatin1String(key.key)) {
            return key.type;
        }
    }
    return BrandKeyType::Text;
}

QString BrandFilePath(const QString& programFolder) {
    const QString folder =
        programFolder.endsWith(u'/') ? programFolder : programFolder + QLatin1Char('/');
    const QString brand = folder + QLatin1String(BrandFileName);
    return QFileInfo(brand).isFile() ? brand : folder + QLatin1String(DefaultBrandFileName);
}

bool ParseColour(const QString& text, BrandColour* colour) {
    qint64 value = 0;
    if (!ParseWhole(text, -2147483648LL, 0xFFFFFFFFLL, &value)) {
        return false;
    }
    *colour = BrandColour(quint32(value & 0xFFFFFFFFLL));
    return true;
}

bool ParseMode(const QString& text, qint32* mode) {
    // "&H" hexadecimal covers all 32 bits, as the brand file's number syntax has it.
    const bool hex = text.trimmed().startsWith(QLatin1String("&H"), Qt::CaseInsensitive);
    qint64 value = 0;
    if (!ParseWhole(text, hex ? 0 : -2147483648LL, hex ? 0xFFFFFFFFLL : 2147483647LL, &value)) {
        return false;
    }
    *mode = qint32(quint32(value & 0xFFFFFFFFLL));
    return true;
}

bool ParseDayNumber(const QString& text, double* dayNumber) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return false;
    }
    *dayNumber = value;
    return true;
}

double DayNumber(const QDateTime& moment) {
    const QDate epoch(1899, 12, 30);
    const qint64 days = epoch.daysTo(moment.date());
    return double(days) + moment.time().msecsSinceStartOfDay() / 86400000.0;
}

bool ReadBrandValues(const cXMLRegistry& store, BrandValues& values, QString* errorText) {
    const auto fail = [&](const QString& text) {
        if (errorText) {
            *errorText = text;
        }
        return false;
    };
    BrandValues read;
    for (const TextTarget& target : TextTargets) {
        read.*target.value = ReadText(store, target.key, QString());
    }
    const QString mode = ReadText(store, "Mode", QStringLiteral("0"));
    if (!ParseMode(mode, &read.BrandMode)) {
        return fail(BadValueText("Mode", mode, QStringLiteral("a 32-bit whole number")));
    }
    const QVariant date = XMLModule::XMLGetValue(store, QLatin1String(BrandSection),
                                                 QStringLiteral("Date"), QVariant());
    read.BrandDate = DayNumber(QDateTime::currentDateTime());
    if (date.isValid() && !ParseDayNumber(date.toString(), &read.BrandDate)) {
        return fail(BadValueText("Date", date.toString(), QStringLiteral("a day number")));
    }
    const QString section = QLatin1String(BrandSection);
    read.BrandLogo = XMLModule::XMLGetPicture(store, section, QStringLiteral("Logo"));
    read.BrandLogoSmall = XMLModule::XMLGetPicture(store, section, QStringLiteral("LogoSmall"));
    for (const BrandColourKey& colour : BrandColourKeys()) {
        const QString text = ReadText(store, colour.key, QStringLiteral("0"));
        if (!ParseColour(text, &(read.*colour.value))) {
            return fail(BadValueText(colour.key, text,
                                     QStringLiteral("a colour number (decimal 0x00BBGGRR)")));
        }
    }
    values = read;
    return true;
}

BrandLoadResult LoadBranding(const QString& path, BrandValues& into) {
    BrandLoadResult result;
    result.path = path;
    cXMLRegistry store;
    const QString openError =
        XMLModule::XMLOpen(store, path, QLatin1String(BrandApplication), false);
    if (!openError.isEmpty()) {
        result.error = openError;
        return result;
    }
    try {
        const QString section = QLatin1String(BrandSection);
        if (!XMLModule::XMLVerifyHash(store, section)) {
            result.status = BrandLoadStatus::HashMismatch;
            // A QVariant holding a null QString is not null in Qt 6: ask for no value at all.
            const bool hasHash =
                store.GetSettingExText(section, QLatin1String(HashKey), QVariant()).isValid();
            result.error = hasHash
                               ? QStringLiteral("%1: the brand data does not match its MD5Hash; "
                                                "the file was changed after it was signed.")
                                     .arg(path)
                               : QStringLiteral("%1: the brand data has no MD5Hash.").arg(path);
            return result;
        }
        BrandValues values;
        if (!ReadBrandValues(store, values, &result.error)) {
            result.status = BrandLoadStatus::BadValue;
            result.error = path + QLatin1String(": ") + result.error;
            return result;
        }
        into = values;
    } catch (const XMLRegistryError& error) {
        result.status = error.code() == XMLRegistryError::InvalidPicture
                            ? BrandLoadStatus::BadValue
                            : BrandLoadStatus::CannotRead;
        result.error = path + QLatin1String(": ") + error.description();
        return result;
    }
    result.status = BrandLoadStatus::Loaded;
    return result;
}

BrandLoadResult LoadProgramBranding(const QString& programFolder) {
    return LoadBranding(BrandFilePath(programFolder), Brand());
}

} // namespace BrandingModule
