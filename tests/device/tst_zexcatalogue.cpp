#include "device/CurrentDevice.h"
#include "device/Device.h"
#include "device/DeviceErrors.h"
#include "device/StatusWord.h"
#include "device/ZexCatalogue.h"
#include "serial/ZarnbusNumbers.h"
#include "support/FakeCurrentDevice.h"
#include "support/ScriptedZex.h"

#include <QTest>
#include <limits>

using ZexCatalogue::SlotAccess;

class TestZexCatalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every slot against the member table: a read/write pair takes two slots, the read first
    // unless the table says "write, read"; LINX1 ... LINK6 and REM1 ... REM5 are members each.
    void everySlotIsTheMemberOfTheTable_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("access");
        struct Row {
            const char* name;
            const char* access;
        };
        const QList<Row> table = {
            {"Initialise", "operation"},
            {"OpenInterface", "operation"},
            {"CloseInterface", "operation"},
            {"CHANNEL", "read, write"},
            {"BOUNDID", "read, write"},
            {"BOUNDTAG", "read, write"},
            {"DOWAKE", "read, write"},
            {"BATTV", "read"},
            {"VERS", "read"},
            {"RMVV", "read"},
            {"UMVV", "read"},
            {"MVV", "read"},
            {"GROSS", "read"},
            {"NET", "read"},
            {"PEAKG", "read"},
            {"PEAKN", "read"},
            {"TARE", "read"},
            {"PTARE", "read, write"},
            {"SYSZERO", "read, write"},
            {"FGAIN", "read, write"},
            {"FOFFS", "read, write"},
            {"FGB9", "read, write"},
            {"FGB3", "read, write"},
            {"ALARM", "read, write"},
            {"TTYPE", "read, write"},
            {"DP", "read, write"},
            {"ZERO", "read, write"},
            {"Damp", "read, write"},
            {"THRESH", "read, write"},
            {"RESOL", "read, write"},
            {"OFFAUTO", "read, write"},
            {"SENS", "read, write"},
            {"STAT", "read, write"},
            {"Gain", "read, write"},
            {"OFFS", "read, write"},
            {"CMVVLO", "read, write"},
            {"CMVVHI", "read, write"},
            {"CENGLO", "read, write"},
            {"CENGHI", "read, write"},
            {"CALCNT", "read, write"},
            {"POZ", "read, write"},
            {"LINP", "read, write"},
            {"LINX1", "read, write"},
            {"LINX2", "read, write"},
            {"LINX3", "read, write"},
            {"LINX4", "read, write"},
            {"LINX5", "read, write"},
            {"LINX6", "read, write"},
            {"LINK1", "read, write"},
            {"LINK2", "read, write"},
            {"LINK3", "read, write"},
            {"LINK4", "read, write"},
            {"LINK5", "read, write"},
            {"LINK6", "read, write"},
            {"OVERLOAD", "read, write"},
            {"OVRLOD", "read, write"},
            {"OVRRNG", "read, write"},
            {"REM1", "read"},
            {"REM2", "read"},
            {"REM3", "read"},
            {"REM4", "read"},
            {"REM5", "read"},
            {"REMK", "write"},
            {"SLAVE", "read, write"},
            {"Status", "read"},
            {"VALUE", "read"},
            {"BAUD", "read, write"},
            {"NetMode", "write, read"},
            {"HoldMode", "write, read"},
            {"UnitMode", "write, read"},
            {"DISPLAY", "read"},
            {"EasyAll", "operation"},
            {"RST", "operation"},
            {"DOCALLO", "operation"},
            {"DOCALHI", "operation"},
            {"DOKEYPWR", "operation"},
            {"DOKEYTAR", "operation"},
            {"DOKEYUNI", "operation"},
            {"DOKEYHLD", "operation"},
            {"DOOFF", "operation"},
            {"RSTOVRLOD", "operation"},
            {"RSTOVRRNG", "operation"},
            {"ErrorState", "write, read"},
            {"ResetError", "operation"},
            {"WAKE", "operation"},
            {"SAVE", "operation"},
            {"SERIALNUMBER", "read, write"},
            {"GetByName", "function"},
            {"LetByName", "function"},
            {"MethodByName", "function"},
            {"KEEPAWAKE", "operation"},
            {"ErrorDescription", "read"},
            {"DriverStation", "write"},
            {"IsR58", "read"},
            {"PeakMode", "read, write"},
        };
        const QHash<QString, QList<SlotAccess>> slotsOf = {
            {"operation", {SlotAccess::Operation}},
            {"function", {SlotAccess::Function}},
            {"read", {SlotAccess::Read}},
            {"write", {SlotAccess::Write}},
            {"read, write", {SlotAccess::Read, SlotAccess::Write}},
            {"write, read", {SlotAccess::Write, SlotAccess::Read}},
        };
        const char* const accessNames[] = {"operation", "read", "write", "function"};
        int index = 0;
        for (const Row& row : table) {
            for (const SlotAccess access : slotsOf.value(QLatin1String(row.access))) {
                QTest::addRow("slot %d: %s %s", index, row.name, accessNames[int(access)])
                    << index << QString::fromLatin1(row.name) << int(access);
                ++index;
            }
        }
        QCOMPARE(index, ZexCatalogue::SlotCount);
    }
    void everySlotIsTheMemberOfTheTable() {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(int, access);
        const auto& slots = ZexCatalogue::Slots();
        QCOMPARE(int(slots.size()), 147);
        const ZexCatalogue::Slot& slot = slots[size_t(index)];
        QCOMPARE(QString::fromLatin1(slot.name), name);
        QCOMPARE(int(slot.access), access);

        // The slot reaches the member of its own name, not a neighbour's.
        ScriptedZex module;
        QString expectedCall;
        switch (SlotAccess(access)) {
        case SlotAccess::Read:
            QVERIFY(slot.read && !slot.write && !slot.call);
            slot.read(module);
            expectedCall = QStringLiteral("get ") + name;
            break;
        case SlotAccess::Write:
            QVERIFY(slot.write && !slot.read && !slot.call);
            slot.write(module, DeviceValue(qint64(1)));
            expectedCall = QStringLiteral("set ") + name;
            break;
        case SlotAccess::Operation:
            QVERIFY(slot.call && !slot.read && !slot.write);
            slot.call(module);
            expectedCall = QStringLiteral("call ") + name;
            break;
        case SlotAccess::Function:
            QVERIFY(!slot.read && !slot.write && !slot.call);
            return;
        }
        // The scripted module does not record its link-state and station members.
        const QStringList unrecorded = {"ErrorState", "ResetError", "ErrorDescription",
                                        "DriverStation", "IsR58"};
        QCOMPARE(module.calls,
                 unrecorded.contains(name) ? QStringList() : QStringList{expectedCall});
    }

    void namesAreUniqueAndResolveWhateverTheirCase() {
        const QStringList names = ZexCatalogue::MemberNames();
        QCOMPARE(names.size(), 95);
        QCOMPARE(ZexCatalogue::CanonicalName(QStringLiteral("damp")), QStringLiteral("Damp"));
        QCOMPARE(ZexCatalogue::CanonicalName(QStringLiteral("TType")), QStringLiteral("TTYPE"));
        QVERIFY(ZexCatalogue::IsWritable(QStringLiteral("remk")));
        QVERIFY(!ZexCatalogue::IsReadable(QStringLiteral("REMK")));
        QVERIFY(ZexCatalogue::IsOperation(QStringLiteral("dokeytar")));
        QVERIFY_THROWS_EXCEPTION(UnknownMemberError,
                                 ZexCatalogue::CanonicalName(QStringLiteral("LINX7")));
        try {
            ZexCatalogue::CanonicalName(QStringLiteral("Gross2"));
            QFAIL("an unknown name was accepted");
        } catch (const UnknownMemberError& error) {
            QCOMPARE(error.memberName(), QStringLiteral("Gross2"));
            QVERIFY(error.message().contains(QStringLiteral("Gross2")));
        }
    }

    void connectingReadsTheSerialNumberFromFirmware3_data() {
        QTest::addColumn<float>("version");
        QTest::addColumn<QString>("serialText");
        QTest::newRow("firmware 2.99 has no serial number") << 2.99f << "";
        QTest::newRow("firmware 3.0 reads it") << 3.0f << "0000065538";
    }
    void connectingReadsTheSerialNumberFromFirmware3() {
        QFETCH(float, version);
        QFETCH(QString, serialText);
        FakeCurrentDevice device;
        device.module.values = {
            {ZarnbusNumber::VERS, version}, {ZarnbusNumber::SERH, 1}, {ZarnbusNumber::SERL, 2}};
        device.makeCurrent();
        QCOMPARE(CurrentDevice::Get(), device.driver.get());
        QCOMPARE(CurrentDevice::Connection().firmwareVersion, version);
        QCOMPARE(CurrentDevice::Connection().serialNumberText, serialText);
        CurrentDevice::Release();
        QVERIFY(!CurrentDevice::Get());
        QCOMPARE(CurrentDevice::Connection().serialNumberText, QString());
    }

    void serialNumberTextIsTenDigitsOrNothing_data() {
        QTest::addColumn<DeviceValue>("serialNumber");
        QTest::addColumn<QString>("text");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("a number gets leading zeros") << DeviceValue(65538.0) << "0000065538";
        QTest::newRow("a fraction is cut off") << DeviceValue(42.9f) << "0000000042";
        QTest::newRow("the largest 32-bit serial") << DeviceValue(4294967295.0) << "4294967295";
        QTest::newRow("the serial driver's text as it is")
            << DeviceValue("0001000001") << "0001000001";
        QTest::newRow("no value") << DeviceValue() << "";
        QTest::newRow("not a number") << DeviceValue(nan) << "";
        QTest::newRow("infinity") << DeviceValue(-inf) << "";
        QTest::newRow("beyond 32 bits") << DeviceValue(4294967296.0) << "";
        QTest::newRow("beyond any whole number") << DeviceValue(1e300) << "";
        QTest::newRow("negative") << DeviceValue(-1.0) << "";
    }
    void serialNumberTextIsTenDigitsOrNothing() {
        QFETCH(DeviceValue, serialNumber);
        QFETCH(QString, text);
        QCOMPARE(CurrentDevice::SerialNumberText(serialNumber), text);
    }

    void statusWordDecodesIntoItsSevenParts() {
        DeviceValue display, places, units("unchanged"), battLow, peak, net, overload;
        StatusWord::Decode(1 + 2 + 8 + 64 + 128 + 3 * 256, DeviceValue("12.3"), display, places,
                           units, battLow, peak, net, overload);
        QCOMPARE(display, DeviceValue("12.3"));
        QCOMPARE(places, DeviceValue(qint64(3)));
        QCOMPARE(units, DeviceValue("T")); // the first unit flag set wins
        QCOMPARE(net, DeviceValue(true));
        QCOMPARE(peak, DeviceValue(true));
        QCOMPARE(battLow, DeviceValue(false));
        QCOMPARE(overload, DeviceValue(true));

        StatusWord::Decode(4 + 9 * 256, DeviceValue(), display, places, units, battLow, peak, net,
                           overload);
        QCOMPARE(units, DeviceValue("T")); // no unit flag: left as it was
        QCOMPARE(places, DeviceValue(qint64(1)));
        QCOMPARE(battLow, DeviceValue(true));
        QCOMPARE(StatusWord::UnitModeOf(128), qint64(7));
        QCOMPARE(StatusWord::UnitModeOf(0), qint64(-1));
    }

    void deviceDescriptorCollectionsCountFromOne() {
        Device model;
        model.ButtonImageCollection = {QStringLiteral("B"), QStringLiteral("P")};
        QCOMPARE(model.Alias(), QString());
        QCOMPARE(model.ButtonImage(2), QStringLiteral("P"));
        QVERIFY_THROWS_EXCEPTION(DeviceError, model.ButtonImage(0));
        QVERIFY_THROWS_EXCEPTION(DeviceError, model.ButtonToolTip(1));
        model.Description(QStringLiteral("ZEX display"));
        QCOMPARE(model.Description(), QStringLiteral("ZEX display"));
    }
};

QTEST_GUILESS_MAIN(TestZexCatalogue)
#include "tst_zexcatalogue.moc"
