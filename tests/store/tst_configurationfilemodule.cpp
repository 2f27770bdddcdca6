#include "device/ZexCatalogue.h"
#include "serial/ZarnbusNumbers.h"
#include "store/ConfigurationFileLayout.h"
#include "store/ConfigurationFileModule.h"
#include "store/IniFile.h"
#include "support/FakeCurrentDevice.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchFiles.h"
#include "support/ScriptedZex.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace ConfigurationFileModule;
namespace Z = ZarnbusNumber;

namespace {

const QDate SavedOn(2026, 12, 6);

IniFile Load(const QString& path) {
    IniFile file;
    file.load(path);
    return file;
}

// A ZEX module on the serial bus with a value in every parameter, each telling which it is.
void FillKnownModule(FakeZarnbusModule& module, float firmware) {
    module.values = {
        {Z::VERS, firmware},  {Z::SERH, 15.0f},     {Z::SERL, 16961.0f}, {Z::PTARE, 0.5f},
        {Z::RMVV, 1.23456f},  {Z::UMVV, 1.2345f},   {Z::MVV, 1.234f},    {Z::GROSS, 12.5f},
        {Z::NET, 10.25f},     {Z::PEAKG, 20.0f},    {Z::PEAKN, 18.75f},  {Z::TARE, 2.25f},
        {Z::FGAIN, 1.0012f},  {Z::FOFFS, -0.0021f}, {Z::FGB3, 3.3f},     {Z::FGB9, 9.1f},
        {Z::SYSZERO, 0.125f}, {Z::ALARM, 80.0f},    {Z::TTYPE, 1.0f},    {Z::DP, 3.0f},
        {Z::ZERO, 0.5f},      {Z::Damp, 10.0f},     {Z::THRESH, 0.002f}, {Z::RESOL, 2.0f},
        {Z::OFFAUTO, 15.0f},  {Z::SENS, 3.0f},      {Z::POZ, 2.0f},      {Z::OVRLOD, 7.0f},
        {Z::OVRRNG, 1.0f},    {Z::Gain, 2.5f},      {Z::OFFS, -0.125f},  {Z::CMVVLO, 0.0f},
        {Z::CMVVHI, 2.0f},    {Z::CENGLO, 0.0f},    {Z::CENGHI, 25.0f},  {Z::CALCNT, 12.0f},
        {Z::LINP, 2.0f},      {Z::STAT, 4.0f},      {Z::BAUD, 1.0f},     {Z::SLAVE, 0.0f},
        {Z::Status, 578.0f},  {Z::VALUE, 12.5f},    {Z::BATTV, 8.95f},   {Z::OVERLOAD, 110.0f},
    };
    for (int i = 0; i < 6; ++i) {
        module.values[quint8(Z::LINX1 + i)] = 0.1f * float(i + 1);
        module.values[quint8(Z::LINK1 + i)] = 1.0f + 0.01f * float(i + 1);
    }
    for (int i = 0; i < 5; ++i) {
        module.values[quint8(Z::REM1 + i)] = float(0x2030 + i);
    }
}

// The serial driver on a FakeZarnbusModule, station 1.
struct SerialModule {
    explicit SerialModule(float firmware = 4.1f) { FillKnownModule(bus.module, firmware); }
    ZEX& device() { return *bus.driver; }
    // From the next request on, the module answers no more.
    void fallSilent() { bus.moduleAnswers = false; }
    QList<quint8> writtenParameters() const {
        QList<quint8> numbers;
        for (const auto& write : bus.module.receivedWrites) {
            numbers.append(write.first);
        }
        return numbers;
    }
    FakeCurrentDevice bus;
};

Options OptionsFor(float firmware, bool isRadio = false, QList<int>* progress = nullptr) {
    Options options;
    options.firmwareVersion = firmware;
    options.isRadio = isRadio;
    options.today = SavedOn;
    if (progress) {
        options.progress = [progress](int percent) { progress->append(percent); };
    }
    return options;
}

// A radio module's values as the link delivers them.
void FillRadioModule(ScriptedZex& radio) {
    radio.values = {{"VERS", 4.1f},   {"PTARE", 0.5f},     {"GROSS", 1.5f},   {"NET", 1.25f},
                    {"PEAKG", 2.0f},  {"PEAKN", 1.75f},    {"TARE", 0.25f},   {"SYSZERO", 0.0f},
                    {"ALARM", 75.0f}, {"ZERO", 0.5f},      {"THRESH", 0.05f}, {"SENS", 12.0f},
                    {"POZ", 1.0f},    {"OVRLOD", 3.0f},    {"OVRRNG", 0.0f},  {"VALUE", 1.5f},
                    {"BATTV", 3.6f},  {"OVERLOAD", 105.0f}};
    // Whole numbers as the link delivers them.
    const QList<std::pair<const char*, qint64>> whole{
        {"SERIALNUMBER", 1000001}, {"TTYPE", 0},        {"DP", 2}, {"Damp", 254}, {"RESOL", 1},
        {"OFFAUTO", 30},           {"Status", 64 + 512}};
    for (const auto& [name, value] : whole) {
        radio.values[QLatin1String(name)] = DeviceValue(value);
    }
}

// A configuration file of our own making, for restore tests.
QByteArray FileWith(const QByteArray& readWrite, const QByteArray& more = QByteArray()) {
    return "[Data]\r\nType=ZEX\r\nAppVersion=1.0\r\nSaved=01 March 2019\r\n[ReadWrite]\r\n" +
           readWrite + more;
}

} // namespace

class TestConfigurationFileModule : public QObject {
    Q_OBJECT

    ScratchFolder m_dir;
    QString path(const QString& name = QStringLiteral("module.zcf")) const {
        return m_dir.path(name);
    }

private Q_SLOTS:
    void init() { m_dir.removeFiles(); }

    // Sections, key order and spelling, value texts: the .zcf format is a contract with every
    // file already saved, so a file written today must match it byte for byte.
    void aSaveWritesTheKnownModuleExactly() {
        SerialModule module(4.1f);
        Options options = OptionsFor(4.1f);
        // A user with a decimal comma still gets "." in the file, and an English date.
        options.decimalSeparator = QStringLiteral(",");
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const SaveResult result = SaveZEX(module.device(), path(), options);
        QLocale::setDefault(previous);
        QCOMPARE(result.errorText, QString());
        QCOMPARE(result.fileError, QString());
        QVERIFY(result.fileWritten);
        const QByteArray expected =
            "[Data]\r\nType=ZEX\r\nAppVersion=" + AppVersion().toLatin1() +
            "\r\nSaved=06 December 2026\r\n"
            "[ReadOnly]\r\nVERS=4.1\r\nSERIALNUMBER=0001000001\r\nRMVV=1.23456\r\nUMVV=1.2345\r\n"
            "MVV=1.234\r\nGROSS=12.5\r\nNET=10.25\r\nPEAKG=20\r\nPEAKN=18.75\r\nTARE=2.25\r\n"
            "[ReadWrite]\r\nPTARE=0.5\r\nSYSZERO=0.125\r\nALARM=80\r\nTTYPE=1\r\nDP=3\r\n"
            "ZERO=0.5\r\nDAMP=10\r\nTHRESH=0.002\r\nRESOL=2\r\nOFFAUTO=15\r\nSENS=3\r\nPOZ=2\r\n"
            "OVRLOD=7\r\nOVRRNG=1\r\nGAIN=2.5\r\nOFFS=-0.125\r\nCMVVLO=0\r\nCMVVHI=2\r\n"
            "CENGLO=0\r\nCENGHI=25\r\nCALCNT=12\r\nLINP=2\r\nLINX1=0.1\r\nLINX2=0.2\r\n"
            "LINX3=0.3\r\nLINX4=0.4\r\nSTAT=4\r\nLINX5=0.5\r\nLINX6=0.6\r\nLINK1=1.01\r\n"
            "LINK2=1.02\r\nLINK3=1.03\r\nLINK4=1.04\r\nLINK5=1.05\r\nLINK6=1.06\r\nBAUD=1\r\n"
            "SLAVE=0\r\n"
            "[Factory]\r\nFGAIN=1.0012\r\nFOFFS=-0.0021\r\nFGB3=3.3\r\nFGB9=9.1\r\n"
            "[Dynamic]\r\nREM1=8240\r\nREM2=8241\r\nREM3=8242\r\nREM4=8243\r\nREM5=8244\r\n"
            "Status=578\r\nVALUE=12.5\r\nNetMode=False\r\nHoldMode=True\r\nUnitMode=3\r\n"
            "BATTV=8.95\r\nOVERLOAD=110\r\n";
        QCOMPARE(ReadBytes(path()), expected);
    }

    void keySetsFollowTheFirmwareAndTheLink_data() {
        QTest::addColumn<float>("firmware");
        QTest::addColumn<bool>("isRadio");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const QStringList fw3Keys{"ReadOnly/SERIALNUMBER", "ReadWrite/PTARE", "Factory/FGB3",
                                  "Factory/FGB9", "Dynamic/BATTV"};
        const QStringList wiredOnly{"ReadOnly/RMVV",   "ReadOnly/MVV",    "Factory/FGAIN",
                                    "Factory/FOFFS",   "ReadWrite/GAIN",  "ReadWrite/CENGHI",
                                    "ReadWrite/LINX6", "ReadWrite/LINK6", "ReadWrite/BAUD",
                                    "ReadWrite/STAT",  "ReadWrite/SLAVE", "Dynamic/REM1"};
        QTest::newRow("firmware 2.5 saves none of the 3.0 keys and no OVERLOAD")
            << 2.5f << false << QStringList{"ReadOnly/VERS", "ReadWrite/SYSZERO", "Dynamic/Status"}
            << fw3Keys + QStringList{"Dynamic/OVERLOAD"};
        QTest::newRow("firmware 3.0 saves the 3.0 keys but no OVERLOAD")
            << 3.0f << false << fw3Keys << QStringList{"Dynamic/OVERLOAD"};
        QTest::newRow("firmware 4.1 saves OVERLOAD under Dynamic")
            << 4.1f << false << fw3Keys + QStringList{"Dynamic/OVERLOAD"}
            << QStringList{"ReadWrite/OVERLOAD"};
        QTest::newRow("a radio module on firmware 2.5 saves the base set only")
            << 2.5f << true << QStringList{"ReadOnly/VERS", "ReadWrite/OVRRNG"}
            << wiredOnly + fw3Keys;
    }
    void keySetsFollowTheFirmwareAndTheLink() {
        QFETCH(float, firmware);
        QFETCH(bool, isRadio);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        ScriptedZex module;
        FillRadioModule(module);
        module.isRadio = isRadio;
        QVERIFY(SaveZEX(module, path(), OptionsFor(firmware, isRadio)).clean());
        const QStringList keys = IniKeys(path());
        for (const QString& key : present) {
            QVERIFY2(keys.contains(key), qPrintable(key));
        }
        for (const QString& key : absent) {
            QVERIFY2(!keys.contains(key), qPrintable(key));
        }
    }

    void aRadioSaveHoldsExactlyItsKeys() {
        ScriptedZex radio;
        FillRadioModule(radio);
        QList<int> progress;
        const SaveResult result = SaveZEX(radio, path(), OptionsFor(4.1f, true, &progress));
        QCOMPARE(result.errorText, QString());
        QCOMPARE(progress, (QList<int>{10, 20, 40, 60, 80, 100}));
        QCOMPARE(IniKeys(path()),
                 (QStringList{"Data/Type",        "Data/AppVersion",       "Data/Saved",
                              "ReadOnly/VERS",    "ReadOnly/SERIALNUMBER", "ReadOnly/GROSS",
                              "ReadOnly/NET",     "ReadOnly/PEAKG",        "ReadOnly/PEAKN",
                              "ReadOnly/TARE",    "ReadWrite/PTARE",       "ReadWrite/SYSZERO",
                              "ReadWrite/ALARM",  "ReadWrite/TTYPE",       "ReadWrite/DP",
                              "ReadWrite/ZERO",   "ReadWrite/DAMP",        "ReadWrite/THRESH",
                              "ReadWrite/RESOL",  "ReadWrite/OFFAUTO",     "ReadWrite/SENS",
                              "ReadWrite/POZ",    "ReadWrite/OVRLOD",      "ReadWrite/OVRRNG",
                              "Dynamic/Status",   "Dynamic/VALUE",         "Dynamic/NetMode",
                              "Dynamic/HoldMode", "Dynamic/UnitMode",      "Dynamic/BATTV",
                              "Dynamic/OVERLOAD"}));
        // Members a radio module lacks read empty and are stored as "*NULL*"; whole numbers stay
        // whole.
        const IniFile file = Load(path());
        QCOMPARE(file.value("Dynamic", "NetMode"), QStringLiteral("*NULL*"));
        QCOMPARE(file.value("ReadOnly", "SERIALNUMBER"), QStringLiteral("1000001"));
        QCOMPARE(file.value("Dynamic", "Status"), QStringLiteral("576"));
    }

    void oldFirmwareSavesItsSystemZeroMarkerAsItReads() {
        SerialModule module(1.05f);
        QVERIFY(SaveZEX(module.device(), path(), OptionsFor(1.05f)).clean());
        QCOMPARE(Load(path()).value("ReadWrite", "SYSZERO"), QStringLiteral("Not supported!"));
    }

    void aSaveReplacesItsOwnSectionsAndKeepsTheOthers() {
        // A file saved from a firmware 4 module, with a technician's own notes, saved over from a
        // firmware 2.5 module: no key of the first module may survive under the new header.
        WriteBytes(path(), "[Notes]\nTechnician=J. Smith\n[Data]\nType=ZEX\nSaved=01 May 2020\n"
                           "Comment=kept by hand\n[ReadOnly]\nSERIALNUMBER=0000000042\n"
                           "[Factory]\nFGB3=3.1\nFGB9=9.2\n[Dynamic]\nOVERLOAD=120\n"
                           "[Site]\nCrane=7\n");
        SerialModule module(2.5f);
        QVERIFY(SaveZEX(module.device(), path(), OptionsFor(2.5f)).clean());
        const QStringList keys = IniKeys(path());
        for (const char* gone : {"Data/Comment", "ReadOnly/SERIALNUMBER", "Factory/FGB3",
                                 "Factory/FGB9", "Dynamic/OVERLOAD"}) {
            QVERIFY2(!keys.contains(QLatin1String(gone)), gone);
        }
        QCOMPARE(Load(path()).value("Data", "Saved"), QStringLiteral("06 December 2026"));
        const QByteArray bytes = ReadBytes(path());
        QVERIFY(bytes.startsWith("[Notes]\nTechnician=J. Smith\n[Site]\nCrane=7\n[Data]\n"));
        QVERIFY2(!bytes.contains('\r'), "the file's own line endings stay");
    }

    // The serial driver returns the last value it knew when a read fails; that value must not be
    // stored as if it had been read.
    void aFailedReadIsListedAndNotStored() {
        SerialModule module(4.1f);
        QCOMPARE(module.device().GROSS(), DeviceValue(12.5f));
        module.bus.port.setResponder([&module](const QByteArray& request) {
            const bool grossRead = quint8(request[2]) == (Z::GROSS | 0x80);
            if (grossRead) {
                module.fallSilent();
            }
            return module.bus.moduleAnswers ? module.bus.module.respond(request) : QByteArray();
        });
        const SaveResult result = SaveZEX(module.device(), path(), OptionsFor(4.1f));
        QVERIFY(result.fileError.isEmpty());
        QVERIFY(result.fileWritten);
        QVERIFY(result.errorText.startsWith(QStringLiteral(
            "Comms error while reading GROSS from module!\r\nComms error while reading NET from "
            "module!\r\n")));
        QCOMPARE(result.failedKeys.first(), QStringLiteral("GROSS"));
        QVERIFY(result.failedKeys.contains("OVERLOAD"));
        const QStringList keys = IniKeys(path());
        QCOMPARE(keys.last(), QStringLiteral("ReadWrite/PTARE"));
        QVERIFY(keys.contains("ReadOnly/MVV"));
        QVERIFY(!keys.contains("ReadOnly/GROSS"));
        // Only one read met the dead link; every later one was skipped without bus traffic.
        QCOMPARE(module.bus.module.receivedReads.count(Z::NET), 0);
    }

    void aPendingErrorAtTheStartWritesNothing() {
        const QByteArray before = "[Data]\r\nType=ZEX\r\n[ReadOnly]\r\nVERS=3\r\n";
        WriteBytes(path(), before);
        ScriptedZex module;
        FillRadioModule(module);
        module.isRadio = false;
        module.pendingErrors = true;
        module.failingNames = {"VERS"};
        module.VERS(); // the link fails before the save starts
        module.failingNames.clear();
        module.calls.clear();
        const SaveResult result = SaveZEX(module, path(), OptionsFor(4.1f));
        QCOMPARE(ReadBytes(path()), before);
        QVERIFY(!result.fileWritten);
        QVERIFY(module.calls.isEmpty());
        QVERIFY(result.errorText.startsWith(CommsErrorLine("Type") + CommsErrorLine("AppVersion") +
                                            CommsErrorLine("Saved") + CommsErrorLine("VERS") +
                                            CommsErrorLine("SERIALNUMBER")));
        qsizetype keySteps = 0;
        for (const auto& step : ConfigurationFileLayout::SaveSteps(4.1f, false)) {
            keySteps += step.isProgress() ? 0 : 1;
        }
        QCOMPARE(result.failedKeys.size(), 3 + keySteps);

        // Nor is a missing file created.
        const SaveResult none = SaveZEX(module, path("new.zcf"), OptionsFor(4.1f));
        QVERIFY(!QFile::exists(path("new.zcf")));
        QVERIFY(!none.clean());
    }

    void aMemberThatRaisesIsListedAndTheSaveGoesOn() {
        ScriptedZex radio;
        FillRadioModule(radio);
        radio.refusingNames = {"PEAKG"};
        const SaveResult result = SaveZEX(radio, path(), OptionsFor(4.1f, true));
        QCOMPARE(result.failedKeys, QStringList{"PEAKG"});
        QVERIFY(result.errorText.startsWith("PEAKG could not be read from the module: "));
        QVERIFY(IniKeys(path()).contains("Dynamic/OVERLOAD"));
    }

    void aFileThatCannotBeWrittenIsReported_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("a read-only file") << QStringLiteral("readonly.zcf");
        QTest::newRow("a folder that has gone") << QStringLiteral("gone/module.zcf");
        QTest::newRow("a folder in the file's place") << QStringLiteral("folder.zcf");
    }
    void aFileThatCannotBeWrittenIsReported() {
        QFETCH(QString, target);
        const QString file = path(target);
        if (target == QLatin1String("readonly.zcf")) {
            WriteBytes(file, "[Data]\r\nType=ZEX\r\n");
            QFile(file).setPermissions(QFile::ReadOwner | QFile::ReadGroup);
        } else if (target == QLatin1String("folder.zcf")) {
            QDir(m_dir.folder()).mkpath(target);
        }
        ScriptedZex radio;
        FillRadioModule(radio);
        const SaveResult result = SaveZEX(radio, file, OptionsFor(4.1f, true));
        QVERIFY(!result.clean());
        QVERIFY(!result.fileWritten);
        QVERIFY2(result.fileError.contains(file), qPrintable(result.fileError));
        // Found out before the module is read.
        QVERIFY(!radio.calls.contains("get GROSS"));
        const std::optional<Report> report = SaveReport(result);
        QVERIFY(report);
        QCOMPARE(report->text, result.fileError); // titled as every save report
        QDir(m_dir.folder()).rmdir(target);
    }

    // A write that fails part way (a full disk; here a file-size limit) must neither replace the
    // file with the part written nor pass for a save.
    void aSaveThatCannotFinishItsWriteKeepsTheOldFileWhole() {
        SerialModule module(4.1f);
        QVERIFY(SaveZEX(module.device(), path(), OptionsFor(4.1f)).clean());
        WriteBytes(path(), ReadBytes(path()) + "[Notes]\r\n" +
                               QByteArray("Crane=7, hook block serviced\r\n").repeated(80));
        const QByteArray before = ReadBytes(path());
        QVERIFY(before.size() > 3 * 1024);
        SaveResult result;
        {
            const FileSizeLimit limit(2048);
            QVERIFY(limit.isSet());
            result = SaveZEX(module.device(), path(), OptionsFor(4.1f));
        }
        QCOMPARE(ReadBytes(path()), before);
        QVERIFY(!result.clean());
        QVERIFY(!result.fileWritten);
        QVERIFY2(result.fileError.contains(path()), qPrintable(result.fileError));
        QCOMPARE(QDir(m_dir.folder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("module.zcf")});
    }

    void aSaveThatFailsHalfWayKeepsItsLastWholeWrite() {
        SerialModule module(4.1f);
        SaveResult result;
        {
            const FileSizeLimit limit(700);
            QVERIFY(limit.isSet());
            result = SaveZEX(module.device(), path(), OptionsFor(4.1f));
        }
        QVERIFY(result.fileWritten);
        QVERIFY(!result.fileError.isEmpty());
        const QByteArray bytes = ReadBytes(path());
        QVERIFY2(bytes.endsWith("\r\n") && bytes.size() < 700, bytes.right(40).constData());
        QCOMPARE(Load(path()).value("Data", "Type"), QStringLiteral("ZEX"));
    }

    void aSaveReportShowsTheTextsAndTheCutList() {
        SaveResult result;
        for (int i = 0; i < 100; ++i) {
            result.errorText += CommsErrorLine(QStringLiteral("LINX1"));
        }
        const std::optional<Report> report = SaveReport(result);
        QVERIFY(report);
        QCOMPARE(report->title, QStringLiteral("Save Configuration"));
        QVERIFY(report->isError);
        const QString head = QStringLiteral("Error(s) occurred while reading the configuration "
                                            "data from the module!\r\n\r\n");
        QCOMPARE(report->text, head + result.errorText.left(1024) + "...");
        QCOMPARE(CutErrorText(QString(1024, u'x')), QString(1024, u'x')); // 1024 stay whole
        QVERIFY(!SaveReport(SaveResult{}));
    }

    // Save on one module, restore on another: every restorable value arrives, in order, on the
    // wire; the factory calibration stays the second module's own.
    void aSerialSaveRestoresOntoASecondModule() {
        SerialModule first(4.1f);
        QVERIFY(SaveZEX(first.device(), path(), OptionsFor(4.1f)).clean());

        SerialModule second(4.1f);
        second.bus.module.values.clear();
        second.bus.module.values[Z::VERS] = 4.1f;
        second.bus.module.values[Z::FGAIN] = 0.9876f;
        QList<int> progress;
        const RestoreResult result =
            RestoreZEX(second.device(), path(), OptionsFor(4.1f, false, &progress));
        QCOMPARE(result.errorText, QString());
        QVERIFY(result.clean());
        QCOMPARE(progress, (QList<int>{10, 20, 40, 60, 80, 100}));
        const QList<quint8> order{
            Z::SYSZERO,   Z::ALARM,     Z::TTYPE,   Z::DP,        Z::ZERO,      Z::Damp,
            Z::THRESH,    Z::RESOL,     Z::OFFAUTO, Z::SENS,      Z::POZ,       Z::Gain,
            Z::OFFS,      Z::CMVVLO,    Z::CMVVHI,  Z::CENGLO,    Z::CENGHI,    Z::CALCNT,
            Z::STAT,      Z::LINP,      Z::LINX1,   Z::LINX1 + 1, Z::LINX1 + 2, Z::LINX1 + 3,
            Z::LINX1 + 4, Z::LINX1 + 5, Z::LINK1,   Z::LINK1 + 1, Z::LINK1 + 2, Z::LINK1 + 3,
            Z::LINK1 + 4, Z::LINK1 + 5, Z::BAUD,    Z::SLAVE,     Z::OVRLOD,    Z::OVRRNG,
            Z::PTARE,     Z::OVERLOAD};
        QCOMPARE(second.writtenParameters(), order);
        QCOMPARE(result.valuesWritten, int(order.size()));
        for (quint8 number : order) {
            QCOMPARE(second.bus.module.values.value(number), first.bus.module.values.value(number));
        }
        QCOMPARE(second.bus.module.values.value(Z::FGAIN), 0.9876f);
    }

    void theFileTypeIsCheckedBeforeAnyWrite_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no Type") << FileWith("DP=3\r\n").replace("Type=ZEX\r\n", "");
        QTest::newRow("Type in another letter case")
            << FileWith("DP=3\r\n").replace("=ZEX", "=zex");
        QTest::newRow("another Type") << FileWith("DP=3\r\n").replace("=ZEX", "=ZEX2");
        QTest::newRow("Type outside Data") << QByteArray("[ReadWrite]\r\nType=ZEX\r\nDP=3\r\n");
        QTest::newRow("an empty file") << QByteArray();
        QTest::newRow("a binary file") << QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
        QTest::newRow("garbage lines only")
            << QByteArray("=\r\n[\r\n]]]\r\n==ZEX\r\n;Type=ZEX\r\n");
    }
    void theFileTypeIsCheckedBeforeAnyWrite() {
        QFETCH(QByteArray, content);
        WriteBytes(path(), content);
        ScriptedZex module;
        QList<int> progress;
        const RestoreResult result = RestoreZEX(module, path(), OptionsFor(4.1f, false, &progress));
        QCOMPARE(int(result.outcome), int(RestoreOutcome::InvalidFile));
        QVERIFY(module.calls.isEmpty());
        QVERIFY(progress.isEmpty());
        const std::optional<Report> report = RestoreReport(result);
        QVERIFY(report);
        QCOMPARE(report->title, QStringLiteral("Invalid File"));
        QCOMPARE(report->text,
                 QStringLiteral("The selected file is not an ZEX configuration file!"));
    }

    void aFileThatCannotBeReadIsRefused() {
        ScriptedZex module;
        RestoreResult result = RestoreZEX(module, path("missing.zcf"), OptionsFor(4.1f));
        QCOMPARE(int(result.outcome), int(RestoreOutcome::Unreadable));
        QVERIFY(result.fileError.contains("missing.zcf"));
        QDir(m_dir.folder()).mkpath("folder.zcf");
        result = RestoreZEX(module, path("folder.zcf"), OptionsFor(4.1f));
        QCOMPARE(int(result.outcome), int(RestoreOutcome::Unreadable));
        QCOMPARE(RestoreReport(result)->title, QStringLiteral("Restore Configuration"));
        QVERIFY(module.calls.isEmpty());
        QDir(m_dir.folder()).rmdir("folder.zcf");
    }

    // Missing keys and the save's own no-value markers are not values to write; anything else
    // that is not a number is listed and never reaches the module, and the restore goes on.
    void valuesThatAreNoNumbersAreSkippedOrListed_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("problem");
        const auto row = [](const char* name, const QString& value, const char* problem) {
            QTest::newRow(name) << value << QString(problem);
        };
        const char* notANumber = "is not a number";
        row("*NULL* is skipped silently", "*NULL*", "");
        row("an empty value is skipped silently", "", "");
        row("Not supported! is skipped silently", "Not supported!", "");
        row("* is skipped silently", "*", "");
        row("a word is listed", "abc", notANumber);
        row("a decimal comma is listed", "1,5", notANumber);
        row("a unit after the number is listed", "12 kg", notANumber);
        row("nan is listed", "nan", notANumber);
        row("hexadecimal is listed", "0x10", notANumber);
        row("a number beyond a single float is listed", "1E+39", "is out of range");
        row("300 digits are listed", QString(300, u'9'), "is out of range");
    }
    void valuesThatAreNoNumbersAreSkippedOrListed() {
        QFETCH(QString, value);
        QFETCH(QString, problem);
        WriteBytes(path(), FileWith("ALARM=" + value.toLatin1() +
                                    "\r\nDP=3\r\nTHRESH=1E+07\r\n"
                                    "POZ=-.5\r\n"));
        ScriptedZex module;
        module.isRadio = false;
        const RestoreResult result = RestoreZEX(module, path(), OptionsFor(4.1f));
        QCOMPARE(int(result.outcome), int(RestoreOutcome::Restored));
        QVERIFY(!module.calls.contains("set ALARM"));
        QCOMPARE(module.values.value("DP"), DeviceValue("3"));
        QCOMPARE(module.values.value("THRESH"), DeviceValue("1E+07"));
        QCOMPARE(module.values.value("POZ"), DeviceValue("-.5"));
        QCOMPARE(result.valuesWritten, 3);
        if (problem.isEmpty()) {
            QCOMPARE(result.errorText, QString());
            return;
        }
        QCOMPARE(result.failedKeys, QStringList{"ALARM"});
        QVERIFY2(result.errorText.contains(QStringLiteral("of ALARM in the file ") + problem +
                                           QStringLiteral("; ALARM was not restored.\r\n")),
                 qPrintable(result.errorText));
        // A long value is quoted short, so it cannot fill the list by itself.
        QVERIFY(result.errorText.size() < 120);
        QVERIFY(RestoreReport(result)->text.startsWith(
            "Error(s) occurred while restoring the configuration data to the module!\r\n\r\n"));
    }

    void overloadIsRestoredFromReadWriteElseDynamic_data() {
        QTest::addColumn<QByteArray>("readWrite");
        QTest::addColumn<QByteArray>("dynamic");
        QTest::addColumn<float>("firmware");
        QTest::addColumn<QString>("written");
        QTest::newRow("a saved file has it under Dynamic")
            << QByteArray() << QByteArray("110") << 4.1f << "110";
        QTest::newRow("ReadWrite wins over Dynamic")
            << QByteArray("95") << QByteArray("110") << 4.1f << "95";
        QTest::newRow("*NULL* under Dynamic is no value")
            << QByteArray() << QByteArray("*NULL*") << 4.1f << "";
        QTest::newRow("a firmware 3 module gets none")
            << QByteArray() << QByteArray("110") << 3.0f << "";
    }
    void overloadIsRestoredFromReadWriteElseDynamic() {
        QFETCH(QByteArray, readWrite);
        QFETCH(QByteArray, dynamic);
        QFETCH(float, firmware);
        QFETCH(QString, written);
        QByteArray content = FileWith(
            readWrite.isEmpty() ? QByteArray() : QByteArray("OVERLOAD=" + readWrite + "\r\n"));
        content += "[Dynamic]\r\nOVERLOAD=" + dynamic + "\r\n";
        WriteBytes(path(), content);
        ScriptedZex module;
        QVERIFY(RestoreZEX(module, path(), OptionsFor(firmware, true)).clean());
        if (written.isEmpty()) {
            QVERIFY(!module.calls.contains("set OVERLOAD"));
        } else {
            QCOMPARE(module.values.value("OVERLOAD"), DeviceValue(written));
        }
    }

    // Factory gain and offset belong to one module's hardware: never cloned, wherever they are.
    void factoryValuesAreNeverRestored() {
        WriteBytes(path(), FileWith("FGAIN=1.5\r\nFOFFS=0.1\r\nFGB3=3\r\nFGB9=9\r\nDP=2\r\n",
                                    "[Factory]\r\nFGAIN=1.5\r\nFOFFS=0.1\r\nFGB3=3\r\nFGB9=9\r\n"));
        ScriptedZex module;
        module.isRadio = false;
        QVERIFY(RestoreZEX(module, path(), OptionsFor(4.1f)).clean());
        QCOMPARE(module.writes, (QList<QPair<QString, DeviceValue>>{{"DP", DeviceValue("2")}}));
    }

    void aRadioRestoreWritesItsKeysAndChecksEveryWrite() {
        ScriptedZex source;
        FillRadioModule(source);
        source.isRadio = false;
        QVERIFY(SaveZEX(source, path(), OptionsFor(4.1f)).clean());

        ScriptedZex radio;
        radio.failingNames = {"TTYPE", "SENS"};
        const RestoreResult result = RestoreZEX(radio, path(), OptionsFor(4.1f, true));
        QStringList written;
        for (const auto& write : radio.writes) {
            written.append(write.first);
        }
        QCOMPARE(written, (QStringList{"SYSZERO", "ALARM", "DP", "ZERO", "Damp", "THRESH", "RESOL",
                                       "OFFAUTO", "POZ", "OVRLOD", "OVRRNG", "PTARE", "OVERLOAD"}));
        // The radio link clears its error with the next good call; each failure is caught as it
        // happens, not just a pending one at the end.
        QVERIFY(!radio.ErrorState());
        QVERIFY(result.communicationFailed);
        QCOMPARE(result.failedKeys, (QStringList{"TTYPE", "SENS"}));
        QCOMPARE(result.errorText, QStringLiteral("Comms error while writing TTYPE to module!\r\n"
                                                  "Comms error while writing SENS to module!\r\n"
                                                  "Communication errors occurred while restoring "
                                                  "data!\r\n"));
    }

    void aSerialLinkFailureIsSummarisedAndReset() {
        SerialModule source(4.1f);
        QVERIFY(SaveZEX(source.device(), path(), OptionsFor(4.1f)).clean());
        SerialModule target(4.1f);
        target.bus.port.setResponder([&target](const QByteArray& request) {
            if (target.bus.module.receivedWrites.size() == 3) {
                target.fallSilent();
            }
            return target.bus.moduleAnswers ? target.bus.module.respond(request) : QByteArray();
        });
        const RestoreResult result = RestoreZEX(target.device(), path(), OptionsFor(4.1f));
        QVERIFY(result.communicationFailed);
        QVERIFY(!target.device().ErrorState());
        QCOMPARE(target.bus.module.receivedWrites.size(), 3);
        QCOMPARE(result.errorText,
                 QStringLiteral("Communication errors occurred while restoring data!\r\n"));
    }

    void aMemberThatRaisesDuringRestoreIsListed() {
        WriteBytes(path(), FileWith("DP=2\r\nRESOL=300\r\nSENS=3\r\n"));
        ScriptedZex radio;
        radio.refusingNames = {"RESOL"};
        const RestoreResult result = RestoreZEX(radio, path(), OptionsFor(4.1f, true));
        QCOMPARE(result.failedKeys, QStringList{"RESOL"});
        QVERIFY(result.errorText.startsWith("RESOL could not be restored: "));
        QVERIFY(!result.communicationFailed);
        QCOMPARE(radio.values.value("SENS"), DeviceValue("3"));
    }
};

QTEST_GUILESS_MAIN(TestConfigurationFileModule)
#include "tst_configurationfilemodule.moc"
