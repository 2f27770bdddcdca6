#include "serial/Zarnbus2Module.h"
#include "serial/ZarnbusNumbers.h"
#include "sim/SimulatedBus.h"
#include "support/SimulatedLink.h"
#include "util/MonotonicClock.h"

#include <QRandomGenerator>
#include <QTest>

namespace N = ZarnbusNumber;
using Zarnbus2Module::ReplyClass;

Q_DECLARE_METATYPE(ReplyClass)

namespace {

constexpr qint64 T0 = 5'000'000;

QByteArray readFrame(int station, int number) {
    return Zarnbus2Module::BuildRequest(quint8(station), true, quint8(number), false, 0.0f);
}

QByteArray writeFrame(int station, int number, float value) {
    return Zarnbus2Module::BuildRequest(quint8(station), false, quint8(number), false, value);
}

struct Bus {
    ManualClock clock;
    SimulatedBus bus{clock, 7};
    explicit Bus(const QList<ModuleConfig>& modules = {ModuleAt(1)}) {
        for (const ModuleConfig& config : modules) {
            bus.addModule(config);
        }
    }
    QList<ScheduledReply> send(const QByteArray& bytes, int baud = 19200, qint64 at = T0) {
        return bus.receive(bytes, at, baud);
    }
};

} // namespace

class TestSimulatedBus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replyIsDueAfterTheBytesAndTheTurnaround_data() {
        QTest::addColumn<int>("baud");
        QTest::addColumn<bool>("isRead");
        QTest::addColumn<qint64>("expectedUs");
        // 10 bits a byte: 1042 µs at 9600 baud, 521 µs at 19200.
        QTest::newRow("a read at 19200 baud: 5 + 11 bytes and 2 ms")
            << 19200 << true << qint64(16 * 521 + 2000);
        QTest::newRow("a write at 9600 baud: 13 + 2 bytes and 2 ms")
            << 9600 << false << qint64(15 * 1042 + 2000);
    }
    void replyIsDueAfterTheBytesAndTheTurnaround() {
        QFETCH(int, baud);
        QFETCH(bool, isRead);
        QFETCH(qint64, expectedUs);
        Bus line({ModuleAt(1, 4.1, 1, baud)});
        const QList<ScheduledReply> replies =
            line.send(isRead ? readFrame(1, N::VERS) : writeFrame(1, N::DP, 2), baud);
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies[0].dueUs - T0, expectedUs);

        line.bus.setTiming(false);
        QCOMPARE(line.send(readFrame(1, N::VERS), baud, T0 + 1'000'000)[0].dueUs, T0 + 1'000'000);
    }

    void backToBackRequestsQueueAndAPauseDropsAFrame() {
        Bus line;
        line.bus.setTurnaroundUs(0);
        const QList<ScheduledReply> replies =
            line.send(readFrame(1, N::VERS) + readFrame(1, N::DP));
        QCOMPARE(replies.size(), 2);
        QCOMPARE(replies[0].dueUs - T0, 16 * 521);
        // The second request finished 5 bytes later and waits for the first reply to end.
        QCOMPARE(replies[1].dueUs - T0, 16 * 521 + 11 * 521);

        // A frame interrupted by a pause is dropped.
        const QByteArray vers = readFrame(1, N::VERS);
        QVERIFY(line.send(vers.left(2)).isEmpty());
        QVERIFY(line.send(vers.mid(2), 19200, T0 + 200'000).isEmpty());
        QCOMPARE(line.send(vers, 19200, T0 + 400'000).size(), 1);
    }

    void receiverFindsFramesInAnyStream_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("replies");
        const QByteArray vers = readFrame(1, N::VERS);
        QTest::newRow("a frame alone") << vers << 1;
        QTest::newRow("noise before a frame") << QByteArray("\x13\x80\x01\xff", 4) + vers << 1;
        QTest::newRow("zero bytes between frames") << vers + QByteArray(5, '\0') + vers << 2;
        QTest::newRow("a truncated frame before a whole one") << vers.left(3) + vers << 1;
        QByteArray badChecksum = vers;
        badChecksum[4] = char(badChecksum[4] ^ 1);
        QTest::newRow("a bad checksum gets no reply") << badChecksum << 0;
        QTest::newRow("a bad checksum does not cost the next frame") << badChecksum + vers << 1;
        QByteArray noEndMarker = writeFrame(1, N::DP, 2);
        noEndMarker[10] = char(noEndMarker[10] & 0x7F);
        QTest::newRow("a write without its end marker gets no reply") << noEndMarker << 0;
        QTest::newRow("start bytes only") << QByteArray(40, char(0xFE)) << 0;
    }
    void receiverFindsFramesInAnyStream() {
        QFETCH(QByteArray, stream);
        QFETCH(int, replies);
        Bus line;
        QCOMPARE(line.send(stream).size(), replies);
        // Byte by byte it must come out the same.
        Bus slow;
        int count = 0;
        for (int i = 0; i < stream.size(); ++i) {
            count += int(slow.send(stream.mid(i, 1), 19200, T0 + i * 600).size());
        }
        QCOMPARE(count, replies);
    }

    void onlyModulesAtTheLineSpeedHear() {
        Bus line({ModuleAt(1, 4.1, 1, 9600), ModuleAt(2)});
        QVERIFY(line.send(readFrame(1, N::VERS), 19200).isEmpty());
        QCOMPARE(line.send(readFrame(2, N::VERS), 19200).size(), 1);
        QCOMPARE(line.send(readFrame(1, N::VERS), 9600, T0 + 100'000).size(), 1);
        QVERIFY(line.send(readFrame(2, N::VERS), 9600, T0 + 200'000).isEmpty());
    }

    void broadcastIsCarriedOutWithoutReply() {
        Bus line({ModuleAt(1), ModuleAt(2)});
        QVERIFY(line.send(writeFrame(0, N::DP, 5)).isEmpty());
        QVERIFY(line.send(readFrame(0, N::VERS), 19200, T0 + 100'000).isEmpty());
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(line.bus.module(i).read(N::DP).value, 5.0f);
        }
    }

    void tenZeroBytesWakeModulesAtTheirSpeed() {
        Bus line({ModuleAt(1), ModuleAt(2, 4.1, 1, 9600)});
        for (int i = 0; i < 2; ++i) {
            line.bus.module(i).switchOff();
        }
        QVERIFY(line.send(readFrame(1, N::VERS)).isEmpty());
        line.send(QByteArray(9, '\0') + QByteArray(1, '\x01') + QByteArray(9, '\0'));
        QVERIFY(!line.bus.module(0).isAwake());
        line.send(QByteArray(10, '\0'), 19200, T0 + 100'000);
        QVERIFY(line.bus.module(0).isAwake());
        QVERIFY(!line.bus.module(1).isAwake()); // the zeros came at 19200 baud
        QCOMPARE(line.send(readFrame(1, N::VERS), 19200, T0 + 200'000).size(), 1);
    }

    void faultsSpoilRepliesTheWayTheyShould_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("isRead");
        QTest::addColumn<ReplyClass>("seenAs");
        using K = FaultPlan::Kind;
        using R = ReplyClass;
        const auto row = [](const char* name, K kind, bool isRead, R seenAs) {
            QTest::newRow(name) << int(kind) << isRead << seenAs;
        };
        row("NAK to a read", K::Nak, true, R::Refused);
        row("NAK to a write", K::Nak, false, R::Refused);
        row("bad checksum on a read", K::BadChecksum, true, R::BadChecksum);
        row("bad checksum on an ACK", K::BadChecksum, false, R::InvalidResponse);
        row("wrong station on a read", K::WrongStation, true, R::InvalidStation);
        row("wrong station on an ACK", K::WrongStation, false, R::InvalidStation);
        row("garbage for a read", K::Garbage, true, R::InvalidStation);
        row("garbage for an ACK", K::Garbage, false, R::InvalidStation);
        row("short read reply", K::ShortReply, true, R::InvalidResponse);
        row("short ACK", K::ShortReply, false, R::WrongDataLength);
        row("long read reply", K::LongReply, true, R::WrongDataLength);
        row("long ACK", K::LongReply, false, R::WrongDataLength);
        row("late read reply", K::Delay, true, R::Value);
    }
    void faultsSpoilRepliesTheWayTheyShould() {
        QFETCH(int, kind);
        QFETCH(bool, isRead);
        QFETCH(ReplyClass, seenAs);
        Bus line;
        line.bus.setTiming(false);
        line.bus.moduleFaults(0).add({FaultPlan::Kind(kind), FaultPlan::Mode::Always, 1, 0});
        const QList<ScheduledReply> replies =
            line.send(isRead ? readFrame(1, N::DP) : writeFrame(1, N::DP, 5));
        QCOMPARE(replies.size(), 1);
        const int expectedLength = isRead ? 11 : 2;
        QCOMPARE(
            Zarnbus2Module::ClassifyReply(replies[0].bytes, 1, isRead, expectedLength).replyClass,
            seenAs);
        const bool refused = FaultPlan::Kind(kind) == FaultPlan::Kind::Nak;
        QCOMPARE(line.bus.module(0).read(N::DP).value, !isRead && !refused ? 5.0f : 3.0f);
        const qint64 delay = FaultPlan::Kind(kind) == FaultPlan::Kind::Delay ? 1'500'000 : 0;
        QCOMPARE(replies[0].dueUs, T0 + delay);
    }

    void faultModesCountAndDraw() {
        Bus line({ModuleAt(1), ModuleAt(2)});
        line.bus.setTiming(false);
        line.bus.moduleFaults(0).add({FaultPlan::Kind::Silence, FaultPlan::Mode::NextFrames, 1, 3});
        int answered = 0;
        for (int i = 0; i < 5; ++i) {
            answered += int(line.send(readFrame(1, N::VERS)).size());
            // The other module is not affected.
            QCOMPARE(line.send(readFrame(2, N::VERS)).size(), 1);
        }
        QCOMPARE(answered, 2);
        QVERIFY(line.bus.moduleFaults(0).isEmpty());

        line.bus.busFaults().add({FaultPlan::Kind::Silence, FaultPlan::Mode::Probability, 0.25, 0});
        answered = 0;
        for (int i = 0; i < 1000; ++i) {
            answered += int(line.send(readFrame(2, N::VERS)).size());
        }
        QVERIFY2(answered > 700 && answered < 800, qPrintable(QString::number(answered)));

        // Silence means the frame was not heard: a write is not carried out.
        line.bus.busFaults().add({FaultPlan::Kind::Silence, FaultPlan::Mode::Always, 1, 0});
        QVERIFY(line.send(writeFrame(1, N::DP, 5)).isEmpty());
        QCOMPARE(line.bus.module(0).read(N::DP).value, 3.0f);
    }

    void noiseNeverStopsTheReceiver() {
        Bus line;
        line.bus.setTiming(false);
        QRandomGenerator random(99);
        QByteArray noise(20000, '\0');
        for (char& byte : noise) {
            // Start bytes and nibbles often, so many false frames begin.
            const quint32 pick = random.bounded(4);
            byte = char(pick == 0 ? 0xFE : pick == 1 ? random.bounded(16) : random.bounded(256));
        }
        line.send(noise);
        // Whatever the noise left half-read, a pause ends it and the next frame is answered.
        const QList<ScheduledReply> replies =
            line.send(readFrame(1, N::VERS), 19200, T0 + 1'000'000);
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies[0].bytes, Zarnbus2Module::BuildReadReply(1, 4.1f));
    }

    void twoModulesOnOneStationCollide() {
        Bus line({ModuleAt(4), ModuleAt(4)});
        line.bus.module(1).setAppliedLoad(11.0);
        const QList<ScheduledReply> replies = line.send(readFrame(4, N::GROSS));
        QCOMPARE(replies.size(), 1);
        QVERIFY(!Zarnbus2Module::ClassifyReply(replies[0].bytes, 4, true, 11).succeeded());
    }
};

QTEST_GUILESS_MAIN(TestSimulatedBus)
#include "tst_simulatedbus.moc"
