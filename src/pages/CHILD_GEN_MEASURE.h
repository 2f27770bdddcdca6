#pragma once

#include "pages/PageBase.h"
#include "pages/TrendWindow.h"

class QFrame;
class QKBtn;
class TrendPlot;

// The Measurement page: the chain of values from the raw bridge signal to the displayed value,
// the zeroes and tares, filter, alarm and overload settings, and the overload and overrange
// counters, each field bound to its member; beside them a trend of the last minute of gross
// and net, fed by the page's own refresh. Which fields exist is decided once, from the firmware
// and the link kind of the connection the page was made for; cover panels fill the places of
// the fields that do not apply.
class CHILD_GEN_MEASURE : public PageBase {
    Q_OBJECT

public:
    explicit CHILD_GEN_MEASURE(MainFrm& window);

    QString ChildFormClass_HelpText() const override;
    void ChildFormClass_TimedRefresh(RefreshBatch& batch) override;
    void ChildFormClass_Activated() override;

    const TrendWindow& Trend() const { return m_trend; }

    QKBtn* VALUE;
    QKBtn* pbRawmVV;
    QKBtn* pbUnlinmVV;
    QKBtn* pbmVV;
    QKBtn* pbGross;
    QKBtn* pbNet;
    QKBtn* pbSYSTEMZERO;
    QKBtn* pbPoweronZero;
    QKBtn* pbPeakGross;
    QKBtn* pbPeakNet;
    QKBtn* pbTare;
    QKBtn* pbSENS;
    QKBtn* pbOverloadCounter;
    QKBtn* pbOverrangeCounter;
    QKBtn* pbAlarmLevel;
    QKBtn* pbCreepTracking;
    QKBtn* pbFilterDamp;
    QKBtn* pbFilterThreshold;
    QKBtn* pbCalHi;
    QKBtn* pbPTare;
    QKBtn* pbOverloadPercent;

    QKBtn* senslabel;
    QKBtn* lbCalHi;
    QKBtn* lbPTare;
    QKBtn* lbOverloadPercent;
    QFrame* R58Blank;
    QFrame* R581Blank;
    QFrame* pbTareBlank;
    QFrame* OverloadPercentBlank;
    TrendPlot* Trendplot;

private:
    QKBtn* row(int column, int row, const QString& label, const char* name, bool display,
               QKBtn** labelOut = nullptr);
    QFrame* coverPanel(const char* name, int column, int firstRow, int rows);
    void readDisplayScale();
    void addTrendSample();

    TrendWindow m_trend;
    float m_firmware = 0.0f;
    bool m_radio = false;
};
