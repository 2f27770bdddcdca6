// The Calibration page against the simulator: the load fields, the wizard's texts on the page,
// its questions answered through the program's dialogs, and whole runs with loads applied to the
// simulated cell while the page's live reading goes on.
#include "calibration/CalibrationWizard.h"
#include "controls/QKBtn.h"
#include "pages/CHILD_GEN_CALIBRATION.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"
#include "support/ProgramFixture.h"
#include "support/SimulatedLink.h"
#include "util/ApplicationState.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

namespace {

constexpr int CalibrationButton = 6;

// Starts the program unless told it has been, connects to station 1 and opens the page.
CHILD_GEN_CALIBRATION* openPage(ProgramFixture& program, bool start = true) {
    if ((start && !program.start()) || !program.connectSerial()) {
        return nullptr;
    }
    return program.openPage<CHILD_GEN_CALIBRATION>(CalibrationButton);
}

void setLoads(CHILD_GEN_CALIBRATION& page, const QStringList& loads) {
    for (int i = 0; i < CalibrationLoads::Count; ++i) {
        page.Text1[std::size_t(i)]->Caption(loads.value(i));
    }
}

void setLoad(ProgramFixture& program, double tonnes) {
    program.onModule([tonnes](SimulatedModule& module) { module.setAppliedLoad(tonnes); });
}

bool press(CHILD_GEN_CALIBRATION& page, QKBtn* button) {
    QSignalSpy finished(&page, &CHILD_GEN_CALIBRATION::PressFinished);
    button->HandleClick();
    return finished.wait(20000) || finished.count() > 0;
}

QList<float> calibrationOf(ProgramFixture& program) {
    return program.onModule([](SimulatedModule& module) {
        QList<float> values;
        for (const char* name : {"LINP", "Gain", "OFFS", "POZ", "SYSZERO", "RESOL"}) {
            values.append(module.readByName(QLatin1String(name)).value);
        }
        return values;
    });
}

void refuseNextTransaction(ProgramFixture& program) {
    program.bus().withBus([](SimulatedBus& bus) {
        bus.moduleFaults(0).add({FaultPlan::Kind::Nak, FaultPlan::Mode::NextFrames, 1.0, 3});
    });
}

} // namespace

class TestCalibration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { AppState().DecimalSeparator = QStringLiteral("."); }
    void cleanup() { AppState().DecimalSeparator = QStringLiteral("."); }

    // The fields start empty and are checked at Start; a load typed with the user's decimal comma
    // is then read as meant.
    void theLoadsAreCheckedAndReadWithTheUsersSeparator() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        AppState().DecimalSeparator = QStringLiteral(",");
        CHILD_GEN_CALIBRATION* page = openPage(program, false);
        QVERIFY(page);
        for (QKBtn* field : page->Text1) {
            QCOMPARE(field->Caption(), QString());
        }
        QVERIFY(!page->cbAbort->Enabled());
        const QList<float> before = calibrationOf(program);
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(program.dialogs, QStringList{"Incorrect Information: You must enter the Low Cal "
                                              "Point and the High Cal Point!"});
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Instructions"));
        QVERIFY(!page->cbAbort->Enabled());
        QCOMPARE(calibrationOf(program), before);

        program.dialogs.clear();
        setLoads(*page, {"0", "2,4", "", "", "", ""});
        QKBtn* high = page->Text1[5];
        high->DoEdit();
        QVERIFY(high->IsTextEditorOpen());
        QTest::keyClicks(high->TextEditor(), QStringLiteral("2,5"));
        QTest::keyClick(high->TextEditor(), Qt::Key_Return);
        QVERIFY(high->Caption().startsWith(QStringLiteral("2,5")));
        QVERIFY(press(*page, page->cbCapture));
        QVERIFY2(program.dialogs.isEmpty(), qPrintable(program.dialogs.join(QLatin1Char('\n'))));
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Calibration Low Point"));
        setLoad(program, 0.0);
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(page->lbInstructions->Caption(),
                 QStringLiteral("Apply %1 ton, when applied load is stable press SET.")
                     .arg(high->Caption()));
        setLoad(program, 2.5);
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Calibration Stage Complete"));
        const float highLoad = program.onModule([](SimulatedModule& module) {
            return module.readByName(QStringLiteral("CENGHI")).value;
        });
        QCOMPARE(highLoad, 2.5f);
    }

    // The fields are locked while the run lasts; a high reading at the low signal is questioned
    // in the system's box (answered Yes: the high point again); Abort then leaves the module with
    // the calibration it had.
    void aQuestionedRunThenAbortLeavesTheModuleAsItWas() {
        ProgramFixture program;
        CHILD_GEN_CALIBRATION* page = openPage(program);
        QVERIFY2(page, qPrintable(program.failure()));
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

        QVERIFY(press(*page, page->cbAbort));
        QCOMPARE(page->lbStage->Caption(), QStringLiteral("Ready..."));
        QCOMPARE(page->cbCapture->Caption(), QStringLiteral("Start"));
        QVERIFY(!page->cbAbort->Enabled());
        for (QKBtn* field : page->Text1) {
            QVERIFY(field->Enabled());
        }
        QCOMPARE(calibrationOf(program), before);
    }

    // A run that does not go on puts back what Start reset: going Home, closing the program, No
    // to a communication error. Yes to it takes the high point again.
    void aRunInterruptedOrFailing_data() {
        QTest::addColumn<QString>("end");
        QTest::newRow("going Home") << "home";
        QTest::newRow("closing the program") << "close";
        QTest::newRow("No to a communication error") << "no";
        QTest::newRow("Yes to a communication error") << "yes";
    }
    void aRunInterruptedOrFailing() {
        QFETCH(QString, end);
        ProgramFixture program;
        program.answerYes = end == QLatin1String("yes");
        CHILD_GEN_CALIBRATION* page = openPage(program);
        QVERIFY2(page, qPrintable(program.failure()));
        const QList<float> before = calibrationOf(program);
        setLoads(*page, {"0", "", "", "", "", "20"});
        QVERIFY(press(*page, page->cbCapture));
        QVERIFY(calibrationOf(program) != before);
        if (end == QLatin1String("close")) {
            program.window().close();
            QCOMPARE(calibrationOf(program), before);
            return;
        }
        if (end == QLatin1String("home")) {
            program.window().Registry().NavigateTo(1);
            QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_HOME")));
            QTRY_COMPARE_WITH_TIMEOUT(calibrationOf(program), before, 10000);
            return;
        }
        QVERIFY(press(*page, page->cbCapture));
        setLoad(program, 20.0);
        refuseNextTransaction(program);
        QVERIFY(press(*page, page->cbCapture));
        QCOMPARE(program.dialogs,
                 QStringList{QStringLiteral(
                     "Communications Error: A communication error occurred during the last "
                     "stage!\r\nWould you like to retry the last stage or abort the process?\r\n"
                     "\r\nClick Yes to retry.\r\nClick No to Abort.")});
        if (!program.answerYes) {
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

    // Whole runs through the page, with loads that take time to settle and a little noise on the
    // input (each reading is the one the module gives when Set is pressed): two points leave the
    // bowed cell reading high in mid-range, four linearisation points more make it read right.
    void wholeRunsWithSettlingLoads() {
        ProgramFixture program;
        CHILD_GEN_CALIBRATION* page = openPage(program);
        QVERIFY2(page, qPrintable(program.failure()));
        const LoadCell cell;
        program.onModule([](SimulatedModule& module) {
            module.writeByName(QStringLiteral("Damp"), 254); // no filter: the input as it is
            module.setSettleMs(700);
            module.setNoise(0.00002);
        });
        // Waits until the module's unlinearised signal has reached the load's.
        auto applyAndSettle = [&](double tonnes) {
            setLoad(program, tonnes);
            const double target = cell.signalAt(tonnes);
            return QTest::qWaitFor(
                [&] {
                    const float umvv = program.onModule([](SimulatedModule& module) {
                        return module.readByName(QStringLiteral("UMVV")).value;
                    });
                    return std::abs(umvv - target) < 0.00005;
                },
                10000);
        };
        auto shownAt = [&](double tonnes) {
            return applyAndSettle(tonnes)
                       ? program
                             .onModule([](SimulatedModule& module) { return module.displayText(); })
                             .toDouble()
                       : qQNaN();
        };
        // Start, Set at the low and the high point, Next, then Set at each linearisation point.
        auto calibrate = [&](const QStringList& loads) {
            setLoads(*page, loads);
            bool done = press(*page, page->cbCapture) && applyAndSettle(loads[0].toDouble()) &&
                        press(*page, page->cbCapture) && applyAndSettle(loads[5].toDouble()) &&
                        press(*page, page->cbCapture) && press(*page, page->cbCapture);
            for (int point = 1; done && point <= 4 && !loads[point].isEmpty(); ++point) {
                done = page->lbStage->Caption() ==
                           QStringLiteral("Linearisation Point %1").arg(point) &&
                       applyAndSettle(loads[point].toDouble()) && press(*page, page->cbCapture);
            }
            return done && page->lbStage->Caption() == QStringLiteral("Linearisation Complete");
        };
        // The noise (a quarter of a count) allows one count more than a quiet input would.
        constexpr double Counts = 0.002 + 1e-9;
        QVERIFY(calibrate({"0", "", "", "", "", "25"}));
        QVERIFY(std::abs(shownAt(0.0)) <= Counts);
        QVERIFY(std::abs(shownAt(25.0) - 25.0) <= Counts);
        QVERIFY(shownAt(12.5) - 12.5 > 0.01);

        const QStringList loads{"0", "5", "10", "15", "20", "25"};
        QVERIFY(calibrate(loads));
        QCOMPARE(page->lbInstructions->Caption(),
                 QStringLiteral("The calibration and linearisation wizard has completed."));
        QVERIFY(program.dialogs.isEmpty());
        QVERIFY(!page->cbAbort->Enabled());
        for (const QString& load : loads) {
            const double shown = shownAt(load.toDouble());
            QVERIFY2(std::abs(shown - load.toDouble()) <= Counts,
                     qPrintable(QStringLiteral("%1 t shows %2").arg(load).arg(shown)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(page->lbReading->Caption().toDouble() - 25.0) < 0.003,
                                 5000);
    }
};

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
