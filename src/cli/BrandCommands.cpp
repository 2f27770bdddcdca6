#include "cli/BrandCommands.h"

#include "store/BrandingModule.h"
#include "store/CodePage1252.h"
#include "store/ResourceFolder.h"
#include "store/XMLModule.h"
#include "store/cXMLRegistry.h"

#include <QImage>
#include <QRegularExpression>

namespace {

using namespace BrandingModule;

constexpr qint64 MaxLogoFileSize = 4 * 1024 * 1024;

const QString Section = QLatin1String(BrandSection);

void PrintUsage(QTextStream& stream) {
    stream << "Usage: zexctl brand verify [FILE]\n"
              "       zexctl brand sign FILE\n"
              "       zexctl brand set FILE KEY VALUE\n"
              "       zexctl brand logo FILE Logo|LogoSmall IMAGE\n";
}

int Usage(QTextStream& err, const QString& problem) {
    err << problem << "\n";
    PrintUsage(err);
    return BrandCommands::UsageError;
}

QString Hex(BrandColour colour) {
    return QLatin1String("0x") +
           QStringLiteral("%1").arg(colour, 6, 16, QLatin1Char('0')).toUpper();
}

// Control characters are stored as the character references the program unescapes on reading.
QString EscapeText(QString text) {
    return text.replace(QChar(u'\r'), QLatin1String("&#xD;"))
        .replace(QChar(u'\n'), QLatin1String("&#xA;"))
        .replace(QChar(u'\t'), QLatin1String("&#x9;"))
        .replace(QChar(u'\0'), QLatin1String("&#x0;"));
}

// The stored form of a value given on the command line, or an error text.
bool StoredForm(const QString& key, const QString& value, QString* stored, QString* error) {
    switch (BrandKeyTypeOf(key)) {
    case BrandKeyType::Colour: {
        BrandColour colour = 0;
        static const QRegularExpression rgb(QStringLiteral("^#([0-9A-Fa-f]{6})$"));
        const QRegularExpressionMatch match = rgb.match(value.trimmed());
        if (match.hasMatch()) {
            // #RRGGBB as web colours are written, turned round into 0x00BBGGRR.
            const quint32 web = match.captured(1).toUInt(nullptr, 16);
            colour = ((web & 0xFF) << 16) | (web & 0xFF00) | ((web >> 16) & 0xFF);
        } else if (!ParseColour(value, &colour)) {
            *error = QStringLiteral("\"%1\" is not a colour: give a decimal 0x00BBGGRR number, "
                                    "&Hhex, or #RRGGBB.")
                         .arg(value);
            return false;
        }
        *stored = QString::number(colour);
        return true;
    }
    case BrandKeyType::Integer: {
        qint32 mode = 0;
        if (!ParseMode(value, &mode)) {
            *error = QStringLiteral("\"%1\" is not a 32-bit whole number.").arg(value);
            return false;
        }
        *stored = QString::number(mode);
        return true;
    }
    case BrandKeyType::DayNumber: {
        double day = 0;
        if (!ParseDayNumber(value, &day)) {
            *error = QStringLiteral("\"%1\" is not a day number (days since 30 December 1899, "
                                    "with \".\" as decimal point).")
                         .arg(value);
            return false;
        }
        *stored = value.trimmed();
        return true;
    }
    case BrandKeyType::Text: {
        qsizetype bad = -1;
        if (!CodePage1252::CanEncode(value, &bad)) {
            *error = QStringLiteral("The character U+%1 cannot be signed: brand texts must be "
                                    "Windows-1252 characters.")
                         .arg(value.at(bad).unicode(), 4, 16, QLatin1Char('0'));
            return false;
        }
        *stored = EscapeText(value);
        return true;
    }
    case BrandKeyType::Hash:
    case BrandKeyType::Picture:
        break;
    }
    return false;
}

class BrandFile {
public:
    BrandFile(const QString& path, QTextStream& err)
        : m_path(path)
        , m_err(err) {}

    bool open() {
        const QString error = XMLModule::XMLOpen(m_store, m_path, QLatin1String(BrandApplication));
        if (!error.isEmpty()) {
            m_err << error << "\n";
            return false;
        }
        return true;
    }

    bool verifies() {
        try {
            return XMLModule::XMLVerifyHash(m_store, Section);
        } catch (const XMLRegistryError&) {
            return false;
        }
    }

    // Checks that the program will be able to use every value, then stores the digest.
    bool sign() {
        if (m_store.NodeList(m_store.CurrentAppName(), Section).isEmpty()) {
            m_err << m_path << ": there is no \"Data\" section to sign.\n";
            return false;
        }
        for (const QString& name : m_store.NodeList(m_store.CurrentAppName(), Section)) {
            const QString text = m_store.GetSettingExText(Section, name, QString()).toString();
            qsizetype bad = -1;
            if (!CodePage1252::CanEncode(text, &bad)) {
                m_err << m_path << ": the key \"" << name << "\" holds the character U+"
                      << QString::number(text.at(bad).unicode(), 16).rightJustified(4, u'0')
                      << ", which is outside Windows-1252; the file cannot be signed.\n";
                return false;
            }
        }
        BrandValues values;
        QString error;
        try {
            if (!ReadBrandValues(m_store, values, &error)) {
                m_err << m_path << ": " << error << " The file was not signed.\n";
                return false;
            }
        } catch (const XMLRegistryError& failure) {
            m_err << m_path << ": " << failure.description() << " The file was not signed.\n";
            return false;
        }
        m_store.SaveSetting(Section, QLatin1String(HashKey),
                            XMLModule::XMLSectionDigest(m_store, Section));
        return true;
    }

    bool save() {
        try {
            m_store.SaveXMLFile();
            return true;
        } catch (const XMLRegistryError& error) {
            m_err << error.description() << "\n";
            return false;
        }
    }

    cXMLRegistry& store() { return m_store; }

private:
    QString m_path;
    QTextStream& m_err;
    cXMLRegistry m_store;
};

int Verify(const QString& path, QTextStream& out, QTextStream& err) {
    BrandValues values;
    const BrandLoadResult result = LoadBranding(path, values);
    if (!result.ok()) {
        err << result.error << "\n";
        if (result.status == BrandLoadStatus::HashMismatch) {
            cXMLRegistry store;
            if (XMLModule::XMLOpen(store, path, QLatin1String(BrandApplication)).isEmpty()) {
                err << "  stored MD5Hash:   "
                    << store.GetSettingExText(Section, QLatin1String(HashKey), QString()).toString()
                    << "\n  data gives:       " << XMLModule::XMLSectionDigest(store, Section)
                    << "\n";
            }
        }
        return BrandCommands::Failure;
    }
    const auto size = [](const QImage& image) {
        return image.isNull() ? QStringLiteral("none")
                              : QStringLiteral("%1 x %2").arg(image.width()).arg(image.height());
    };
    out << path << ": verified.\n"
        << "  Company:   " << values.BrandCompany << "\n"
        << "  LongName:  " << values.BrandLongName << "\n"
        << "  URL:       " << values.BrandURL << "\n"
        << "  Logo:      " << size(values.BrandLogo) << "\n"
        << "  LogoSmall: " << size(values.BrandLogoSmall) << "\n"
        << "  Back " << Hex(values.Back) << ", DisplayBack " << Hex(values.DisplayBack)
        << ", FieldBack " << Hex(values.FieldBack) << ", Text " << Hex(values.Text) << "\n";
    return BrandCommands::Success;
}

int Sign(const QString& path, QTextStream& out, QTextStream& err) {
    BrandFile file(path, err);
    if (!file.open() || !file.sign() || !file.save()) {
        return BrandCommands::Failure;
    }
    out << path << ": signed, MD5Hash " << file.store().GetSetting(Section, QLatin1String(HashKey))
        << ".\n";
    return BrandCommands::Success;
}

// Applies one change, re-signing when the file verified before it.
template <typename Change>
int Edit(const QString& path, const QString& what, Change change, QTextStream& out,
         QTextStream& err) {
    BrandFile file(path, err);
    if (!file.open()) {
        return BrandCommands::Failure;
    }
    const bool verifiedBefore = file.verifies();
    try {
        change(file.store());
    } catch (const XMLRegistryError& error) {
        err << path << ": " << error.description() << "\n";
        return BrandCommands::Failure;
    }
    if (verifiedBefore && !file.sign()) {
        return BrandCommands::Failure;
    }
    if (!file.save()) {
        return BrandCommands::Failure;
    }
    out << path << ": " << what << (verifiedBefore ? "; MD5Hash updated.\n" : ".\n");
    if (!verifiedBefore) {
        out << "The file did not verify before this change, so it was not signed. Check it, then "
               "run: zexctl brand sign "
            << path << "\n";
    }
    return BrandCommands::Success;
}

int Set(const QString& path, const QString& keyName, const QString& value, QTextStream& out,
        QTextStream& err) {
    const QString key = CanonicalBrandKey(keyName);
    if (key.isEmpty()) {
        QStringList known;
        for (const BrandKey& brandKey : BrandKeys()) {
            known.append(QLatin1String(brandKey.key));
        }
        return Usage(err, QStringLiteral("\"%1\" is not a brand key. The keys are: %2.")
                              .arg(keyName, known.join(QLatin1String(", "))));
    }
    const BrandKeyType type = BrandKeyTypeOf(key);
    if (type == BrandKeyType::Hash) {
        return Usage(err, QStringLiteral("MD5Hash is computed: use \"zexctl brand sign FILE\"."));
    }
    if (type == BrandKeyType::Picture) {
        return Usage(
            err,
            QStringLiteral("%1 is a picture: use \"zexctl brand logo FILE %1 IMAGE\".").arg(key));
    }
    QString stored;
    QString error;
    if (!StoredForm(key, value, &stored, &error)) {
        return Usage(err, error);
    }
    return Edit(
        path, QStringLiteral("%1 set to \"%2\"").arg(key, stored),
        [&](cXMLRegistry& store) { store.SaveSetting(Section, key, stored); }, out, err);
}

int Logo(const QString& path, const QString& keyName, const QString& imagePath, QTextStream& out,
         QTextStream& err) {
    const QString key = CanonicalBrandKey(keyName);
    if (key != u"Logo" && key != u"LogoSmall") {
        return Usage(
            err, QStringLiteral("\"%1\" is not a logo key: use Logo or LogoSmall.").arg(keyName));
    }
    QString error;
    const std::optional<QByteArray> bytes =
        cXMLRegistry::ReadBinData(imagePath, MaxLogoFileSize, &error);
    if (!bytes) {
        err << error << "\n";
        return BrandCommands::Failure;
    }
    QImage image;
    try {
        image = XMLModule::BytesToPicture(*bytes);
    } catch (const XMLRegistryError& failure) {
        err << imagePath << ": " << failure.description() << "\n";
        return BrandCommands::Failure;
    }
    if (image.isNull()) {
        err << imagePath << ": the file is empty.\n";
        return BrandCommands::Failure;
    }
    return Edit(
        path,
        QStringLiteral("%1 set from %2 (%3 x %4)")
            .arg(key, imagePath)
            .arg(image.width())
            .arg(image.height()),
        [&](cXMLRegistry& store) {
            store.SaveSettingEx(Section, key, *bytes, QLatin1String(cXMLRegistry::Base64Type));
        },
        out, err);
}

} // namespace

namespace BrandCommands {

int run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    return run(arguments, out, err, ResourceFolder::OfThisProgram());
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err,
        const QString& resourceFolder) {
    QStringList args = arguments;
    if (!args.isEmpty() && args.first() == u"brand") {
        args.removeFirst();
    }
    if (args.isEmpty()) {
        return Usage(err, QStringLiteral("Missing the brand command."));
    }
    const QString command = args.takeFirst();
    const auto expect = [&](int count) { return args.size() == count; };
    int code = UsageError;
    if (command == u"help" || command == u"--help" || command == u"-h") {
        PrintUsage(out);
        code = Success;
    } else if (command == u"verify" && expect(1)) {
        code = Verify(args[0], out, err);
    } else if (command == u"verify" && expect(0)) {
        // The file the program itself would load.
        code = Verify(BrandFilePath(resourceFolder), out, err);
    } else if (command == u"sign" && expect(1)) {
        code = Sign(args[0], out, err);
    } else if (command == u"set" && expect(3)) {
        code = Set(args[0], args[1], args[2], out, err);
    } else if (command == u"logo" && expect(3)) {
        code = Logo(args[0], args[1], args[2], out, err);
    } else if (QStringList{QStringLiteral("verify"), QStringLiteral("sign"), QStringLiteral("set"),
                           QStringLiteral("logo")}
                   .contains(command)) {
        code =
            Usage(err, QStringLiteral("Wrong number of arguments for \"brand %1\".").arg(command));
    } else {
        code = Usage(err, QStringLiteral("Unknown brand command \"%1\".").arg(command));
    }
    out.flush();
    err.flush();
    return code;
}

} // namespace BrandCommands
