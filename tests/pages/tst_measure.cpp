// The Measurement page against the simulator: the field set a firmware and link give, the
// refresh's reads in their order, typed values the fields take or refuse, an edit reaching the
// module, and the trend drawing what the refresh read.
#include "controls/QKBtn.h"
#include "pages/CHILD_GEN_MEASURE.h"
#include "pages/TrendPlot.h"
#include "serial/ZarnbusNames.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"
#include "sim/RadioSimulation.h"
#include "support/ProgramFixture.h"
#include "support/SimulatedLink.h"

#include <QFrame>
#include <QImage>
#include <QTest>
#include <cmath>

namespace {

constexpr int MeasureButton = 4;

// Starts the program, connects to the module at station 1 and opens the page.
CHILD_GEN_MEASURE* connectedMeasurePage(ProgramFixture& program) {
    return program.start() && program.connectSerial()
               ? program.openPage<CHILD_GEN_MEASURE>(MeasureButton)
               : nullptr;
}

bool connectRadio(ProgramFixture& program) {
    return !program.radio()->execute(QStringLiteral("radio power-up 1A2B"))->failed &&
           program.connectRadio(QStringLiteral("1A2B")) &&
           program.waitForPage(QStringLiteral("CHILD_GEN_INFO"));
}

bool near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           60;
}

// Whether a pixel of the colour lies within two pixels of the point.
bool drawnAt(const QImage& image, const QPointF& point, const QColor& colour) {
    for (int dx = -2; dx <= 2; ++dx) {
        for (int dy = -2; dy <= 2; ++dy) {
            const QPoint p(int(std::lround(point.x())) + dx, int(std::lround(point.y())) + dy);
            if (image.rect().contains(p) && near(image.pixelColor(p), colour)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class TestMeasure : public QObject {
    Q_OBJECT

    // One program for the typed values' rows (each sets the value it starts from).
    std::unique_ptr<ProgramFixture> m_program;

private Q_SLOTS:
    // Only one program may run at a time: the shared one goes before any other test starts.
    void init() {
        if (qstrcmp(QTest::currentTestFunction(), "typedValuesAreTakenOrRefused") != 0) {
            m_program.reset();
        }
    }
    void cleanupTestCase() { m_program.reset(); }

    void theFieldSetFollowsFirmwareAndLink_data() {
        QTest::addColumn<double>("firmware");
        QTest::addColumn<bool>("radio");
        QTest::addColumn<bool>("preTare");
        QTest::addColumn<bool>("overloadLevel");
        QTest::addColumn<QString>("sensLabel");
        QTest::addColumn<QString>("sensTip");
        QTest::addColumn<QString>("thresholdTip");
        QTest::addColumn<QStringList>("reads"); // one refresh's reads on the bus, in order
        // System zero is read after the firmware version, which tells whether it exists.
        const QStringList reads{"VALUE",   "RMVV", "UMVV",  "MVV",    "GROSS", "NET",    "VERS",
                                "SYSZERO", "POZ",  "PEAKG", "PEAKN",  "TARE",  "OVRLOD", "OVRRNG",
                                "ALARM",   "ZERO", "Damp",  "THRESH", "SENS"};
        const QString serialSensTip("Set max sensitivity of connected loadcell. Inputs greater "
                                    "than this will be deemed overrange.");
        const QString serialThresholdTip("Filter threshold. When difference between consecutive "
                                         "mV/V readings exceeds this threshold the filter will be "
                                         "bypassed");
        QTest::newRow("2.0 serial: no pre-tare, overload level or calibrated maximum")
            << 2.0 << false << false << false << "Max Sensitivity (mV/V)" << serialSensTip
            << serialThresholdTip << reads;
        QTest::newRow("3.5 serial: pre-tare, no overload level")
            << 3.5 << false << true << false << "Max Sensitivity (mV/V)" << serialSensTip
            << serialThresholdTip << reads + QStringList{"PTARE"};
        QTest::newRow("4.0 radio: every optional field")
            << 4.0 << true << true << true << "Max Range (tonne)"
            << "Set max supported weight in tonnes of connected acquisition module. Inputs "
               "greater than this will be deemed overrange."
            << "Filter threshold. When difference between consecutive tonne readings exceeds "
               "this threshold the filter will be bypassed"
            << QStringList{}; // through the base station
    }
    void theFieldSetFollowsFirmwareAndLink() {
        QFETCH(double, firmware);
        QFETCH(bool, radio);
        QFETCH(bool, preTare);
        QFETCH(bool, overloadLevel);
        QFETCH(QString, sensLabel);
        QFETCH(QString, sensTip);
        QFETCH(QString, thresholdTip);
        QFETCH(QStringList, reads);
        ProgramFixture::Options options = ProgramFixture::WithModule(ModuleAt(1, firmware));
        if (radio) {
            options.withBaseStation = true;
            options.radioArguments = {QStringLiteral("--radio-module"),
                                      QStringLiteral("id=1A2B,firmware=%1").arg(firmware)};
        }
        ProgramFixture program(options);
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(radio ? connectRadio(program) : program.connectSerial());
        CHILD_GEN_MEASURE* page = program.openPage<CHILD_GEN_MEASURE>(MeasureButton);
        QVERIFY(page);
        // Past the first refresh and the display format read with the page.
        QVERIFY(program.waitForRefresh());
        QVERIFY(program.waitForRefresh());
        if (!reads.isEmpty()) {
            program.bus().withBus([](SimulatedBus& bus) { bus.clearFramesSeen(); });
            QVERIFY(program.waitForRefresh());
            QStringList names;
            for (const QByteArray& frame :
                 program.bus().withBus([](SimulatedBus& bus) { return bus.framesSeen(); })) {
                QCOMPARE(frame.size(), 5); // reads only: nothing is written by a refresh
                names.append(ZarnbusNames::ParameterName(quint8(frame.at(2)) & 0x7F));
            }
            QCOMPARE(names, reads);
        }

        QCOMPARE(page->senslabel->Caption(), sensLabel);
        QCOMPARE(page->pbSENS->ToolTipText(), sensTip);
        QCOMPARE(page->pbFilterThreshold->ToolTipText(), thresholdTip);
        QCOMPARE(page->pbCalHi->isVisible(), radio);
        QCOMPARE(page->lbCalHi->isVisible(), radio);
        QCOMPARE(page->R58Blank->isVisible(), radio);
        QCOMPARE(page->R581Blank->isVisible(), !radio);
        QCOMPARE(page->pbPTare->isVisible(), preTare);
        QCOMPARE(page->lbPTare->isVisible(), preTare);
        QCOMPARE(page->pbTareBlank->isVisible(), !preTare);
        QCOMPARE(page->pbOverloadPercent->isVisible(), overloadLevel);
        QCOMPARE(page->OverloadPercentBlank->isVisible(), !overloadLevel);
        // Fields that exist are refreshed; absent ones keep no source and stay empty.
        QCOMPARE(page->pbPTare->Caption().isEmpty(), !preTare);
        QCOMPARE(page->pbOverloadPercent->Caption().isEmpty(), !overloadLevel);
        QCOMPARE(page->pbCalHi->Caption().isEmpty(), !radio);
        QCOMPARE(page->pbFilterDamp->ShownText().size(), 3);
        QCOMPARE(page->pbOverloadCounter->ShownText(), QStringLiteral("0000"));
        if (radio) {
            QCOMPARE(page->pbCalHi->ShownText(), QStringLiteral("25.00000"));
        }
    }

    void aSystemZeroEditReachesTheModuleAndTheDisplayFollows() {
        ProgramFixture program;
        CHILD_GEN_MEASURE* page = connectedMeasurePage(program);
        QVERIFY2(page, qPrintable(program.failure()));
        program.onModule([](SimulatedModule& module) { module.setAppliedLoad(10.0); });
        // The simulated cell is not quite linear: 10 t reads a little over 10.
        QTRY_VERIFY_WITH_TIMEOUT(page->pbGross->VALUE() > 9.9, 5000);
        const double gross = page->pbGross->VALUE();
        ProgramFixture::TypeInto(page->pbSYSTEMZERO, QStringLiteral("2.5"));
        QTRY_COMPARE_WITH_TIMEOUT(program.stored("SYSZERO"), 2.5f, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(std::fabs(page->pbGross->VALUE() - (gross - 2.5)) < 0.001, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(std::fabs(page->VALUE->VALUE() - (gross - 2.5)) < 0.002, 5000);
        QCOMPARE(page->pbSYSTEMZERO->VALUE(), 2.5);
    }

    void theTrendDrawsWhatTheRefreshRead() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.connectSerial());
        // Two decimals on the display (the trend's own default is three), read with the page.
        program.onModule([](SimulatedModule& module) { return module.writeByName("DP", 4); });
        CHILD_GEN_MEASURE* page = program.openPage<CHILD_GEN_MEASURE>(MeasureButton);
        QVERIFY(page);
        program.onModule([](SimulatedModule& module) {
            module.setAppliedLoad(12.5);
            module.pressKey(SimulatedModule::Key::Tare);
        });
        QTRY_VERIFY_WITH_TIMEOUT(page->Trend().latest() && page->Trend().latest()->gross > 12.4 &&
                                     page->Trend().latest()->net == 0.0,
                                 5000);
        QVERIFY(program.waitForRefresh());
        const TrendWindow::Sample last = *page->Trend().latest();
        // The very values the refresh showed in the fields, no read of its own.
        QCOMPARE(last.gross, page->pbGross->VALUE());
        QCOMPARE(last.net, page->pbNet->VALUE());
        TrendPlot* plot = page->Trendplot;
        QCOMPARE(plot->grossLegend(),
                 QStringLiteral("Gross %1 T").arg(QString::number(last.gross, 'f', 2)));
        QCOMPARE(plot->netLegend(), QStringLiteral("Net 0.00 T"));
        QCOMPARE(plot->maximumLabel(),
                 QStringLiteral("max %1").arg(QString::number(page->Trend().maximum(), 'f', 2)));
        QCOMPARE(plot->minimumLabel(), QStringLiteral("min 0.00"));

        const QImage image = plot->grab().toImage();
        const TrendWindow& trend = page->Trend();
        const TrendWindow::Range range = trend.range(plot->scale().stepTonnes());
        const QPointF grossEnd = trend.map(last.timeMs, last.gross, range, plot->plotArea());
        const QPointF netEnd = trend.map(last.timeMs, last.net, range, plot->plotArea());
        QVERIFY(netEnd.y() - grossEnd.y() > 20);
        QVERIFY(drawnAt(image, grossEnd, plot->grossColour()));
        QVERIFY(drawnAt(image, netEnd, plot->netColour()));
        QVERIFY(!drawnAt(image, (grossEnd + netEnd) / 2, plot->grossColour()));
    }

    void typedValuesAreTakenOrRefused_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("member");
        QTest::addColumn<double>("prior");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<double>("written");
        const auto row = [](const char* name, const char* field, const char* member, double prior,
                            const char* typed, bool taken, double written) {
            QTest::newRow(name) << QString(field) << QString(member) << prior << QString(typed)
                                << taken << written;
        };
        row("a counter takes only digits, four of them", "pbOverloadCounter", "OVRLOD", 77,
            "12a3.45", true, 1234);
        row("a counter takes 9999", "pbOverrangeCounter", "OVRRNG", 77, "9999", true, 9999);
        row("writing 0 resets a counter", "pbOverloadCounter", "OVRLOD", 77, "0", true, 0);
        row("creep tracking takes 0.2", "pbCreepTracking", "ZERO", 0.1, "0.2", true, 0.2);
        row("creep tracking refuses 0.3", "pbCreepTracking", "ZERO", 0.1, "0.3", false, 0);
        row("creep tracking refuses a sign", "pbCreepTracking", "ZERO", 0.1, "-0.1", false, 0);
        row("damping takes 254, the filter off", "pbFilterDamp", "Damp", 100, "254", true, 254);
        row("damping refuses 255", "pbFilterDamp", "Damp", 100, "255", false, 0);
        row("a power-on zero band a single float holds", "pbPoweronZero", "POZ", 0.5, "16777216",
            true, 16777216);
        row("a nine-digit band a single float would store as another number", "pbPoweronZero",
            "POZ", 0.5, "123456789", false, 0);
        row("a nine-digit threshold likewise", "pbFilterThreshold", "THRESH", 0.5, "999999999",
            false, 0);
    }
    void typedValuesAreTakenOrRefused() {
        QFETCH(QString, field);
        QFETCH(QString, member);
        QFETCH(double, prior);
        QFETCH(QString, typed);
        QFETCH(bool, taken);
        QFETCH(double, written);
        if (!m_program) {
            m_program = std::make_unique<ProgramFixture>();
            QVERIFY2(connectedMeasurePage(*m_program), qPrintable(m_program->failure()));
        }
        ProgramFixture& program = *m_program;
        auto* page = qobject_cast<CHILD_GEN_MEASURE*>(program.window().Registry().CurrentPage());
        QVERIFY(page);
        QVERIFY(program.waitForRefresh());
        const QByteArray name = member.toLatin1();
        // A value the module holds now, so that neither outcome can pass by chance.
        program.onModule(
            [&](SimulatedModule& module) { return module.writeByName(member, prior); });
        const float before = program.stored(name.constData());
        QCOMPARE(before, float(prior));
        QVERIFY(program.waitForRefresh());
        auto* control = page->findChild<QKBtn*>(field);
        QVERIFY(control);
        auto beeps = std::make_shared<int>(0); // the field outlives the row
        control->SetBeep([beeps] { ++*beeps; });
        const QString shownBefore = control->Caption();
        ProgramFixture::TypeInto(control, typed);
        if (taken) {
            QTRY_COMPARE_WITH_TIMEOUT(program.stored(name.constData()), float(written), 5000);
            QCOMPARE(*beeps, 0);
        } else {
            QCOMPARE(*beeps, 1);
            QCOMPARE(control->Caption(), shownBefore);
            QVERIFY(program.waitForRefresh());
            QCOMPARE(program.stored(name.constData()), before);
        }
    }
};

QTEST_MAIN(TestMeasure)
#include "tst_measure.moc"
