#include "radio/RadioWireModule.h"
#include "sim/BaseStationProtocol.h"
#include "sim/SimBaseStation.h"
#include "support/InMemoryRadioModule.h"
#include "util/MonotonicClock.h"

#include <QTest>

namespace {

struct Station {
    ManualClock clock;
    SimBaseStation station{BaseStationConfig{true, 0x12AB, 3}, clock};
    InMemoryRadioModule* module = nullptr;

    Station() {
        auto owned = std::make_unique<InMemoryRadioModule>(0x1A2B, 3);
        module = owned.get();
        module->values = {{"GROSS", 12.5}, {"RESOL", 1}, {"Status", 64}};
        station.addModule(std::move(owned));
    }

    // Runs lines through the protocol on one connection; returns the replies without "\n".
    QStringList talk(const QStringList& lines, bool* closed = nullptr) {
        QStringList replies;
        bool greeted = false;
        for (const QString& line : lines) {
            const auto response = BaseStationProtocol::Answer(station, 1, greeted, line.toUtf8());
            replies << QString::fromUtf8(response.bytes).chopped(1);
            if (response.closeAfter) {
                if (closed) {
                    *closed = true;
                }
                break;
            }
        }
        return replies;
    }
};

const QString Hello = QStringLiteral("0 HELLO ZEXR58 1");

} // namespace

class TestSimBaseStation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void requestsAndTheirReplies_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("reply");
        const auto row = [](const char* name, const char* request, const char* reply) {
            QTest::newRow(name) << QString(request) << QString(reply);
        };
        row("a read of a single", "4 LINK.GET 6699 GROSS", "4 OK 12.5");
        row("a byte is a whole number", "4 LINK.GET 6699 RESOL", "4 OK 1");
        row("the channel the module works on", "4 LINK.GET 6699 CHANNEL", "4 OK 3");
        row("a write", "4 LINK.SET 6699 RESOL 2", "4 OK");
        row("a parameter the module lacks is a NAK", "4 LINK.GET 6699 PeakMode", "4 ERR 3");
        row("an unknown module does not answer", "4 LINK.GET 1 GROSS", "4 ERR 2");
        row("the model name", "4 LINK.MODEL 6699", "4 OK ZEX");
        row("a name that is no radio parameter is refused", "4 LINK.GET 6699 LINX1",
            "4 REFUSED no radio parameter is called LINX1");
        row("a read-only parameter cannot be written", "4 LINK.SET 6699 Status 3",
            "4 REFUSED Status can only be read");
        row("a byte out of range is refused", "4 LINK.SET 6699 RESOL 300",
            "4 REFUSED \"300\" is not a value for RESOL");
        row("a module ID that is no number is refused", "4 LINK.GET 0x1A2B GROSS",
            "4 REFUSED a module ID must be a whole number");
        row("a verb with the wrong arguments is refused", "4 BS.ID 3",
            "4 REFUSED unknown request or wrong number of arguments");
        row("an unknown verb is refused", "4 FLASH.ERASE", "4 REFUSED unknown request FLASH.ERASE");
        row("the base station is there", "4 BS.OPEN", "4 OK 1");
        row("its ID is decimal on the wire", "4 BS.ID", "4 OK 4779");
        row("a channel above 16 is a NAK", "4 BS.SETCHANNEL 17", "4 ERR 3");
        row("committing with nothing staged is a NAK", "4 BS.COMMIT", "4 ERR 3");
        row("without pairing the status says so", "4 PAIR.STATUS", "4 OK 3");
    }
    void requestsAndTheirReplies() {
        QFETCH(QString, request);
        QFETCH(QString, reply);
        Station s;
        QCOMPARE(s.talk({Hello, request}).constLast(), reply);
    }

    void brokenConversationsEndTheConnection_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("reply");
        const auto row = [](const char* name, const QStringList& lines, const char* reply) {
            QTest::newRow(name) << lines << QString(reply);
        };
        const char* const malformed = "0 REFUSED malformed request";
        row("a request before the greeting", {"1 BS.OPEN"}, "1 REFUSED greet with HELLO first");
        row("another protocol version", {"0 HELLO ZEXR58 2"},
            "0 REFUSED this base station speaks ZEXR58 1 only");
        row("an empty line", {Hello, ""}, malformed);
        row("no sequence number", {Hello, "BS.OPEN"}, malformed);
        row("doubled spaces", {Hello, "1  BS.OPEN"}, malformed);
        row("a negative sequence number", {Hello, "-1 BS.OPEN"}, malformed);
        row("a verb in lower case", {Hello, "1 bs.open"}, malformed);
        row("too many fields", {Hello, "1 A 1 2 3 4 5 6 7"}, malformed);
        row("an overlong line", {Hello, "1 LINK.GET " + QString(600, u'9') + " GROSS"}, malformed);
    }
    void brokenConversationsEndTheConnection() {
        QFETCH(QStringList, lines);
        QFETCH(QString, reply);
        Station s;
        bool closed = false;
        QCOMPARE(s.talk(lines, &closed).constLast(), reply);
        QVERIFY(closed);
    }

    void refusalsThatEchoTheRequestStayWithinTheLineLimit_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("reason");     // the whole reason, before any cut
        const QString euros(160, QChar(0x20AC)); // three bytes each in UTF-8
        QString faces;
        for (int i = 0; i < 124; ++i) {
            faces += QString::fromUcs4(U"\U0001F600"); // four bytes, two UTF-16 units
        }
        QTest::newRow("a parameter name of three-byte characters")
            << "4 LINK.GET 6699 " + euros << "no radio parameter is called " + euros;
        QTest::newRow("a value of three-byte characters")
            << "4 LINK.SET 6699 RESOL " + euros << "\"" + euros + "\" is not a value for RESOL";
        QTest::newRow("a parameter name of four-byte characters, cut between two")
            << "4 LINK.GET 6699 " + faces << "no radio parameter is called " + faces;
    }
    void refusalsThatEchoTheRequestStayWithinTheLineLimit() {
        QFETCH(QString, request);
        QFETCH(QString, reason);
        QVERIFY(request.toUtf8().size() <= RadioWireModule::MaxLineBytes);
        Station s;
        bool greeted = false;
        BaseStationProtocol::Answer(s.station, 1, greeted, Hello.toUtf8());
        const QByteArray line =
            BaseStationProtocol::Answer(s.station, 1, greeted, request.toUtf8()).bytes;
        QVERIFY2(line.size() <= RadioWireModule::MaxLineBytes,
                 qPrintable(QString::number(line.size())));
        QVERIFY(line.endsWith('\n'));
        // The tool reads it as a refusal, cut between whole characters.
        const auto reply = RadioWireModule::DecodeReply(line.chopped(1));
        QVERIFY(reply && reply->kind == RadioWireModule::ReplyKind::Refused);
        QVERIFY(reply->payload.size() > 100);
        QVERIFY(reason.startsWith(reply->payload));
        QVERIFY(QString::fromUtf8(line).toUtf8() == line);
    }

    void aModulesFaultsSpoilItsExchanges_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("writeReply");
        QTest::addColumn<double>("resolAfterWrite");
        QTest::addColumn<QString>("modelReply"); // pairing's question for the model name
        QTest::addColumn<int>("delayMs");
        QTest::newRow("silence: not heard")
            << QString("silence") << "4 ERR 2" << 1.0 << "5 OK" << 0;
        QTest::newRow("nak: refused") << QString("nak") << "4 ERR 3" << 1.0 << "5 OK" << 0;
        QTest::newRow("delay: carried out, answered late")
            << QString("delay") << "4 OK" << 2.0 << "5 OK ZEX" << 1500;
    }
    void aModulesFaultsSpoilItsExchanges() {
        QFETCH(QString, fault);
        QFETCH(QString, writeReply);
        QFETCH(double, resolAfterWrite);
        QFETCH(QString, modelReply);
        QFETCH(int, delayMs);
        Station s;
        QVERIFY(s.station.addFault(
            0x1A2B, {*FaultPlan::KindFromName(fault), FaultPlan::Mode::NextFrames, 1.0, 2}));
        bool greeted = false;
        const auto ask = [&](const char* line) {
            return BaseStationProtocol::Answer(s.station, 1, greeted, line);
        };
        ask("0 HELLO ZEXR58 1");
        const auto write = ask("4 LINK.SET 6699 RESOL 2");
        QCOMPARE(write.bytes, writeReply.toUtf8() + '\n');
        QCOMPARE(write.delayMs, delayMs);
        QCOMPARE(s.module->values.value("RESOL"), resolAfterWrite);
        const auto model = ask("5 PAIR.MODEL 1 6699");
        QCOMPARE(model.bytes, modelReply.toUtf8() + '\n');
        QCOMPARE(model.delayMs, delayMs);
        // Two exchanges used the fault up.
        const auto read = ask("6 LINK.GET 6699 GROSS");
        QCOMPARE(read.bytes, QByteArray("6 OK 12.5\n"));
        QCOMPARE(read.delayMs, 0);
    }

    void aModulePoweredUpWhilePairingListensIsPairedOnTheBaseStationsChannel() {
        Station s;
        s.module->joinChannel(9);
        s.module->powerDown();
        s.station.powerUp(0x1A2B); // before listening: not paired
        QCOMPARE(s.station.startPairing(7, 10), SimBaseStation::PairingListening);
        s.clock.advance(9000);
        QCOMPARE(s.station.pairingStatus(7), SimBaseStation::PairingListening);
        QCOMPARE(s.station.modelNameOf(0x1A2B).text, QString()); // still on channel 9
        s.station.powerUp(0x1A2B);
        QCOMPARE(s.station.pairingStatus(7), SimBaseStation::PairingSucceeded);
        QCOMPARE(s.station.pairedId(7), 0x1A2Bu);
        QCOMPARE(s.module->channel(), quint8(3));
        QCOMPARE(s.station.modelNameOf(0x1A2B).text, QStringLiteral("ZEX"));
        s.station.finishPairing(7);
        QCOMPARE(s.station.pairingStatus(7), SimBaseStation::PairingNotStarted);

        // A window that passes without a module times out.
        s.module->powerDown();
        s.station.startPairing(8, 10);
        s.clock.advance(10000);
        s.station.powerUp(0x1A2B); // too late
        QCOMPARE(s.station.pairingStatus(8), SimBaseStation::PairingTimedOut);
        QCOMPARE(s.station.pairedId(8), 0u);
    }

    void aNewChannelTakesEffectWhenCommittedAndNothingAnswersWithoutAStation() {
        Station s;
        QVERIFY(s.station.stageChannel(16));
        QCOMPARE(s.station.channel(), quint8(3));
        QVERIFY(s.station.commitChannel());
        QCOMPARE(s.station.channel(), quint8(16));
        QCOMPARE(s.station.read(0x1A2B, "GROSS").code, SimBaseStation::NoResponse);
        QVERIFY(!s.station.stageChannel(0));
        QVERIFY(!s.station.commitChannel());

        // Without a base station nothing answers.
        ManualClock clock;
        SimBaseStation station(BaseStationConfig{false, 1, 1}, clock);
        QCOMPARE(station.startPairing(1, 10), SimBaseStation::PairingNoBaseStation);
        QCOMPARE(station.read(1, "GROSS").code, SimBaseStation::NoBaseStation);
        QVERIFY(!station.stageChannel(5));
    }
};

QTEST_GUILESS_MAIN(TestSimBaseStation)
#include "tst_simbasestation.moc"
