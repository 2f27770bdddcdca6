#include "cli/BrandCommands.h"
#include "store/BrandingModule.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchFiles.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace BrandingModule;

class TestBrandCommands : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_out;
    QString m_err;

    QString brandFile() const { return m_dir.filePath(QStringLiteral("brand.qkb")); }

    int run(const QStringList& args, const QString& resourceFolder = QString()) {
        m_out.clear();
        m_err.clear();
        QTextStream out(&m_out);
        QTextStream err(&m_err);
        return resourceFolder.isNull() ? BrandCommands::run(args, out, err)
                                       : BrandCommands::run(args, out, err, resourceFolder);
    }

    void replaceInFile(const QByteArray& from, const QByteArray& to) {
        QByteArray bytes = ReadBytes(brandFile());
        QVERIFY(bytes.contains(from));
        WriteBytes(brandFile(), bytes.replace(from, to));
    }

    // A picture file of the given size.
    QString png(const QString& name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::green);
        const QString path = m_dir.filePath(name);
        return image.save(path) ? path : QString();
    }

    BrandValues load() {
        BrandValues values;
        const BrandLoadResult result = LoadBranding(brandFile(), values);
        if (!result.ok()) {
            qWarning() << result.error;
        }
        return values;
    }

private Q_SLOTS:
    void init() {
        QFile::remove(brandFile());
        const QString shipped = QStringLiteral(ZEX_TEST_SOURCE_DIR "/resources/default.qkb");
        QVERIFY(QFile::copy(shipped, brandFile()));
        QFile::setPermissions(brandFile(), QFile::ReadOwner | QFile::WriteOwner);
    }

    void verifyReportsAnEditedFileAndSignMakesItVerifyAgain() {
        QCOMPARE(run({"brand", "verify", brandFile()}), 0);
        QVERIFY2(m_out.contains(QStringLiteral("verified")), qPrintable(m_out));
        replaceInFile("<back>2565927</back>", "<back>255</back>");
        QCOMPARE(run({"verify", brandFile()}), 1);
        QVERIFY2(m_err.contains(QStringLiteral("does not match")), qPrintable(m_err));
        QVERIFY(m_err.contains(QStringLiteral("stored MD5Hash")));
        QCOMPARE(run({"sign", brandFile()}), 0);
        QVERIFY2(m_out.contains(QStringLiteral("signed")), qPrintable(m_out));
        QCOMPARE(run({"verify", brandFile()}), 0);
        QCOMPARE(load().Back, BrandColour(255));
    }

    void verifyWithoutAFileChecksTheProgramsBrandFile() {
        QCOMPARE(run({"brand", "verify"}, m_dir.path()), 0);
        QVERIFY2(m_out.startsWith(brandFile() + QStringLiteral(": verified.")), qPrintable(m_out));
        QTemporaryDir empty;
        QCOMPARE(run({"brand", "verify"}, empty.path()), 1);
        QVERIFY2(m_err.contains(empty.filePath(QStringLiteral("default.qkb"))), qPrintable(m_err));
    }

    void signRefusesAFileTheProgramCouldNotUse() {
        replaceInFile("<back>2565927</back>", "<back>dark grey</back>");
        const QByteArray before = ReadBytes(brandFile());
        QCOMPARE(run({"sign", brandFile()}), 1);
        QVERIFY2(m_err.contains(QStringLiteral("not signed")), qPrintable(m_err));
        QCOMPARE(ReadBytes(brandFile()), before);
    }

    void setKeepsAVerifiedFileVerified_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("company");
        QTest::addColumn<BrandColour>("fieldBack");
        QTest::newRow("a colour as #RRGGBB is stored as 0x00BBGGRR") << "fieldback"
                                                                     << "#112233"
                                                                     << "" << BrandColour(0x332211);
        QTest::newRow("a text with a line break is stored escaped")
            << "Company"
            << "Line one\nLine two"
            << "Line one\nLine two" << BrandColour(0x80C0FF);
        QTest::newRow("a Western text")
            << "company" << QString::fromUtf8("Müller – Waagen")
            << QString::fromUtf8("Müller – Waagen") << BrandColour(0x80C0FF);
    }
    void setKeepsAVerifiedFileVerified() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, company);
        QFETCH(BrandColour, fieldBack);
        QCOMPARE(run({"set", brandFile(), key, value}), 0);
        QCOMPARE(run({"verify", brandFile()}), 0);
        const BrandValues values = load();
        QCOMPARE(values.FieldBack, fieldBack);
        if (!company.isEmpty()) {
            QCOMPARE(values.BrandCompany, company);
        }
        QVERIFY(!values.BrandLogo.isNull()); // the rest of the file is still there
    }

    void setOnAFileThatDidNotVerifyLeavesItUnsigned() {
        replaceInFile("<back>2565927</back>", "<back>1</back>");
        QCOMPARE(run({"set", brandFile(), "Back", "2565927"}), 0);
        QVERIFY2(m_out.contains(QStringLiteral("brand sign")), qPrintable(m_out));
        // Restoring the original value makes it verify again: set did not re-sign it.
        QCOMPARE(run({"verify", brandFile()}), 0);
        replaceInFile("<back>2565927</back>", "<back>1</back>");
        QCOMPARE(run({"set", brandFile(), "Title", "0"}), 0);
        QCOMPARE(run({"verify", brandFile()}), 1);
    }

    void wrongCommandsAreUsageErrorsAndChangeNothing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList{"brand"};
        QTest::newRow("an unknown command") << QStringList{"brand", "colour", "x"};
        QTest::newRow("a missing argument") << QStringList{"brand", "set", "FILE", "Back"};
        QTest::newRow("an unknown key") << QStringList{"brand", "set", "FILE", "Colour", "1"};
        QTest::newRow("a colour that is no colour")
            << QStringList{"brand", "set", "FILE", "Back", "orange"};
        QTest::newRow("the digest by hand") << QStringList{"brand", "set", "FILE", "MD5Hash", "0"};
        QTest::newRow("a logo as text") << QStringList{"brand", "set", "FILE", "Logo", "x"};
        QTest::newRow("a text outside Windows-1252")
            << QStringList{"brand", "set", "FILE", "Company", QString::fromUtf8("Ωmega")};
        QTest::newRow("a mode that is no number")
            << QStringList{"brand", "set", "FILE", "Mode", "x"};
        QTest::newRow("a logo key that is no logo")
            << QStringList{"brand", "logo", "FILE", "Back", "x.png"};
    }
    void wrongCommandsAreUsageErrorsAndChangeNothing() {
        QFETCH(QStringList, args);
        args.replaceInStrings(QStringLiteral("FILE"), brandFile());
        const QByteArray before = ReadBytes(brandFile());
        QCOMPARE(run(args), 2);
        QVERIFY2(m_err.contains(QStringLiteral("Usage:")), qPrintable(m_err));
        QCOMPARE(ReadBytes(brandFile()), before);
    }

    void logoStoresAnImageAndRefusesOtherFiles() {
        QCOMPARE(run({"logo", brandFile(), "logosmall", png("logo.png", 33, 17)}), 0);
        QCOMPARE(run({"verify", brandFile()}), 0);
        QCOMPARE(load().BrandLogoSmall.size(), QSize(33, 17));

        const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
        WriteBytes(text, "not a picture at all");
        const QByteArray before = ReadBytes(brandFile());
        QCOMPARE(run({"logo", brandFile(), "Logo", text}), 1);
        QCOMPARE(run({"logo", brandFile(), "Logo", m_dir.filePath("absent.png")}), 1);
        QCOMPARE(ReadBytes(brandFile()), before);
    }

    // A disk that fills up while the brand file is written: an emptied or cut brand file would
    // stop the program at its next start, so the old one must stay whole.
    void aWriteThatCannotFinishKeepsTheOldFile_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("set") << QStringList{"set", "FILE", "Company", "Full Disk Ltd"};
        QTest::newRow("sign") << QStringList{"sign", "FILE"};
        QTest::newRow("logo") << QStringList{"logo", "FILE", "Logo", "IMAGE"};
    }
    void aWriteThatCannotFinishKeepsTheOldFile() {
        QFETCH(QStringList, args);
        replaceInFile("<back>2565927</back>", "<back>255</back>");
        args.replaceInStrings(QStringLiteral("FILE"), brandFile());
        args.replaceInStrings(QStringLiteral("IMAGE"), png("small.png", 20, 10));
        const QByteArray before = ReadBytes(brandFile());
        int code = 0;
        {
            const FileSizeLimit limit(4096);
            QVERIFY(limit.isSet());
            code = run(args);
        }
        QCOMPARE(code, 1);
        QVERIFY2(m_err.contains(QStringLiteral("Could not write ") + brandFile()),
                 qPrintable(m_err));
        QCOMPARE(ReadBytes(brandFile()), before);
    }

    void logoRepairsALogoWhoseDataTypePrefixIsBoundElsewhere() {
        replaceInFile("<logo xmlns:dt=\"urn:schemas-microsoft-com:datatypes\"",
                      "<logo xmlns:dt=\"urn:other\"");
        QCOMPARE(run({"sign", brandFile()}), 1);
        QVERIFY2(m_err.contains(QStringLiteral("holds text")), qPrintable(m_err));
        QCOMPARE(run({"logo", brandFile(), "Logo", png("logo.png", 30, 12)}), 0);
        QCOMPARE(run({"verify", brandFile()}), 0);
        QCOMPARE(load().BrandLogo.size(), QSize(30, 12));
    }

    void fileFailuresAreReported() {
        QCOMPARE(run({"verify", m_dir.filePath("absent.qkb")}), 1);
        QVERIFY2(m_err.contains(QStringLiteral("File not found")), qPrintable(m_err));
        QCOMPARE(run({"sign", m_dir.filePath("absent.qkb")}), 1);
        QFile::setPermissions(brandFile(), QFile::ReadOwner);
        QCOMPARE(run({"sign", brandFile()}), 1);
        QVERIFY2(m_err.contains(QStringLiteral("read-only")), qPrintable(m_err));
    }

    void helpGoesToStandardOutput() {
        QCOMPARE(run({"brand", "help"}), 0);
        QVERIFY(m_out.contains(QStringLiteral("zexctl brand verify [FILE]")));
    }
};

QTEST_GUILESS_MAIN(TestBrandCommands)
#include "tst_brandcommands.moc"
