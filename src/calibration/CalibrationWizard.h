#pragma once

#include "calibration/CalibrationLoads.h"
#include "calibration/CalibrationUi.h"
#include "device/DeviceValue.h"

#include <QString>
#include <QtGlobal>
#include <array>

class ZEX;

// The calibration wizard: a fixed run of stages driven by one action button (Start, Set, Next)
// and Abort. It resets the module's calibration, reads the signal at the low and the high load,
// writes gain, offset and the two calibration points, then reads the signal at each
// linearisation load and writes one point of the table. The arithmetic is done here in single
// precision; the module only supplies readings and keeps the results.
//
// Runs on the device thread, one press at a time; it talks to the user only through its
// CalibrationUi. A communication error in a stage returns to the start of the stage that
// produced the reading (never past a reading that was not taken or a point that was not
// written). Leaving a run before its two-point calibration was written puts back what Start
// reset, so a started and abandoned calibration never leaves the module uncalibrated.
class CalibrationWizard {
public:
    static constexpr qint16 AbortStage = 99;
    static constexpr qint16 CompleteStage = 12;
    // System zero arrived with firmware 1.08; older modules neither have nor accept it.
    static constexpr double FirstFirmwareWithSystemZero = 1.08;

    CalibrationWizard(CalibrationUi ui, float firmwareVersion);

    // cbCapture: runs the stage that waits. The loads are taken from texts only when a run
    // starts; a retried Start uses the loads it was started with.
    void Capture(ZEX& device, const CalibrationLoads::Texts& texts, QChar decimalSeparator);
    // cbAbort.
    void Abort(ZEX& device);
    // The page goes away in the middle of a run (the user went Home, or the program closes):
    // what Start reset is put back, as Abort would, but nothing is shown or asked.
    void Interrupted(ZEX& device);

    qint16 stage() const { return m_stage; }
    qint16 retryStage() const { return m_retryStage; }
    bool isRunning() const { return m_running; }
    float lowMvV() const { return m_lowMvV; }
    float highMvV() const { return m_highMvV; }
    float lowLoad() const { return m_lowLoad; }
    float highLoad() const { return m_highLoad; }

    // The calibration values Start resets, in the order they are reset.
    static const std::array<const char*, 6>& ResetMembers();

private:
    struct SavedCalibration {
        std::array<DeviceValue, 6> values;
        bool held = false;
    };

    void DoStage(ZEX& device);
    void commonTail(ZEX& device);
    // The "An Error Occurred" question; true when the user chose to abort.
    bool AbortQuestion(ZEX& device, const QString& message);

    bool startRun(ZEX& device);
    void readLow(ZEX& device);
    void prepareHigh();
    // False when the reading was refused and the question has run its own stage.
    bool readHighAndCalibrate(ZEX& device);
    void prepareLinearisation(ZEX& device, int point);
    void captureLinearisation(ZEX& device, int point);
    void complete();
    void abortRun(ZEX& device);
    // The end of a run: nothing held, Abort no longer offered, the fields free again.
    void endRun();
    // Writes back what Start reset when the new two-point calibration was never written.
    // False when the writes met a communication error.
    bool restoreIfNeeded(ZEX& device);
    bool hasSystemZero() const;
    QString loadText(int index) const { return m_loadTexts[std::size_t(index)]; }
    float loadValue(int index) const;

    CalibrationUi m_ui;
    float m_firmware = 0.0f;
    qint16 m_stage = 0;
    qint16 m_retryStage = 0;
    float m_lowMvV = 0.0f;
    float m_highMvV = 0.0f;
    float m_lowLoad = 0.0f;
    float m_highLoad = 0.0f;
    bool m_running = false;
    CalibrationLoads::Texts m_loadTexts;
    QChar m_decimalSeparator = QLatin1Char('.');
    SavedCalibration m_saved;
    bool m_calibrationWritten = false;
};
