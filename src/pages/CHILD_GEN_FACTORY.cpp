#include "pages/CHILD_GEN_FACTORY.h"

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

#include <QPointer>

namespace {

constexpr double LeftColumn = 240;
constexpr double RightColumn = 5900;
constexpr double LabelWidth = 2500;
constexpr double FieldOffset = 2600;
constexpr double FieldWidth = 2500;
constexpr double FieldHeight = 420;
constexpr double HeaderTop = 800;
constexpr double InstructionsTop = 1250;
constexpr double InstructionsHeight = 560;
constexpr double ColumnWidth = 5100;
constexpr double FirstRowTop = 1950;
constexpr double RowStep = 540;
constexpr double ButtonTop = FirstRowTop + 4 * RowStep + 120;
constexpr double SerialTop = ButtonTop + 900;
constexpr double AcquireWidth = 2450;
constexpr double AcquireFontPoints = 11;

const QString NumberChars = QStringLiteral("112345678990-.");

} // namespace

CHILD_GEN_FACTORY::CHILD_GEN_FACTORY(MainFrm& window)
    : PageBase(window, QStringLiteral("Factory Calibration"))
    , m_firmware(CurrentDevice::Connection().firmwareVersion)
    , m_acquisition(std::make_shared<FactoryCalibration::MvvAcquisition>()) {
    header(QStringLiteral("mV/V Calibration"), LeftColumn, HeaderTop, ColumnWidth);
    bodyLabel(QStringLiteral("Apply correct mV/V inputs, allow to settle and click Acquire "
                             "buttons"),
              LeftColumn, InstructionsTop, ColumnWidth, InstructionsHeight);
    const QString live = QStringLiteral("Live");
    PBRMVV = row(QStringLiteral("Raw mV/V"), "PBRMVV", LeftColumn, FirstRowTop, nullptr, live);
    PBUMVV = row(QStringLiteral("Unlinearised mV/V"), "PBUMVV", LeftColumn, FirstRowTop + RowStep,
                 nullptr, live);
    pbFGAIN = row(QStringLiteral("FGAIN"), "pbFGAIN", LeftColumn, FirstRowTop + 2 * RowStep);
    pbFOFFS = row(QStringLiteral("FOFFS"), "pbFOFFS", LeftColumn, FirstRowTop + 3 * RowStep);
    ACQUIRE1 = button(QStringLiteral("Acquire -2.5mV/V"), LeftColumn, ButtonTop, AcquireWidth,
                      QStringLiteral("ACQUIRE1"));
    ACQUIRE2 = button(QStringLiteral("Acquire +2.5 mV/V"),
                      LeftColumn + FieldOffset + FieldWidth - AcquireWidth, ButtonTop, AcquireWidth,
                      QStringLiteral("ACQUIRE2"));
    // Their captions are long for the column: a size that leaves a margin in the button,
    // instead of the style's height-filling one.
    for (QKBtn* acquire : {ACQUIRE1, ACQUIRE2}) {
        acquire->Stretch(false);
        QFont font = acquire->Font();
        font.setPointSizeF(AcquireFontPoints);
        acquire->Font(font);
    }

    lbBatteryHeader =
        header(QStringLiteral("Battery Calibration"), RightColumn, HeaderTop, ColumnWidth);
    lbBatteryInstructions =
        bodyLabel(QStringLiteral("Select the PSU input used. Enter measured "
                                 "PSU voltage then click the Calibrate "
                                 "button"),
                  RightColumn, InstructionsTop, ColumnWidth, InstructionsHeight);
    pbBATTV = row(QStringLiteral("Battery Voltage"), "pbBATTV", RightColumn, FirstRowTop, &lbBATTV,
                  QStringLiteral("Live"));
    pbPSU = row(QStringLiteral("Using PSU"), "pbPSU", RightColumn, FirstRowTop + RowStep, &lbPSU);
    pbMeasured = row(QStringLiteral("Measured Voltage"), "pbMeasured", RightColumn,
                     FirstRowTop + 2 * RowStep, &lbMeasured);
    QKBtn3 = button(QStringLiteral("Calibrate"), RightColumn + FieldOffset, ButtonTop, FieldWidth,
                    QStringLiteral("QKBtn3"));
    pbSerialNumber = row(QStringLiteral("Serial Number"), "pbSerialNumber", LeftColumn, SerialTop,
                         &lbSerialNumber);

    using QKBtnUpdateModule::SetupField;
    SetupField(*PBRMVV, QStringLiteral("RMVV"), QStringLiteral("*"), true, QString(), 9, 0, 0,
               QString(), false, false, QStringLiteral("Raw mV/V"));
    SetupField(*PBUMVV, QStringLiteral("UMVV"), QStringLiteral("*"), true, QString(), 9, 0, 0,
               QString(), false, false, QStringLiteral("Unlinearised mV/V"));
    SetupField(*pbFGAIN, QStringLiteral("FGAIN"), QStringLiteral("*"), true, NumberChars, 9, 0, 0,
               QString(), false, false, QStringLiteral("Factory Gain"));
    SetupField(*pbFOFFS, QStringLiteral("FOFFS"), QStringLiteral("*"), true, NumberChars, 9, 0, 0,
               QString(), false, false, QStringLiteral("Factory Offset"));
    SetupField(*pbBATTV, QStringLiteral("BATTV"), QStringLiteral("*"), true, QString(), 9, 0, 0,
               QString(), false, false, QStringLiteral("Battery Voltage"));
    SetupField(*pbPSU, QString(), QString(), false, QString(), 0, 0, 0, QStringLiteral("3V|9V"),
               true, false, QStringLiteral("Select the PSU input used"));
    SetupField(*pbMeasured, QString(), QStringLiteral("*"), true, NumberChars, 9, 0, 0, QString(),
               false, false, QStringLiteral("Measured Voltage"));
    // The module keeps the serial number in 32 bits: a larger number is refused with the beep
    // like any number out of range, instead of being dropped without a word.
    SetupField(*pbSerialNumber, QStringLiteral("SERIALNUMBER"), QStringLiteral("0000000000"), true,
               QStringLiteral("112345678990"), 10, 0, 4294967295.0, QString(), false, false,
               QStringLiteral("Serial Number"));
    // The readings are shown, never edited, and never take the focus.
    for (QKBtn* display : {PBRMVV, PBUMVV, pbBATTV}) {
        display->Editable(QKBtn::EditNone);
        display->Inactive(true);
    }
    pbMeasured->Caption(QString());
    // The input used when none is chosen is the 9 V one: shown, so what is used is what is seen.
    pbPSU->ListIndex(1);

    const bool battery = HasBatteryControls();
    for (QWidget* part :
         {static_cast<QWidget*>(pbBATTV), static_cast<QWidget*>(pbPSU),
          static_cast<QWidget*>(pbMeasured), static_cast<QWidget*>(pbSerialNumber),
          static_cast<QWidget*>(lbBATTV), static_cast<QWidget*>(lbPSU),
          static_cast<QWidget*>(lbMeasured), static_cast<QWidget*>(lbSerialNumber),
          static_cast<QWidget*>(lbBatteryHeader), static_cast<QWidget*>(lbBatteryInstructions),
          static_cast<QWidget*>(QKBtn3)}) {
        part->setVisible(battery);
    }

    for (QKBtn* field : {pbFGAIN, pbFOFFS, pbSerialNumber}) {
        connect(field, &QKBtn::Changed, this, [this, field] { UpdateDeviceFromField(field); });
    }
    connect(ACQUIRE1, &QKBtn::Click, this, &CHILD_GEN_FACTORY::ACQUIRE1_Click);
    connect(ACQUIRE2, &QKBtn::Click, this, &CHILD_GEN_FACTORY::ACQUIRE2_Click);
    connect(QKBtn3, &QKBtn::Click, this, &CHILD_GEN_FACTORY::QKBtn3_Click);
}

CHILD_GEN_FACTORY::~CHILD_GEN_FACTORY() = default;

QKBtn* CHILD_GEN_FACTORY::row(const QString& label, const char* name, double left, double top,
                              QKBtn** labelOut, const QString& style) {
    QKBtn* caption = bodyLabel(label, left, top + 45, LabelWidth, 330);
    if (labelOut) {
        *labelOut = caption;
    }
    return control(style, QString(), left + FieldOffset, top, FieldWidth, FieldHeight,
                   QLatin1String(name));
}

QString CHILD_GEN_FACTORY::ChildFormClass_HelpText() const {
    return QStringLiteral("Factory Access*This page gives access to protected factory level "
                          "parameters and calibration.");
}

void CHILD_GEN_FACTORY::ChildFormClass_Activated() {
    window().SetRefreshInterval(333);
    window().RefreshNow();
}

void CHILD_GEN_FACTORY::ChildFormClass_TimedRefresh(RefreshBatch& batch) {
    batch.field(PBRMVV);
    batch.field(PBUMVV);
    batch.field(pbFGAIN);
    batch.field(pbFOFFS);
    if (HasBatteryControls()) {
        batch.field(pbBATTV);
        batch.field(pbSerialNumber);
    }
}

void CHILD_GEN_FACTORY::ACQUIRE1_Click() {
    auto acquisition = m_acquisition;
    runStep(
        [acquisition](ZEX& device) -> std::optional<FactoryCalibration::Outcome> {
            acquisition->AcquireLow(device);
            return std::nullopt;
        },
        false);
}

void CHILD_GEN_FACTORY::ACQUIRE2_Click() {
    auto acquisition = m_acquisition;
    runStep(
        [acquisition](ZEX& device) -> std::optional<FactoryCalibration::Outcome> {
            return acquisition->AcquireHigh(device);
        },
        false);
}

void CHILD_GEN_FACTORY::QKBtn3_Click() {
    const auto input = pbPSU->ListIndex() == 0 ? FactoryCalibration::SupplyInput::ThreeVolt
                                               : FactoryCalibration::SupplyInput::NineVolt;
    const QString measured = pbMeasured->Caption();
    const QChar separator = NumberFormatModule::UserDecimalSeparator();
    MonotonicClock* clock = &window().Clock();
    runStep(
        [input, measured, separator,
         clock](ZEX& device) -> std::optional<FactoryCalibration::Outcome> {
            return FactoryCalibration::CalibrateBattery(device, *clock, input, measured, separator);
        },
        true);
}

void CHILD_GEN_FACTORY::runStep(
    std::function<std::optional<FactoryCalibration::Outcome>(ZEX&)> step, bool busyPointer) {
    if (m_calibrating || AppState().Closing) {
        return;
    }
    m_calibrating = true;
    MainFrm* owner = &window();
    owner->BlockInput(true);
    if (busyPointer) {
        owner->SetBusyPointer(true);
    }
    QPointer<CHILD_GEN_FACTORY> self(this);
    auto outcome = std::make_shared<std::optional<FactoryCalibration::Outcome>>();
    owner->Device().post(
        [step = std::move(step), outcome] {
            if (ZEX* device = CurrentDevice::Get()) {
                *outcome = step(*device);
            }
        },
        owner,
        [owner, self, outcome, busyPointer] {
            if (busyPointer) {
                owner->SetBusyPointer(false);
            }
            owner->BlockInput(false);
            if (*outcome && !AppState().Closing) {
                const FactoryCalibration::Outcome& shown = **outcome;
                ShowMessage(shown.message, shown.title, !shown.succeeded, MessageFrm::ModeOK);
            }
            if (self) {
                self->m_calibrating = false;
                Q_EMIT self->CalibrationFinished();
            }
        });
}
