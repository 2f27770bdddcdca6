#include "pages/CHILD_GEN_MEASURE.h"

#include "controls/ColourModule.h"
#include "controls/QKBtn.h"
#include "controls/QKBtnUpdateModule.h"
#include "device/CurrentDevice.h"
#include "device/DeviceErrors.h"
#include "device/DeviceThread.h"
#include "device/ZEX.h"
#include "pages/FieldLimits.h"
#include "pages/TrendPlot.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"
#include "shell/RefreshBatch.h"
#include "store/BrandValues.h"
#include "util/ApplicationState.h"
#include "util/MonotonicClock.h"

#include <QFrame>
#include <array>
#include <cmath>

namespace {

// Three columns of label and field: the measurement chain on the left, the levels and counters
// in two columns under the trend.
struct Column {
    double labelLeft;
    double labelWidth;
    double fieldLeft;
    double fieldWidth;
    double firstTop;
};
constexpr std::array<Column, 3> Columns = {{
    {240, 2050, 2330, 1550, 780},
    {4080, 1950, 6080, 1500, 3990},
    {7760, 1950, 9760, 1500, 3990},
}};
constexpr double RowStep = 450;
constexpr double FieldHeight = 390;
constexpr double LabelHeight = 330;

constexpr double TrendLeft = 4080;
constexpr double TrendTop = 780;
constexpr double TrendWidth = 7180;
constexpr double TrendHeight = 2520;
constexpr double LevelsHeaderTop = 3480;

const QString Numbers = QStringLiteral("112345678990");
const QString SignedDecimals = QStringLiteral("112345678990-.");
const QString Decimals = QStringLiteral("112345678990.");
const QString Auto = QStringLiteral("*");

// The status word as a whole number; anything that is not one counts as no flags.
qint64 wholeOf(const DeviceValue& value) {
    try {
        const double number = value.toDouble();
        return std::isfinite(number) && std::fabs(number) < 2147483647.0 ? qint64(number) : 0;
    } catch (const DeviceError&) {
        return 0;
    }
}

} // namespace

CHILD_GEN_MEASURE::CHILD_GEN_MEASURE(MainFrm& window)
    : PageBase(window, QStringLiteral("Measurement")) {
    m_firmware = CurrentDevice::Connection().firmwareVersion;
    m_radio = PageRegistry::LinkIsR58();

    VALUE = row(0, 0, QStringLiteral("Display Value"), "VALUE", true);
    pbRawmVV = row(0, 1, QStringLiteral("Raw mV/V"), "pbRawmVV", true);
    pbUnlinmVV = row(0, 2, QStringLiteral("Unlinearised mV/V"), "pbUnlinmVV", true);
    pbmVV = row(0, 3, QStringLiteral("mV/V"), "pbmVV", true);
    pbGross = row(0, 4, QStringLiteral("Gross"), "pbGross", true);
    pbNet = row(0, 5, QStringLiteral("Net"), "pbNet", true);
    pbPeakGross = row(0, 6, QStringLiteral("Peak Gross"), "pbPeakGross", true);
    pbPeakNet = row(0, 7, QStringLiteral("Peak Net"), "pbPeakNet", true);
    pbTare = row(0, 8, QStringLiteral("Tare"), "pbTare", true);
    pbSYSTEMZERO = row(0, 9, QStringLiteral("System Zero"), "pbSYSTEMZERO", false);
    pbPoweronZero = row(0, 10, QStringLiteral("Power On Zero"), "pbPoweronZero", false);
    pbPTare = row(0, 11, QStringLiteral("Pre Tare"), "pbPTare", false, &lbPTare);

    Trendplot = new TrendPlot(m_trend, this);
    Trendplot->setObjectName(QStringLiteral("Trendplot"));
    Trendplot->setGeometry(twipsRect(TrendLeft, TrendTop, TrendWidth, TrendHeight));
    header(QStringLiteral("Levels && Counters"), TrendLeft, LevelsHeaderTop, 5000);

    pbSENS = row(1, 0, QString(), "pbSENS", false, &senslabel);
    pbFilterDamp = row(1, 1, QStringLiteral("Filter Damping Level"), "pbFilterDamp", false);
    pbFilterThreshold = row(1, 2, QStringLiteral("Filter Threshold"), "pbFilterThreshold", false);
    pbCreepTracking = row(1, 3, QStringLiteral("Creep Tracking Percent"), "pbCreepTracking", false);
    pbCalHi = row(1, 4, QStringLiteral("Max Calibrated Tonnes"), "pbCalHi", false, &lbCalHi);
    pbAlarmLevel = row(2, 0, QStringLiteral("Alarm Level Percent"), "pbAlarmLevel", false);
    pbOverloadPercent = row(2, 1, QStringLiteral("Overload Level Percent"), "pbOverloadPercent",
                            false, &lbOverloadPercent);
    pbOverloadCounter = row(2, 2, QStringLiteral("Overload Counter"), "pbOverloadCounter", false);
    pbOverrangeCounter =
        row(2, 3, QStringLiteral("Overrange Counter"), "pbOverrangeCounter", false);

    // The places of fields that do not apply: the mV/V chain on a radio link (the radio module
    // reports none of it), the calibrated maximum on a serial link, and the fields the firmware
    // lacks.
    R58Blank = coverPanel("R58Blank", 0, 1, 3);
    R581Blank = coverPanel("R581Blank", 1, 4, 1);
    pbTareBlank = coverPanel("pbTareBlank", 0, 11, 1);
    OverloadPercentBlank = coverPanel("OverloadPercentBlank", 2, 1, 1);

    using QKBtnUpdateModule::SetupField;
    const auto display = [](QKBtn* field, const char* source, const char* tip) {
        SetupField(*field, QLatin1String(source), Auto, true, SignedDecimals, 9, 0, 0, QString(),
                   false, false, QLatin1String(tip));
    };
    display(VALUE, "VALUE", "The main value used for the display");
    display(pbRawmVV, "RMVV", "Raw uncalibrated mV/V");
    display(pbUnlinmVV, "UMVV", "Calibrated but unlinearised mV/V");
    display(pbmVV, "mvv", "mV/V");
    display(pbGross, "GROSS", "Gross value in tonnes");
    display(pbNet, "NET", "Net value in tonnes");
    SetupField(*pbSYSTEMZERO, QStringLiteral("SYSZERO"), Auto, true, SignedDecimals, 9, 0, 0,
               QString(), false, false, QStringLiteral("System Zero value"));
    SetupField(*pbPoweronZero, QStringLiteral("POZ"), Auto, true, SignedDecimals, 9, 0, 0,
               QString(), false, false, QStringLiteral("Power On Zero band"));
    display(pbPeakGross, "PEAKG", "Peak Gross value in tonnes");
    display(pbPeakNet, "PEAKN", "Peak Net value in tonnes");
    display(pbTare, "TARE", "Tare value in tonnes");

    senslabel->Caption(m_radio ? QStringLiteral("Max Range (tonne)")
                               : QStringLiteral("Max Sensitivity (mV/V)"));
    const QString sensTip =
        m_radio ? QStringLiteral("Set max supported weight in tonnes of connected acquisition "
                                 "module. Inputs greater than this will be deemed overrange.")
                : QStringLiteral("Set max sensitivity of connected loadcell. Inputs greater than "
                                 "this will be deemed overrange.");
    R58Blank->setVisible(m_radio);
    R581Blank->setVisible(!m_radio);
    for (QKBtn* chain : {pbRawmVV, pbUnlinmVV, pbmVV}) {
        chain->setVisible(!m_radio);
    }

    SetupField(*pbSENS, QStringLiteral("SENS"), Auto, true, Decimals, 9, 0, 0, QString(), false,
               false, sensTip);
    SetupField(*pbOverloadCounter, QStringLiteral("OVRLod"), QStringLiteral("0000"), true, Numbers,
               4, 0, 9999, QString(), false, false, QStringLiteral("Overload counter"));
    SetupField(*pbOverrangeCounter, QStringLiteral("OVRRNG"), QStringLiteral("0000"), true, Numbers,
               4, 0, 9999, QString(), false, false, QStringLiteral("Overrange counter"));
    SetupField(*pbAlarmLevel, QStringLiteral("ALARM"), QStringLiteral("000"), true, Numbers, 3, 0,
               999, QString(), false, false,
               QStringLiteral("Audible Alarm level % relative to calibrated upper limit"));
    SetupField(*pbCreepTracking, QStringLiteral("ZERO"), QStringLiteral("0.0"), true,
               SignedDecimals, 9, 0, 0.2, QString(), false, false,
               QStringLiteral("Creep tracking level relative to upper calibrated level"));
    SetupField(*pbFilterDamp, QStringLiteral("DAMP"), QStringLiteral("000"), true, Numbers, 4, 0,
               254, QString(), false, false,
               QStringLiteral("Filter damping level. 254=disabled. 0=maximum damping"));
    SetupField(*pbFilterThreshold, QStringLiteral("THRESH"), Auto, true, Decimals, 9, 0, 0,
               QString(), false, false,
               m_radio ? QStringLiteral("Filter threshold. When difference between consecutive "
                                        "tonne readings exceeds this threshold the filter will "
                                        "be bypassed")
                       : QStringLiteral("Filter threshold. When difference between consecutive "
                                        "mV/V readings exceeds this threshold the filter will be "
                                        "bypassed"));

    if (m_radio) {
        SetupField(*pbCalHi, QStringLiteral("CENGHI"), Auto, true, Decimals, 9, 0, 0, QString(),
                   false, false,
                   QStringLiteral("Maximum Calibrated Tonnes. The user alarm percentage and "
                                  "overload counter will apply to this level."));
    }
    pbCalHi->setVisible(m_radio);
    lbCalHi->setVisible(m_radio);

    const bool hasPreTare = m_firmware >= 3.0f;
    if (hasPreTare) {
        SetupField(*pbPTare, QStringLiteral("PTARE"), Auto, true, QStringLiteral("112345678990.-"),
                   9, 0, 0, QString(), false, false,
                   QStringLiteral("Pre tare. This value will be subtracted before generating "
                                  "Gross"));
    }
    pbPTare->setVisible(hasPreTare);
    pbTareBlank->setVisible(!hasPreTare);
    lbPTare->setVisible(hasPreTare);

    const bool hasOverloadLevel = m_firmware >= 4.0f;
    if (hasOverloadLevel) {
        SetupField(*pbOverloadPercent, QStringLiteral("OVERLOAD"), QStringLiteral("000"), true,
                   Numbers, 3, 0, 999, QString(), false, false,
                   QStringLiteral("Overload level % relative to calibrated upper limit"));
    }
    pbOverloadPercent->setVisible(hasOverloadLevel);
    lbOverloadPercent->setVisible(hasOverloadLevel);
    OverloadPercentBlank->setVisible(!hasOverloadLevel);

    // Every parameter travels as a single float: a typed value it would store as another number
    // (123456789 becomes 123456792) is refused like one out of range, and the counters and
    // percentages take whole numbers only.
    for (QKBtn* single : {pbSYSTEMZERO, pbPoweronZero, pbSENS, pbCreepTracking, pbFilterThreshold,
                          pbCalHi, pbPTare}) {
        single->SetValueCheck(FieldLimits::SingleKeeps);
    }
    const auto whole = [](QKBtn* field, double highest) {
        field->SetValueCheck(
            [highest](double value) { return FieldLimits::WholeWithin(value, 0, highest); });
    };
    whole(pbOverloadCounter, 9999);
    whole(pbOverrangeCounter, 9999);
    whole(pbAlarmLevel, 999);
    whole(pbOverloadPercent, 999);
    whole(pbFilterDamp, 254);

    for (QKBtn* editable :
         {pbSYSTEMZERO, pbPoweronZero, pbSENS, pbOverloadCounter, pbOverrangeCounter, pbAlarmLevel,
          pbCreepTracking, pbFilterDamp, pbFilterThreshold, pbCalHi, pbPTare, pbOverloadPercent}) {
        connect(editable, &QKBtn::Changed, this,
                [this, editable] { UpdateDeviceFromField(editable); });
    }
}

QKBtn* CHILD_GEN_MEASURE::row(int column, int index, const QString& label, const char* name,
                              bool display, QKBtn** labelOut) {
    const Column& place = Columns[size_t(column)];
    const double top = place.firstTop + index * RowStep;
    QKBtn* caption = bodyLabel(label, place.labelLeft, top + (FieldHeight - LabelHeight) / 2,
                               place.labelWidth, LabelHeight);
    if (labelOut) {
        *labelOut = caption;
    }
    QKBtn* field =
        control(display ? QStringLiteral("LCD") : QStringLiteral("Edit"), QString(),
                place.fieldLeft, top, place.fieldWidth, FieldHeight, QLatin1String(name));
    if (display) {
        field->Alignment(QKBtn::AlignRight);
        field->Padding(4);
    }
    return field;
}

QFrame* CHILD_GEN_MEASURE::coverPanel(const char* name, int column, int firstRow, int rows) {
    const Column& place = Columns[size_t(column)];
    auto* panel = new QFrame(this);
    panel->setObjectName(QLatin1String(name));
    panel->setGeometry(twipsRect(place.labelLeft, place.firstTop + firstRow * RowStep,
                                 place.fieldLeft + place.fieldWidth - place.labelLeft,
                                 (rows - 1) * RowStep + FieldHeight));
    ColourModule::FillBackground(panel, Brand().DisplayBack);
    panel->raise();
    panel->hide();
    return panel;
}

QString CHILD_GEN_MEASURE::ChildFormClass_HelpText() const {
    return QStringLiteral("This page shows the relationships between different values in the "
                          "core measurement system.*You can also adjust various zeroes and "
                          "tares.**Overload and Overrange levels and counters can also be "
                          "configured.");
}

void CHILD_GEN_MEASURE::ChildFormClass_Activated() {
    window().SetRefreshInterval(333);
    window().RefreshNow();
    readDisplayScale();
    pbRawmVV->setFocus(Qt::OtherFocusReason);
}

// The display's unit and decimal places, for the trend: read when the page is shown, since
// nothing on this page changes them and the refresh must not grow by two reads for them.
void CHILD_GEN_MEASURE::readDisplayScale() {
    if (AppState().Closing || CurrentDevice::ErrorPending()) {
        return;
    }
    auto scale = std::make_shared<std::optional<DisplayScale>>();
    window().Device().post(
        [scale] {
            ZEX* device = CurrentDevice::Get();
            if (!device || device->ErrorState()) {
                return;
            }
            const qint64 status = wholeOf(device->Status());
            const int tonType = int(wholeOf(device->TTYPE()));
            if (!device->ErrorState()) {
                *scale = DisplayScale::FromStatus(status, tonType);
            }
        },
        this,
        [this, scale] {
            if (*scale) {
                Trendplot->setScale(**scale);
            }
        });
}

void CHILD_GEN_MEASURE::ChildFormClass_TimedRefresh(RefreshBatch& batch) {
    for (QKBtn* field :
         {VALUE, pbRawmVV, pbUnlinmVV, pbmVV, pbGross, pbNet, pbSYSTEMZERO, pbPoweronZero,
          pbPeakGross, pbPeakNet, pbTare, pbOverloadCounter, pbOverrangeCounter, pbAlarmLevel,
          pbCreepTracking, pbFilterDamp, pbFilterThreshold, pbSENS}) {
        batch.field(field);
    }
    if (m_firmware >= 3.0f) {
        batch.field(pbPTare);
    }
    if (m_firmware >= 4.0f) {
        batch.field(pbOverloadPercent);
    }
    // Whether the device is on the radio link is asked anew on every refresh.
    batch.add([guard = QPointer<QKBtn>(pbCalHi)](ZEX& device) -> RefreshBatch::Show {
        if (!device.IsR58()) {
            return {};
        }
        DeviceValue value;
        try {
            value = device.GetByName(QStringLiteral("CENGHI"));
        } catch (const DeviceError&) {
            return {};
        }
        return [guard, value] {
            if (guard) {
                QKBtnUpdateModule::ShowFieldValue(*guard, value);
            }
        };
    });
    // The trend takes gross and net as the refresh has just shown them; not after a failed read,
    // whose value is only the last one known.
    batch.value(
        this, [](ZEX& device) { return !device.ErrorState(); },
        [this](bool good) {
            if (good) {
                addTrendSample();
            }
        });
}

void CHILD_GEN_MEASURE::addTrendSample() {
    if (pbGross->Caption().isEmpty() || pbNet->Caption().isEmpty()) {
        return;
    }
    m_trend.add(window().Clock().nowMs(), pbGross->VALUE(), pbNet->VALUE());
    Trendplot->update();
}
