#include "store/IniFile.h"
#include "store/IniModule.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace IniModule;

class TestIniModule : public QObject {
    Q_OBJECT

    ScratchFolder m_dir;
    QString path(const QString& name = QStringLiteral("test.ini")) const {
        return m_dir.path(name);
    }

private Q_SLOTS:
    void init() { m_dir.removeFiles(); }

    void reads_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QByteArray zcf = "[Data]\r\nType=ZEX\r\n[ReadWrite]\r\nDP=3\r\n  Damp = 1.5 \r\n"
                               "EMPTY=\r\nNUL=*NULL*\r\n";
        const auto row = [](const char* name, const QByteArray& file, const char* section,
                            const char* key, const QString& expected) {
            QTest::newRow(name) << file << QString(section) << QString(key) << expected;
        };
        row("a key in its section", zcf, "Data", "Type", "ZEX");
        row("section and key in another letter case", zcf, "READWRITE", "dp", "3");
        row("spaces around the key and value are not part of them", zcf, "readwrite", "DAMP",
            "1.5");
        row("an empty value reads as the default", zcf, "ReadWrite", "Empty", "default");
        row("*NULL* reads as the empty text", zcf, "ReadWrite", "NUL", "");
        row("a key of another section is not found", zcf, "Data", "DP", "default");
        row("a missing section gives the default", zcf, "Factory", "FGAIN", "default");
        row("a last line without line ending", "[Serial]\r\nPort=7", "Serial", "Port", "7");
        row("the first of two equal keys wins", "[A]\r\nK=first\r\nk=second\r\n", "A", "K",
            "first");
        row("the first of two equal sections wins", "[A]\r\nK=first\r\n[a]\r\nK=second\r\n", "A",
            "K", "first");
        row("garbage lines around a key do not hide it",
            QByteArray("\x01\xff", 2) + QByteArray(1, '\0') +
                "garbage\r\n[A]\r\nno equals sign\r\n=no key\r\nK=v\r\n",
            "A", "K", "v");
        row("a comment line is no key", "[A]\r\n;K=commented\r\n", "A", ";K", "default");
        row("spaces inside the brackets are not part of the section name",
            "[ Data ]\r\nType=ZEX\r\n", "Data", "Type", "ZEX");
        row("Windows-1252 bytes become their characters",
            "[A]\r\nK=M\xfcnster \x96 \x80"
            "5\r\n",
            "A", "K", QString::fromUtf8("Münster – €5"));
    }
    void reads() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        WriteBytes(path(), file);
        QCOMPARE(ReadIniValue(path(), section, key, QStringLiteral("default")), expected);
    }

    void missingOrUnreadableFilesGiveDefaults() {
        QCOMPARE(ReadIniValue(path(QStringLiteral("absent.ini")), "A", "K", "d"),
                 QStringLiteral("d"));
        QCOMPARE(ReadIniValue(m_dir.folder(), "A", "K", "d"), QStringLiteral("d")); // a folder
    }

    void valuesAreCutTo254OnReading() {
        for (const int length : {254, 255}) {
            QVERIFY(WriteIniValue(path(), "A", "K", QString(length, u'x')));
            QCOMPARE(ReadIniValue(path(), "A", "K", "d"), QString(254, u'x'));
        }
    }

    void writes_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QByteArray file = "; saved by hand\r\n[Data]\r\nType = ZEX\r\nSaved=1 May\r\n\r\n"
                                "[ReadWrite]\r\nDP=3\r\nUnknown=kept\r\n";
        const auto row = [](const char* name, const QByteArray& before, const char* section,
                            const char* key, const QString& value, const QByteArray& after) {
            QTest::newRow(name) << before << QString(section) << QString(key) << value << after;
        };
        row("a key is replaced in place, keeping its spelling and spacing", file, "DATA", "type",
            "ZEX2",
            "; saved by hand\r\n[Data]\r\nType = ZEX2\r\nSaved=1 May\r\n\r\n"
            "[ReadWrite]\r\nDP=3\r\nUnknown=kept\r\n");
        row("a new key goes after the section's last key, before the blank line", file, "Data",
            "AppVersion", "2.1",
            "; saved by hand\r\n[Data]\r\nType = ZEX\r\nSaved=1 May\r\n"
            "AppVersion=2.1\r\n\r\n[ReadWrite]\r\nDP=3\r\nUnknown=kept\r\n");
        row("a new section goes at the end of the file", file, "Dynamic", "REM1", "*NULL*",
            "; saved by hand\r\n[Data]\r\nType = ZEX\r\nSaved=1 May\r\n\r\n"
            "[ReadWrite]\r\nDP=3\r\nUnknown=kept\r\n[Dynamic]\r\nREM1=*NULL*\r\n");
        row("an LF file stays LF", "[Serial]\nPort=3\n", "Serial", "Baud", "1",
            "[Serial]\nPort=3\nBaud=1\n");
        row("a last line without ending gets one before new lines", "[Serial]\nPort=3", "Files",
            "InitDir", "/home", "[Serial]\nPort=3\n[Files]\nInitDir=/home\n");
        row("a file an editor saved as UTF-8 with a byte order mark stays so",
            "\xEF\xBB\xBF[Data]\r\nType=ZEX\r\n", "Data", "Note", QString::fromUtf8("Ωhm – ok"),
            "\xEF\xBB\xBF[Data]\r\nType=ZEX\r\nNote=\xCE\xA9hm \xE2\x80\x93 ok\r\n");
        row("only the first of two equal keys changes", "[A]\r\nK=1\r\nK=2\r\n", "a", "k", "9",
            "[A]\r\nK=9\r\nK=2\r\n");
        row("a key is replaced in a section written with spaces inside its brackets",
            "[ Data ]\r\nType=ZEX\r\n", "Data", "Type", "ZEX2", "[ Data ]\r\nType=ZEX2\r\n");
        row("bytes of a UTF-8 file that are no UTF-8 stay as they were",
            "\xEF\xBB\xBF[Mine]\r\nNote=caf\xE9 \xFF\xFE\r\n[Data]\r\nType=ZEX\r\n"
            "N\xF6te=\xE9t\xE9\r\n",
            "Data", "Type", "ZEX2",
            "\xEF\xBB\xBF[Mine]\r\nNote=caf\xE9 \xFF\xFE\r\n[Data]\r\nType=ZEX2\r\n"
            "N\xF6te=\xE9t\xE9\r\n");
        row("a new file is CR LF, its Windows-1252 text one byte per character", QByteArray(), "A",
            "K", QString::fromUtf8("Münster – €5"),
            "[A]\r\nK=M\xfcnster \x96 \x80"
            "5\r\n");
    }
    void writes() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isEmpty()) {
            WriteBytes(path(), before);
        }
        QString error;
        QVERIFY2(WriteIniValue(path(), section, key, value, &error), qPrintable(error));
        QCOMPARE(ReadBytes(path()), after);
        QCOMPARE(ReadIniValue(path(), section, key, "d"), value == u"*NULL*" ? QString() : value);
        // No temporary file is left behind.
        QCOMPARE(QDir(m_dir.folder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("test.ini")});
    }

    void unstorableNamesAndValuesAreRefusedAndNothingIsWritten_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const auto row = [](const char* name, const char* section, const char* key,
                            const QString& value) {
            QTest::newRow(name) << QString(section) << QString(key) << value;
        };
        row("a value with a line break would add keys", "A", "K", "1\r\n[Evil]\r\nX=2");
        row("a lone line feed is a line break too", "A", "K", "1\n[Evil]");
        row("a lone carriage return is a line break too", "A", "K", "1\r[Evil]");
        row("a character outside Windows-1252", "A", "K", QString::fromUtf8("Ω"));
        row("an equals sign in the key", "A", "K=1", "v");
        row("an empty key", "A", " ", "v");
        row("a closing bracket in the section", "A]", "K", "v");
    }
    void unstorableNamesAndValuesAreRefusedAndNothingIsWritten() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QByteArray before = "[A]\r\nK=old\r\n";
        WriteBytes(path(), before);
        QString error;
        QVERIFY(!WriteIniValue(path(), section, key, value, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadBytes(path()), before);
    }

    void aFailedWriteIsReportedAndLeavesTheFileWhole() {
        const QByteArray before = "[A]\r\nK=old\r\n";
        WriteBytes(path(), before);
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadUser);
        QString error;
        QVERIFY(!WriteIniValue(path(), "A", "K", "new", &error));
        QVERIFY2(error.contains(path()) && error.contains(QStringLiteral("read-only")),
                 qPrintable(error));
        QCOMPARE(ReadBytes(path()), before);

        const QString inMissingFolder = m_dir.path(QStringLiteral("no/such/folder/x.zcf"));
        QVERIFY(!WriteIniValue(inMissingFolder, "A", "K", "v", &error));
        QVERIFY2(error.contains(inMissingFolder), qPrintable(error));
        QVERIFY(!RemoveIniSection(path(), "A", &error));
    }

    // A disk that fills up while the file is written (here a file-size limit): the old file must
    // stay whole, and the write must not pass for done.
    void aWriteThatCannotFinishKeepsTheOldFile() {
        const QByteArray before = "[Serial]\r\nPort=3\r\n[Files]\r\nInitDir=/home/user\r\n";
        WriteBytes(path(), before);
        bool written = true;
        QString error;
        {
            const FileSizeLimit limit(1024);
            QVERIFY(limit.isSet());
            written = WriteIniValue(path(), "Files", "InitFile", QString(2000, u'x'), &error);
        }
        QVERIFY(!written);
        QVERIFY2(error.contains(path()), qPrintable(error));
        QCOMPARE(ReadBytes(path()), before);
        QCOMPARE(QDir(m_dir.folder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("test.ini")});
    }

    void removingASectionRemovesEveryCopyAndKeepsTheRest() {
        WriteBytes(path(), "[Data]\r\nType=ZEX\r\n[ReadWrite]\r\nDP=1\r\n[Mine]\r\nX=1\r\n"
                           "[readwrite]\r\nDP=2\r\n");
        QVERIFY(RemoveIniSection(path(), "READWRITE"));
        QCOMPARE(ReadBytes(path()), QByteArray("[Data]\r\nType=ZEX\r\n[Mine]\r\nX=1\r\n"));
        QVERIFY(RemoveIniSection(path(), "Absent"));
        const QString absent = m_dir.path(QStringLiteral("absent.zcf"));
        QVERIFY(RemoveIniSection(absent, "Data"));
        QVERIFY(!QFile::exists(absent));
    }

    // Edits keep the file's index of sections and keys: after any sequence of them, the file
    // answers as a fresh read of its own bytes does.
    void anEditedFileReadsAsItsBytesRead() {
        IniFile file = IniFile::fromBytes("; notes\n[Data]\nType=ZEX\n\n[ReadWrite]\nDP=1\n"
                                          "[Mine]\nX=1\n[readwrite]\nDP=2\nLast=end");
        QVERIFY(file.setValue("Data", "Type", "ZEX, edited"));
        QVERIFY(file.setValue("ReadWrite", "Damp", "10"));
        QVERIFY(file.setValue("Dynamic", "REM1", "8240"));
        QVERIFY(file.setValue("Mine", "Y", "2"));
        QVERIFY(file.removeSection("READWRITE"));
        QVERIFY(file.setValue("Dynamic", "REM2", "8241"));
        QVERIFY(file.setValue("ReadWrite", "DP", "3"));
        QVERIFY(file.setValue("data", "type", "ZEX"));
        QVERIFY(file.setValue("Mine", "X", ""));
        const IniFile reread = IniFile::fromBytes(file.toBytes());
        QCOMPARE(file.sections(), reread.sections());
        QCOMPARE(file.sections(), (QStringList{"Data", "Mine", "Dynamic", "ReadWrite"}));
        for (const QString& section : reread.sections()) {
            QCOMPARE(file.keys(section), reread.keys(section));
            for (const QString& key : reread.keys(section)) {
                QCOMPARE(file.value(section, key), reread.value(section, key));
            }
        }
        QCOMPARE(file.toBytes(), QByteArray("; notes\n[Data]\nType=ZEX\n\n[Mine]\nX=\nY=2\n"
                                            "[Dynamic]\nREM1=8240\nREM2=8241\n"
                                            "[ReadWrite]\nDP=3\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniModule)
#include "tst_inimodule.moc"
