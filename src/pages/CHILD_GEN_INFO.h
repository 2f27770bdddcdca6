#pragma once

#include "pages/PageBase.h"

class QKBtn;
class TextFrame;
class QFrame;

// The Information page: who the module is (firmware, serial number), a live imitation of its
// display (value, unit, annunciators, overload warning) and the display settings, each field
// bound to its member. Which fields exist is decided once, from the firmware and the link kind
// of the connection the page was made for.
class CHILD_GEN_INFO : public PageBase {
    Q_OBJECT

public:
    explicit CHILD_GEN_INFO(MainFrm& window);

    QString ChildFormClass_HelpText() const override;
    void ChildFormClass_TimedRefresh(RefreshBatch& batch) override;
    void ChildFormClass_Activated() override;

    // "kg", "kN", "T" or "lb" for the UnitMode codes 0, 1, 3 and 7; "" for any other.
    static QString UnitText(int unitMode);
    // The warning the status word calls for, without trailing line breaks ("" for none).
    static QString WarningText(qint32 status);

    QKBtn* pbFirmware;
    QKBtn* pbSerialNumber;
    QKBtn* pbTType;
    QKBtn* pbRESOL;
    QKBtn* pbDP;
    QKBtn* pbOffAuto;
    QKBtn* pbPeakMode;
    QKBtn* pbSlave;
    QKBtn* lbSerialNumber;
    QKBtn* lbSlave;
    QFrame* Display;
    QKBtn* LCD1;
    QKBtn* LCDUnits;
    QKBtn* LCDNet;
    QKBtn* LCDPeak;
    QKBtn* LCDBatt;
    TextFrame* ErrorMessage;

private:
    struct DisplayState {
        QString value;
        QString units;
        qint32 status = 0;
    };
    void showDisplay(const DisplayState& state);
    QKBtn* settingRow(const QString& label, const char* name, int row, QKBtn** labelOut = nullptr);

    float m_firmware = 0.0f;
    bool m_radio = false;
};
