#include "store/BrandingModule.h"
#include "store/XMLModule.h"
#include "store/cXMLRegistry.h"
#include "support/ScratchFiles.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace BrandingModule;

namespace {

using Keys = QList<std::pair<QString, QString>>;

QString Png(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QString::fromLatin1(bytes.toBase64());
}

// The Windows-1252 bytes of the texts these tests use: Latin-1, and the en dash from the range
// the code page fills differently.
QByteArray Windows1252(const QString& text) {
    QByteArray bytes;
    for (const QChar c : text) {
        if (c.unicode() < 0x100) {
            bytes += char(c.unicode());
        } else if (c == QChar(0x2013)) {
            bytes += '\x96';
        } else {
            qFatal("no Windows-1252 byte for U+%04X in this test", c.unicode());
        }
    }
    return bytes;
}

// The digest computed here, without the program's hash or store code: MD5 of the salt's bytes
// followed by the texts of every key but "MD5Hash", joined in file order.
QString Digest(const Keys& keys) {
    QByteArray message = "#\xA4;<,<&QWV";
    for (const auto& [key, value] : keys) {
        if (key.compare(QLatin1String("md5hash"), Qt::CaseInsensitive) != 0) {
            message += Windows1252(value);
        }
    }
    return QString::fromLatin1(QCryptographicHash::hash(message, QCryptographicHash::Md5).toHex());
}

QString Escape(QString text) {
    return text.replace(u'&', QLatin1String("&amp;")).replace(u'<', QLatin1String("&lt;"));
}

// A brand file in the layout the brand tool writes. "Logo" values are base64 picture data.
void WriteBrandFile(const QString& path, const Keys& keys) {
    QString xml = QStringLiteral("<?xml version=\"1.0\"?>\n<xmlregistry>\n<zextoolkit>\n<data>\n");
    for (const auto& [key, value] : keys) {
        const bool picture = key.startsWith(QLatin1String("logo"));
        xml += u'<' + key +
               (picture ? QStringLiteral(" xmlns:dt=\"urn:schemas-microsoft-com:datatypes\" "
                                         "dt:dt=\"bin.base64\"")
                        : QString()) +
               u'>' + Escape(value) + QStringLiteral("</") + key + QStringLiteral(">\n");
    }
    xml += QStringLiteral("</data>\n</zextoolkit>\n</xmlregistry>\n");
    WriteBytes(path, xml.toUtf8());
}

Keys SignedKeys(Keys keys) {
    const QString digest = Digest(keys);
    for (auto& [key, value] : keys) {
        if (key == u"md5hash") {
            value = digest;
        }
    }
    return keys;
}

Keys TypicalKeys() {
    return SignedKeys({
        {"company", QString::fromUtf8("Waagenbau Müller – Zürich")},
        {"url", "www.example.com"},
        {"longname", "Two&#xD;&#xA;lines"},
        {"shortname", "ZT"},
        {"mode", "7"},
        {"date", "45658.5"},
        {"md5hash", ""},
        {"logo", Png(40, 20)},
        {"logosmall", Png(10, 10)},
        {"back", "2565927"},
        {"displayback", "3487029"},
        {"fieldback", "&H80C0FF"},
        {"helpback", "-2147483643"},
        {"extrakey", "not in the table but signed"},
    });
}

} // namespace

class TestBranding : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const QString& name = QStringLiteral("brand.qkb")) const {
        return m_dir.filePath(name);
    }

    // Values that a failed load must leave alone.
    static BrandValues Sentinel() {
        BrandValues values;
        values.BrandCompany = QStringLiteral("before");
        values.Back = 0x123456;
        return values;
    }

private Q_SLOTS:
    void aSignedFileLoadsEveryValue() {
        WriteBrandFile(file(), TypicalKeys());
        BrandValues values;
        const BrandLoadResult result = LoadBranding(file(), values);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(values.BrandCompany, QString::fromUtf8("Waagenbau Müller – Zürich"));
        QCOMPARE(values.BrandURL, QStringLiteral("www.example.com"));
        QCOMPARE(values.BrandLongName, QStringLiteral("Two\r\nlines"));
        QCOMPARE(values.BrandMode, 7);
        QCOMPARE(values.BrandDate, 45658.5);
        QCOMPARE(values.BrandLogo.size(), QSize(40, 20));
        QCOMPARE(values.BrandLogoSmall.size(), QSize(10, 10));
        QCOMPARE(values.Back, BrandColour(0x272727));
        QCOMPARE(values.FieldBack, BrandColour(0x80C0FF));
        QCOMPARE(values.HelpBack, BrandColour(0x80000005)); // system colour 5
        QCOMPARE(values.LiftoutFore, BrandColour(0));       // missing: black
        QCOMPARE(BrandColourToQColor(values.FieldBack), QColor(0xFF, 0xC0, 0x80));
    }

    void missingKeysTakeTheirDefaults() {
        WriteBrandFile(file(), SignedKeys({{"company", "Only"}, {"md5hash", ""}}));
        BrandValues values = Sentinel();
        const double before = DayNumber(QDateTime::currentDateTime());
        QVERIFY(LoadBranding(file(), values).ok());
        QCOMPARE(values.BrandURL, QString());
        QCOMPARE(values.BrandMode, 0);
        QVERIFY(values.BrandDate >= before - 1e-6 && values.BrandDate < before + 0.01);
        QVERIFY(values.BrandLogo.isNull());
        QCOMPARE(values.Back, BrandColour(0));
    }

    void filesThatFailAreNotUsed_data() {
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<BrandLoadStatus>("status");
        QTest::addColumn<QString>("reason"); // a part of the error text
        const QString changed = QStringLiteral("does not match its MD5Hash");
        const QString unsigned_ = QStringLiteral("has no MD5Hash");
        Keys changedColour = TypicalKeys();
        changedColour[9].second = QStringLiteral("2565928");
        QTest::newRow("one colour changed after signing")
            << changedColour << BrandLoadStatus::HashMismatch << changed;
        Keys reordered = TypicalKeys();
        reordered.swapItemsAt(0, 3);
        QTest::newRow("two keys swapped, no value changed")
            << reordered << BrandLoadStatus::HashMismatch << changed;
        Keys added = TypicalKeys();
        added.append(std::pair<QString, QString>("another", "x"));
        QTest::newRow("a key added that is not in the table")
            << added << BrandLoadStatus::HashMismatch << changed;
        Keys noHash = TypicalKeys();
        noHash.removeAt(6);
        QTest::newRow("no MD5Hash") << noHash << BrandLoadStatus::HashMismatch << unsigned_;
        Keys upperCaseDigest = TypicalKeys();
        upperCaseDigest[6].first = QStringLiteral("MD5HASH");
        QTest::newRow("the digest only under a capitalised element is never read")
            << upperCaseDigest << BrandLoadStatus::HashMismatch << unsigned_;
        Keys badPictureAndEdited = TypicalKeys();
        badPictureAndEdited[7].second = QStringLiteral("bm90IGEgcGljdHVyZQ==");
        QTest::newRow("the hash is checked before the logo is decoded")
            << badPictureAndEdited << BrandLoadStatus::HashMismatch << changed;
        QTest::newRow("a signed logo that is no picture")
            << SignedKeys({{"md5hash", ""}, {"logo", "bm90IGEgcGljdHVyZQ=="}})
            << BrandLoadStatus::BadValue << QStringLiteral("key \"Logo\"");
        QTest::newRow("a signed colour that is no number")
            << SignedKeys({{"md5hash", ""}, {"back", "orange"}}) << BrandLoadStatus::BadValue
            << QStringLiteral("\"Back\" holds \"orange\"");
        QTest::newRow("a signed colour beyond 32 bits")
            << SignedKeys({{"md5hash", ""}, {"back", "4294967296"}}) << BrandLoadStatus::BadValue
            << QStringLiteral("\"Back\" holds \"4294967296\"");
    }
    void filesThatFailAreNotUsed() {
        QFETCH(Keys, keys);
        QFETCH(BrandLoadStatus, status);
        QFETCH(QString, reason);
        WriteBrandFile(file(), keys);
        BrandValues values = Sentinel();
        const BrandLoadResult result = LoadBranding(file(), values);
        QCOMPARE(result.status, status);
        QVERIFY2(result.error.contains(reason), qPrintable(result.error));
        QCOMPARE(values.BrandCompany, QStringLiteral("before"));
        QCOMPARE(values.Back, BrandColour(0x123456));
        QVERIFY(values.BrandLogo.isNull());
    }

    void unreadableFilesCannotBeOpened_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("an empty file") << QByteArray();
        QTest::newRow("not XML") << QByteArray("Company=Acme\n");
        QTest::newRow("truncated") << QByteArray("<xmlregistry><zextoolkit><data><company>");
        QTest::newRow("binary") << QByteArray("\x00\x01\x02\xff", 4);
    }
    void unreadableFilesCannotBeOpened() {
        QFETCH(QByteArray, content);
        WriteBytes(file(), content);
        BrandValues values = Sentinel();
        QCOMPARE(LoadBranding(file(), values).status, BrandLoadStatus::CannotOpen);
        QCOMPARE(values.BrandCompany, QStringLiteral("before"));
        QCOMPARE(LoadBranding(file(QStringLiteral("absent.qkb")), values).status,
                 BrandLoadStatus::CannotOpen);
    }

    void brandQkbIsPreferredOverDefaultQkb() {
        QTemporaryDir folder;
        const QString defaultFile = folder.filePath(QStringLiteral("default.qkb"));
        const QString brandFile = folder.filePath(QStringLiteral("brand.qkb"));
        QCOMPARE(BrandFilePath(folder.path()), defaultFile);
        WriteBrandFile(defaultFile, SignedKeys({{"company", "Default"}, {"md5hash", ""}}));
        WriteBrandFile(brandFile, SignedKeys({{"company", "Brand"}, {"md5hash", ""}}));
        QCOMPARE(BrandFilePath(folder.path()), brandFile);
        BrandValues values;
        QVERIFY(LoadBranding(BrandFilePath(folder.path()), values).ok());
        QCOMPARE(values.BrandCompany, QStringLiteral("Brand"));
    }

    void theDigestIsTheSaltedMd5OfTheTextsAsTheyStand_data() {
        QTest::addColumn<Keys>("keys");
        QTest::newRow("the typical keys") << TypicalKeys();
        Keys staleDigest = TypicalKeys();
        staleDigest.insert(2, std::pair<QString, QString>("MD5Hash", "a stale digest"));
        QTest::newRow("a digest key in another letter case is left out too") << staleDigest;
        QTest::newRow("leading and trailing spaces are part of the texts")
            << SignedKeys({{"company", "  Acme Ltd  "},
                           {"md5hash", ""},
                           {"url", "\twww.example.com "},
                           {"shortname", "   "}});
    }
    void theDigestIsTheSaltedMd5OfTheTextsAsTheyStand() {
        QFETCH(Keys, keys);
        WriteBrandFile(file(), keys);
        cXMLRegistry store;
        QCOMPARE(XMLModule::XMLOpen(store, file(), QLatin1String(BrandApplication)), QString());
        QCOMPARE(XMLModule::XMLSectionDigest(store, QLatin1String(BrandSection)), Digest(keys));
        BrandValues values;
        const BrandLoadResult result = LoadBranding(file(), values);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(values.BrandCompany, keys.constFirst().second);
    }

    void theShippedBrandFileIsSignedAndCarriesTheMasterLooks() {
        QFile shipped(QStringLiteral(ZEX_TEST_SOURCE_DIR "/resources/default.qkb"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&shipped);
        Keys keys;
        QString stored;
        QStringList path;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement()) {
                path.removeLast();
            } else if (xml.isStartElement()) {
                path.append(xml.name().toString());
                if (path.size() == 4 && path[1] == u"zextoolkit" && path[2] == u"data") {
                    // Reading the text consumes the key's end element.
                    const QString name = path.takeLast();
                    keys.append({name, xml.readElementText()});
                    if (name == u"md5hash") {
                        stored = keys.constLast().second;
                    }
                }
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(keys.size() > 40);
        QCOMPARE(stored, Digest(keys));

        BrandValues values;
        const BrandLoadResult result = LoadBranding(shipped.fileName(), values);
        QVERIFY2(result.ok(), qPrintable(result.error));
        QVERIFY(!values.BrandLogo.isNull());
        QVERIFY(!values.BrandLogoSmall.isNull());
        QVERIFY(!values.BrandCompany.isEmpty());
        QCOMPARE(values.Back, BrandColour(0x272727));
        QCOMPARE(values.DisplayBack, BrandColour(0x353535));
        QCOMPARE(values.FieldBack, BrandColour(0x80C0FF));
        QCOMPARE(values.FieldBackHover, BrandColour(0x0080FF));
        QCOMPARE(values.ButtonBack, BrandColour(0x000000));
        QCOMPARE(values.Live, BrandColour(0xE0E0E0));
        QCOMPARE(values.LiftoutBack, BrandColour(0xC0E0FF));

        // The copy beside the programs is the one the program finds.
        const QString binDir = QStringLiteral(ZEX_TEST_BIN_DIR);
        QCOMPARE(BrandFilePath(binDir), binDir + QStringLiteral("/default.qkb"));
        QVERIFY(LoadProgramBranding(binDir).ok());
        QCOMPARE(Brand().FieldBack, BrandColour(0x80C0FF));
    }
};

QTEST_GUILESS_MAIN(TestBranding)
#include "tst_branding.moc"
