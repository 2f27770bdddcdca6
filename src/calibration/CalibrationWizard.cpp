#include "calibration/CalibrationWizard.h"

#include "device/ZEX.h"

#include <cmath>

namespace {

using CalibrationLoads::High;
using CalibrationLoads::Low;

const QString Start = QStringLiteral("Start");
const QString Set = QStringLiteral("Set");
const QString Next = QStringLiteral("Next");
const QString Ready = QStringLiteral("Ready...");

constexpr qint16 LowReadStage = 1;
constexpr qint16 HighPrepareStage = 2;
constexpr qint16 HighReadStage = 3;
constexpr qint16 FirstLinearisationStage = 4;
// Linearisation point k is prepared in stage 2k + 2 and captured in stage 2k + 3.
constexpr int pointOfStage(qint16 stage) {
    return (stage - 2) / 2;
}

QString pointName(int point) {
    return QStringLiteral("Linearisation Point %1").arg(point);
}

} // namespace

const std::array<const char*, 6>& CalibrationWizard::ResetMembers() {
    static const std::array<const char*, 6> members = {"LINP", "Gain",    "OFFS",
                                                       "POZ",  "SYSZERO", "RESOL"};
    return members;
}

CalibrationWizard::CalibrationWizard(CalibrationUi ui, float firmwareVersion)
    : m_ui(std::move(ui))
    , m_firmware(firmwareVersion) {}

bool CalibrationWizard::hasSystemZero() const {
    // Compared as the decimal text the version reads as, so 1.08 itself counts.
    return QString::number(double(m_firmware), 'g', 7).toDouble() >= FirstFirmwareWithSystemZero;
}

float CalibrationWizard::loadValue(int index) const {
    return float(CalibrationLoads::iVal(loadText(index), m_decimalSeparator));
}

void CalibrationWizard::Capture(ZEX& device, const CalibrationLoads::Texts& texts,
                                QChar decimalSeparator) {
    if (m_stage == 0 && !m_running) {
        m_loadTexts = texts;
        m_decimalSeparator = decimalSeparator;
    }
    DoStage(device);
}

void CalibrationWizard::Abort(ZEX& device) {
    m_stage = AbortStage;
    DoStage(device);
}

void CalibrationWizard::Interrupted(ZEX& device) {
    if (!m_running) {
        return;
    }
    restoreIfNeeded(device);
    m_running = false;
    m_saved.held = false;
    m_calibrationWritten = false;
    m_stage = 0;
}

void CalibrationWizard::DoStage(ZEX& device) {
    switch (m_stage) {
    case 0:
        if (!startRun(device)) {
            return; // refused input: nothing written, no tail
        }
        break;
    case LowReadStage:
        readLow(device);
        break;
    case HighPrepareStage:
        prepareHigh();
        break;
    case HighReadStage:
        if (!readHighAndCalibrate(device)) {
            return; // the reading was refused and the question answered
        }
        break;
    case 4:
    case 6:
    case 8:
    case 10:
        prepareLinearisation(device, pointOfStage(m_stage));
        break;
    case 5:
    case 7:
    case 9:
    case 11:
        captureLinearisation(device, pointOfStage(m_stage));
        break;
    case CompleteStage:
        complete();
        break;
    case AbortStage:
        abortRun(device);
        break;
    default:
        return;
    }
    commonTail(device);
}

bool CalibrationWizard::startRun(ZEX& device) {
    m_retryStage = 0;
    if (!m_running) {
        if (const std::optional<QString> problem =
                CalibrationLoads::Problem(m_loadTexts, m_decimalSeparator)) {
            m_ui.error(CalibrationLoads::InputErrorTitle, *problem);
            return false;
        }
        m_calibrationWritten = false;
    }
    m_running = true;
    m_ui.running(true);
    m_ui.caption(Set);
    m_ui.stage(QStringLiteral("Calibration Low Point"));
    m_ui.instructions(QStringLiteral("Ensure that ") + loadText(Low) +
                      QStringLiteral(" ton is applied then press SET button to read in no load "
                                     "signal."));

    // What the reset overwrites is read first, once per run (a retried Start has it already),
    // so that leaving the run before the new calibration is written can put it back.
    if (!m_saved.held) {
        const auto& members = ResetMembers();
        for (std::size_t i = 0; i < members.size(); ++i) {
            const QString name = QLatin1String(members[i]);
            m_saved.values[i] = (name == QLatin1String("SYSZERO") && !hasSystemZero())
                                    ? DeviceValue()
                                    : device.GetByName(name);
        }
        if (device.ErrorState()) {
            return true; // values read in error are not worth keeping; the tail asks
        }
        m_saved.held = true;
    }

    device.LINP(DeviceValue(int(0)));
    device.Gain(DeviceValue(int(1)));
    device.OFFS(DeviceValue(int(0)));
    device.POZ(DeviceValue(int(0)));
    if (hasSystemZero()) {
        device.SYSZERO(DeviceValue(int(0)));
    }
    device.RESOL(DeviceValue(int(0)));
    m_stage = LowReadStage;
    return true;
}

void CalibrationWizard::readLow(ZEX& device) {
    m_lowMvV = device.MVV().toSingle();
    if (device.ErrorState()) {
        // The reading is not to be trusted: the tail goes back to the low point (retry stage 0),
        // instead of on to the high point with a stale low signal.
        return;
    }
    m_stage = HighPrepareStage;
    DoStage(device);
}

void CalibrationWizard::prepareHigh() {
    m_retryStage = HighPrepareStage;
    m_ui.caption(Set);
    m_ui.stage(QStringLiteral("Calibration High Point"));
    m_ui.instructions(QStringLiteral("Apply ") + loadText(High) +
                      QStringLiteral(" ton, when applied load is stable press SET."));
    m_stage = HighReadStage;
}

bool CalibrationWizard::readHighAndCalibrate(ZEX& device) {
    m_ui.stage(QStringLiteral("Calibrating..."));
    m_highMvV = device.MVV().toSingle();
    if (device.ErrorState()) {
        return true; // nothing computed from a reading that was not taken; the tail asks
    }
    if (!(m_lowMvV < m_highMvV)) {
        if (!AbortQuestion(device, QStringLiteral("The input measured when calibrating the high "
                                                  "point was equal to or lower than the low "
                                                  "point. This is an error condition!"))) {
            m_stage = HighPrepareStage;
            DoStage(device);
        }
        return false;
    }
    m_lowLoad = loadValue(Low);
    m_highLoad = loadValue(High);
    const float deltaMvV = m_lowMvV - m_highMvV;
    const float deltaLoad = m_lowLoad - m_highLoad;
    if (deltaMvV != 0.0f) {
        const float gain = deltaLoad / deltaMvV;
        const float offset = gain * m_lowMvV - m_lowLoad;
        device.Gain(DeviceValue(gain));
        device.OFFS(DeviceValue(offset));
        device.CMVVLO(DeviceValue(m_lowMvV));
        device.CMVVHI(DeviceValue(m_highMvV));
        device.CENGLO(DeviceValue(m_lowLoad));
        device.CENGHI(DeviceValue(m_highLoad));
        if (device.ErrorState()) {
            return true; // the tail goes back to the high point
        }
        m_calibrationWritten = true;
    }
    m_ui.stage(QStringLiteral("Calibration Stage Complete"));
    m_ui.caption(Next);
    m_ui.instructions(QStringLiteral("Calibration stage complete. Click the Next button to "
                                     "continue with linearisation."));
    m_stage = FirstLinearisationStage;
    return true;
}

void CalibrationWizard::prepareLinearisation(ZEX& device, int point) {
    m_retryStage = m_stage;
    m_ui.caption(Set);
    if (CalibrationLoads::IsBlank(loadText(point))) {
        m_stage = qint16(m_stage + 2);
        DoStage(device);
        return;
    }
    if (point == 1) {
        // The first table point is the low calibration point, uncorrected.
        device.LINX(1, DeviceValue(m_lowMvV));
        device.LINK(1, DeviceValue(int(0)));
    }
    m_ui.stage(pointName(point));
    m_ui.instructions(QStringLiteral("Apply ") + loadText(point) +
                      QStringLiteral(" ton, when applied load is stable press SET."));
    m_stage = qint16(m_stage + 1);
}

void CalibrationWizard::captureLinearisation(ZEX& device, int point) {
    m_ui.stage(QStringLiteral("Linearising Point %1...").arg(point));
    m_ui.caption(Next);
    // The signal the two-point calibration expects at this load.
    const float slope = (m_highMvV - m_lowMvV) / (m_highLoad - m_lowLoad);
    const float expected = m_lowMvV + (loadValue(point) - m_lowLoad) * slope;
    const float measured = device.UMVV().toSingle();
    if (device.ErrorState()) {
        return; // the tail goes back to this point's preparation
    }
    const float correction = (expected - measured) * 1000.0f;
    device.LINX(point + 1, DeviceValue(measured));
    device.LINK(point + 1, DeviceValue(correction));
    device.LINX(point + 2, DeviceValue(m_highMvV));
    device.LINK(point + 2, DeviceValue(int(0)));
    device.LINP(DeviceValue(point + 2));
    if (device.ErrorState()) {
        return; // the point is written again when it is retried
    }
    m_ui.instructions(point == 1 ? QStringLiteral("Display should now display correct reading. "
                                                  "Click Next button to continue.")
                                 : QStringLiteral("Display should now display correct reading. "
                                                  "Click NEXT button to continue."));
    m_stage = qint16(m_stage + 1);
    DoStage(device);
}

void CalibrationWizard::complete() {
    m_ui.stage(QStringLiteral("Linearisation Complete"));
    m_ui.caption(Start);
    m_ui.instructions(QStringLiteral("The calibration and linearisation wizard has completed."));
    m_stage = 0;
    endRun();
}

void CalibrationWizard::abortRun(ZEX& device) {
    m_ui.caption(Start);
    m_ui.stage(Ready);
    m_stage = 0;
    m_retryStage = 0;
    if (!restoreIfNeeded(device)) {
        // The put-back met an error: a retry runs the abort again, so it is put back then.
        m_retryStage = AbortStage;
        m_ui.running(false);
        return;
    }
    endRun();
}

void CalibrationWizard::endRun() {
    m_running = false;
    m_saved.held = false;
    m_calibrationWritten = false;
    m_ui.running(false);
}

bool CalibrationWizard::restoreIfNeeded(ZEX& device) {
    if (!m_saved.held || m_calibrationWritten) {
        return true;
    }
    // A link failure left pending would drop the writes.
    device.ResetError();
    const auto& members = ResetMembers();
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (!m_saved.values[i].isEmpty()) {
            device.LetByName(QLatin1String(members[i]), m_saved.values[i]);
        }
    }
    if (device.ErrorState()) {
        return false;
    }
    m_saved.held = false;
    return true;
}

bool CalibrationWizard::AbortQuestion(ZEX& device, const QString& message) {
    const bool retry =
        m_ui.box(QStringLiteral("An Error Occurred"),
                 message + QStringLiteral("\r\n\r\nDo you want to retry?\r\n\r\nClick Yes to retry "
                                          "the last stage.\r\nClick No to abort the process."));
    if (retry) {
        return false;
    }
    m_stage = AbortStage;
    DoStage(device);
    return true;
}

void CalibrationWizard::commonTail(ZEX& device) {
    if (!device.ErrorState()) {
        return;
    }
    const bool retry = m_ui.yesNo(
        QStringLiteral("Communications Error"),
        QStringLiteral("A communication error occurred during the last stage!\r\nWould you like "
                       "to retry the last stage or abort the process?\r\n\r\nClick Yes to "
                       "retry.\r\nClick No to Abort."));
    if (!retry) {
        m_ui.caption(Start);
        m_ui.stage(Ready);
        m_ui.stage(QStringLiteral("Aborted by user"));
        m_ui.instructions(QString());
        m_stage = 0;
        device.ResetError();
        restoreIfNeeded(device);
        endRun();
        return;
    }
    m_stage = m_retryStage;
    m_ui.stage(QStringLiteral("Retry Previous Stage"));
    m_ui.caption(Next);
    m_ui.instructions(QStringLiteral("You have chosen to retry the previous stage after an error "
                                     "has occurred. Click NEXT to continue."));
    device.ResetError();
}
