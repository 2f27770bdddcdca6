// The Information page against the simulator: which fields a firmware and link show, the live
// display imitation, and edits reaching the module.
#include "controls/QKBtn.h"
#include "controls/TextFrame.h"
#include "pages/CHILD_GEN_INFO.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"
#include "sim/RadioSimulation.h"
#include "support/ProgramFixture.h"
#include "support/SimulatedLink.h"

#include <QTest>

namespace {

CHILD_GEN_INFO* infoPage(ProgramFixture& program) {
    if (!program.waitForPage(QStringLiteral("CHILD_GEN_INFO"))) {
        return nullptr;
    }
    return qobject_cast<CHILD_GEN_INFO*>(program.window().Registry().CurrentPage());
}

} // namespace

class TestInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFieldsFollowTheFirmwareAndLink_data() {
        QTest::addColumn<double>("firmware");
        QTest::addColumn<bool>("radio");
        QTest::addColumn<bool>("serialShown");
        QTest::addColumn<bool>("peakEnabled");
        QTest::addColumn<QString>("firmwareText");
        QTest::newRow("2.5 has no serial number and no peak mode")
            << 2.5 << false << false << false << "02.50";
        QTest::newRow("4.0 shows the serial number, peak mode stays off")
            << 4.0 << false << true << false << "04.00";
        QTest::newRow("4.1 enables peak mode once refreshed")
            << 4.1 << false << true << true << "04.10";
        QTest::newRow("4.1 by radio has no slave field") << 4.1 << true << true << true << "04.10";
    }
    void theFieldsFollowTheFirmwareAndLink() {
        QFETCH(double, firmware);
        QFETCH(bool, radio);
        QFETCH(bool, serialShown);
        QFETCH(bool, peakEnabled);
        QFETCH(QString, firmwareText);
        ProgramFixture program(
            radio ? ProgramFixture::WithRadio({QStringLiteral("--radio-module"),
                                               QStringLiteral("id=1A2B,firmware=%1").arg(firmware)})
                  : ProgramFixture::WithModule(ModuleAt(1, firmware, 65538)));
        QVERIFY2(program.start(), qPrintable(program.failure()));
        if (radio) {
            QVERIFY(!program.radio()->execute(QStringLiteral("radio power-up 1A2B"))->failed);
        }
        QVERIFY(radio ? program.connectRadio(QStringLiteral("1A2B")) : program.connectSerial());
        CHILD_GEN_INFO* page = infoPage(program);
        QVERIFY(page);
        QVERIFY(program.waitForRefresh());
        QVERIFY(program.waitForRefresh());
        QCOMPARE(page->pbFirmware->ShownText(), firmwareText);
        QCOMPARE(page->pbSerialNumber->isVisible(), serialShown);
        QCOMPARE(page->lbSerialNumber->isVisible(), serialShown);
        if (serialShown && !radio) {
            QCOMPARE(page->pbSerialNumber->ShownText(), QStringLiteral("0000065538"));
        }
        QTRY_COMPARE(page->pbPeakMode->Enabled(), peakEnabled);
        QCOMPARE(page->pbSlave->isVisible(), !radio);
        QCOMPARE(page->lbSlave->isVisible(), !radio);
        QCOMPARE(page->LCDUnits->Caption(), QStringLiteral("T"));
    }

    // A decimal point choice reaches the module; the display imitation follows the module.
    void aDecimalPointChoiceAndTheDisplayImitation() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.connectSerial());
        CHILD_GEN_INFO* page = infoPage(program);
        QVERIFY(page);
        QVERIFY(program.waitForRefresh());
        // The second entry looks like the first but writes 1.
        const auto storedDp = [&program] {
            return program.onModule([](SimulatedModule& module) {
                return module.readByName(QStringLiteral("DP")).value;
            });
        };
        page->pbDP->ListPicked(1);
        QTRY_COMPARE_WITH_TIMEOUT(storedDp(), 1.0f, 5000);
        page->pbDP->ListPicked(3);
        QTRY_COMPARE_WITH_TIMEOUT(storedDp(), 3.0f, 5000);
        QVERIFY(program.waitForRefresh());
        QVERIFY(program.waitForRefresh());
        QCOMPARE(page->pbDP->ListIndex(), qint16(3));
        QCOMPARE(page->LCD1->Caption().count(QLatin1Char('.')), 1);
        program.onModule([](SimulatedModule& module) {
            module.setAppliedLoad(12.5);
            module.pressKey(SimulatedModule::Key::Tare); // net display on
        });
        QTRY_COMPARE_WITH_TIMEOUT(page->LCD1->Caption(), QStringLiteral("0.000"), 5000);
        QTRY_VERIFY(page->LCDNet->isVisible());
        QVERIFY(!page->LCDBatt->isVisible());
        QVERIFY(!page->ErrorMessage->isVisible());
        // An overload shows its warning, without the line breaks that follow it.
        program.onModule([](SimulatedModule& module) { module.setAppliedLoad(1000.0); });
        QTRY_VERIFY_WITH_TIMEOUT(page->ErrorMessage->isVisible(), 5000);
        QCOMPARE(page->ErrorMessage->Caption(),
                 QStringLiteral("Overload - The input has exceeded the upper calibrated level."));
    }
};

QTEST_MAIN(TestInfo)
#include "tst_info.moc"
