// The calibration wizard without a window: its input checks and the writes of each stage against
// a scripted module, errors and interruptions included. The Calibration page's tests run it
// against the simulated module with real loads on its bowed cell.
#include "calibration/CalibrationWizard.h"
#include "support/ScriptedZex.h"

#include <QTest>
#include <deque>

namespace {

using Texts = CalibrationLoads::Texts;

// Records what the wizard shows and answers its questions from a script (No when it runs out).
struct RecordingUi {
    QString stage;
    QString instructions;
    QString caption = QStringLiteral("Start");
    bool running = false;
    QStringList stages;
    QStringList messages; // "title: text" of errors and questions, in order
    std::deque<bool> answers;

    CalibrationUi ui() {
        CalibrationUi result;
        result.showStage = [this](const QString& text) {
            stage = text;
            stages.append(text);
        };
        result.showInstructions = [this](const QString& text) { instructions = text; };
        result.showCaptureCaption = [this](const QString& text) { caption = text; };
        result.setRunning = [this](bool on) { running = on; };
        result.showError = [this](const QString& title, const QString& text) {
            messages.append(title + QStringLiteral(": ") + text);
        };
        auto answer = [this](const QString& title, const QString& text) {
            messages.append(title + QStringLiteral(": ") + text);
            if (answers.empty()) {
                return false;
            }
            const bool yes = answers.front();
            answers.pop_front();
            return yes;
        };
        result.askYesNo = answer;
        result.askInBox = answer;
        return result;
    }
};

Texts loads(std::initializer_list<const char*> values) {
    Texts texts;
    int i = 0;
    for (const char* value : values) {
        texts[std::size_t(i++)] = QString::fromUtf8(value);
    }
    return texts;
}

// A scripted module with a calibration in it, and the signal the wizard's reads return.
ScriptedZex calibratedModule() {
    ScriptedZex module;
    module.isRadio = false;
    module.values[QStringLiteral("LINP")] = DeviceValue(3.0f);
    module.values[QStringLiteral("Gain")] = DeviceValue(12.5f);
    module.values[QStringLiteral("OFFS")] = DeviceValue(0.125f);
    module.values[QStringLiteral("POZ")] = DeviceValue(2.0f);
    module.values[QStringLiteral("SYSZERO")] = DeviceValue(0.5f);
    module.values[QStringLiteral("RESOL")] = DeviceValue(1.0f);
    return module;
}

// What Start resets and an unfinished run puts back.
QList<DeviceValue> calibrationOf(const ScriptedZex& module) {
    QList<DeviceValue> values;
    for (const char* name : {"LINP", "Gain", "OFFS", "POZ", "SYSZERO", "RESOL"}) {
        values.append(module.values.value(QLatin1String(name)));
    }
    return values;
}

using Writes = QList<QPair<QString, DeviceValue>>;

QStringList writtenNames(const ScriptedZex& module) {
    QStringList names;
    for (const auto& write : module.writes) {
        names.append(write.first);
    }
    return names;
}

DeviceValue lastWrite(const ScriptedZex& module, const QString& name) {
    for (auto it = module.writes.crbegin(); it != module.writes.crend(); ++it) {
        if (it->first == name) {
            return it->second;
        }
    }
    return {};
}

// A wizard started on a calibrated scripted module, and what it showed.
struct Run {
    explicit Run(float firmware = 4.1f)
        : wizard(recorder.ui(), firmware) {}
    void start(std::initializer_list<const char*> values) {
        wizard.Capture(module, loads(values), QLatin1Char('.'));
    }
    // The button pressed, with the module now giving the reading named.
    void press(const char* reading = nullptr, float value = 0.0f) {
        if (reading) {
            module.values[QLatin1String(reading)] = DeviceValue(value);
        }
        wizard.Capture(module, {}, QLatin1Char('.'));
    }

    ScriptedZex module = calibratedModule();
    RecordingUi recorder;
    CalibrationWizard wizard;
};

const QString CommsQuestion = QStringLiteral(
    "Communications Error: A communication error occurred during the last stage!\r\nWould you "
    "like to retry the last stage or abort the process?\r\n\r\nClick Yes to retry.\r\nClick No "
    "to Abort.");

} // namespace

class TestCalibrationWizard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadsAreCheckedBeforeAnythingIsWritten_data() {
        QTest::addColumn<Texts>("texts");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("problem");
        const QString both = QStringLiteral("You must enter the Low Cal Point and the High Cal "
                                            "Point!");
        const QString gap = QStringLiteral(
            "You cannot enter a value in one of the linearisation fields if a preceeding field "
            "is blank!\r\nEnter the linearisation values from the left and just enter as many "
            "as required.");
        const QString ascending =
            QStringLiteral("The values entered in the fields must be ascending from left to "
                           "right!");
        const auto row = [](const char* name, std::initializer_list<const char*> values,
                            const QString& problem, QChar separator = u'.') {
            QTest::newRow(name) << loads(values) << separator << problem;
        };
        row("a missing high point is refused", {"0", "", "", "", "", ""}, both);
        row("a blank low point is refused", {"  ", "", "", "", "", "10"}, both);
        row("a gap among the linearisation points is refused", {"0", "5", "", "7", "", "10"}, gap);
        row("a point equal to the high point is refused", {"0", "5", "", "", "", "5"}, ascending);
        row("points out of order are refused", {"0", "6", "4", "", "", "10"}, ascending);
        row("loads equal in single precision are refused",
            {"1.00000001", "", "", "", "", "1.00000002"}, ascending);
        row("2,5 is two and a half with a decimal comma", {"0", "2,5", "", "", "", "3"}, {}, u',');
        row("a full set of ascending loads is taken", {"0", "5", "10", "15", "20", "25"}, {});
    }
    void loadsAreCheckedBeforeAnythingIsWritten() {
        QFETCH(Texts, texts);
        QFETCH(QChar, separator);
        QFETCH(QString, problem);
        Run run;
        auto& [module, recorder, wizard] = run;
        wizard.Capture(module, texts, separator);
        if (problem.isEmpty()) {
            QVERIFY(recorder.messages.isEmpty());
            QCOMPARE(wizard.stage(), qint16(1));
            QVERIFY(recorder.running);
            QCOMPARE(recorder.caption, QStringLiteral("Set"));
            QCOMPARE(recorder.instructions,
                     QStringLiteral("Ensure that %1 ton is applied then press SET button to read "
                                    "in no load signal.")
                         .arg(texts[0]));
        } else {
            QCOMPARE(recorder.messages,
                     QStringList{QStringLiteral("Incorrect Information: ") + problem});
            QVERIFY(module.calls.isEmpty());
            QCOMPARE(wizard.stage(), qint16(0));
            QVERIFY(!recorder.running);
        }
    }

    void iValReadsTheUsersSeparator_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<double>("value");
        QTest::newRow("comma locale") << "2,5" << QChar(u',') << 2.5;
        QTest::newRow("point locale") << "2.5" << QChar(u'.') << 2.5;
        QTest::newRow("a comma in a point locale ends the number") << "2,5" << QChar(u'.') << 2.0;
        QTest::newRow("no number is 0") << "abc" << QChar(u'.') << 0.0;
        QTest::newRow("sign and blanks") << " -12.75" << QChar(u'.') << -12.75;
    }
    void iValReadsTheUsersSeparator() {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(double, value);
        QCOMPARE(CalibrationLoads::iVal(text, separator), value);
    }

    void startReadsThenResetsTheCalibration_data() {
        QTest::addColumn<float>("firmware");
        QTest::addColumn<QStringList>("calls");
        const QStringList withSystemZero{"get LINP",    "get Gain",  "get OFFS",    "get POZ",
                                         "get SYSZERO", "get RESOL", "set LINP",    "set Gain",
                                         "set OFFS",    "set POZ",   "set SYSZERO", "set RESOL"};
        QTest::newRow("a module with system zero") << 4.1f << withSystemZero;
        QTest::newRow("firmware 1.08 has system zero") << 1.08f << withSystemZero;
        QTest::newRow("below 1.08 system zero is left alone")
            << 1.07f << QStringList{"get LINP", "get Gain", "get OFFS", "get POZ", "get RESOL",
                                    "set LINP", "set Gain", "set OFFS", "set POZ", "set RESOL"};
    }
    void startReadsThenResetsTheCalibration() {
        QFETCH(float, firmware);
        QFETCH(QStringList, calls);
        Run run(firmware);
        run.start({"0", "", "", "", "", "10"});
        QCOMPARE(run.module.calls, calls);
        for (const auto& write : run.module.writes) {
            const double expected = write.first == QLatin1String("Gain") ? 1.0 : 0.0;
            QCOMPARE(write.second.kind(), DeviceValue::Kind::Whole);
            QCOMPARE(write.second.toDouble(), expected);
        }
    }

    void theCalibrationAndTableAreComputedInSinglePrecision() {
        Run run;
        auto& [module, recorder, wizard] = run;
        run.start({"2", "7.5", "", "", "", "22"});
        run.press("MVV", 0.31f); // Set at the low load
        QCOMPARE(recorder.stage, QStringLiteral("Calibration High Point"));
        module.writes.clear();
        run.press("MVV", 1.87f); // Set at the high load
        const float gain = (2.0f - 22.0f) / (0.31f - 1.87f);
        const float offset = gain * 0.31f - 2.0f;
        QCOMPARE(module.writes, (Writes{{"Gain", gain},
                                        {"OFFS", offset},
                                        {"CMVVLO", 0.31f},
                                        {"CMVVHI", 1.87f},
                                        {"CENGLO", 2.0f},
                                        {"CENGHI", 22.0f}}));
        QCOMPARE(recorder.stage, QStringLiteral("Calibration Stage Complete"));
        QCOMPARE(recorder.caption, QStringLiteral("Next"));

        module.writes.clear();
        run.press(); // Next: point 1 prepared
        QCOMPARE(recorder.stage, QStringLiteral("Linearisation Point 1"));
        QCOMPARE(module.writes, (Writes{{"LINX1", 0.31f}, {"LINK1", 0}}));
        module.writes.clear();
        run.press("UMVV", 0.75f); // Set at point 1, then on to completion
        const float slope = (1.87f - 0.31f) / (22.0f - 2.0f);
        const float expected = 0.31f + (7.5f - 2.0f) * slope;
        const float correction = (expected - 0.75f) * 1000.0f;
        QCOMPARE(module.writes, (Writes{{"LINX2", 0.75f},
                                        {"LINK2", correction},
                                        {"LINX3", 1.87f},
                                        {"LINK3", 0},
                                        {"LINP", 3}}));
        QCOMPARE(recorder.stage, QStringLiteral("Linearisation Complete"));
        QCOMPARE(recorder.caption, QStringLiteral("Start"));
        QVERIFY(!recorder.running);
        QCOMPARE(wizard.stage(), qint16(0));
    }

    void theLoadsAreTakenOnceAtStart() {
        Run run;
        auto& [module, recorder, wizard] = run;
        run.start({"0", "", "", "", "", "10"});
        module.values[QStringLiteral("MVV")] = DeviceValue(0.0f);
        // Texts that changed after Start (a high point of 0) do not reach the calculation.
        const Texts edited = loads({"0", "", "", "", "", "0"});
        wizard.Capture(module, edited, QLatin1Char('.'));
        module.values[QStringLiteral("MVV")] = DeviceValue(2.0f);
        wizard.Capture(module, edited, QLatin1Char('.'));
        QCOMPARE(lastWrite(module, "Gain"), DeviceValue(5.0f));
        QCOMPARE(lastWrite(module, "CENGHI"), DeviceValue(10.0f));
    }

    void aHighReadingNotAboveTheLowOneIsQuestioned_data() {
        QTest::addColumn<bool>("retry");
        QTest::newRow("Yes returns to the high point") << true;
        QTest::newRow("No aborts and puts the calibration back") << false;
    }
    void aHighReadingNotAboveTheLowOneIsQuestioned() {
        QFETCH(bool, retry);
        Run run;
        auto& [module, recorder, wizard] = run;
        recorder.answers = {retry};
        run.start({"0", "", "", "", "", "10"});
        run.press("MVV", 1.0f);
        module.writes.clear();
        run.press(); // the same signal at the high load
        QCOMPARE(recorder.messages,
                 QStringList{QStringLiteral(
                     "An Error Occurred: The input measured when calibrating the high point was "
                     "equal to or lower than the low point. This is an error condition!\r\n\r\n"
                     "Do you want to retry?\r\n\r\nClick Yes to retry the last stage.\r\nClick No "
                     "to abort the process.")});
        if (retry) {
            QCOMPARE(recorder.stage, QStringLiteral("Calibration High Point"));
            QCOMPARE(wizard.stage(), qint16(3));
            QVERIFY(module.writes.isEmpty());
            QVERIFY(recorder.running);
        } else {
            QCOMPARE(recorder.stage, QStringLiteral("Ready..."));
            QCOMPARE(recorder.caption, QStringLiteral("Start"));
            QCOMPARE(wizard.stage(), qint16(0));
            QVERIFY(!recorder.running);
            QCOMPARE(writtenNames(module),
                     (QStringList{"LINP", "Gain", "OFFS", "POZ", "SYSZERO", "RESOL"}));
            QCOMPARE(calibrationOf(module), calibrationOf(calibratedModule()));
        }
    }

    // Abort, or leaving the page (which shows and asks nothing more), puts back what Start reset
    // unless the new calibration has been written; once the run has ended nothing more is written.
    void anEndedRunPutsBackOnlyAnUnfinishedCalibration_data() {
        QTest::addColumn<int>("setsBeforeEnd");
        QTest::addColumn<bool>("leaving");
        QTest::addColumn<bool>("restored");
        QTest::newRow("Abort right after Start") << 0 << false << true;
        QTest::newRow("Abort after the low reading") << 1 << false << true;
        QTest::newRow("Abort after the calibration was written") << 2 << false << false;
        QTest::newRow("leaving right after Start") << 0 << true << true;
        QTest::newRow("leaving after the low reading") << 1 << true << true;
    }
    void anEndedRunPutsBackOnlyAnUnfinishedCalibration() {
        QFETCH(int, setsBeforeEnd);
        QFETCH(bool, leaving);
        QFETCH(bool, restored);
        Run run;
        auto& [module, recorder, wizard] = run;
        run.start({"0", "5", "", "", "", "10"});
        for (int i = 0; i < setsBeforeEnd; ++i) {
            run.press("MVV", float(i));
        }
        const QString stageShown = recorder.stage;
        if (leaving) {
            wizard.Interrupted(module);
            QCOMPARE(recorder.stage, stageShown);
        } else {
            wizard.Abort(module);
            QCOMPARE(recorder.stage, QStringLiteral("Ready..."));
            QVERIFY(!recorder.running);
            QCOMPARE(wizard.stage(), qint16(0));
        }
        QVERIFY(!wizard.isRunning());
        if (restored) {
            QCOMPARE(calibrationOf(module), calibrationOf(calibratedModule()));
        } else {
            QCOMPARE(module.values.value("Gain"), DeviceValue(10.0f));
            QCOMPARE(module.values.value("OFFS"), DeviceValue(0.0f));
            QCOMPARE(module.values.value("POZ"), DeviceValue(0));
            QCOMPARE(module.values.value("RESOL"), DeviceValue(0));
        }
        module.writes.clear();
        wizard.Interrupted(module);
        QVERIFY(module.writes.isEmpty());
    }

    void aFailedLinearisationPointIsRetriedNotSkipped() {
        Run run;
        auto& [module, recorder, wizard] = run;
        module.pendingErrors = true;
        recorder.answers = {true};
        run.start({"0", "4", "6", "", "", "10"});
        run.press("MVV", 0.0f);
        run.press("MVV", 1.0f);
        run.press(); // Next: point 1
        module.failingNames = {QStringLiteral("LINP")};
        run.press("UMVV", 0.41f); // Set at point 1: the table write fails
        QCOMPARE(recorder.messages, QStringList{CommsQuestion});
        QCOMPARE(recorder.stage, QStringLiteral("Retry Previous Stage"));
        QCOMPARE(wizard.stage(), qint16(4)); // point 1 again, not point 2
        QVERIFY(!module.ErrorState());
        module.failingNames.clear();
        run.press(); // Next: point 1 prepared again
        QCOMPARE(recorder.stage, QStringLiteral("Linearisation Point 1"));
        run.press(); // Set at point 1
        QCOMPARE(module.values.value("LINP"), DeviceValue(3));
        QCOMPARE(module.values.value("LINX2"), DeviceValue(0.41f));
        QCOMPARE(recorder.stage, QStringLiteral("Linearisation Point 2"));
        QCOMPARE(wizard.stage(), qint16(7));
    }

    void aFailedLowReadingReturnsToTheLowPoint() {
        Run run;
        auto& [module, recorder, wizard] = run;
        module.pendingErrors = true;
        recorder.answers = {true};
        run.start({"0", "", "", "", "", "10"});
        module.failingNames = {QStringLiteral("MVV")};
        run.press(); // Set at the low load: no reading
        QCOMPARE(recorder.messages, QStringList{CommsQuestion});
        QCOMPARE(wizard.retryStage(), qint16(0));
        QVERIFY(!recorder.stages.contains(QStringLiteral("Calibration High Point")));
        module.failingNames.clear();
        module.calls.clear();
        run.press(); // Next: the low point again
        QCOMPARE(recorder.stage, QStringLiteral("Calibration Low Point"));
        // The calibration read at the first Start is kept, not read again from the reset module.
        QVERIFY(!module.calls.contains(QStringLiteral("get Gain")));
        run.press("MVV", 0.25f);
        QCOMPARE(wizard.lowMvV(), 0.25f);
        QCOMPARE(recorder.stage, QStringLiteral("Calibration High Point"));
        wizard.Abort(module);
        QCOMPARE(module.values.value("Gain"), DeviceValue(12.5f));
    }
};

QTEST_GUILESS_MAIN(TestCalibrationWizard)
#include "tst_calibrationwizard.moc"
