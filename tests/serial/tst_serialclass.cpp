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
        // NAME:NUMBER, with a "+" where the member can be written too.
        const QStringList table =
            QStringLiteral(
                "BATTV:7 VERS:10 RMVV:11 UMVV:12 MVV:13 GROSS:14 NET:15 PEAKG:16 PEAKN:17 TARE:18 "
                "FGAIN:20+ FOFFS:21+ ALARM:22+ TTYPE:23+ DP:24+ ZERO:25+ Damp:26+ THRESH:27+ "
                "RESOL:28+ OFFAUTO:30+ SENS:31+ STAT:32+ Gain:33+ OFFS:34+ CMVVLO:35+ CMVVHI:36+ "
                "CENGLO:37+ CENGHI:38+ CALCNT:39+ POZ:40+ LINP:50+ LINX1:51+ LINX6:56+ LINK1:57+ "
                "LINK6:62+ OVRLOD:63+ OVRRNG:64+ REM1:65 REM5:69 SLAVE:72+ Status:73 VALUE:74 "
                "BAUD:75+ PTARE:76+ OVERLOAD:77+ PeakMode:78+ FGB9:90+ FGB3:91+")
                .split(u' ');
        for (const QString& row : table) {
            const QString member = row.section(u':', 0, 0);
            QTest::addRow("%s", qPrintable(member))
                << member << row.section(u':', 1).remove(u'+').toInt() << row.endsWith(u'+');
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

    void displayAndModesComeFromTheirRegisters() {
        FakeCurrentDevice bus;
        bus.module.values[65] = float(0x4142);
        bus.module.values[66] = float(0x4300);
        bus.module.values[67] = 0.0f;
        bus.module.values[68] = float(0x4445); // the low byte of REM4 is not shown
        bus.module.values[69] = float(0x4647);
        QCOMPARE(bus.driver->DISPLAY(), DeviceValue("ABCD"));
        QCOMPARE(bus.module.receivedReads, (QList<quint8>{65, 66, 67, 68}));

        // The status bits read back as modes.
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
