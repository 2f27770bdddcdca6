#include "store/ApplicationSettings.h"
#include "store/IniModule.h"
#include "support/ScratchFiles.h"
#include "util/ApplicationState.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestApplicationSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void foldersAreMadeAndPathsFilled() {
        QTemporaryDir dir;
        ApplicationState state;
        const QString config = dir.filePath(QStringLiteral("config"));
        const QString documents = dir.filePath(QStringLiteral("docs/"));
        QVERIFY(ApplicationSettings::SetUpUserFolders(state, config, documents));
        QCOMPARE(state.ConfigFile, config + QStringLiteral("/ZEX Toolkit/Config.ini"));
        QCOMPARE(state.UserDataFolder, documents + QStringLiteral("ZEX Toolkit/"));
        QVERIFY(QFileInfo(config + QStringLiteral("/ZEX Toolkit")).isDir());
        QVERIFY(QFileInfo(state.UserDataFolder).isDir());
        // The file itself comes with the first write; until then every read is its default.
        QVERIFY(!QFileInfo::exists(state.ConfigFile));
        QCOMPARE(IniModule::ReadIniValue(state.ConfigFile, "Serial", "Station", "1"),
                 QStringLiteral("1"));
        QVERIFY(IniModule::WriteIniValue(state.ConfigFile, "Serial", "Station", "12"));
        QCOMPARE(IniModule::ReadIniValue(state.ConfigFile, "Serial", "Station", "1"),
                 QStringLiteral("12"));
        // A second start finds the folders there already.
        QVERIFY(ApplicationSettings::SetUpUserFolders(state, config, documents));
    }

    void pathsAreSetEvenWhenAFolderCannotBeMade() {
        QTemporaryDir dir;
        const QString blocker = dir.filePath(QStringLiteral("file"));
        WriteBytes(blocker, QByteArray());
        ApplicationState state;
        QVERIFY(!ApplicationSettings::SetUpUserFolders(state, blocker, dir.path()));
        QCOMPARE(state.ConfigFile, blocker + QStringLiteral("/ZEX Toolkit/Config.ini"));
        QVERIFY(!IniModule::WriteIniValue(state.ConfigFile, "Serial", "Port", "3"));
    }

    void wakeIdDefaultsAndRoundTrips() {
        QTemporaryDir dir;
        QSettings store(dir.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
        QCOMPARE(ApplicationSettings::ReadWakeID(store), QStringLiteral("000000"));
        ApplicationSettings::WriteWakeID(store, QStringLiteral("A1B2C3"));
        QCOMPARE(ApplicationSettings::ReadWakeID(store), QStringLiteral("A1B2C3"));
        QCOMPARE(store.value(QStringLiteral("Settings/WakeID")).toString(),
                 QStringLiteral("A1B2C3"));
    }
};

QTEST_GUILESS_MAIN(TestApplicationSettings)
#include "tst_applicationsettings.moc"
