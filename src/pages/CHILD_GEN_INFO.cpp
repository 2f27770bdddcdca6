#include "pages/CHILD_GEN_INFO.h"

#include "controls/ColourModule.h"
#include "controls/FontsModule.h"
#include "controls/QKBtn.h"
#include "controls/QKBtnUpdateModule.h"
#include "controls/TextFrame.h"
#include "device/CurrentDevice.h"
#include "device/StatusWord.h"
#include "device/ZEX.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"
#include "shell/RefreshBatch.h"
#include "store/BrandValues.h"
#include "util/NumberFormatModule.h"

#include <QFrame>
#include <QPainter>
#include <cmath>

namespace {

constexpr double LabelLeft = 240;
constexpr double LabelWidth = 2500;
constexpr double FieldLeft = 2800;
constexpr double FieldWidth = 2600;
constexpr double FieldHeight = 420;
constexpr double FirstRowTop = 900;
constexpr double RowStep = 540;

constexpr double DisplayLeft = 5900;
constexpr double DisplayTop = 1500;
constexpr double DisplayWidth = 5300;
constexpr double DisplayHeight = 1900;

// A status word as a whole number; anything that is not one (garbled, NaN, huge) is no flags.
qint32 statusOf(const DeviceValue& value) {
    double number = 0.0;
    try {
        number = value.toDouble();
    } catch (...) {
        return 0;
    }
    if (!std::isfinite(number) || number < 0.0 || number > 2147483647.0) {
        return 0;
    }
    return qint32(number);
}

// The module's display glass: a rounded panel in the display background with a thin rim in the
// live colour, behind the value and its annunciators.
class DisplayGlass : public QFrame {
public:
    explicit DisplayGlass(QWidget* parent)
        : QFrame(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor rim = ColourModule::ToQColor(Brand().Live);
        const QColor fill = ColourModule::ToQColor(Brand().DisplayBack);
        painter.setPen(QPen(rim, 1.5));
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 10, 10);
    }
};

} // namespace

CHILD_GEN_INFO::CHILD_GEN_INFO(MainFrm& window)
    : PageBase(window, QStringLiteral("Information")) {
    const DeviceConnection& connection = CurrentDevice::Connection();
    m_firmware = connection.firmwareVersion;
    m_radio = PageRegistry::LinkIsR58();

    pbFirmware = settingRow(QStringLiteral("Firmware Version"), "pbFirmware", 0);
    pbSerialNumber =
        settingRow(QStringLiteral("Serial Number"), "pbSerialNumber", 1, &lbSerialNumber);
    for (QKBtn* identity : {pbFirmware, pbSerialNumber}) {
        identity->Style(QStringLiteral("Live"));
        identity->Inactive(true);
    }
    header(QStringLiteral("Display Configuration"), LabelLeft, FirstRowTop + 2 * RowStep + 120,
           5000);
    pbTType = settingRow(QStringLiteral("Ton(ne) Type"), "pbTType", 3);
    pbRESOL = settingRow(QStringLiteral("Resolution"), "pbRESOL", 4);
    pbDP = settingRow(QStringLiteral("Decimal Point"), "pbDP", 5);
    pbOffAuto = settingRow(QStringLiteral("Auto Off (Minutes)"), "pbOffAuto", 6);
    pbPeakMode = settingRow(QStringLiteral("Peak Hold Mode"), "pbPeakMode", 7);
    pbSlave = settingRow(QStringLiteral("Slave"), "pbSlave", 8, &lbSlave);
    pbPeakMode->Enabled(false);

    Display = new DisplayGlass(this);
    Display->setObjectName(QStringLiteral("Display"));
    Display->setGeometry(twipsRect(DisplayLeft, DisplayTop, DisplayWidth, DisplayHeight));
    bodyLabel(QStringLiteral("Display"), DisplayLeft, DisplayTop - 360, 3000);
    LCD1 = control(QStringLiteral("LCD"), QString(), DisplayLeft + 200, DisplayTop + 200, 3900,
                   1000, QStringLiteral("LCD1"));
    QFont led = LCD1->Font();
    if (!FontsModule::LedFontFamily().isEmpty()) {
        led.setFamily(FontsModule::LedFontFamily());
    }
    LCD1->Font(led);
    LCD1->Alignment(QKBtn::AlignRight);
    // The value arrives cut to what the module's display shows; it is shown as it is.
    LCD1->Format(QString());
    LCD1->BorderStyle(0);
    LCDUnits = control(QStringLiteral("LCDSeg"), QString(), DisplayLeft + 4150, DisplayTop + 500,
                       950, 560, QStringLiteral("LCDUnits"));
    LCDUnits->Alignment(QKBtn::AlignLeft);
    const double annunciatorTop = DisplayTop + 1330;
    LCDNet = control(QStringLiteral("LCDSeg"), QStringLiteral("NET"), DisplayLeft + 300,
                     annunciatorTop, 1000, 380, QStringLiteral("LCDNet"));
    LCDPeak = control(QStringLiteral("LCDSeg"), QStringLiteral("PEAK HOLD"), DisplayLeft + 1500,
                      annunciatorTop, 1900, 380, QStringLiteral("LCDPeak"));
    LCDBatt = control(QStringLiteral("LCDSeg"), QStringLiteral("LOW BATT"), DisplayLeft + 3600,
                      annunciatorTop, 1500, 380, QStringLiteral("LCDBatt"));
    for (QKBtn* part : {LCD1, LCDUnits, LCDNet, LCDPeak, LCDBatt}) {
        part->setParent(this);
        part->raise();
    }
    for (QKBtn* annunciator : {LCDNet, LCDPeak, LCDBatt}) {
        annunciator->Alignment(QKBtn::AlignCentre);
        annunciator->hide();
    }

    ErrorMessage = new TextFrame(this);
    ErrorMessage->setObjectName(QStringLiteral("ErrorMessage"));
    ErrorMessage->setGeometry(
        twipsRect(DisplayLeft, DisplayTop + DisplayHeight + 200, DisplayWidth, 600));
    ErrorMessage->BackColor(Brand().LiftoutBack);
    ErrorMessage->ForeColor(Brand().LiftoutFore);
    ErrorMessage->setToolTip(QStringLiteral("Displays any reasons why the displayed value may be "
                                            "incorrect"));
    ErrorMessage->hide();

    using QKBtnUpdateModule::SetupField;
    const bool serialNumberShown = m_firmware >= 3.0f;
    pbSerialNumber->setVisible(serialNumberShown);
    lbSerialNumber->setVisible(serialNumberShown);
    SetupField(*pbFirmware, QStringLiteral("VERS"), QStringLiteral("00.00"), true, QString(), 3, 0,
               0, QString(), false, false,
               QStringLiteral("Shows the version of the module firmware"));
    SetupField(*pbSerialNumber, QStringLiteral("SerialNumber"), QStringLiteral("0000000000"), true,
               QString(), 10, 0, 0, QString(), false, false,
               QStringLiteral("Shows the serial number encoded into the module"));
    SetupField(*pbTType, QStringLiteral("TType"), QString(), false, QString(), 0, 0, 0,
               QStringLiteral("Metric|Imperial|US"), true, false,
               QStringLiteral("Select the ton(ne) type"));
    SetupField(*pbRESOL, QStringLiteral("RESOL"), QString(), false, QString(), 0, 0, 0,
               QStringLiteral("1 (2lb)|2 (5lb)|5 (10lb)"), true, false,
               QStringLiteral("Select the resolution"));
    SetupField(*pbDP, QStringLiteral("DP"), QString(), false, QString(), 0, 0, 0,
               QStringLiteral("0.00000|0.00000|00.0000|000.000|0000.00|00000.0|000000"), true,
               false, QStringLiteral("Select the decimal point position"));
    SetupField(*pbOffAuto, QStringLiteral("OFFAUTO"), QStringLiteral("0"), false, QString(), 0, 0,
               0, NumberList(0, 255), true, false,
               QStringLiteral("Select number of minutes of keyboard inactivity before turning "
                              "off. Zero disables."));
    SetupField(*pbPeakMode, QStringLiteral("PEAKMODE"), QString(), false, QString(), 0, 0, 0,
               QStringLiteral("0 Standard|1 Continuous"), true, false,
               QStringLiteral("Select peak hold mode"));
    if (!m_radio) {
        SetupField(*pbSlave, QStringLiteral("SLAVE"), QString(), false, QString(), 0, 0, 0,
                   QStringLiteral("No|Yes"), true, false,
                   QStringLiteral("Set whether this module is a Slave"));
    }
    pbSlave->setVisible(!m_radio);
    lbSlave->setVisible(!m_radio);
    // The identity fields show what the module says; they are never edited.
    for (QKBtn* identity : {pbFirmware, pbSerialNumber}) {
        identity->Editable(QKBtn::EditNone);
    }
    for (QKBtn* setting : {pbTType, pbRESOL, pbDP, pbOffAuto, pbPeakMode, pbSlave}) {
        connect(setting, &QKBtn::Changed, this,
                [this, setting] { UpdateDeviceFromField(setting); });
    }
}

QKBtn* CHILD_GEN_INFO::settingRow(const QString& label, const char* name, int row,
                                  QKBtn** labelOut) {
    const double top = FirstRowTop + row * RowStep + (row >= 3 ? 240 : 0);
    QKBtn* caption = bodyLabel(label, LabelLeft, top + 45, LabelWidth, 330);
    if (labelOut) {
        *labelOut = caption;
    }
    return control(QStringLiteral("Edit"), QString(), FieldLeft, top, FieldWidth, FieldHeight,
                   QLatin1String(name));
}

QString CHILD_GEN_INFO::ChildFormClass_HelpText() const {
    return QStringLiteral(
        "Here you can view information about the module and configure display parameters.");
}

void CHILD_GEN_INFO::ChildFormClass_Activated() {
    ErrorMessage->hide();
    window().SetRefreshInterval(333);
    window().RefreshNow();
}

QString CHILD_GEN_INFO::UnitText(int unitMode) {
    switch (unitMode) {
    case 0:
        return QStringLiteral("kg");
    case 1:
        return QStringLiteral("kN");
    case 3:
        return QStringLiteral("T");
    case 7:
        return QStringLiteral("lb");
    default:
        return QString();
    }
}

QString CHILD_GEN_INFO::WarningText(qint32 status) {
    // The overload is the only warning the status word carries.
    return (status & StatusWord::OverloadBit)
               ? QStringLiteral("Overload - The input has exceeded the upper calibrated level.")
               : QString();
}

void CHILD_GEN_INFO::ChildFormClass_TimedRefresh(RefreshBatch& batch) {
    batch.field(pbFirmware);
    if (m_firmware >= 3.0f) {
        batch.field(pbSerialNumber);
    }
    batch.field(pbTType);
    batch.field(pbRESOL);
    batch.field(pbDP);
    batch.field(pbOffAuto);
    if (m_firmware > 4.0f) {
        batch.field(pbPeakMode);
        batch.value(
            this, [](ZEX&) { return true; },
            [this](bool) {
                if (!pbPeakMode->Enabled()) {
                    pbPeakMode->Enabled(true);
                }
            });
    }
    if (!m_radio) {
        batch.field(pbSlave);
    }
    batch.value(
        this,
        [](ZEX& device) {
            DisplayState state;
            state.value = NumberFormatModule::FormatForDisplay(device.VALUE()).toText();
            const int unitMode = int(NumberFormatModule::ParseNumber(device.UnitMode().toText()));
            state.units = UnitText(unitMode);
            state.status = statusOf(device.Status());
            return state;
        },
        [this](const DisplayState& state) { showDisplay(state); });
}

void CHILD_GEN_INFO::showDisplay(const DisplayState& state) {
    LCD1->Caption(state.value);
    LCDUnits->Caption(state.units);
    LCDNet->setVisible(state.status & StatusWord::NetBit);
    LCDPeak->setVisible(state.status & StatusWord::HoldBit);
    LCDBatt->setVisible(state.status & StatusWord::BatteryLowBit);
    const QString warning = WarningText(state.status);
    if (!warning.isEmpty()) {
        ErrorMessage->Caption(warning);
    }
    ErrorMessage->setVisible(!warning.isEmpty());
}
