#pragma once

#include "calibration/FactoryCalibration.h"
#include "pages/PageBase.h"

#include <functional>
#include <memory>
#include <optional>

class QKBtn;
class ZEX;

// The Factory page (factory mode on a serial link only): the live raw and unlinearised signal,
// the factory gain and offset with their calibration from a calibrator at -2.5 and +2.5 mV/V,
// and, from firmware 3.0, the battery input's calibration and the serial number. Calibrations
// run as device jobs; the restarts' waits keep the window painting and answering.
class CHILD_GEN_FACTORY : public PageBase {
    Q_OBJECT

public:
    explicit CHILD_GEN_FACTORY(MainFrm& window);
    ~CHILD_GEN_FACTORY() override;

    QString ChildFormClass_HelpText() const override;
    void ChildFormClass_TimedRefresh(RefreshBatch& batch) override;
    void ChildFormClass_Activated() override;

    void ACQUIRE1_Click();
    void ACQUIRE2_Click();
    void QKBtn3_Click();

    bool HasBatteryControls() const { return m_firmware >= 3.0f; }
    bool IsCalibrating() const { return m_calibrating; }

    QKBtn* PBRMVV;
    QKBtn* PBUMVV;
    QKBtn* pbFGAIN;
    QKBtn* pbFOFFS;
    QKBtn* pbBATTV;
    QKBtn* pbPSU;
    QKBtn* pbMeasured;
    QKBtn* pbSerialNumber;
    QKBtn* lbBATTV;
    QKBtn* lbPSU;
    QKBtn* lbMeasured;
    QKBtn* lbSerialNumber;
    QKBtn* lbBatteryHeader;
    QKBtn* lbBatteryInstructions;
    QKBtn* ACQUIRE1;
    QKBtn* ACQUIRE2;
    QKBtn* QKBtn3;

Q_SIGNALS:
    // A calibration step has ended (its message, if any, closed).
    void CalibrationFinished();

private:
    QKBtn* row(const QString& label, const char* name, double left, double top,
               QKBtn** labelOut = nullptr, const QString& style = QStringLiteral("Edit"));
    // Runs a step on the device thread with the window's input held off; its outcome, if any,
    // is shown on the window thread afterwards.
    void runStep(std::function<std::optional<FactoryCalibration::Outcome>(ZEX&)> step,
                 bool busyPointer);

    float m_firmware = 0.0f;
    std::shared_ptr<FactoryCalibration::MvvAcquisition> m_acquisition;
    bool m_calibrating = false;
};
