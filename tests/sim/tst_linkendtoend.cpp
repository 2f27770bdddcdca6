#include "device/ZexCatalogue.h"
#include "serial/ZarnbusNumbers.h"
#include "sim/FaultPlan.h"
#include "sim/SimParameterTable.h"
#include "support/SimulatedLink.h"

#include <QTest>

namespace N = ZarnbusNumber;

namespace {

// Members the serial driver builds from several transactions, or gives no effect; they have
// cases of their own.
const QStringList kComposite = {"SYSZERO",  "SERIALNUMBER", "DISPLAY",    "NetMode",
                                "HoldMode", "UnitMode",     "ErrorState", "ErrorDescription",
                                "IsR58",    "DriverStation"};
const QStringList kNoEffectOnSerial = {"CHANNEL", "BOUNDID", "BOUNDTAG", "DOWAKE"};

QByteArray readFrame(int station, int number) {
    return Zarnbus2Module::BuildRequest(quint8(station), true, quint8(number), false, 0.0f);
}

QByteArray writeFrame(int station, int number, float value) {
    return Zarnbus2Module::BuildRequest(quint8(station), false, quint8(number), false, value);
}

QByteArray commandFrame(int station, int number) {
    return Zarnbus2Module::BuildRequest(quint8(station), false, quint8(number), true, 0.0f);
}

// A value the module accepts for a parameter, different from its default.
double acceptedValue(const SimParameterTable::Entry& entry) {
    if (entry.wholeNumber) {
        return entry.maximum > entry.minimum + 1 ? entry.minimum + 1 : entry.maximum;
    }
    return entry.minimum > 0 ? entry.minimum + 0.75 : 0.75;
}

} // namespace

class TestLinkEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyMemberReachesTheModuleWithOneFrame() {
        SimulatedLink line({ModuleAt(1, 4.1, 1234567)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        line.withBus([](SimulatedBus& bus) { bus.module(0).setAppliedLoad(7.25); });
        SerialClass& device = line.device(1);
        line.takeFramesSeen();

        for (const QString& name : ZexCatalogue::MemberNames()) {
            if (!ZexCatalogue::IsReadable(name) || kComposite.contains(name)) {
                continue;
            }
            const DeviceValue value = device.GetByName(name);
            const QList<QByteArray> frames = line.takeFramesSeen();
            if (kNoEffectOnSerial.contains(name)) {
                QVERIFY2(value.isEmpty() && frames.isEmpty(), qPrintable(name));
                continue;
            }
            const SimParameterTable::Entry* entry = SimParameterTable::FindByName(name);
            QVERIFY2(entry, qPrintable(name));
            const float expected = line.withBus(
                [&](SimulatedBus& bus) { return bus.module(0).read(entry->number).value; });
            QCOMPARE(frames, QList<QByteArray>{readFrame(1, entry->number)});
            QVERIFY2(
                value == DeviceValue(expected),
                qPrintable(name + ": " + describe(value) + " != " + QString::number(expected)));
        }
        QVERIFY(!device.ErrorState());

        for (const QString& name : ZexCatalogue::MemberNames()) {
            if (!ZexCatalogue::IsWritable(name) || kComposite.contains(name) || name == "REMK") {
                continue;
            }
            if (kNoEffectOnSerial.contains(name)) {
                QVERIFY2(device.LetByName(name, DeviceValue(1.0)).isEmpty(), qPrintable(name));
                QVERIFY2(line.takeFramesSeen().isEmpty(), qPrintable(name));
                continue;
            }
            const SimParameterTable::Entry* entry = SimParameterTable::FindByName(name);
            QVERIFY2(entry, qPrintable(name));
            const double value = acceptedValue(*entry);
            device.LetByName(name, DeviceValue(value));
            QCOMPARE(line.takeFramesSeen(),
                     QList<QByteArray>{writeFrame(1, entry->number, float(value))});
            const float stored = line.withBus(
                [&](SimulatedBus& bus) { return bus.module(0).read(entry->number).value; });
            QVERIFY2(stored == float(value), qPrintable(name));
            QVERIFY2(!device.ErrorState(), qPrintable(name));
        }
    }

    void serialNumberTravelsInSignedHalves() {
        // 0xFFFF0002: the high half goes out as -1 and must come back as 65535.
        SimulatedLink line({ModuleAt(1, 4.1, 0xFFFF0002u)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        SerialClass& device = line.device(1);
        QCOMPARE(device.SERIALNUMBER(), DeviceValue(QStringLiteral("4294901762")));

        line.takeFramesSeen();
        device.SERIALNUMBER(DeviceValue(65538.0));
        QCOMPARE(line.takeFramesSeen(),
                 (QList<QByteArray>{writeFrame(1, N::FSNL, 2.0f), writeFrame(1, N::FSNH, 1.0f)}));
        QCOMPARE(line.withBus([](SimulatedBus& bus) { return bus.module(0).serialNumber(); }),
                 quint32(65538));
        QCOMPARE(device.SERIALNUMBER(), DeviceValue(QStringLiteral("0000065538")));
    }

    void displayStatusKeysAndPowerFollowTheModule() {
        SimulatedLink line({ModuleAt(1)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        SerialClass& device = line.device(1);
        line.withBus([](SimulatedBus& bus) { bus.module(0).setAppliedLoad(12.5); });
        const QString shown =
            line.withBus([](SimulatedBus& bus) { return bus.module(0).displayText(); });
        QVERIFY(shown.contains('.'));
        QCOMPARE(device.DISPLAY(), DeviceValue(shown));

        device.NetMode(DeviceValue(true));
        QCOMPARE(device.NetMode(), DeviceValue(true));
        QCOMPARE(device.TARE().toSingle(), device.GROSS().toSingle());
        QCOMPARE(device.DISPLAY(), DeviceValue(QStringLiteral("0.000")));
        device.NetMode(DeviceValue(false));
        QCOMPARE(device.NetMode(), DeviceValue(false));

        device.HoldMode(DeviceValue(true));
        QCOMPARE(device.HoldMode(), DeviceValue(true));
        device.HoldMode(DeviceValue(false));

        const QList<qint64> unitCodes = {0, 1, 3, 7};
        for (int unit = 3; unit >= 0; --unit) {
            device.UnitMode(DeviceValue(unit));
            QCOMPARE(device.UnitMode(), DeviceValue(unitCodes[unit]));
        }
        QVERIFY(!device.ErrorState());

        // Switched off, the module sleeps until woken, and restarts on its new station.
        device.DOOFF();
        QVERIFY(!device.ErrorState());
        const QByteArray request = readFrame(1, N::VERS);
        QCOMPARE(Zarnbus2Module::Exchange(line.link(), request, 11, 150), QByteArray());
        device.WAKE();
        QCOMPARE(device.VERS(), DeviceValue(4.1f));

        device.STAT(DeviceValue(7));
        QCOMPARE(line.withBus([](SimulatedBus& bus) { return bus.module(0).station(); }), 1);
        device.RST();
        QCOMPARE(line.withBus([](SimulatedBus& bus) { return bus.module(0).station(); }), 7);
        QCOMPARE(line.device(7).VERS(), DeviceValue(4.1f));
        QVERIFY(!device.ErrorState());
    }

    void faultOnOneAttemptIsRetried_data() {
        QTest::addColumn<int>("kind");
        using K = FaultPlan::Kind;
        QTest::newRow("a NAK is retried") << int(K::Nak);
        QTest::newRow("a bad checksum is retried") << int(K::BadChecksum);
        QTest::newRow("a reply from another station is retried") << int(K::WrongStation);
        QTest::newRow("garbage is retried") << int(K::Garbage);
        QTest::newRow("an over-long reply is retried") << int(K::LongReply);
        QTest::newRow("a short reply is retried after the timeout") << int(K::ShortReply);
        QTest::newRow("a late reply is retried after the timeout") << int(K::Delay);
    }
    void faultOnOneAttemptIsRetried() {
        QFETCH(int, kind);
        SimulatedLink line({ModuleAt(1)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        line.withBus([&](SimulatedBus& bus) {
            bus.module(0).setAppliedLoad(3.5);
            bus.moduleFaults(0).add({FaultPlan::Kind(kind), FaultPlan::Mode::NextFrames, 1, 1});
        });
        const float expected =
            line.withBus([](SimulatedBus& bus) { return bus.module(0).gross(); });
        SerialClass& device = line.device(1);
        line.takeFramesSeen();

        QCOMPARE(device.GROSS(), DeviceValue(expected));
        QCOMPARE(line.takeFramesSeen(), QList<QByteArray>(2, readFrame(1, N::GROSS)));
        QVERIFY(!device.ErrorState());
        QCOMPARE(device.ErrorDescription(), QString());
    }

    void givingUpLeavesNoResponseAndServesTheCache_data() {
        using K = FaultPlan::Kind;
        // The fault on each of the three attempts.
        QTest::addColumn<QList<int>>("faults");
        const auto always = [](K kind) { return QList<int>(3, int(kind)); };
        QTest::newRow("a module whose checksums are always wrong") << always(K::BadChecksum);
        QTest::newRow("a module that answers as another station") << always(K::WrongStation);
        QTest::newRow("a line full of garbage") << always(K::Garbage);
        QTest::newRow("a module whose replies are too long") << always(K::LongReply);
        QTest::newRow("a short reply, a late one, then silence")
            << QList<int>{int(K::ShortReply), int(K::Delay), int(K::Silence)};
    }
    void givingUpLeavesNoResponseAndServesTheCache() {
        QFETCH(QList<int>, faults);
        SimulatedLink line({ModuleAt(1)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        SerialClass& device = line.device(1);
        line.withBus([](SimulatedBus& bus) { bus.module(0).setAppliedLoad(4.0); });
        const DeviceValue before = device.NET();
        QVERIFY(before.toSingle() > 3.9f);

        line.withBus([&](SimulatedBus& bus) {
            bus.module(0).setAppliedLoad(8.0);
            bus.busFaults().setDelayMs(2500); // later than the last attempt's wait
            for (int kind : faults) {
                bus.busFaults().add({FaultPlan::Kind(kind), FaultPlan::Mode::NextFrames, 1, 1});
            }
        });
        line.takeFramesSeen();
        QCOMPARE(device.NET(), before);
        // Three attempts, each the very same bytes.
        QCOMPARE(line.takeFramesSeen(), QList<QByteArray>(3, readFrame(1, N::NET)));
        QVERIFY(device.ErrorState());
        QCOMPARE(device.ErrorDescription(), QStringLiteral("No Response"));
        QCOMPARE(device.RetryCounter(), qint16(2));
        if (faults.contains(int(FaultPlan::Kind::Delay))) {
            // The late reply does come, after the driver has given up.
            QCOMPARE(line.port().read(11, 2000).size(), 11);
        }

        // Given up: reads come from the cache, writes and commands are dropped, all without
        // traffic.
        QCOMPARE(device.NET(), before);
        QCOMPARE(device.GROSS(), DeviceValue(0.0f));
        device.DP(DeviceValue(1));
        device.DOKEYTAR();
        QVERIFY(line.takeFramesSeen().isEmpty());

        device.ResetError();
        QVERIFY(!device.ErrorState());
        QCOMPARE(device.ErrorDescription(), QString());
        QVERIFY(device.NET().toSingle() > 7.9f);
    }

    // Modules of several firmware versions on one bus: each answers for itself, and refuses
    // what its firmware lacks.
    void modulesOnOneBusAnswerEachForItsOwnFirmware() {
        SimulatedLink line({ModuleAt(1, 1.05, 1), ModuleAt(2, 1.08, 2), ModuleAt(3, 2.5, 11),
                            ModuleAt(4, 3.0, 33), ModuleAt(9, 4.1, 22)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        line.takeFramesSeen();
        SerialClass& old = line.device(3);
        // Refused with a NAK, which a write hears at once (a read would wait out its timeout).
        old.PTARE(DeviceValue(1.5));
        QCOMPARE(line.takeFramesSeen(), QList<QByteArray>(3, writeFrame(3, N::PTARE, 1.5f)));
        QVERIFY(old.ErrorState());
        QCOMPARE(old.ErrorDescription(), QStringLiteral("No Response"));
        QVERIFY(!line.device(9).ErrorState());
        line.device(9).PTARE(DeviceValue(1.5));
        QCOMPARE(line.device(9).PTARE(), DeviceValue(1.5f));
        // System zero came with firmware 1.08.
        QCOMPARE(line.device(1).SYSZERO(), DeviceValue(QStringLiteral("Not supported!")));
        line.device(2).SYSZERO(DeviceValue(0.5));
        QCOMPARE(line.device(2).SYSZERO(), DeviceValue(0.5f));

        QCOMPARE(line.device(4).VERS(), DeviceValue(3.0f));
        QCOMPARE(line.device(9).VERS(), DeviceValue(4.1f));
        QCOMPARE(line.device(4).SERIALNUMBER(), DeviceValue(QStringLiteral("0000000033")));
        QCOMPARE(line.device(9).SERIALNUMBER(), DeviceValue(QStringLiteral("0000000022")));
        line.device(9).DP(DeviceValue(5));
        QCOMPARE(line.device(9).DP(), DeviceValue(5.0f));
        QCOMPARE(line.device(4).DP(), DeviceValue(3.0f));
    }

    void broadcastReachesEveryModuleAndIsNotAnswered() {
        SimulatedLink line({ModuleAt(1), ModuleAt(2, 4.1, 2)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        SerialClass& everyone = line.device(0);
        line.takeFramesSeen();
        everyone.DP(DeviceValue(2));
        everyone.DOKEYTAR();
        QCOMPARE(line.takeFramesSeen(),
                 (QList<QByteArray>{writeFrame(0, N::DP, 2.0f), commandFrame(0, N::DOKEYTAR)}));
        QCOMPARE(everyone.RetryCounter(), qint16(0));
        QVERIFY(!everyone.ErrorState());
        for (int station : {1, 2}) {
            QCOMPARE(line.device(station).DP(), DeviceValue(2.0f));
            QCOMPARE(line.device(station).NetMode(), DeviceValue(true));
        }
        // Nothing came back for the broadcasts: only the replies to the reads above.
        QCOMPARE(line.port().read(1, 50), QByteArray());
    }

    void moduleHearsOnlyItsOwnBaudRate() {
        SimulatedLink line({ModuleAt(1, 4.1, 1, 9600)}, false, 19200);
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        const QByteArray request = readFrame(1, N::VERS);
        QCOMPARE(Zarnbus2Module::Exchange(line.link(), request, 11, 150), QByteArray());
        QVERIFY(line.reopen(9600));
        QCOMPARE(Zarnbus2Module::Exchange(line.link(), request, 11, 1000),
                 Zarnbus2Module::BuildReadReply(1, 4.1f));
    }
};

QTEST_GUILESS_MAIN(TestLinkEndToEnd)
#include "tst_linkendtoend.moc"
