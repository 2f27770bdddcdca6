#include "store/HashModule.h"
#include "store/XMLModule.h"
#include "store/cXMLRegistry.h"
#include "support/ScratchFiles.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace XMLModule;

namespace {

QByteArray Png(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A registry file as written on Windows: the data-type namespace declared on the element.
const QByteArray RegistryFile =
    "<?xml version=\"1.0\"?>\n"
    "<settings>\n"
    " <my_app>\n"
    "  <data>\n"
    "   <company>Acme &amp; Co</company>\n"
    "   <long_name>Two&amp;#xD;&amp;#xA;lines&amp;#x9;tab&amp;#x0;end</long_name>\n"
    "   <blob xmlns:dt=\"urn:schemas-microsoft-com:datatypes\" "
    "dt:dt=\"bin.base64\">AAEC\n/w==</blob>\n"
    "   <empty/>\n"
    "  </data>\n"
    " </my_app>\n"
    "</settings>\n";

} // namespace

class TestXMLRegistry : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const QString& name) const { return m_dir.filePath(name); }

    // Writes a file with an application element "a" and opens it in the store.
    bool openWith(cXMLRegistry& store, const char* name, const QByteArray& content) {
        WriteBytes(file(QLatin1String(name)), content);
        QString app = QStringLiteral("a");
        return store.OpenXMLFile(file(QLatin1String(name)), app);
    }

    void openRegistryFile(cXMLRegistry& store) {
        WriteBytes(file(QStringLiteral("registry.xml")), RegistryFile);
        QString app = QStringLiteral("My App");
        QVERIFY(store.OpenXMLFile(file(QStringLiteral("registry.xml")), app));
        QCOMPARE(app, QStringLiteral("My_App"));
        QCOMPARE(store.CurrentAppName(), QStringLiteral("My_App"));
    }

private Q_SLOTS:
    void namesAreFoundInTheirLowerCaseUnderscoreForm_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* section, const char* key,
                            const char* expected) {
            QTest::newRow(name) << QString(section) << QString(key) << QString(expected);
        };
        row("a key with capitals", "Data", "Company", "Acme & Co");
        row("a key with a space and capitals", "DATA", "Long Name",
            "Two&#xD;&#xA;lines&#x9;tab&#x0;end");
        row("names with spaces around them", " data ", " company ", "Acme & Co");
        row("an empty element is an empty text", "Data", "Empty", "");
        row("a missing key gives the default", "Data", "Phone", "default");
        row("a missing section gives the default", "Colours", "Back", "default");
        row("a name that cannot be an element gives the default", "Data", "a[1]/../company",
            "default");
    }
    void namesAreFoundInTheirLowerCaseUnderscoreForm() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        cXMLRegistry store;
        openRegistryFile(store);
        QCOMPARE(store.GetSetting(section, key, QStringLiteral("default")), expected);
    }

    void typedValuesAndUnescaping() {
        cXMLRegistry store;
        openRegistryFile(store);
        QCOMPARE(store.GetSettingEx("Data", "Blob").toByteArray(),
                 QByteArray("\x00\x01\x02\xff", 4));
        QCOMPARE(store.GetSettingExText("Data", "Blob").toString(), QStringLiteral("AAEC\n/w=="));
        QCOMPARE(store.GetDataType("Data", "Blob"), QStringLiteral("bin.base64"));
        QCOMPARE(
            XMLGetValue(store, "Data", "Long Name", QString()).toString(),
            QString(QStringLiteral("Two\r\nlines\ttab") + QChar(u'\0') + QStringLiteral("end")));
    }

    void nodeListGivesChildNamesInOrder() {
        cXMLRegistry store;
        QVERIFY(store.NodeList("My App", "Data").isEmpty()); // not open: nothing
        openRegistryFile(store);
        QCOMPARE(store.NodeList("My App", "Data"),
                 (QStringList{"company", "long_name", "blob", "empty"}));
        QCOMPARE(store.NodeList("My App", "Absent"), QStringList());
        QCOMPARE(store.NodeList("My App", ""), QStringList{"data"});
    }

    void theDataTypeNamespaceMayBeDeclaredHigherUpUnderAnyPrefix() {
        cXMLRegistry store;
        QVERIFY(openWith(
            store, "prefix.xml",
            "<r xmlns:t=\"urn:schemas-microsoft-com:datatypes\" xmlns:x=\"urn:other\"><a><s>"
            "<k t:dt=\"bin.base64\">QUJD</k><o x:dt=\"bin.base64\">QUJD</o></s></a></r>"));
        QCOMPARE(store.GetSettingEx("S", "K"), QVariant(QByteArray("ABC")));
        QCOMPARE(store.GetSettingEx("S", "O"), QVariant(QStringLiteral("QUJD")));
    }

    // A prefix bound to another namespace makes "dt" an attribute of that namespace, so the value
    // reads as text; writing binary data must bind the prefix to the data-type namespace again.
    void writingBinaryDataBindsTheDataTypePrefix() {
        const QString path = file("rebound.xml");
        WriteBytes(path, "<r><a><s><k xmlns:dt=\"urn:other\" dt:dt=\"bin.base64\">QUJD</k>"
                         "</s></a></r>");
        cXMLRegistry store;
        QString app = QStringLiteral("a");
        QVERIFY(store.OpenXMLFile(path, app));
        QCOMPARE(store.GetSettingEx("s", "k"), QVariant(QStringLiteral("QUJD")));
        store.SaveSettingEx("s", "k", QByteArray("xyz"), QLatin1String(cXMLRegistry::Base64Type),
                            true);
        cXMLRegistry reopened;
        QVERIFY(reopened.OpenXMLFile(path, app));
        QCOMPARE(reopened.GetDataType("s", "k"), QLatin1String(cXMLRegistry::Base64Type));
        QCOMPARE(reopened.GetSettingEx("s", "k"), QVariant(QByteArray("xyz")));
    }

    // The digest reads each listed key as a lookup by its name reads it: the first element of
    // that (lower-case) name under any copy of the section, "Unknown" when there is none.
    void theSectionDigestTakesEachListedKeysFirstElement_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("digested");
        QTest::newRow("texts in file order, the digest left out")
            << QByteArray("<r><a><s><k>1</k><MD5Hash>x</MD5Hash><j> 2 </j></s></a></r>") << "1 2 ";
        QTest::newRow("a key twice: its first text twice")
            << QByteArray("<r><a><s><k>1</k><k>2</k></s></a></r>") << "11";
        QTest::newRow("a capitalised key is read under its lower-case name")
            << QByteArray("<r><a><s><K>1</K></s><s><k>2</k></s></a></r>") << "2";
        QTest::newRow("a key no lookup finds")
            << QByteArray("<r><a><s><K>1</K></s></a></r>") << "Unknown";
        QTest::newRow("the section listed is the first anywhere, its keys read from the top")
            << QByteArray("<r><x><a><s><k>1</k></s></a></x><a><s><k>2</k></s></a></r>") << "2";
    }
    void theSectionDigestTakesEachListedKeysFirstElement() {
        QFETCH(QByteArray, content);
        QFETCH(QString, digested);
        cXMLRegistry store;
        QVERIFY(openWith(store, "digest.xml", content));
        QCOMPARE(XMLSectionDigest(store, "s"), HashModule::SaltedMD5(digested));
    }

    void badTypedValuesRaise() {
        cXMLRegistry store;
        QVERIFY(openWith(store, "bad64.xml",
                         "<r><a><s><k xmlns:dt=\"urn:schemas-microsoft-com:datatypes\" "
                         "dt:dt=\"bin.base64\">not*base64</k></s></a></r>"));
        try {
            store.GetSettingEx("s", "k");
            QFAIL("bad base64 was decoded");
        } catch (const XMLRegistryError& error) {
            QCOMPARE(error.code(), int(XMLRegistryError::BadTypedValue));
        }
    }

    void writesRoundTripInTheWindowsLayout() {
        const QString path = file("written.xml");
        WriteBytes(path, "old content that the create flag replaces");
        cXMLRegistry store;
        QString app = QStringLiteral("ZEX Toolkit");
        QVERIFY(store.OpenXMLFile(path, app, true));
        store.SaveSetting("Data", "Company", QStringLiteral("Müller – Waagen"));
        store.SaveSettingEx("Data", "Logo", Png(3, 2),
                            QString::fromLatin1(cXMLRegistry::Base64Type));
        store.SaveSetting("Data", "Company", QStringLiteral("Müller & Söhne"));
        // A CR read from a character reference must be written so that it reads back as a CR.
        store.SaveSetting("Data", "Address", QStringLiteral("Two\r\nlines\r"), true);

        const QByteArray text = ReadBytes(path);
        QVERIFY2(text.contains("<xmlregistry>") && text.contains("<zex_toolkit>") &&
                     text.contains("<data>"),
                 text.constData());
        QVERIFY(text.contains(
            "<logo xmlns:dt=\"urn:schemas-microsoft-com:datatypes\" dt:dt=\"bin.base64\">"));
        QCOMPARE(text.count("<company>"), 1);

        cXMLRegistry reread;
        QString name = QStringLiteral("ZEX Toolkit");
        QVERIFY(reread.OpenXMLFile(path, name));
        QCOMPARE(reread.GetSetting("data", "company"), QStringLiteral("Müller & Söhne"));
        QCOMPARE(reread.GetSetting("Data", "Address"), QStringLiteral("Two\r\nlines\r"));
        QCOMPARE(reread.GetSettingEx("Data", "Logo").toByteArray(), Png(3, 2));
        QCOMPARE(XMLGetPicture(reread, "Data", "Logo").size(), QSize(3, 2));
        QVERIFY(XMLGetPicture(reread, "Data", "Missing").isNull());
    }

    void numberedFailures() {
        cXMLRegistry store;
        const auto expectError = [](auto call, int code, const char* source, const char* text) {
            try {
                call();
                QFAIL("no error was raised");
            } catch (const XMLRegistryError& error) {
                QCOMPARE(error.code(), code);
                QCOMPARE(error.source(), QLatin1String(source));
                QCOMPARE(error.description(), QLatin1String(text));
            }
        };
        expectError([&] { store.GetSetting("Data", "Company"); }, 20002, "GetSetting",
                    "File not open");
        expectError([&] { store.SaveSetting("Data", "Company", "x"); }, 20002, "SaveSetting",
                    "File not open");

        openRegistryFile(store);
        expectError([&] { store.SaveSetting("Data", "1st key", "x"); }, 20000, "BuildNodePath",
                    "Object error");

        // A failed open forgets the old file: nothing is answered from it, nothing saved over it.
        QString app = QStringLiteral("My App");
        QVERIFY(!store.OpenXMLFile(file("absent.xml"), app));
        QCOMPARE(store.lastOpenError()->code(), 53);
        expectError([&] { store.GetSetting("Data", "Company"); }, 20001, "LocateNode",
                    "Node is nothing");
        expectError([&] { store.SaveXMLFile(); }, 20001, "SaveXMLFile", "Node is nothing");
    }

    void xmlOpenReturnsTheFailureAsText() {
        cXMLRegistry store;
        QCOMPARE(XMLOpen(store, file("absent.xml"), "ZEXToolkit"),
                 QStringLiteral("File not found: ") + file("absent.xml"));
        WriteBytes(file("good.xml"), RegistryFile);
        QCOMPARE(XMLOpen(store, file("good.xml"), "My App"), QString());
    }

    void hostileFilesAreRefusedWithAClearError_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("mentions");
        QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n";
        for (int i = 1; i <= 9; ++i) {
            laughs += QStringLiteral("<!ENTITY lol%1 \"").arg(i).toLatin1();
            for (int j = 0; j < 10; ++j) {
                laughs += i == 1 ? "&lol;" : QStringLiteral("&lol%1;").arg(i - 1).toLatin1();
            }
            laughs += "\">\n";
        }
        laughs += "]>\n<r><a><s><k>&lol9;</k></s></a></r>";
        using E = XMLRegistryError;
        const auto row = [](const char* name, const QByteArray& content, E::Code code,
                            const char* mentions) {
            QTest::newRow(name) << content << int(code) << QString(mentions);
        };
        row("entity expansion", laughs, E::DocumentTypeRefused, "DTD");
        row("an external entity",
            "<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><r>&x;</r>",
            E::DocumentTypeRefused, "DTD");
        row("nesting 100000 levels deep",
            QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000),
            E::NestingTooDeep, "levels deep");
        row("binary bytes", QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR", 16), E::BadEncoding,
            "NUL");
        row("a truncated file", RegistryFile.left(RegistryFile.size() / 2), E::NotWellFormed,
            "not well-formed");
        row("an empty file", QByteArray(), E::NotWellFormed, "not well-formed");
        row("plain text", "Company=Acme\r\n", E::NotWellFormed, "No document element");
        row("Windows-1252 bytes without a declaration", "<r><a><s><k>M\xfcller</k></s></a></r>",
            E::BadEncoding, "UTF-8");
        row("a section with more keys than any settings file has",
            "<r><a><s>" + QByteArray("<k/>").repeated(cXMLRegistry::MaxChildren + 1) +
                "</s></a></r>",
            E::TooManyChildren, "children");
        QByteArray attributes;
        for (int i = 0; i <= cXMLRegistry::MaxAttributes; ++i) {
            attributes += " p" + QByteArray::number(i) + ":dt=\"\"";
        }
        row("a key with more attributes than any settings file has",
            "<r><a><s><k" + attributes + "/></s></a></r>", E::TooManyAttributes, "attributes");
        row("Windows-1252 bytes beyond the first 64 KB",
            "<r><a><p>" + QByteArray(70000, 'x') + "</p><s><k>M\xfcller</k></s></a></r>",
            E::BadEncoding, "UTF-8");
        row("an encoding that cannot be read", "<?xml version=\"1.0\" encoding=\"EBCDIC-37\"?><r/>",
            E::BadEncoding, "EBCDIC");
        row("a file over 10 MB",
            "<r><a><s><k>" + QByteArray(cXMLRegistry::MaxFileSize, 'x') + "</k></s></a></r>",
            E::TooLarge, "10 MB");
    }
    void hostileFilesAreRefusedWithAClearError() {
        QFETCH(QByteArray, content);
        QFETCH(int, code);
        QFETCH(QString, mentions);
        cXMLRegistry store;
        QVERIFY(!openWith(store, "hostile.xml", content));
        QCOMPARE(store.lastOpenError()->code(), code);
        QCOMPARE(store.lastOpenError()->source(), QStringLiteral("XMLFilename"));
        QVERIFY2(store.lastOpenError()->description().contains(mentions),
                 qPrintable(store.lastOpenError()->description()));
    }

    void otherEncodingsAreRead_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("declared windows-1252")
            << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?>"
                          "<r><a><s><k>\x80 M\xfcller</k></s></a></r>");
        const QString text = QStringLiteral("<r><a><s><k>€ Müller</k></s></a></r>");
        QByteArray utf16 = "\xff\xfe";
        utf16 += QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        QTest::newRow("UTF-16 with byte order mark") << utf16;
        QTest::newRow("UTF-8 with byte order mark") << QByteArray("\xef\xbb\xbf") + text.toUtf8();
        // The check reads 64 KB at a time; "€" here takes the bytes 65535 to 65537.
        QTest::newRow("UTF-8 with a character across 64 KB")
            << "<r><a><p>" + QByteArray(65516, 'x') + "</p><s><k>" +
                   QString::fromUtf8("€ Müller</k></s></a></r>").toUtf8();
    }
    void otherEncodingsAreRead() {
        QFETCH(QByteArray, content);
        cXMLRegistry store;
        QVERIFY(openWith(store, "encoded.xml", content));
        QCOMPARE(store.GetSetting("s", "k"), QStringLiteral("€ Müller"));
    }

    void picturesThatDoNotDecodeRaise() {
        QVERIFY(BytesToPicture(QByteArray("x")).isNull());
        QCOMPARE(BytesToPicture(Png(4, 4)).size(), QSize(4, 4));
        QVERIFY_THROWS_EXCEPTION(XMLRegistryError, BytesToPicture(QByteArray(100, 'x')));
        QVERIFY_THROWS_EXCEPTION(XMLRegistryError, BytesToPicture(Png(4, 4).left(40)));
        // Too many pixels to decode at start-up, though neither side is over the limit.
        QVERIFY_THROWS_EXCEPTION(XMLRegistryError, BytesToPicture(Png(2049, 2048)));
    }
};

QTEST_GUILESS_MAIN(TestXMLRegistry)
#include "tst_xmlregistry.moc"
