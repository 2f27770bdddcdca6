// The Calibration page against the simulator: the load fields, the wizard's texts on the page,
// its questions answered through the program's dialogs, and whole runs with loads applied to the
// simulated cell while the page's live reading goes on.
#include "calibration/CalibrationWizard.h"
#include "controls/QKBtn.h"
#include "pages/CHILD_GEN_CALIBRATION.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatorServer.h"
#include "support/ProgramFixture.h"
#include "support/SimulatedLink.h"
#include "util/ApplicationState.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

namespace {

constexpr int CalibrationButton = 6;

template <typename Function>
auto onModule(ProgramFixture& program, Function function) {
    return program.bus().withBus([&](SimulatedBus& bus) { return function(bus.module(0)); });
}

CHILD_GEN_CALIBRATION* openPage(ProgramFixture& program) {
    if (!program.connectSerial()) {
        return nullptr;
    }
    program.window().Registry().NavigateTo(CalibrationButton);
    if (!program.waitForPage(QStringLiteral("CHILD_GEN_CALIBRATION"))) {
        return nullptr;
    }
    return qobject_cast<CHILD_GEN_CALIBRATION*>(program.window().Registry().CurrentPage());
}

void setLoads(CHILD_GEN_CALIBRATION& page, const QStringList& loads) {
    for (int i = 0; i < CalibrationLoads::Count; ++i) {
        page.Text1[std::size_t(i)]->Caption(loads.value(i));
    }
}

bool press(CHILD_GEN_CALIBRATION& page, QKBtn* button) {
    QSignalSpy finished(&page, &CHILD_GEN_CALIBRATION::PressFinished);
    button->HandleClick();
    return finished.wait(20000) || finished.count() > 0;
}

QList<float> calibrationOf(ProgramFixture& program) {
    return onModule(program, [](SimulatedModule& module) {
        QList<float> values;
        for (const char* name : {"LINP", "Gain", "OFFS", "POZ", "SYSZERO", "RESOL"}) {
            values.append(module.readByName(QLatin1String(name)).value);
        }
        return values;
    });
}

void refuseNextTransaction(ProgramFixture& program) {
    program.bus().withBus([](SimulatedBus& bus) {
        FaultPlan::Rule rule;
        rule.kind = FaultPlan::Kind::Nak;
        rule.mode = FaultPlan::Mode::NextFrames;
        rule.remaining = 3;
        bus.moduleFaults(0).add(rule);
        return 0;
    });
}

} // namespace

class TestCalibration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { AppState().DecimalSeparator = QStringLiteral("."); }
    void cleanup() { AppState().DecimalSeparator = QStringLiteral("."); }

    void theFieldsStartEmptyAndAreChecked_data() {
        QTest::addColumn<QStringList>("loads");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("nothing typed")
            << QStringList{}
            << "Incorrect Information: You must enter the Low Cal Point and the "
               "High Cal Point!";
        QTest::newRow("a gap") << QStringList{"0", "5", "", "7", "", "10"}
                               << "Incorrect Information: You cannot enter a value in one of the "
                                  "linearisation fields if a preceeding field is blank!\r\nEnter "
                                  "the linearisation values from the left and just enter as many "
                                  "as required.";
        QTest::newRow("not ascending") << QStringList{"0", "5", "", "", "", "5"}
                                       << "Incorrect Information: The values entered in the "
                                          "fields must be ascending from left to right!";
    }
    void theFieldsStartEmptyAndAreChecked() {
        QFETCH(QStringList, loads);
        QFETCH(QString, dialog);
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        CHILD_GEN_CALIBRATION* page = openPage(program);
        QVERIFY(page);
        for (QKBtn* field : page->Text1) {
            QCOMPARE(field->Caption(), QString());
            QVERIFY(field->Enabled());
        }
        QCOMPARE(page->Text1Label[0]->Caption(), QStringLiteral("Low Cal Point"));
        QCOMPARE(page->Text1[5]->ToolTipText(), QStringLiteral("Calibrated High Point"));
        QCOMPARE(page->cbCapture->Caption(), QStringLiteral("Start"));
        QVERIFY(!page->cbAbort->Enabled());
        const QList<float> before = calibrationOf(program);
        setLoads(*page, loads);
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(program.dialogs, QStringList{dialog});
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Instructions"));
        QVERIFY(!page->cbAbort->Enabled());
        QCOMPARE(calibrationOf(program), before);
    }

    void aLoadTypedWithADecimalCommaIsRead() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        AppState().DecimalSeparator = QStringLiteral(",");
        CHILD_GEN_CALIBRATION* page = openPage(program);
        QVERIFY(page);
        setLoads(*page, {"0", "", "", "", "", ""});
        QKBtn* high = page->Text1[5];
        high->DoEdit();
        QVERIFY(high->IsTextEditorOpen());
        QTest::keyClicks(high->TextEditor(), QStringLiteral("2,5"));
        QTest::keyClick(high->TextEditor(), Qt::Key_Return);
        QVERIFY(high->Caption().startsWith(QStringLiteral("2,5")));
        page->Text1[1]->Caption(QStringLiteral("2,4"));
        QVERIFY(press(*page, page->cbCapture));
        QVERIFY2(program.dialogs.isEmpty(), qPrintable(program.dialogs.join(QLatin1Char('\n'))));
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Calibration Low Point"));
        onModule(program, [](SimulatedModule& module) {
            module.setAppliedLoad(0.0);
            return 0;
        });
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(page->lbInstructions->Caption(),
                 QStringLiteral("Apply %1 ton, when applied load is stable press SET.")
                     .arg(high->Caption()));
        onModule(program, [](SimulatedModule& module) {
            module.setAppliedLoad(2.5);
            return 0;
        });
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Calibration Stage Complete"));
        const float highLoad = onModule(program, [](SimulatedModule& module) {
            return module.readByName(QStringLiteral("CENGHI")).value;
        });
        QCOMPARE(highLoad, 2.5f);
    }

    // Start and Abort: the fields are locked while the run lasts, and the module is left with
    // the calibration it had.
    void startThenAbortLeavesTheModuleAsItWas() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        CHILD_GEN_CALIBRATION* page = openPage(program);
        QVERIFY(page);
        const QList<float> before = calibrationOf(program);
        setLoads(*page, {"0", "", "", "", "", "20"});
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(page->cbCapture->Caption(), QStringLiteral("Set"));
        QCOMPARE(page->lbInstructions->Caption(),
                 QStringLiteral("Ensure that 0 ton is applied then press SET button to read in "
                                "no load signal."));
        QVERIFY(page->cbAbort->Enabled());
        for (QKBtn* field : page->Text1) {
            QVERIFY(!field->Enabled());
        }
        QVERIFY(calibrationOf(program) != before);
        QVERIFY(press(*page, page->cbAbort));
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Ready..."));
        QCOMPARE(page->cbCapture->Caption(), QStringLiteral("Start"));
        QVERIFY(!page->cbAbort->Enabled());
        for (QKBtn* field : page->Text1) {
            QVERIFY(field->Enabled());
        }
        QCOMPARE(calibrationOf(program), before);
    }

    // Going Home, or closing, in the middle of a run puts back what Start reset.
    void leavingInTheMiddleOfARunLeavesTheModuleAsItWas_data() {
        QTest::addColumn<bool>("close");
        QTest::newRow("going Home") << false;
        QTest::newRow("closing the program") << true;
    }
    void leavingInTheMiddleOfARunLeavesTheModuleAsItWas() {
        QFETCH(bool, close);
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        CHILD_GEN_CALIBRATION* page = openPage(program);
        QVERIFY(page);
        const QList<float> before = calibrationOf(program);
        setLoads(*page, {"0", "", "", "", "", "20"});
        QVERIFY(press(*page, page->cbCapture));
        QVERIFY(calibrationOf(program) != before);
        if (close) {
            program.window().close();
            QCOMPARE(calibrationOf(program), before);
        } else {
            program.window().Registry().NavigateTo(1);
            QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_HOME")));
            QTRY_COMPARE_WITH_TIMEOUT(calibrationOf(program), before, 10000);
        }
    }

    void aCommunicationErrorIsAnswered_data() {
        QTest::addColumn<bool>("retry");
        QTest::newRow("Yes goes back to the high point") << true;
        QTest::newRow("No ends the run with the calibration put back") << false;
    }
    void aCommunicationErrorIsAnswered() {
        QFETCH(bool, retry);
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        program.answerYes = retry;
        CHILD_GEN_CALIBRATION* page = openPage(program);
        QVERIFY(page);
        const QList<float> before = calibrationOf(program);
        setLoads(*page, {"0", "", "", "", "", "20"});
        QVERIFY(press(*page, page->cbCapture));
        QVERIFY(press(*page, page->cbCapture));
        onModule(program, [](SimulatedModule& module) {
            module.setAppliedLoad(20.0);
            return 0;
        });
        refuseNextTransaction(program);
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(program.dialogs,
                 QStringList{QStringLiteral(
                     "Communications Error: A communication error occurred during the last "
                     "stage!\r\nWould you like to retry the last stage or abort the process?\r\n"
                     "\r\nClick Yes to retry.\r\nClick No to Abort.")});
        if (!retry) {
            QCOMPARE(page->lbStage->Caption(), QStringLiteral("Aborted by user"));
            QCOMPARE(page->lbInstructions->Caption(), QString());
            QVERIFY(!page->cbAbort->Enabled());
            QVERIFY(page->Text1[0]->Enabled());
            QCOMPARE(calibrationOf(program), before);
            return;
        }
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Retry Previous Stage"));
        QCOMPARE(page->cbCapture->Caption(), QStringLiteral("Next"));
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Calibration High Point"));
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Calibration Stage Complete"));
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(page->lbReading->Caption().toDouble() - 20.0) < 0.002,
                                 5000);
    }

    void aHighReadingAtTheLowSignalIsQuestionedInTheSystemBox() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        CHILD_GEN_CALIBRATION* page = openPage(program);
        QVERIFY(page);
        setLoads(*page, {"0", "", "", "", "", "20"});
        QVERIFY(press(*page, page->cbCapture));
        QVERIFY(press(*page, page->cbCapture));
        QVERIFY(press(*page, page->cbCapture)); // nothing was put on the cell
        QCOMPARE(program.questionBoxes,
                 QStringList{QStringLiteral(
                     "An Error Occurred: The input measured when calibrating the high point was "
                     "equal to or lower than the low point. This is an error condition!\r\n\r\n"
                     "Do you want to retry?\r\n\r\nClick Yes to retry the last stage.\r\nClick No "
                     "to abort the process.")});
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Calibration High Point"));
        QCOMPARE(page->Wizard().stage(), qint16(3));
        QVERIFY(page->cbAbort->Enabled());
    }

    // The whole run through the page, with loads that take time to settle and a little noise on
    // the input: each reading is the one the module gives when Set is pressed.
    void aWholeRunWithSettlingLoads() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        CHILD_GEN_CALIBRATION* page = openPage(program);
        QVERIFY(page);
        const LoadCell cell;
        onModule(program, [](SimulatedModule& module) {
            module.writeByName(QStringLiteral("Damp"), 254); // no filter: the input as it is
            module.setSettleMs(700);
            module.setNoise(0.00002);
            return 0;
        });
        // Waits until the module's unlinearised signal has reached the load's.
        auto applyAndSettle = [&](double tonnes) {
            onModule(program, [tonnes](SimulatedModule& module) {
                module.setAppliedLoad(tonnes);
                return 0;
            });
            const double target = cell.signalAt(tonnes);
            return QTest::qWaitFor(
                [&] {
                    const float umvv = onModule(program, [](SimulatedModule& module) {
                        return module.readByName(QStringLiteral("UMVV")).value;
                    });
                    return std::abs(umvv - target) < 0.00005;
                },
                10000);
        };
        const QStringList loads{"0", "5", "10", "15", "20", "25"};
        setLoads(*page, loads);
        QVERIFY(press(*page, page->cbCapture)); // Start
        QVERIFY(applyAndSettle(0.0));
        QVERIFY(press(*page, page->cbCapture)); // Set: low point
        QVERIFY(applyAndSettle(25.0));
        QVERIFY(press(*page, page->cbCapture)); // Set: high point
        QVERIFY(press(*page, page->cbCapture)); // Next
        for (int point = 1; point <= 4; ++point) {
            QCOMPARE(page->lbStage->Caption(), QStringLiteral("Linearisation Point %1").arg(point));
            QVERIFY(applyAndSettle(loads[point].toDouble()));
            QVERIFY(press(*page, page->cbCapture));
        }
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Linearisation Complete"));
        QCOMPARE(page->lbInstructions->Caption(),
                 QStringLiteral("The calibration and linearisation wizard has completed."));
        QVERIFY(program.dialogs.isEmpty());
        QVERIFY(!page->cbAbort->Enabled());
        // The noise (a quarter of a count) allows one count more than a quiet input would.
        for (const QString& load : loads) {
            QVERIFY(applyAndSettle(load.toDouble()));
            const double shown = onModule(program, [](SimulatedModule& module) {
                                     return module.displayText();
                                 }).toDouble();
            QVERIFY2(std::abs(shown - load.toDouble()) <= 0.002 + 1e-9,
                     qPrintable(QStringLiteral("%1 t shows %2").arg(load).arg(shown)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(page->lbReading->Caption().toDouble() - 25.0) < 0.003,
                                 5000);
    }
};

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
