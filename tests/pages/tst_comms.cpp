// The two Communications pages against the simulator: the station and channel lists, the baud
// rate, a channel kept by SAVE, and the paired module's ID and data tag as hexadecimal.
#include "controls/QKBtn.h"
#include "pages/CHILD_GEN_COMMS.h"
#include "pages/CHILD_GEN_R58COMMS.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"
#include "sim/RadioReachableModule.h"
#include "sim/RadioSimulation.h"
#include "sim/SimBaseStation.h"
#include "support/ProgramFixture.h"

#include <QTest>

namespace {

constexpr int CommsButton = 5;
constexpr quint32 RadioId = 0x1A2B;

// What the paired module holds (-1: no such parameter).
double written(ProgramFixture& program, const char* name) {
    std::optional<double> value;
    program.radio()->station().withModule(RadioId, [&](RadioReachableModule& module) {
        value = module.parameter(QLatin1String(name));
    });
    return value.value_or(-1);
}

} // namespace

class TestComms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stationAndBaudAreWrittenAtOnce() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.connectSerial());
        auto* page = program.openPage<CHILD_GEN_COMMS>(CommsButton);
        QVERIFY(page);
        QVERIFY(program.waitForRefresh());
        QCOMPARE(page->STATION->ListIndex(), qint16(1));
        QCOMPARE(page->BAUD->Caption(), QStringLiteral("19200"));

        page->STATION->ListPicked(252); // the last entry: the list has none for station 0
        QTRY_COMPARE_WITH_TIMEOUT(program.stored("STAT"), 253.0f, 5000);
        page->BAUD->ListPicked(0);
        QTRY_COMPARE_WITH_TIMEOUT(program.stored("BAUD"), 0.0f, 5000);
        QVERIFY(program.waitForRefresh());
        QCOMPARE(page->STATION->Caption(), QStringLiteral("253"));
        QCOMPARE(page->BAUD->Caption(), QStringLiteral("9600"));
        // The connection of this run goes on at station 1 and 19200 baud.
        QVERIFY(program.waitForRefresh());
        QVERIFY(!program.window().btnErrorReset->Enabled());
    }

    void radioSettingsAndHexadecimalValues() {
        ProgramFixture program(ProgramFixture::WithRadio(
            {QStringLiteral("--radio-module"), QStringLiteral("id=1A2B")}));
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(!program.radio()->execute(QStringLiteral("radio power-up 1A2B"))->failed);
        QVERIFY(program.connectRadio(QStringLiteral("1A2B")));
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_INFO")));
        auto* page = program.openPage<CHILD_GEN_R58COMMS>(CommsButton);
        QVERIFY(page);
        QVERIFY(program.waitForRefresh());
        QCOMPARE(page->pbBoundID->Caption(), QStringLiteral("000000"));
        QCOMPARE(page->pbDataTag->Caption(), QStringLiteral("0000"));

        // Typed as hexadecimal, never read as the decimal number its digits start with.
        ProgramFixture::TypeInto(page->pbBoundID, QStringLiteral("ffff"));
        ProgramFixture::TypeInto(page->pbDataTag, QStringLiteral("1A2B"));
        page->pbDoWake->ListPicked(1);
        QTRY_COMPARE_WITH_TIMEOUT(written(program, "BOUNDID"), 65535.0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(written(program, "BOUNDTAG"), double(0x1A2B), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(written(program, "DOWAKE"), 1.0, 5000);
        QVERIFY(program.waitForRefresh());
        QVERIFY(program.waitForRefresh());
        QCOMPARE(page->pbBoundID->Caption(), QStringLiteral("00FFFF"));
        QCOMPARE(page->pbDataTag->Caption(), QStringLiteral("1A2B"));
        ProgramFixture::TypeInto(page->pbDataTag, QStringLiteral("FFFF"));
        QTRY_COMPARE_WITH_TIMEOUT(written(program, "BOUNDTAG"), 65535.0, 5000);

        // A new channel is written and saved: it is the module's channel once it restarts.
        page->pbRadioChannel->ListPicked(4); // the fifth entry: channels count from 1
        QTRY_COMPARE_WITH_TIMEOUT(written(program, "CHANNEL"), 5.0, 5000);
        QVERIFY(program.waitForRefresh());
        quint8 channel = 0;
        program.radio()->station().withModule(RadioId, [&](RadioReachableModule& module) {
            module.reset();
            channel = module.channel();
        });
        QCOMPARE(channel, quint8(5));
    }
};

QTEST_MAIN(TestComms)
#include "tst_comms.moc"
