// The Factory page against the simulator in factory mode: the mV/V calibration from calibrator
// signals, the battery calibration with its restarts (the window answering meanwhile), the
// serial number field and what firmware 2.x hides.
#include "calibration/FactoryCalibration.h"
#include "controls/QKBtn.h"
#include "device/CurrentDevice.h"
#include "pages/CHILD_GEN_FACTORY.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"
#include "support/ProgramFixture.h"
#include "support/SimulatedLink.h"
#include "util/ApplicationState.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cmath>
#include <thread>

namespace {

constexpr int FactoryButton = 7;

// The program's clock, whose waits (on the device thread) last until the test opens the gate
// and the simulated module listens again after its restart.
class GatedClock : public MonotonicClock {
public:
    qint64 nowMs() const override { return m_clock.nowMs(); }
    void waitMs(qint64 ms, bool keepUiResponsive) override {
        if (!gated || !program) {
            m_clock.waitMs(ms, keepUiResponsive);
            return;
        }
        if (ms == FactoryCalibration::RestartWaitMs) {
            ++restartWaits;
        }
        waiting = true;
        const qint64 limit = m_clock.nowMs() + 30000;
        while (m_clock.nowMs() < limit) {
            const bool listening = program->bus().withBus(
                [](SimulatedBus& bus) { return bus.module(0).isListening(); });
            if (open && listening) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        waiting = false;
    }

    ProgramFixture* program = nullptr;
    std::atomic<bool> gated{false};
    std::atomic<bool> open{true};
    std::atomic<bool> waiting{false};
    std::atomic<int> restartWaits{0}; // the 5 s waits after a restart

private:
    SteadyClock m_clock;
};

struct FactoryProgram {
    explicit FactoryProgram(double firmware = 4.1) {
        ProgramFixture::Options options = ProgramFixture::WithModule(ModuleAt(1, firmware));
        options.ctrlShiftHeld = true;
        options.clock = &clock;
        program = std::make_unique<ProgramFixture>(options);
        clock.program = program.get();
    }
    CHILD_GEN_FACTORY* open() {
        if (!program->start() || !program->connectSerial()) {
            return nullptr;
        }
        return program->openPage<CHILD_GEN_FACTORY>(FactoryButton);
    }

    GatedClock clock;
    std::unique_ptr<ProgramFixture> program;
};

bool click(CHILD_GEN_FACTORY& page, QKBtn* button) {
    QSignalSpy finished(&page, &CHILD_GEN_FACTORY::CalibrationFinished);
    button->HandleClick();
    return finished.wait(20000) || finished.count() > 0;
}

void applySignal(ProgramFixture& program, double mvv) {
    program.onModule([mvv](SimulatedModule& module) { module.setAppliedSignal(mvv); });
}

const QString Failed = QStringLiteral("An Error Ocurred - Please retry calibration!");

} // namespace

class TestFactory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { AppState().DecimalSeparator = QStringLiteral("."); }
    void cleanup() { AppState().DecimalSeparator = QStringLiteral("."); }

    // Acquisitions the factors cannot come from are refused and write nothing; -2.5 and +2.5 mV/V
    // then calibrate the input stage so that the module reads the calibrator's signal.
    // A measured voltage never typed writes nothing. Typed (with a decimal comma), the module is
    // restarted twice with 5 s waits while the window goes on answering, and the battery then
    // reads it. The serial number field takes up to 32 bits.
    void theInputStageAndBatteryCalibrationsAndTheSerialNumber() {
        FactoryProgram factory;
        AppState().DecimalSeparator = QStringLiteral(",");
        CHILD_GEN_FACTORY* page = factory.open();
        QVERIFY2(page, qPrintable(factory.program->failure()));
        ProgramFixture& program = *factory.program;
        const float gain = program.stored("FGAIN");
        const float offset = program.stored("FOFFS");
        applySignal(program, 2.5);
        QVERIFY(click(*page, page->ACQUIRE2)); // no -2.5 mV/V acquisition yet
        QVERIFY(click(*page, page->ACQUIRE1));
        applySignal(program, -2.5);
        QVERIFY(click(*page, page->ACQUIRE2)); // reversed
        QCOMPARE(program.dialogs, QStringList(2, QStringLiteral("mV/V Calibration: ") + Failed));
        QCOMPARE(program.stored("FGAIN"), gain);
        QCOMPARE(program.stored("FOFFS"), offset);

        program.dialogs.clear();
        applySignal(program, -2.5);
        QVERIFY(click(*page, page->ACQUIRE1));
        applySignal(program, 2.5);
        QVERIFY(click(*page, page->ACQUIRE2));
        QCOMPARE(program.dialogs, QStringList{"mV/V Calibration: Module Calibrated"});
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(page->PBUMVV->VALUE() - 2.5) < 0.0005, 5000);
        QVERIFY(std::abs(program.stored("UMVV") - 2.5f) < 0.0005f);
        applySignal(program, -2.5);
        QVERIFY(std::abs(program.stored("UMVV") + 2.5f) < 0.0005f);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(page->PBUMVV->VALUE() + 2.5) < 0.0005, 5000);
        // The field shows what was written.
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(page->pbFGAIN->VALUE() - program.stored("FGAIN")) < 1e-5,
                                 5000);

        program.dialogs.clear();
        program.onModule([](SimulatedModule& module) { module.setSupplyVoltage(9.2); });
        const float threeVoltFactor = program.stored("FGB3");
        const float nineVoltFactor = program.stored("FGB9");
        factory.clock.gated = true;
        QVERIFY(click(*page, page->QKBtn3));
        QCOMPARE(program.dialogs, QStringList{QStringLiteral("Battery Calibration: ") + Failed});
        QCOMPARE(program.stored("FGB9"), nineVoltFactor);
        QCOMPARE(factory.clock.restartWaits.load(), 0);

        program.dialogs.clear();
        QCOMPARE(page->pbPSU->Caption(), QStringLiteral("9V"));
        ProgramFixture::TypeInto(page->pbMeasured, QStringLiteral("9,2"));
        QVERIFY(page->pbMeasured->Caption().startsWith(QStringLiteral("9,2")));
        factory.clock.open = false;
        QSignalSpy finished(page, &CHILD_GEN_FACTORY::CalibrationFinished);
        page->QKBtn3->HandleClick();
        QTRY_VERIFY(factory.clock.waiting);
        QVERIFY(program.window().IsInputBlocked());
        bool answered = false;
        QTimer::singleShot(0, page, [&answered] { answered = true; });
        QTRY_VERIFY(answered);
        factory.clock.open = true;
        QVERIFY(finished.wait(20000) || finished.count() > 0);
        QCOMPARE(factory.clock.restartWaits.load(), 2);
        QVERIFY(!program.window().IsInputBlocked());
        QCOMPARE(program.dialogs, QStringList{"Battery Calibration: Module Calibrated"});
        QVERIFY(std::abs(program.stored("BATTV") - 9.2f) < 0.0005f);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(page->pbBATTV->VALUE() - 9.2) < 0.0005, 5000);
        QCOMPARE(program.stored("FGB3"), threeVoltFactor);

        int beeps = 0;
        page->pbSerialNumber->SetBeep([&beeps] { ++beeps; });
        QTRY_COMPARE_WITH_TIMEOUT(page->pbSerialNumber->Caption(), QStringLiteral("0000000001"),
                                  5000);
        ProgramFixture::TypeInto(page->pbSerialNumber, QStringLiteral("4294967296"));
        QCOMPARE(beeps, 1);
        ProgramFixture::TypeInto(page->pbSerialNumber, QStringLiteral("4294967295"));
        QCOMPARE(beeps, 1);
        QTRY_COMPARE_WITH_TIMEOUT(
            program.onModule([](SimulatedModule& module) { return module.serialNumber(); }),
            4294967295u, 5000);
    }

    void firmware2HidesTheBatteryAndSerialNumber() {
        FactoryProgram factory(2.5);
        CHILD_GEN_FACTORY* page = factory.open();
        QVERIFY2(page, qPrintable(factory.program->failure()));
        ProgramFixture& program = *factory.program;
        QVERIFY(!page->HasBatteryControls());
        for (QKBtn* hidden :
             {page->pbBATTV, page->pbPSU, page->pbMeasured, page->pbSerialNumber, page->lbBATTV,
              page->lbPSU, page->lbMeasured, page->lbSerialNumber, page->QKBtn3}) {
            QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName()));
        }
        QVERIFY(page->ACQUIRE2->isVisible());
        // The module has no battery reading: a refresh that asked for it would fail.
        QVERIFY(program.waitForRefresh());
        QVERIFY(program.waitForRefresh());
        QVERIFY(!CurrentDevice::ErrorPending());
        QVERIFY(!page->PBRMVV->Caption().isEmpty());
    }
};

QTEST_MAIN(TestFactory)
#include "tst_factory.moc"
