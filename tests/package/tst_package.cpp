#include "support/ProgramProcess.h"
#include "support/ScratchFiles.h"
#include "util/ZexVersion.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The Debian package `make package` builds, made afresh from the build tree and unpacked into a
// scratch folder (never installed): what it holds, and that its programs run from there.
class TestPackage : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;
    QString m_deb;
    QString m_root;

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    static Run run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        Run result;
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            process.waitForFinished(5000);
            result.err = QStringLiteral("%1 did not finish: ").arg(program) + process.errorString();
            return result;
        }
        result.exitCode = process.exitCode();
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err += QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    QString path(const QString& relative) const { return m_root + u'/' + relative; }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_scratch.isValid());
        const QString out = m_scratch.filePath(QStringLiteral("out"));
        const Run cpack = run(
            QStringLiteral(ZEX_TEST_CPACK),
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
             QStringLiteral(ZEX_TEST_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), out});
        QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.out + cpack.err));
        const QStringList debs =
            QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files, QDir::Name);
        QCOMPARE(debs.size(), 1);
        m_deb = QDir(out).filePath(debs.first());
        m_root = m_scratch.filePath(QStringLiteral("root"));
        const Run extract = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root});
        QVERIFY2(extract.exitCode == 0, qPrintable(extract.err));
    }

    void holdsTheProductAndNothingElse() {
        QStringList files;
        QDirIterator it(m_root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            files.append(QDir(m_root).relativeFilePath(it.next()));
        }
        files.sort();
        const QStringList expected =
            QStringLiteral("usr/bin/zex-sim|usr/bin/zex-toolkit|usr/bin/zexctl|"
                           "usr/share/applications/zex-toolkit.desktop|"
                           "usr/share/doc/zex-toolkit/QK-LED.TTF.copyright|"
                           "usr/share/doc/zex-toolkit/bootstrap-icons.LICENSE|"
                           "usr/share/doc/zex-toolkit/copyright|"
                           "usr/share/icons/hicolor/scalable/apps/zex-toolkit.svg|"
                           "usr/share/man/man1/zex-sim.1.gz|usr/share/man/man1/zexctl.1.gz|"
                           "usr/share/zex-toolkit/PELIX Advanced Manual.pdf|"
                           "usr/share/zex-toolkit/PELIX Standard Manual.pdf|"
                           "usr/share/zex-toolkit/QK-LED.TTF|usr/share/zex-toolkit/default.qkb")
                .split(u'|');
        QCOMPARE(files, expected);
    }

    void filesAreWhatTheirNamesSay_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("start");
        const QByteArray elf("\x7f\x45LF");
        QTest::newRow("program") << "usr/bin/zex-toolkit" << elf;
        QTest::newRow("zexctl") << "usr/bin/zexctl" << elf;
        QTest::newRow("simulator") << "usr/bin/zex-sim" << elf;
        QTest::newRow("manual page, compressed")
            << "usr/share/man/man1/zexctl.1.gz" << QByteArray("\x1f\x8b");
        QTest::newRow("standard manual")
            << "usr/share/zex-toolkit/PELIX Standard Manual.pdf" << QByteArray("%PDF-");
        QTest::newRow("advanced manual")
            << "usr/share/zex-toolkit/PELIX Advanced Manual.pdf" << QByteArray("%PDF-");
        QTest::newRow("brand file") << "usr/share/zex-toolkit/default.qkb" << QByteArray("<?xml");
        QTest::newRow("LED font") << "usr/share/zex-toolkit/QK-LED.TTF"
                                  << QByteArray("\x00\x01\x00\x00", 4);
    }
    void filesAreWhatTheirNamesSay() {
        QFETCH(QString, file);
        QFETCH(QByteArray, start);
        QVERIFY2(ReadBytes(path(file)).startsWith(start), qPrintable(file));
        if (file.startsWith(QLatin1String("usr/bin/"))) {
            QVERIFY(QFileInfo(path(file)).isExecutable());
        }
    }

    void manualPagesAreManualPages_data() {
        QTest::addColumn<QString>("page");
        QTest::newRow("zexctl") << "zexctl";
        QTest::newRow("zex-sim") << "zex-sim";
    }
    void manualPagesAreManualPages() {
        QFETCH(QString, page);
        const Run text = run(QStringLiteral("gzip"),
                             {QStringLiteral("-dc"), path("usr/share/man/man1/" + page + ".1.gz")});
        QCOMPARE(text.exitCode, 0);
        QVERIFY2(text.out.startsWith(QStringLiteral(".TH ") + page.toUpper().replace(u'-', "\\-")),
                 qPrintable(text.out.left(80)));
        QVERIFY(text.out.contains(QStringLiteral(".SH SYNOPSIS")));
    }

    void desktopEntryStartsTheProgramWithItsIcon() {
        QSettings entry(path("usr/share/applications/zex-toolkit.desktop"), QSettings::IniFormat);
        entry.beginGroup(QStringLiteral("Desktop Entry"));
        QCOMPARE(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
        QCOMPARE(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("ZEX Toolkit"));
        const QString exec = entry.value(QStringLiteral("Exec")).toString();
        QVERIFY2(QFileInfo(path("usr/bin/" + exec)).isExecutable(), qPrintable(exec));
        const QString icon = entry.value(QStringLiteral("Icon")).toString();
        const QByteArray svg = ReadBytes(
            path("usr/share/icons/hicolor/scalable/apps/" + icon + QStringLiteral(".svg")));
        QVERIFY2(svg.contains("<svg"), qPrintable(icon));
        // The window's own icon is the same picture.
        QCOMPARE(svg,
                 ReadBytes(QStringLiteral(ZEX_TEST_SOURCE_DIR "/resources/icons/zex-toolkit.svg")));
    }

    void controlNamesThePackageAndItsLibraries() {
        const Run fields =
            run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, QStringLiteral("Package"),
                                             QStringLiteral("Version"), QStringLiteral("Depends")});
        QCOMPARE(fields.exitCode, 0);
        QVERIFY2(fields.out.contains(QStringLiteral("Package: zex-toolkit\n")),
                 qPrintable(fields.out));
        QVERIFY2(fields.out.contains(QStringLiteral("Version: ") + QLatin1String(ZexVersion::Text)),
                 qPrintable(fields.out));
        for (const char* library :
             {"libqt6widgets6", "libqt6serialport6", "libqt6svg6", "libpugixml"}) {
            QVERIFY2(fields.out.contains(QLatin1String(library)), library);
        }
    }

    void extractedProgramsRun_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");
        QTest::newRow("zexctl --help")
            << "zexctl" << QStringList{"--help"} << "zexctl - read and write a ZEX module";
        QTest::newRow("zex-sim --help")
            << "zex-sim" << QStringList{"--help"} << "Usage: zex-sim [OPTIONS]";
        QTest::newRow("zex-toolkit --help")
            << "zex-toolkit" << QStringList{"--help"} << "usage: zex-toolkit";
        // The brand file is found in usr/share/zex-toolkit, beside usr/bin, as installed.
        QTest::newRow("zexctl brand verify") << "zexctl" << QStringList{"brand", "verify"}
                                             << "%1/usr/share/zex-toolkit/default.qkb: verified.";
    }
    void extractedProgramsRun() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        ProgramProcess process;
        process.start(path("usr/bin/" + program), arguments);
        const ProgramProcess::Result result = process.finish();
        QVERIFY2(result.finished, qPrintable(result.err));
        QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
        QVERIFY2(result.out.contains(output.arg(m_root)), qPrintable(result.out + result.err));
    }

    void theExtractedProgramFindsItsResources() {
        // Started from usr/bin it must take the brand file (and the font and manuals beside it)
        // from usr/share/zex-toolkit: a program that found no brand file would stop at start-up.
        ProgramProcess process;
        QVERIFY2(process.isReady(), qPrintable(process.failure()));
        const ProgramProcess::Result result = process.run(
            path("usr/bin/zex-toolkit"), {QStringLiteral("--port"), process.portName(),
                                          QStringLiteral("--tour"), QStringLiteral("1")});
        QVERIFY2(result.finished, qPrintable(result.err));
        QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
        QVERIFY2(result.out.contains(QStringLiteral("  display ")), qPrintable(result.out));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
