#include "store/ConfigurationFileNames.h"
#include "store/IniModule.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace ConfigurationFileNames;

class TestConfigurationFileNames : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_config;
    QString m_userData;

    QString files(const QString& key) const {
        return IniModule::ReadIniValue(m_config, QStringLiteral("Files"), key,
                                       QStringLiteral("<missing>"));
    }

private Q_SLOTS:
    void init() {
        m_config = m_dir.filePath(QStringLiteral("Config.ini"));
        m_userData = m_dir.filePath(QStringLiteral("ZEX Toolkit/"));
        QFile::remove(m_config);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("site")));
    }

    void theSaveProposalFollowsTheModule_data() {
        QTest::addColumn<QString>("lastSerial");
        QTest::addColumn<QString>("initFile");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("proposed");
        const auto row = [](const char* name, const char* lastSerial, const char* initFile,
                            const char* serial, const char* proposed) {
            QTest::newRow(name) << QString(lastSerial) << QString(initFile) << QString(serial)
                                << QString(proposed);
        };
        row("the module saved last gets the name used last", "0001000001", "crane 7.zcf",
            "0001000001", "crane 7.zcf");
        row("the module saved last without a stored name gets its serial name", "0001000001", "",
            "0001000001", "ZEX 0001000001.zcf");
        row("another module gets its serial name", "0001000001", "crane 7.zcf", "0000000042",
            "ZEX 0000000042.zcf");
        row("a module without serial number gets ZEX.zcf", "0001000001", "crane 7.zcf", "",
            "ZEX.zcf");
        row("a first save without serial number gets ZEX.zcf, not ZEX .zcf", "", "", "", "ZEX.zcf");
    }
    void theSaveProposalFollowsTheModule() {
        QFETCH(QString, lastSerial);
        QFETCH(QString, initFile);
        QFETCH(QString, serial);
        QFETCH(QString, proposed);
        if (!lastSerial.isEmpty()) {
            QVERIFY(IniModule::WriteIniValue(m_config, "Files", "LastSerial", lastSerial));
        }
        if (!initFile.isEmpty()) {
            QVERIFY(IniModule::WriteIniValue(m_config, "Files", "InitFile", initFile));
        }
        const FileChoice proposal = ProposeSaveFile(m_config, serial, m_userData);
        QCOMPARE(proposal.fileName, proposed);
        QCOMPARE(proposal.folder, m_userData);
    }

    // The folder is stored before the dialog opens, so a cancelled first save still leaves it.
    void theSaveFolderIsStoredAtOnceAndTheChoiceAfterwards() {
        const FileChoice proposal = ProposeSaveFile(m_config, "0001000001", m_userData);
        QCOMPARE(QDir::fromNativeSeparators(files("InitDir")), m_userData);
        QCOMPARE(files("LastSerial"), QStringLiteral("<missing>"));

        const FileChoice chosen = FileChoice::fromPath(m_dir.filePath("site/crane 7.zcf"));
        QVERIFY(RememberSaveFile(m_config, "0001000001", chosen));
        QCOMPARE(files("LastSerial"), QStringLiteral("0001000001"));
        QCOMPARE(files("InitFile"), QStringLiteral("crane 7.zcf"));
        const FileChoice again = ProposeSaveFile(m_config, "0001000001", m_userData);
        QCOMPARE(again.path(), m_dir.filePath("site/crane 7.zcf"));
        QVERIFY(proposal.path().endsWith("/ZEX Toolkit/ZEX 0001000001.zcf"));
    }

    // A dialog cannot start in a folder that is not there: a removed stick, a renamed share, or a
    // path cut to the 254 characters a stored value is read back with.
    void aStoredFolderThatIsNotThereGivesWayToTheUserDataFolder_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("kept");
        QTest::newRow("a folder that exists") << m_dir.filePath("site") << true;
        QTest::newRow("a folder that has gone") << m_dir.filePath("removed stick") << false;
        QTest::newRow("a file, not a folder") << m_dir.filePath("Config.ini") << false;
        QString deep = m_dir.filePath("site");
        while (deep.size() < 300) {
            deep += QStringLiteral("/a rather long folder name");
        }
        QTest::newRow("a folder whose path was cut") << deep << false;
    }
    void aStoredFolderThatIsNotThereGivesWayToTheUserDataFolder() {
        QFETCH(QString, stored);
        QFETCH(bool, kept);
        if (stored.size() > 254) {
            QVERIFY(QDir().mkpath(stored));
        }
        QVERIFY(IniModule::WriteIniValue(m_config, "Files", "InitDir",
                                         QDir::toNativeSeparators(stored)));
        QVERIFY(IniModule::WriteIniValue(m_config, "Files", "InitFile", "old.zcf"));
        const QString expected = kept ? stored : m_userData;
        QCOMPARE(ProposeRestoreFile(m_config, m_userData).folder, expected);
        QCOMPARE(ProposeSaveFile(m_config, "0001000001", m_userData).folder, expected);
        // Written back at once, so the next dialog starts there too.
        QCOMPARE(QDir::fromNativeSeparators(files("InitDir")), expected);
    }

    void theRestoreProposalIsTheLastFileUsed() {
        FileChoice proposal = ProposeRestoreFile(m_config, m_userData);
        QCOMPARE(proposal.folder, m_userData);
        QCOMPARE(proposal.fileName, QString());
        QVERIFY(RememberRestoreFile(m_config, FileChoice{m_dir.filePath("site"), "old.zcf"}));
        proposal = ProposeRestoreFile(m_config, m_userData);
        QCOMPARE(proposal.path(), m_dir.filePath("site/old.zcf"));
    }
};

QTEST_GUILESS_MAIN(TestConfigurationFileNames)
#include "tst_configurationfilenames.moc"
