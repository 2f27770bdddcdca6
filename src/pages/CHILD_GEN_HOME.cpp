#include "pages/CHILD_GEN_HOME.h"

#include "controls/ColourModule.h"
#include "controls/QKBtn.h"
#include "controls/QKBtnUpdateModule.h"
#include "device/DeviceThread.h"
#include "radio/RadioProcedures.h"
#include "serial/COMDetectModule.h"
#include "serial/SerialProcedures.h"
#include "shell/EscapeLatch.h"
#include "shell/MainFrm.h"
#include "shell/ProgramLinks.h"
#include "shell/WindowUi.h"
#include "store/ApplicationSettings.h"
#include "store/BrandValues.h"
#include "store/IniModule.h"
#include "util/ApplicationState.h"

#include <QApplication>
#include <QTabBar>
#include <QTabWidget>

namespace {

constexpr int FirstStation = 1;
constexpr int LastStation = 254;
constexpr int DefaultStation = 1;
constexpr int DefaultBaud = 1; // 19200

// A stored whole number inside the range, else the default: a hand-edited or damaged settings
// file must not select station 0 (the broadcast address) or a baud rate that does not exist.
int storedNumber(const QString& section, const QString& key, int fallback, int lowest,
                 int highest) {
    const QString text =
        IniModule::ReadIniValue(AppState().ConfigFile, section, key, QString::number(fallback));
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= lowest && value <= highest ? value : fallback;
}

QString colourName(ColourValue colour) {
    return ColourModule::ToQColor(colour).name();
}

// Design positions, in twips, inside a tab.
constexpr double LabelLeft = 300;
constexpr double LabelWidth = 2200;
constexpr double FieldLeft = 2600;
constexpr double FieldWidth = 2100;
constexpr double FieldHeight = 450;
constexpr double NoteLeft = 4950;
constexpr double NoteWidth = 5400;
constexpr double RowStep = 660;

} // namespace

CHILD_GEN_HOME::CHILD_GEN_HOME(MainFrm& window)
    : PageBase(window, QStringLiteral("Home")) {
    header(QStringLiteral("Select Interface"), 240, 720, 6000);
    bodyLabel(QStringLiteral("Select the required interface for the connected module."), 240, 1170,
              10000);

    XTab1 = new QTabWidget(this);
    XTab1->setObjectName(QStringLiteral("XTab1"));
    XTab1->setGeometry(twipsRect(240, 1560, 11060, 5200));
    TabBack1 = new QWidget;
    TabBack1->setObjectName(QStringLiteral("TabBack1"));
    TabBack2 = new QWidget;
    TabBack2->setObjectName(QStringLiteral("TabBack2"));
    XTab1->addTab(TabBack1, QStringLiteral("Wired"));
    XTab1->addTab(TabBack2, QStringLiteral("Wireless"));
    buildWired();
    buildWireless();
    styleTabs();
    loadSettings();
}

QString CHILD_GEN_HOME::ChildFormClass_HelpText() const {
    return QStringLiteral("This Home page is where you select which module to connect to.*You "
                          "can connect via RS485 or R58 radio if a radio module is fitted.");
}

void CHILD_GEN_HOME::buildWired() {
    auto row = [this](const QString& label, const QString& note, int index, const char* name) {
        const double top = 300 + index * RowStep;
        auto* caption =
            control(QStringLiteral("Body"), label, LabelLeft, top + 60, LabelWidth, 330);
        caption->setParent(TabBack1);
        caption->setGeometry(twipsRect(LabelLeft, top + 60, LabelWidth, 330));
        auto* field = control(QStringLiteral("Edit"), QString(), FieldLeft, top, FieldWidth,
                              FieldHeight, QLatin1String(name));
        field->setParent(TabBack1);
        field->setGeometry(twipsRect(FieldLeft, top, FieldWidth, FieldHeight));
        auto* hint = control(QStringLiteral("Body"), note, NoteLeft, top + 60, NoteWidth, 330);
        hint->setParent(TabBack1);
        hint->setGeometry(twipsRect(NoteLeft, top + 60, NoteWidth, 330));
        return field;
    };
    PortList =
        row(QStringLiteral("COM Port"),
            QStringLiteral("Select the COM port that the module is connected to"), 0, "PortList");
    PortList->Editable(QKBtn::EditList);
    PortList->SetToolTip(QLatin1String(PortListTip));
    BAUD = row(QStringLiteral("Baud Rate"),
               QStringLiteral("Select the baudrate that the module is configured to"), 1, "BAUD");
    STATION =
        row(QStringLiteral("Station Number"),
            QStringLiteral("Select the Station Number the module is configured to"), 2, "STATION");
    BtnConnect = button(QStringLiteral("Connect"), FieldLeft, 300 + 3 * RowStep + 150, FieldWidth,
                        QStringLiteral("BtnConnect"));
    BtnConnect->setParent(TabBack1);
    BtnConnect->setGeometry(twipsRect(FieldLeft, 300 + 3 * RowStep + 150, FieldWidth, 450));
    BtnConnect->Enabled(false);
    BtnConnect->SetToolTip(QLatin1String(ConnectTip));

    const QString stations = NumberList(FirstStation, LastStation);
    QKBtnUpdateModule::SetupField(
        *STATION, QString(), QString(), false, stations, 0, 0, 0, stations, true, false,
        QStringLiteral("The station number. This should be unique for every module if they are "
                       "to reside together on the same communications bus"));
    QKBtnUpdateModule::SetupField(*BAUD, QString(), QString(), false, QString(), 0, 0, 0,
                                  QStringLiteral("9600|19200"), true, false,
                                  QStringLiteral("Select the required baud rate"));

    connect(BtnConnect, &QKBtn::Click, this, &CHILD_GEN_HOME::BtnConnect_Click);
    connect(PortList, &QKBtn::BeforeDropdown, this, &CHILD_GEN_HOME::PortList_BeforeDropdown);
}

void CHILD_GEN_HOME::buildWireless() {
    auto place = [this](QKBtn* widget, double left, double top, double width, double height) {
        widget->setParent(TabBack2);
        widget->setGeometry(twipsRect(left, top, width, height));
        return widget;
    };
    auto note = [&](const QString& text, double top) {
        QKBtn* label = control(QStringLiteral("Body"), text, 0, 0, 0, 0);
        label->Stretch(false);
        return place(label, LabelLeft, top, 10300, 560);
    };
    note(QStringLiteral("Connect to ZEX by using pairing. Must have access to the device. Click "
                        "the Pair button then apply power to the ZEX."),
         200);
    QKBtn1 = place(button(QStringLiteral("Pair"), 0, 0, 0, QStringLiteral("QKBtn1")), FieldLeft,
                   800, FieldWidth, 450);
    note(QStringLiteral("If you do not have access to the ZEX but know its ID and radio channel "
                        "you can connect by entering the information below and clicking the "
                        "Connect button."),
         1500);
    place(control(QStringLiteral("Body"), QStringLiteral("Radio Channel"), 0, 0, 0, 0), LabelLeft,
          2160, LabelWidth, 330);
    pbRadioChannel = place(
        control(QStringLiteral("Edit"), QString(), 0, 0, 0, 0, QStringLiteral("pbRadioChannel")),
        FieldLeft, 2100, FieldWidth, FieldHeight);
    place(control(QStringLiteral("Body"), QStringLiteral("ID"), 0, 0, 0, 0), LabelLeft,
          2160 + RowStep, LabelWidth, 330);
    pbID = place(control(QStringLiteral("Edit"), QString(), 0, 0, 0, 0, QStringLiteral("pbID")),
                 FieldLeft, 2100 + RowStep, FieldWidth, FieldHeight);
    QKBtn3 = place(button(QStringLiteral("Connect"), 0, 0, 0, QStringLiteral("QKBtn3")), FieldLeft,
                   2100 + 2 * RowStep + 150, FieldWidth, 450);

    const QString channels =
        NumberList(RadioProcedures::LowestChannel, RadioProcedures::HighestChannel);
    QKBtnUpdateModule::SetupField(
        *pbRadioChannel, QString(), QString(), false, channels, 0, 0, 0, channels, true, false,
        QStringLiteral("The RF channel of the ZEX you want to connect to"));
    QKBtnUpdateModule::SetupField(*pbID, QString(), QStringLiteral("*"), true,
                                  QStringLiteral("1234567890abcdefABCDEF"), 6, 0, 0, QString(),
                                  false, false,
                                  QStringLiteral("The ID of the ZEX you want to connect to"), true);

    connect(QKBtn1, &QKBtn::Click, this, &CHILD_GEN_HOME::QKBtn1_Click);
    connect(QKBtn3, &QKBtn::Click, this, &CHILD_GEN_HOME::QKBtn3_Click);
    connect(pbRadioChannel, &QKBtn::Changed, this, &CHILD_GEN_HOME::pbRadioChannel_Changed);
}

void CHILD_GEN_HOME::styleTabs() {
    const BrandValues& brand = Brand();
    const QString display = colourName(brand.DisplayBack);
    XTab1->setStyleSheet(
        QStringLiteral(
            "QTabWidget::pane { background: %1; border: 1px solid %2; border-radius: 6px; "
            "top: -1px; }"
            "QTabBar::tab { background: %2; color: %3; padding: 6px 22px; margin-right: 4px; "
            "border-top-left-radius: 6px; border-top-right-radius: 6px; "
            "font-family: 'Trebuchet MS'; font-size: 11pt; }"
            "QTabBar::tab:selected { background: %4; color: %5; }"
            "QTabBar::tab:disabled { color: %6; }")
            .arg(display, colourName(brand.HelpBack), colourName(brand.Text),
                 colourName(brand.FieldBack), colourName(brand.FieldFore),
                 colourName(brand.FieldForeDisabled)));
    for (QWidget* panel : {TabBack1, TabBack2}) {
        ColourModule::FillBackground(panel, brand.DisplayBack);
    }
}

void CHILD_GEN_HOME::loadSettings() {
    window().ShowStatus(QString(), false);
    int port = window().Environment().preselectedPort;
    if (port <= 0) {
        port = storedNumber(QStringLiteral("Serial"), QStringLiteral("Port"), 0, 0, 255);
    }
    RefreshPortList(qint16(port));
    STATION->ListIndex(qint16(storedNumber(QStringLiteral("Serial"), QStringLiteral("Station"),
                                           DefaultStation, FirstStation, LastStation)));
    BAUD->ListIndex(
        qint16(storedNumber(QStringLiteral("Serial"), QStringLiteral("Baud"), DefaultBaud, 0, 1)));
    pbID->Caption(ApplicationSettings::ReadWakeID());
    // Which tab is offered depends on the radio probe, which may still be running.
    QPointer<CHILD_GEN_HOME> self(this);
    window().WhenRadioProbed([self] {
        if (self) {
            self->onRadioProbed();
        }
    });
}

void CHILD_GEN_HOME::onRadioProbed() {
    if (window().BaseStationPresent()) {
        XTab1->setCurrentIndex(1);
    } else {
        XTab1->setTabEnabled(1, false);
    }
    // The base station's channel, read whether or not one was found (0 when none answers).
    MainFrm* owner = &window();
    auto channel = std::make_shared<quint8>(0);
    window().Device().post(
        [owner, channel] {
            if (ProgramLinks* links = owner->Links()) {
                *channel = RadioProcedures::ReadBaseStationChannel(links->radio());
            }
        },
        this, [this, channel] { pbRadioChannel->Caption(QString::number(*channel)); });
}

void CHILD_GEN_HOME::ChildFormClass_Activated() {
    window().Device().post([] { AppState().StatusText.clear(); });
    QCoreApplication::processEvents();
    BtnConnect->SetToolTip(QLatin1String(ConnectTip));
    PortList->SetToolTip(QLatin1String(PortListTip));
}

int CHILD_GEN_HOME::portNumberOf(const QString& caption) {
    bool ok = false;
    const int number = caption.mid(3).trimmed().toInt(&ok);
    return ok ? number : 0;
}

void CHILD_GEN_HOME::RefreshPortList(qint16 CurrentPort) {
    PortList->ListClear();
    const QList<int> ports = COMDetectModule::EnumSerialPorts();
    for (const int port : ports) {
        const QString entry = COMDetectModule::PortName(port);
        PortList->ListAddItem(entry);
        if (port == CurrentPort) {
            PortList->Caption(entry);
        }
    }
    if (PortList->Caption().isEmpty() && !ports.isEmpty()) {
        PortList->ListIndex(0);
    }
    BtnConnect->Enabled(!ports.isEmpty());
}

void CHILD_GEN_HOME::PortList_BeforeDropdown() {
    window().SetBusyPointer(true);
    RefreshPortList(qint16(portNumberOf(PortList->Caption())));
    window().SetBusyPointer(false);
}

void CHILD_GEN_HOME::runConnect(std::function<void()> procedure) {
    if (m_connecting || AppState().Closing) {
        return;
    }
    m_connecting = true;
    window().BlockInput(true);
    window().Escape().clear();
    MainFrm* owner = &window();
    QPointer<CHILD_GEN_HOME> self(this);
    owner->Device().post(std::move(procedure), owner, [owner, self] {
        owner->BlockInput(false);
        if (self) {
            self->m_connecting = false;
            Q_EMIT self->ConnectFinished();
        }
    });
}

void CHILD_GEN_HOME::BtnConnect_Click() {
    const QString portText = PortList->Caption().mid(3);
    SerialProcedures::Request request;
    request.portNumber = portNumberOf(PortList->Caption());
    request.station = STATION->ListIndex();
    request.baudRate = BAUD->Caption().toInt();
    if (request.baudRate != 9600 && request.baudRate != 19200) {
        request.baudRate = 19200;
    }
    const QString config = AppState().ConfigFile;
    IniModule::WriteIniValue(config, QStringLiteral("Serial"), QStringLiteral("Station"),
                             QString::number(STATION->ListIndex()));
    IniModule::WriteIniValue(config, QStringLiteral("Serial"), QStringLiteral("Baud"),
                             QString::number(BAUD->ListIndex()));
    IniModule::WriteIniValue(config, QStringLiteral("Serial"), QStringLiteral("Port"), portText);

    MainFrm* owner = &window();
    const SerialConnectUi ui = WindowUi::ForSerial(window());
    runConnect([owner, request, ui] {
        if (ProgramLinks* links = owner->Links()) {
            SerialProcedures::Connect(links->serial(), request, ui);
        }
    });
}

void CHILD_GEN_HOME::QKBtn1_Click() {
    MainFrm* owner = &window();
    const RadioUi ui = WindowUi::ForRadio(window());
    runConnect([owner, ui] {
        if (ProgramLinks* links = owner->Links()) {
            RadioProcedures::Pair(links->radio(), ui);
        }
    });
}

void CHILD_GEN_HOME::QKBtn3_Click() {
    const QString typed = pbID->Caption();
    ApplicationSettings::WriteWakeID(typed);
    DoManualConnection();
}

void CHILD_GEN_HOME::DoManualConnection() {
    const QString typed = pbID->Caption();
    MainFrm* owner = &window();
    const RadioUi ui = WindowUi::ForRadio(window());
    runConnect([owner, ui, typed] {
        if (ProgramLinks* links = owner->Links()) {
            RadioProcedures::DoManualConnection(links->radio(), ui, typed);
        }
    });
}

void CHILD_GEN_HOME::pbRadioChannel_Changed() {
    const int channel = pbRadioChannel->ListIndex();
    MainFrm* owner = &window();
    const RadioUi ui = WindowUi::ForRadio(window());
    runConnect([owner, ui, channel] {
        if (ProgramLinks* links = owner->Links()) {
            RadioProcedures::SetBaseStationChannel(links->radio(), ui, channel);
        }
    });
}
