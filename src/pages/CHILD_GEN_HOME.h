#pragma once

#include "pages/PageBase.h"

class QKBtn;
class QTabWidget;
class QWidget;

// The Home page: choose the module and connect to it, by serial port (station and baud rate)
// or by radio (pairing, or a typed radio ID on the base station's channel). The fields are not
// bound to device members, so a device in error never locks them. The connection procedures
// run on the device thread; the page only starts them and shows what they report.
class CHILD_GEN_HOME : public PageBase {
    Q_OBJECT

public:
    explicit CHILD_GEN_HOME(MainFrm& window);

    QString ChildFormClass_HelpText() const override;
    void ChildFormClass_TimedRefresh(RefreshBatch&) override {}
    void ChildFormClass_Activated() override;

    // Refills the port list; keeps the caption on CurrentPort when that port still exists.
    void RefreshPortList(qint16 CurrentPort);
    void DoManualConnection();

    // True while a connection procedure started here is running.
    bool IsConnecting() const { return m_connecting; }

    QTabWidget* XTab1;
    QWidget* TabBack1;
    QWidget* TabBack2;
    QKBtn* PortList;
    QKBtn* STATION;
    QKBtn* BAUD;
    QKBtn* BtnConnect;
    QKBtn* pbRadioChannel;
    QKBtn* QKBtn1;
    QKBtn* pbID;
    QKBtn* QKBtn3;

    static constexpr char PortListTip[] =
        "Displays a list of detected COM ports attached to this computer. You should select the "
        "COM port that the module is connected to";
    static constexpr char ConnectTip[] =
        "Connect to the selected module or, if no module is selected, allow pages to be viewed "
        "in Demo Mode";

Q_SIGNALS:
    // A connection procedure started from this page has ended (whatever its outcome).
    void ConnectFinished();

private:
    void buildWired();
    void buildWireless();
    void styleTabs();
    void loadSettings();
    void onRadioProbed();
    void BtnConnect_Click();
    void QKBtn1_Click();
    void QKBtn3_Click();
    void pbRadioChannel_Changed();
    void PortList_BeforeDropdown();
    // Runs a procedure on the device thread with the window's input held off meanwhile.
    void runConnect(std::function<void()> procedure);
    static int portNumberOf(const QString& caption);

    bool m_connecting = false;
};
