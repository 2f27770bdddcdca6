#include "pages/CHILD_GEN_CALIBRATION.h"

#include "calibration/CalibrationUi.h"
#include "calibration/CalibrationWizard.h"
#include "controls/FontsModule.h"
#include "controls/QKBtn.h"
#include "controls/QKBtnUpdateModule.h"
#include "device/CurrentDevice.h"
#include "device/DeviceThread.h"
#include "device/ZEX.h"
#include "shell/MainFrm.h"
#include "shell/MessageFrm.h"
#include "shell/RefreshBatch.h"
#include "util/ApplicationState.h"
#include "util/NumberFormatModule.h"

#include <QMessageBox>
#include <QPointer>

namespace {

constexpr double FieldsLeft = 240;
constexpr double FieldWidth = 1750;
constexpr double FieldStep = 1860;
constexpr double LabelTop = 840;
constexpr double LabelHeight = 540;
constexpr double FieldTop = 1420;
constexpr double FieldHeight = 450;

constexpr double ReadingTop = 2650;
constexpr double ReadingWidth = 4600;
constexpr double ReadingHeight = 900;
constexpr double ReadingFontPoints = 26;
constexpr double ButtonsLeft = 5400;
constexpr double ButtonWidth = 1900;
constexpr double ButtonGap = 250;

constexpr double StageTop = 3950;
constexpr double TextWidth = 11000;
constexpr double InstructionsHeight = 1000;

const char* const LabelCaptions[] = {"Low Cal Point",        "Linearisation**Point",
                                     "Linearisation**Point", "Linearisation**Point",
                                     "Linearisation**Point", "High Cal Point"};
const char* const FieldTips[] = {"Calibrated Low Point", "Linearisation Point",
                                 "Linearisation Point",  "Linearisation Point",
                                 "Linearisation Point",  "Calibrated High Point"};

} // namespace

CHILD_GEN_CALIBRATION::CHILD_GEN_CALIBRATION(MainFrm& window)
    : PageBase(window, QStringLiteral("Calibration")) {
    using QKBtnUpdateModule::SetupField;
    for (int i = 0; i < CalibrationLoads::Count; ++i) {
        const double left = FieldsLeft + i * FieldStep;
        QKBtn* label =
            bodyLabel(QLatin1String(LabelCaptions[i]), left, LabelTop, FieldWidth, LabelHeight);
        label->Alignment(QKBtn::AlignCentre);
        Text1Label[std::size_t(i)] = label;
        QKBtn* field = control(QStringLiteral("Edit"), QString(), left, FieldTop, FieldWidth,
                               FieldHeight, QStringLiteral("Text1_%1").arg(i));
        // A free numeric edit, bound to no member; it starts empty, so that no caption can be
        // taken for a load the user typed.
        SetupField(*field, QString(), QStringLiteral("*"), true, QStringLiteral("112345678990-."),
                   9, 0, 0, QString(), false, false, QLatin1String(FieldTips[i]));
        field->Caption(QString());
        Text1[std::size_t(i)] = field;
    }

    lbReadingLabel = bodyLabel(QStringLiteral("Calibrated Value Tonnes"), FieldsLeft,
                               ReadingTop - 360, ReadingWidth);
    lbReading = control(QStringLiteral("LCD"), QString(), FieldsLeft, ReadingTop, ReadingWidth,
                        ReadingHeight, QStringLiteral("lbReading"));
    // The LCD style's own format keeps a reading to seven digits, so a signal close to zero
    // shows as 0.000000 rather than in exponent form.
    // A size that fits a whole reading (up to nine characters) on one line, rather than the
    // height-filling size of the style, whose wide digits would wrap.
    lbReading->Stretch(false);
    QFont led = lbReading->Font();
    if (!FontsModule::LedFontFamily().isEmpty()) {
        led.setFamily(FontsModule::LedFontFamily());
    }
    led.setPointSizeF(ReadingFontPoints);
    lbReading->Font(led);
    lbReading->Alignment(QKBtn::AlignRight);
    lbReading->Padding(8);

    const double buttonTop = ReadingTop + (ReadingHeight - 450) / 2;
    cbCapture = button(QStringLiteral("Start"), ButtonsLeft, buttonTop, ButtonWidth,
                       QStringLiteral("cbCapture"));
    cbAbort = button(QStringLiteral("Abort"), ButtonsLeft + ButtonWidth + ButtonGap, buttonTop,
                     ButtonWidth, QStringLiteral("cbAbort"));
    cbAbort->Enabled(false);

    lbStage = header(QStringLiteral("Instructions"), FieldsLeft, StageTop, TextWidth);
    lbStage->setObjectName(QStringLiteral("lbStage"));
    lbInstructions = control(QStringLiteral("Body"),
                             QStringLiteral("Enter calibration weights above then click the "
                                            "Start button."),
                             FieldsLeft, StageTop + 520, TextWidth, InstructionsHeight,
                             QStringLiteral("lbInstructions"));
    QFont instructionsFont = lbInstructions->Font();
    instructionsFont.setPointSizeF(12);
    lbInstructions->Font(instructionsFont);

    m_wizard =
        std::make_shared<CalibrationWizard>(makeUi(), CurrentDevice::Connection().firmwareVersion);
    connect(cbCapture, &QKBtn::Click, this, &CHILD_GEN_CALIBRATION::cbCapture_Click);
    connect(cbAbort, &QKBtn::Click, this, &CHILD_GEN_CALIBRATION::cbAbort_Click);
}

CHILD_GEN_CALIBRATION::~CHILD_GEN_CALIBRATION() {
    // Going Home or closing in the middle of a calibration must not leave the module with the
    // calibration that Start reset; the put-back runs after any press still on the way.
    std::shared_ptr<CalibrationWizard> wizard = m_wizard;
    window().Device().post([wizard] {
        if (ZEX* device = CurrentDevice::Get()) {
            wizard->Interrupted(*device);
        }
    });
}

QString CHILD_GEN_CALIBRATION::ChildFormClass_HelpText() const {
    return QStringLiteral("This page allows you to calibrate the module.*Calibration can be "
                          "achieved by applying known weights.");
}

void CHILD_GEN_CALIBRATION::ChildFormClass_TimedRefresh(RefreshBatch& batch) {
    batch.value(
        this,
        [](ZEX& device) {
            return NumberFormatModule::FormatValue(device.GROSS(), QString(),
                                                   NumberFormatModule::UserDecimalSeparator());
        },
        [this](const QString& text) { lbReading->Caption(text); });
}

CalibrationLoads::Texts CHILD_GEN_CALIBRATION::LoadTexts() const {
    CalibrationLoads::Texts texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = Text1[i]->Caption();
    }
    return texts;
}

void CHILD_GEN_CALIBRATION::cbCapture_Click() {
    const CalibrationLoads::Texts texts = LoadTexts();
    const QChar separator = NumberFormatModule::UserDecimalSeparator();
    runPress([texts, separator](CalibrationWizard& wizard, ZEX& device) {
        wizard.Capture(device, texts, separator);
    });
}

void CHILD_GEN_CALIBRATION::cbAbort_Click() {
    runPress([](CalibrationWizard& wizard, ZEX& device) { wizard.Abort(device); });
}

void CHILD_GEN_CALIBRATION::runPress(std::function<void(CalibrationWizard&, ZEX&)> press) {
    if (m_pressRunning || AppState().Closing) {
        return;
    }
    m_pressRunning = true;
    // One press at a time: a second click cannot start a stage while this one's questions wait.
    window().BlockInput(true);
    MainFrm* owner = &window();
    QPointer<CHILD_GEN_CALIBRATION> self(this);
    std::shared_ptr<CalibrationWizard> wizard = m_wizard;
    owner->Device().post(
        [wizard, press = std::move(press)] {
            if (ZEX* device = CurrentDevice::Get()) {
                press(*wizard, *device);
            }
        },
        owner,
        [owner, self] {
            owner->BlockInput(false);
            if (self) {
                self->m_pressRunning = false;
                Q_EMIT self->PressFinished();
            }
        });
}

void CHILD_GEN_CALIBRATION::setRunning(bool running) {
    cbAbort->Enabled(running);
    // The loads were taken at Start: they stay as they are until the run ends.
    for (QKBtn* field : Text1) {
        field->Enabled(!running);
    }
}

CalibrationUi CHILD_GEN_CALIBRATION::makeUi() {
    // Each call is carried over to the window thread and waited for; a page that has gone in the
    // meantime is skipped (its questions count as No). The main window is the carrier: it
    // outlives the device thread, which the page does not.
    QPointer<CHILD_GEN_CALIBRATION> page(this);
    QPointer<MainFrm> owner(&window());
    MainFrm* carrier = &window();
    auto onPage = [page, carrier](std::function<void(CHILD_GEN_CALIBRATION&)> call) {
        WindowThread::Call(carrier, [page, call] {
            if (page) {
                call(*page);
            }
        });
    };
    CalibrationUi ui;
    ui.showStage = [onPage](const QString& text) {
        onPage([text](CHILD_GEN_CALIBRATION& p) { p.lbStage->Caption(text); });
    };
    ui.showInstructions = [onPage](const QString& text) {
        onPage([text](CHILD_GEN_CALIBRATION& p) { p.lbInstructions->Caption(text); });
    };
    ui.showCaptureCaption = [onPage](const QString& caption) {
        onPage([caption](CHILD_GEN_CALIBRATION& p) { p.cbCapture->Caption(caption); });
    };
    ui.setRunning = [onPage](bool running) {
        onPage([running](CHILD_GEN_CALIBRATION& p) { p.setRunning(running); });
    };
    ui.showError = [onPage](const QString& title, const QString& text) {
        onPage([title, text](CHILD_GEN_CALIBRATION&) {
            ShowMessage(text, title, true, MessageFrm::ModeOK);
        });
    };
    ui.askYesNo = [onPage](const QString& title, const QString& text) {
        bool yes = false;
        onPage([title, text, &yes](CHILD_GEN_CALIBRATION&) {
            ShowMessage(text, title, true, MessageFrm::ModeYesNo);
            yes = !MessageCancelled();
        });
        return yes;
    };
    ui.askInBox = [onPage, owner](const QString& title, const QString& text) {
        bool yes = false;
        onPage([owner, title, text, &yes](CHILD_GEN_CALIBRATION&) {
            QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Yes | QMessageBox::No,
                            owner.data());
            box.setDefaultButton(QMessageBox::Yes);
            yes = box.exec() == QMessageBox::Yes;
        });
        return yes;
    };
    return ui;
}
