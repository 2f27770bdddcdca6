#include "store/ResourceFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The folder the programs take their brand file, fonts and manuals from, in the build tree and
// in an installed package (<prefix>/bin beside <prefix>/share/zex-toolkit).
class TestResourceFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findsTheFolderThatHoldsTheBrandFile_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("expected");
        QTest::newRow("build tree: beside the program")
            << QStringList{"usr/bin/default.qkb"} << "usr/bin";
        QTest::newRow("installed: the share folder")
            << QStringList{"usr/share/zex-toolkit/default.qkb"} << "usr/share/zex-toolkit";
        QTest::newRow("installed with a brand of its own")
            << QStringList{"usr/share/zex-toolkit/brand.qkb"} << "usr/share/zex-toolkit";
        QTest::newRow("a brand file beside the program wins")
            << QStringList{"usr/bin/brand.qkb", "usr/share/zex-toolkit/default.qkb"} << "usr/bin";
        QTest::newRow("none anywhere: the program's folder, where it is reported missing")
            << QStringList{"usr/share/zex-toolkit/QK-LED.TTF"} << "usr/bin";
        QTest::newRow("a folder named like the brand file is no brand file")
            << QStringList{"usr/bin/default.qkb/", "usr/share/zex-toolkit/default.qkb"}
            << "usr/share/zex-toolkit";
    }
    void findsTheFolderThatHoldsTheBrandFile() {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("usr/bin")));
        for (const QString& file : files) {
            const QString path = root.filePath(file);
            if (file.endsWith(u'/')) {
                QVERIFY(QDir().mkpath(path));
                continue;
            }
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
        }
        QCOMPARE(ResourceFolder::For(root.filePath(QStringLiteral("usr/bin"))),
                 root.filePath(expected));
    }
};

QTEST_GUILESS_MAIN(TestResourceFolder)
#include "tst_resourcefolder.moc"
