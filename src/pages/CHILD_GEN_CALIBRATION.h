#pragma once

#include "calibration/CalibrationLoads.h"
#include "pages/PageBase.h"

#include <array>
#include <functional>
#include <memory>

class CalibrationWizard;
class QKBtn;
class ZEX;
struct CalibrationUi;

// The Calibration page: six load fields (low point, four linearisation points, high point), the
// live gross reading, and the wizard's stage, instructions and buttons. The page only shows what
// the wizard says; each press of Start/Set/Next or Abort runs the wizard as one device job, its
// questions waiting for the user while the window goes on painting.
class CHILD_GEN_CALIBRATION : public PageBase {
    Q_OBJECT

public:
    explicit CHILD_GEN_CALIBRATION(MainFrm& window);
    ~CHILD_GEN_CALIBRATION() override;

    QString ChildFormClass_HelpText() const override;
    void ChildFormClass_TimedRefresh(RefreshBatch& batch) override;
    void ChildFormClass_Activated() override {}

    void cbCapture_Click();
    void cbAbort_Click();

    // The six fields' texts as the wizard takes them at Start.
    CalibrationLoads::Texts LoadTexts() const;
    // The wizard, for tests that look at its stage; used on the device thread only.
    const CalibrationWizard& Wizard() const { return *m_wizard; }
    bool IsPressRunning() const { return m_pressRunning; }

    std::array<QKBtn*, CalibrationLoads::Count> Text1;
    std::array<QKBtn*, CalibrationLoads::Count> Text1Label;
    QKBtn* lbReadingLabel;
    QKBtn* lbReading;
    QKBtn* cbCapture;
    QKBtn* cbAbort;
    QKBtn* lbStage;
    QKBtn* lbInstructions;

Q_SIGNALS:
    // A press has been carried out (its questions answered) and the page shows its outcome.
    void PressFinished();

private:
    CalibrationUi makeUi();
    void setRunning(bool running);
    void runPress(std::function<void(CalibrationWizard&, ZEX&)> press);

    std::shared_ptr<CalibrationWizard> m_wizard;
    bool m_pressRunning = false;
};
