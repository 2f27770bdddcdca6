#include "serial/Zarnbus2Module.h"
#include "support/ScriptedSerialPort.h"
#include "util/MonotonicClock.h"

#include <QTest>

using namespace Zarnbus2Module;

namespace {

// A link on a scripted port, on a manual clock.
struct Scripted {
    ManualClock clock;
    ScriptedSerialPort port{&clock};
    Zarnbus2Link link{port, clock};
};

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace

class TestZarnbus2Module : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void framesMatchTheWorkedExamples_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("read of parameter 10 from station 1")
            << BuildRequest(1, true, 10, false, 0.0f) << hex("FE 01 8A 08 0B");
        QTest::newRow("write of 3.0 to parameter 24 of station 5")
            << BuildRequest(5, false, 24, false, 3.0f)
            << hex("FE 05 18 04 00 04 00 00 00 00 80 09 0D");
        QTest::newRow("tare key command to station 5")
            << BuildRequest(5, false, 104, true, 0.0f) << hex("FE 05 E8 0E 0D");
        QTest::newRow("read reply carrying 1.08 from station 1")
            << BuildReadReply(1, 1.08f) << hex("01 03 0F 08 0A 03 0D 07 81 08 07");
        QTest::newRow("minus one encodes with the end marker on the last nibble")
            << EncodeValue(-1.0f) << hex("0B 0F 08 00 00 00 00 80");
        QTest::newRow("acknowledge") << BuildAck(5) << hex("05 06");
        QTest::newRow("refusal") << BuildNak(5) << hex("05 15");
    }
    void framesMatchTheWorkedExamples() {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, expected);
        QCOMPARE(frame.toHex(' '), expected.toHex(' '));
    }

    void decodingIgnoresTheEndMarker() {
        QCOMPARE(DecodeValue(hex("03 0F 08 0A 03 0D 07 81")), 1.08f);
        QCOMPARE(DecodeValue(EncodeValue(-12345.678f)), -12345.678f);
        QCOMPARE(DecodeValue(EncodeValue(0.0f)), 0.0f);
    }

    void repliesAreClassifiedInOrder_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("isRead");
        QTest::addColumn<int>("replyClass");
        const QByteArray good = BuildReadReply(1, 2.5f);
        QByteArray badChecksum = good;
        badChecksum[10] = char(badChecksum[10] ^ 0x01);
        using R = ReplyClass;
        const auto read = [](const char* name, const QByteArray& reply, R replyClass) {
            QTest::newRow(name) << reply << true << int(replyClass);
        };
        const auto write = [](const char* name, const QByteArray& reply, R replyClass) {
            QTest::newRow(name) << reply << false << int(replyClass);
        };
        read("nothing is no response", QByteArray(), R::NoResponse);
        read("a good read reply is a value", good, R::Value);
        read("another station is refused even with a right checksum", BuildReadReply(2, 2.5f),
             R::InvalidStation);
        read("a flipped checksum bit", badChecksum, R::BadChecksum);
        read("an acknowledged read", hex("01 06"), R::Acknowledged);
        read("a refused read", hex("01 15"), R::Refused);
        read("a 12-byte reply to a read is a wrong data length", good + QByteArray(1, '\x00'),
             R::WrongDataLength);
        read("a 5-byte reply to a read is an invalid response", good.left(5), R::InvalidResponse);
        read("a single byte is a wrong data length", hex("01"), R::WrongDataLength);
        write("two bytes of no known shape", hex("01 07"), R::InvalidResponse);
        write("a read reply to a write is a wrong data length", good, R::WrongDataLength);
        write("an acknowledged write", hex("01 06"), R::Acknowledged);
    }
    void repliesAreClassifiedInOrder() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, isRead);
        QFETCH(int, replyClass);
        const ClassifiedReply result =
            ClassifyReply(reply, 1, isRead, isRead ? ReadReplyLength : AckReplyLength);
        QCOMPARE(int(result.replyClass), replyClass);
    }

    void garbageOfAnyLengthIsClassifiedSafely() {
        // Station bytes only: the right station, but never a frame of any kind.
        for (int length = 0; length < 40; ++length) {
            const QByteArray reply(length, char(0x01));
            QVERIFY(!ClassifyReply(reply, 1, true, ReadReplyLength).succeeded());
            QVERIFY(!ClassifyReply(reply, 1, false, AckReplyLength).succeeded());
        }
    }

    void aGoodReadResetsTheCounterAndTheErrorText() {
        Scripted s;
        s.link.PendingErrorText = QStringLiteral("stale");
        s.port.queueReply(BuildReadReply(1, 1.08f));
        qint16 retries = 1;
        const DeviceValue value =
            ZarnbusTransaction(s.link, 1, true, 10, false, 0, 1.0f, retries, 2, 7.0f);
        QCOMPARE(value, DeviceValue(1.08f));
        QCOMPARE(retries, qint16(0));
        QCOMPARE(s.link.PendingErrorText, QString());
        QCOMPARE(s.port.writes, QList<QByteArray>{hex("FE 01 8A 08 0B")});
        QCOMPARE(s.port.readLengths, QList<int>{11});
        QCOMPARE(s.port.readTimeouts, QList<int>{1000});
        QCOMPARE(s.port.resetInputCount, 1);
    }

    void aSilentModuleCostsThreeAttemptsThenNoResponse() {
        Scripted s;
        qint16 retries = 0;
        const DeviceValue value =
            ZarnbusTransaction(s.link, 1, true, 14, false, 0, 1.0f, retries, 2, 7.5f);
        QCOMPARE(value, DeviceValue(7.5f));
        QCOMPARE(retries, qint16(2));
        QCOMPARE(s.link.PendingErrorText, QStringLiteral("No Response"));
        QCOMPARE(s.port.writes.size(), 3);
        QCOMPARE(s.port.writes.at(0), s.port.writes.at(2)); // retries resend the same bytes
        QCOMPARE(s.port.resetInputCount, 3);
        QCOMPARE(s.clock.nowMs(), qint64(3000));

        // Given up: the next transaction returns its last value without touching the port.
        const DeviceValue cached =
            ZarnbusTransaction(s.link, 1, true, 15, false, 0, 1.0f, retries, 2, 12.5f);
        QCOMPARE(cached, DeviceValue(12.5f));
        QCOMPARE(s.port.writes.size(), 3);
        QCOMPARE(s.link.PendingErrorText, QStringLiteral("No Response"));
        // An empty error text stays empty through a given-up transaction.
        s.link.PendingErrorText.clear();
        ZarnbusTransaction(s.link, 1, true, 14, false, 0, 1.0f, retries, 2, 0);
        QCOMPARE(s.link.PendingErrorText, QString());
        QCOMPARE(s.port.writes.size(), 3);
    }

    void failuresOfEveryKindAreRetriedUntilOneSucceeds() {
        Scripted s;
        s.port.queueReply(hex("01 15"));
        s.port.queuePortFailure(QStringLiteral("COM3 (/dev/ttyUSB0) vanished"));
        s.port.queueReply(hex("01 06"));
        qint16 retries = 0;
        const DeviceValue value =
            ZarnbusTransaction(s.link, 1, false, 24, false, 3.0f, 1.0f, retries, 2, 0);
        QVERIFY(value.isEmpty());
        QCOMPARE(retries, qint16(0));
        QCOMPARE(s.link.PendingErrorText, QString());
        QCOMPARE(s.port.writes.size(), 3);
    }

    void aBroadcastAndAWakeUpAreSentWithoutReading() {
        Scripted s;
        s.link.PendingErrorText = QStringLiteral("No Response");
        qint16 retries = 1;
        const DeviceValue value =
            ZarnbusTransaction(s.link, 0, false, 24, false, 2.0f, 1.0f, retries, 2, 0);
        QCOMPARE(value, DeviceValue(QString()));
        QCOMPARE(retries, qint16(0));
        QVERIFY(s.port.readLengths.isEmpty());
        QCOMPARE(s.clock.totalWaitedMs(), qint64(BroadcastWaitMs));
        QCOMPARE(s.link.PendingErrorText, QStringLiteral("No Response"));
        QCOMPARE(s.port.writes.constFirst().at(1), char(0));

        // Waking sends ten zero bytes and reads nothing either.
        s.port.writes.clear();
        const int resets = s.port.resetInputCount;
        WakeBus(s.link);
        QCOMPARE(s.port.writes, QList<QByteArray>{QByteArray(10, '\0')});
        QCOMPARE(s.port.resetInputCount, resets);
        QVERIFY(s.port.readLengths.isEmpty());
    }

    void openingAgainClosesThePortFirstAndClosingWaitsASecond() {
        Scripted s;
        QVERIFY(OpenPort(s.link, 3, 9600));
        QVERIFY(OpenPort(s.link, 4, 19200));
        QCOMPARE(s.port.closeCount, 1);
        QCOMPARE(s.port.portNumber, 4);
        QCOMPARE(s.port.baudRate, 19200);
        QCOMPARE(s.link.portOpenResult, 1);
        ClosePort(s.link);
        QCOMPARE(s.clock.totalWaitedMs(), qint64(1000));
        QCOMPARE(s.port.closeCount, 2);
        QCOMPARE(s.link.portOpenResult, 0);
        // A port that is closed already costs shutdown no second.
        ClosePort(s.link);
        QCOMPARE(s.clock.totalWaitedMs(), qint64(1000));
        QCOMPARE(s.port.closeCount, 2);

        QVERIFY(OpenPort(s.link, 4, 19200));
        s.port.failOpen(QStringLiteral("COM5 (/dev/ttyUSB1) is busy"));
        QVERIFY(!OpenPort(s.link, 5, 9600));
        QCOMPARE(s.link.openFailureText, QStringLiteral("COM5 (/dev/ttyUSB1) is busy"));
        QCOMPARE(s.link.portOpenResult, 0);
    }
};

QTEST_GUILESS_MAIN(TestZarnbus2Module)
#include "tst_zarnbus2module.moc"
