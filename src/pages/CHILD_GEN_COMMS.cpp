#include "pages/CHILD_GEN_COMMS.h"

#include "controls/QKBtn.h"
#include "controls/QKBtnUpdateModule.h"
#include "shell/MainFrm.h"
#include "shell/RefreshBatch.h"

#include <QStringList>

namespace {

constexpr double LabelLeft = 240;
constexpr double LabelWidth = 2600;
constexpr double FieldLeft = 2900;
constexpr double FieldWidth = 2000;
constexpr double FieldHeight = 420;
constexpr double NoteLeft = 5200;
constexpr double NoteWidth = 6000;
constexpr double NoteHeight = 600;
constexpr int LastStation = 253;

} // namespace

QString CHILD_GEN_COMMS::StationList() {
    return NumberList(1, LastStation);
}

CHILD_GEN_COMMS::CHILD_GEN_COMMS(MainFrm& window)
    : PageBase(window, QStringLiteral("Communications")) {
    bodyLabel(QStringLiteral("Station Number"), LabelLeft, 1100, LabelWidth, 330);
    STATION = control(QStringLiteral("Edit"), QString(), FieldLeft, 1050, FieldWidth, FieldHeight,
                      QStringLiteral("STATION"));
    // Notes are centred on their field.
    bodyLabel(QStringLiteral("Enter the station number for communications. This will require a "
                             "power cycle to take effect"),
              NoteLeft, 1050 + (FieldHeight - NoteHeight) / 2, NoteWidth, NoteHeight);
    bodyLabel(QStringLiteral("Baud Rate"), LabelLeft, 2000, LabelWidth, 330);
    BAUD = control(QStringLiteral("Edit"), QString(), FieldLeft, 1950, FieldWidth, FieldHeight,
                   QStringLiteral("BAUD"));
    bodyLabel(QStringLiteral("Select the baudrate to operate at"), NoteLeft,
              1950 + (FieldHeight - NoteHeight) / 2, NoteWidth, NoteHeight);

    const QString stations = StationList();
    using QKBtnUpdateModule::SetupField;
    SetupField(*STATION, QStringLiteral("STAT"), QString(), false, stations, 0, 0, 0, stations,
               true, false,
               QStringLiteral("The station number. This should be unique for every module if "
                              "they are to reside together on the same communications bus"));
    SetupField(*BAUD, QStringLiteral("BAUD"), QString(), false, QString(), 0, 0, 0,
               QStringLiteral("9600|19200"), true, false,
               QStringLiteral("Select the required baud rate"));
    connect(STATION, &QKBtn::Changed, this, [this] {
        // No entry writes 0; a field that somehow holds none writes nothing.
        if (STATION->ListIndex() >= 1) {
            UpdateDeviceFromField(STATION);
        }
    });
    connect(BAUD, &QKBtn::Changed, this, [this] { UpdateDeviceFromField(BAUD); });
}

QString CHILD_GEN_COMMS::ChildFormClass_HelpText() const {
    return SettingsHelpText();
}

QString CHILD_GEN_COMMS::SettingsHelpText() {
    return QStringLiteral("This page allows you to change the communications settings of the "
                          "module.**The module will require power cycling for these changes to "
                          "take effect.");
}

void CHILD_GEN_COMMS::ChildFormClass_Activated() {
    window().RefreshNow();
}

void CHILD_GEN_COMMS::ChildFormClass_TimedRefresh(RefreshBatch& batch) {
    batch.field(BAUD);
    batch.field(STATION);
}
