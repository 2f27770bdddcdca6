#include "device/DeviceErrors.h"
#include "device/ZexCatalogue.h"
#include "serial/SerialClass.h"
#include "serial/Zarnbus2Module.h"
#include "serial/ZarnbusNumbers.h"
#include "support/FakeCurrentDevice.h"

#include <QTest>

class TestSerialClass : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPlainMemberUsesItsParameterNumber_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("writable");
        const struct {
            const char* member;
            int number;
            bool writable;
        } rows[] = {
            {"BATTV", 7, false},    {"VERS", 10, false},   {"RMVV", 11, false},
            {"UMVV", 12, false},    {"MVV", 13, false},    {"GROSS", 14, false},
            {"NET", 15, false},     {"PEAKG", 16, false},  {"PEAKN", 17, false},
            {"TARE", 18, false},    {"FGAIN", 20, true},   {"FOFFS", 21, true},
            {"ALARM", 22, true},    {"TTYPE", 23, true},   {"DP", 24, true},
            {"ZERO", 25, true},     {"Damp", 26, true},    {"THRESH", 27, true},
            {"RESOL", 28, true},    {"OFFAUTO", 30, true}, {"SENS", 31, true},
            {"STAT", 32, true},     {"Gain", 33, true},    {"OFFS", 34, true},
            {"CMVVLO", 35, true},   {"CMVVHI", 36, true},  {"CENGLO", 37, true},
            {"CENGHI", 38, true},   {"CALCNT", 39, true},  {"POZ", 40, true},
            {"LINP", 50, true},     {"LINX1", 51, true},   {"LINX6", 56, true},
            {"LINK1", 57, true},    {"LINK6", 62, true},   {"OVRLOD", 63, true},
            {"OVRRNG", 64, true},   {"REM1", 65, false},   {"REM5", 69, false},
            {"SLAVE", 72, true},    {"Status", 73, false}, {"VALUE", 74, false},
            {"BAUD", 75, true},     {"PTARE", 76, true},   {"OVERLOAD", 77, true},
            {"PeakMode", 78, true}, {"FGB9", 90, true},    {"FGB3", 91, true},
        };
        for (const auto& row : rows) {
            QTest::newRow(row.member)
                << QString::fromLatin1(row.member) << row.number << row.writable;
        }
    }
    void everyPlainMemberUsesItsParameterNumber() {
        QFETCH(QString, member);
        QFETCH(int, number);
        QFETCH(bool, writable);
        FakeCurrentDevice bus;
        bus.module.values[quint8(number)] = 42.25f;
        QCOMPARE(bus.driver->GetByName(member), DeviceValue(42.25f));
        QCOMPARE(bus.port.writes.constLast(),
                 Zarnbus2Module::BuildRequest(1, true, quint8(number), false, 0));
        if (writable) {
            bus.driver->LetByName(member, DeviceValue("-1.5"));
            QCOMPARE(bus.port.writes.constLast(),
                     Zarnbus2Module::BuildRequest(1, false, quint8(number), false, -1.5f));
        } else {
            QVERIFY_THROWS_EXCEPTION(UnknownMemberError, bus.driver->LetByName(member, 1));
        }
    }

    void operationsSendTheirCommandNumbersOrNothing() {
        FakeCurrentDevice bus;
        for (const char* name : {"DOCALLO", "DOCALHI", "DOKEYPWR", "DOKEYTAR", "DOKEYUNI",
                                 "DOKEYHLD", "DOOFF", "RST"}) {
            bus.driver->MethodByName(QString::fromLatin1(name));
        }
        QCOMPARE(bus.module.receivedCommands,
                 (QList<quint8>{101, 102, 103, 104, 105, 106, 107, 100}));
        QCOMPARE(bus.clock.totalWaitedMs(), qint64(1000)); // RST waits for the restart
        bus.driver->REMK(DeviceValue(3));
        QCOMPARE(bus.module.receivedWrites.constLast(), (QPair<quint8, float>(70, 3.0f)));

        // Members without effect send nothing (the radio's own, CHANNEL, BOUNDID ..., are
        // checked against the simulator).
        bus.port.writes.clear();
        for (const char* name : {"Initialise", "OpenInterface", "CloseInterface", "KEEPAWAKE",
                                 "SAVE", "RSTOVRLOD", "RSTOVRRNG", "EasyAll"}) {
            bus.driver->MethodByName(QString::fromLatin1(name));
        }
        QVERIFY(bus.port.writes.isEmpty());
        QCOMPARE(bus.driver->IsR58(), false);
    }

    void systemZeroNeedsFirmware108() {
        FakeCurrentDevice bus;
        bus.module.values[ZarnbusNumber::VERS] = 1.07f;
        bus.module.values[ZarnbusNumber::SYSZERO] = 0.5f;
        QCOMPARE(bus.driver->SYSZERO(), DeviceValue("Not supported!"));
        QCOMPARE(bus.port.writes.size(), 1);

        bus.module.values[ZarnbusNumber::VERS] = 1.08f;
        QCOMPARE(bus.driver->SYSZERO(), DeviceValue(0.5f));
        QCOMPARE(bus.module.receivedReads.mid(1), (QList<quint8>{10, 19}));
    }

    void serialNumberIsReadFromItsHalves_data() {
        QTest::addColumn<float>("high");
        QTest::addColumn<float>("low");
        QTest::addColumn<QString>("text");
        QTest::newRow("high 1, low 2") << 1.0f << 2.0f << "0000065538";
        QTest::newRow("a negative low half counts as unsigned") << 0.0f << -1.0f << "0000065535";
        QTest::newRow("a negative high half counts as unsigned") << -1.0f << 0.0f << "4294901760";
        QTest::newRow("zero keeps ten digits") << 0.0f << 0.0f << "0000000000";
    }
    void serialNumberIsReadFromItsHalves() {
        QFETCH(float, high);
        QFETCH(float, low);
        QFETCH(QString, text);
        FakeCurrentDevice bus;
        bus.module.values[ZarnbusNumber::SERH] = high;
        bus.module.values[ZarnbusNumber::SERL] = low;
        QCOMPARE(bus.driver->GetByName(QStringLiteral("SerialNumber")), DeviceValue(text));
        QCOMPARE(bus.module.receivedReads, (QList<quint8>{9, 8}));
    }

    void serialNumberIsWrittenLowHalfFirst() {
        FakeCurrentDevice bus;
        bus.driver->SERIALNUMBER(DeviceValue(65538));
        QCOMPARE(bus.module.receivedWrites, (QList<QPair<quint8, float>>{{92, 2.0f}, {93, 1.0f}}));

        bus.module.receivedWrites.clear();
        QVERIFY_THROWS_EXCEPTION(ConversionError,
                                 bus.driver->SERIALNUMBER(DeviceValue(4294967296.0)));
        QVERIFY_THROWS_EXCEPTION(ConversionError, bus.driver->SERIALNUMBER(DeviceValue(-1)));
        QVERIFY_THROWS_EXCEPTION(ConversionError, bus.driver->SERIALNUMBER(DeviceValue("12AB")));
        QVERIFY(bus.module.receivedWrites.isEmpty());
        bus.driver->SERIALNUMBER(DeviceValue(4294967295.0));
        QCOMPARE(bus.module.receivedWrites,
                 (QList<QPair<quint8, float>>{{92, 65535.0f}, {93, 65535.0f}}));
    }

    void displayTextComesFromFourRegisters() {
        FakeCurrentDevice bus;
        bus.module.values[65] = float(0x4142);
        bus.module.values[66] = float(0x4300);
        bus.module.values[67] = 0.0f;
        bus.module.values[68] = float(0x4445); // the low byte of REM4 is not shown
        bus.module.values[69] = float(0x4647);
        QCOMPARE(bus.driver->DISPLAY(), DeviceValue("ABCD"));
        QCOMPARE(bus.module.receivedReads, (QList<quint8>{65, 66, 67, 68}));
    }

    void statusBitsReadBackAsModes() {
        FakeCurrentDevice bus;
        bus.module.values[ZarnbusNumber::Status] = 16 + 2 + 1;
        QCOMPARE(bus.driver->NetMode(), DeviceValue(true));
        QCOMPARE(bus.driver->HoldMode(), DeviceValue(true));
        QCOMPARE(bus.driver->UnitMode(), DeviceValue(qint64(0)));
        bus.module.values[ZarnbusNumber::Status] = 64 + 3 * 256;
        QCOMPARE(bus.driver->UnitMode(), DeviceValue(qint64(3)));
        QCOMPARE(bus.driver->NetMode(), DeviceValue(false));
        bus.module.values[ZarnbusNumber::Status] = 32;
        QCOMPARE(bus.driver->UnitMode(), DeviceValue(qint64(1)));
        bus.module.values[ZarnbusNumber::Status] = 128;
        QCOMPARE(bus.driver->UnitMode(), DeviceValue(qint64(7)));
    }

    void netAndHoldPressTheirKeyOnlyWhenTheStateDiffers() {
        FakeCurrentDevice bus;
        bus.module.values[ZarnbusNumber::Status] = 1;
        bus.driver->NetMode(DeviceValue(true));
        QVERIFY(bus.module.receivedCommands.isEmpty());
        bus.driver->NetMode(DeviceValue(false));
        QCOMPARE(bus.module.receivedCommands, QList<quint8>{104});
        bus.driver->HoldMode(DeviceValue(true));
        QCOMPARE(bus.module.receivedCommands, (QList<quint8>{104, 106}));
        QCOMPARE(bus.module.receivedReads, (QList<quint8>{73, 73, 73}));
    }

    void unitSelectionPressesTheUnitsKeyAtMostFourTimes_data() {
        QTest::addColumn<DeviceValue>("unit");
        QTest::addColumn<float>("status");
        QTest::addColumn<int>("reads");
        QTest::addColumn<int>("presses");
        QTest::newRow("the unit already shown costs one read") << DeviceValue(2) << 64.0f << 1 << 0;
        QTest::newRow("a unit never reached costs four reads and four presses")
            << DeviceValue(0) << 64.0f << 4 << 4;
        QTest::newRow("five is taken as three") << DeviceValue(5) << 128.0f << 1 << 0;
        QTest::newRow("minus one is taken as zero") << DeviceValue(-1) << 16.0f << 1 << 0;
    }
    void unitSelectionPressesTheUnitsKeyAtMostFourTimes() {
        QFETCH(DeviceValue, unit);
        QFETCH(float, status);
        QFETCH(int, reads);
        QFETCH(int, presses);
        FakeCurrentDevice bus;
        bus.module.values[ZarnbusNumber::Status] = status;
        bus.driver->UnitMode(unit);
        QCOMPARE(bus.module.receivedReads.size(), reads);
        QCOMPARE(bus.module.receivedCommands.size(), presses);
    }

    // Serving the cache without traffic and the reset are pinned end to end against the
    // simulator; here what only the driver's own state shows.
    void linkFailureServesLastValuesUntilReset() {
        FakeCurrentDevice bus;
        bus.moduleAnswers = false;
        QCOMPARE(bus.driver->GROSS(), DeviceValue(0.0f)); // never read: the cache's initial value
        QCOMPARE(bus.clock.nowMs(), qint64(3000));
        QVERIFY(bus.driver->ErrorState());
        bus.driver->ErrorState(false); // writing the error state has no effect
        QVERIFY(bus.driver->ErrorState());
        bus.driver->ResetError();
        QCOMPARE(bus.link.PendingErrorText, QString());
    }

    void byNameAccessIgnoresCaseAndRefusesWhatItCannotSend() {
        FakeCurrentDevice bus;
        bus.module.values[ZarnbusNumber::MVV] = 1.25f;
        bus.module.values[ZarnbusNumber::OVRLOD] = 4.0f;
        QCOMPARE(bus.driver->GetByName(QStringLiteral("mvv")), bus.driver->MVV());
        QCOMPARE(bus.driver->GetByName(QStringLiteral("OVRLod")), DeviceValue(4.0f));
        for (const char* name : {"NOSUCH", "SERL", "PWrite", "ZEX_GROSS", ""}) {
            QVERIFY_THROWS_EXCEPTION(UnknownMemberError,
                                     bus.driver->GetByName(QString::fromLatin1(name)));
        }
        QVERIFY_THROWS_EXCEPTION(UnknownMemberError, bus.driver->GetByName(QStringLiteral("REMK")));
        QVERIFY_THROWS_EXCEPTION(UnknownMemberError,
                                 bus.driver->MethodByName(QStringLiteral("GROSS")));
        QVERIFY(!bus.driver->ErrorState());
        // Values that cannot be converted raise before any traffic.
        bus.port.writes.clear();
        QVERIFY_THROWS_EXCEPTION(
            ConversionError, bus.driver->LetByName(QStringLiteral("DP"), DeviceValue("*NULL*")));
        QVERIFY_THROWS_EXCEPTION(ConversionError,
                                 bus.driver->LetByName(QStringLiteral("ALARM"), DeviceValue(1e40)));
        QVERIFY(bus.port.writes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSerialClass)
#include "tst_serialclass.moc"
