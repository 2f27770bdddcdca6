#include "pages/CHILD_GEN_R58COMMS.h"

#include "controls/QKBtn.h"
#include "controls/QKBtnUpdateModule.h"
#include "device/CurrentDevice.h"
#include "device/DeviceErrors.h"
#include "device/DeviceThread.h"
#include "device/ZEX.h"
#include "pages/CHILD_GEN_COMMS.h"
#include "pages/HexFieldModule.h"
#include "radio/RadioProcedures.h"
#include "shell/MainFrm.h"
#include "shell/RefreshBatch.h"
#include "util/ApplicationState.h"

#include <QStringList>

namespace {

constexpr double LabelLeft = 240;
constexpr double LabelWidth = 2200;
constexpr double FieldLeft = 2500;
constexpr double FieldWidth = 2000;
constexpr double FieldHeight = 420;
constexpr double NoteLeft = 4800;
constexpr double NoteWidth = 6400;
constexpr double NoteHeight = 600;
constexpr double FirstTop = 1050;
constexpr double RowStep = 800;

const QString HexDigits = QStringLiteral("1234567890abcdefABCDEF");

// Shows a hexadecimal member read by the refresh.
void hexValue(RefreshBatch& batch, QKBtn* field, const char* member, int bits, int digits) {
    QPointer<QKBtn> guard(field);
    const QString name = QLatin1String(member);
    batch.add([guard, name, bits, digits](ZEX& device) -> RefreshBatch::Show {
        DeviceValue value;
        try {
            value = device.GetByName(name);
        } catch (const DeviceError&) {
            return {};
        }
        const QString text = HexFieldModule::ShownText(value, bits, digits);
        return [guard, text] {
            if (guard && !text.isEmpty()) {
                guard->Caption(text);
            }
        };
    });
}

} // namespace

QString CHILD_GEN_R58COMMS::ChannelList() {
    return NumberList(RadioProcedures::LowestChannel, RadioProcedures::HighestChannel);
}

CHILD_GEN_R58COMMS::CHILD_GEN_R58COMMS(MainFrm& window)
    : PageBase(window, QStringLiteral("Communications")) {
    const auto row = [this](int index, const QString& label, const char* name,
                            const QString& note) {
        const double top = FirstTop + index * RowStep;
        bodyLabel(label, LabelLeft, top + 45, LabelWidth, 330);
        // Centred on the field, whether the note takes one line or two.
        bodyLabel(note, NoteLeft, top + (FieldHeight - NoteHeight) / 2, NoteWidth, NoteHeight);
        return control(QStringLiteral("Edit"), QString(), FieldLeft, top, FieldWidth, FieldHeight,
                       QLatin1String(name));
    };
    pbRadioChannel = row(0, QStringLiteral("Radio Channel"), "pbRadioChannel",
                         QStringLiteral("Select the radio channel to operate on"));
    pbDoWake = row(1, QStringLiteral("Do Wake"), "pbDoWake",
                   QStringLiteral("Whether the ZEX will wake paired module on power up and send "
                                  "it to sleep on power down"));
    pbBoundID = row(2, QStringLiteral("ID"), "pbBoundID",
                    QStringLiteral("Set the ID of the paired module"));
    pbDataTag = row(3, QStringLiteral("Data Tag"), "pbDataTag",
                    QStringLiteral("Set the Data Tag of the paired module"));

    const QString channels = ChannelList();
    using QKBtnUpdateModule::SetupField;
    SetupField(*pbRadioChannel, QStringLiteral("CHANNEL"), QString(), false, channels, 0, 0, 0,
               channels, true, false,
               QStringLiteral("The radio channel to operate on. If acquisition modules are "
                              "paired using this handset this channel will be used"));
    SetupField(*pbDoWake, QStringLiteral("DOWAKE"), QString(), false, QString(), 0, 0, 0,
               QStringLiteral("No|Yes"), true, false,
               QStringLiteral("Whether to wake and sleep the paired module on power on and off"));
    SetupField(*pbBoundID, QStringLiteral("BOUNDID"), QStringLiteral("000000"), true, HexDigits,
               HexFieldModule::BoundIdDigits, 0, 0, QString(), false, false,
               QStringLiteral("The ID of the paired module"), true);
    SetupField(*pbDataTag, QStringLiteral("BOUNDTAG"), QStringLiteral("0000"), true, HexDigits,
               HexFieldModule::DataTagDigits, 0, 0, QString(), false, false,
               QStringLiteral("The Data Tag of the paired module"), true);

    connect(pbRadioChannel, &QKBtn::Changed, this, &CHILD_GEN_R58COMMS::pbRadioChannel_Changed);
    connect(pbDoWake, &QKBtn::Changed, this, [this] { UpdateDeviceFromField(pbDoWake); });
    connect(pbBoundID, &QKBtn::Changed, this, &CHILD_GEN_R58COMMS::pbBoundID_Changed);
    connect(pbDataTag, &QKBtn::Changed, this, &CHILD_GEN_R58COMMS::pbDataTag_Changed);
}

QString CHILD_GEN_R58COMMS::ChildFormClass_HelpText() const {
    return CHILD_GEN_COMMS::SettingsHelpText();
}

void CHILD_GEN_R58COMMS::ChildFormClass_Activated() {
    window().RefreshNow();
}

void CHILD_GEN_R58COMMS::ChildFormClass_TimedRefresh(RefreshBatch& batch) {
    batch.field(pbRadioChannel);
    batch.field(pbDoWake);
    hexValue(batch, pbBoundID, "BOUNDID", HexFieldModule::BoundIdBits,
             HexFieldModule::BoundIdDigits);
    hexValue(batch, pbDataTag, "BOUNDTAG", HexFieldModule::DataTagBits,
             HexFieldModule::DataTagDigits);
}

bool CHILD_GEN_R58COMMS::write(std::function<void(ZEX&)> work) {
    if (AppState().Closing || CurrentDevice::ErrorPending()) {
        return false;
    }
    window().Device().post([work = std::move(work)] {
        ZEX* device = CurrentDevice::Get();
        if (!device || device->ErrorState()) {
            return;
        }
        try {
            work(*device);
        } catch (const DeviceError&) {
            // A value the member refuses is not written; the field shows the module's value on
            // the next refresh.
        }
    });
    return true;
}

void CHILD_GEN_R58COMMS::pbRadioChannel_Changed() {
    const qint16 channel = pbRadioChannel->ListIndex();
    if (channel < 1) {
        return;
    }
    // The channel is kept by SAVE, and only a channel the module took is saved.
    write([channel](ZEX& device) {
        device.LetByName(QStringLiteral("CHANNEL"), DeviceValue(int(channel)));
        if (!device.ErrorState()) {
            device.SAVE();
        }
    });
}

void CHILD_GEN_R58COMMS::pbBoundID_Changed() {
    const quint32 id = HexFieldModule::ReadHex(pbBoundID->Caption(), HexFieldModule::BoundIdBits);
    write([id](ZEX& device) {
        device.LetByName(QStringLiteral("BOUNDID"), DeviceValue(double(id)));
    });
}

void CHILD_GEN_R58COMMS::pbDataTag_Changed() {
    const quint32 tag = HexFieldModule::ReadHex(pbDataTag->Caption(), HexFieldModule::DataTagBits);
    write([tag](ZEX& device) {
        device.LetByName(QStringLiteral("BOUNDTAG"), DeviceValue(float(tag)));
    });
}
