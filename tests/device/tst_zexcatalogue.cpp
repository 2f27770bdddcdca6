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
    // unless the table says "wr"; LINX1 ... LINK6 and REM1 ... REM5 are members each.
    void everySlotIsTheMemberOfTheTable_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("access");
        // NAME:ACCESS, the access an operation, a function, a read, a write, or a pair in order.
        const QStringList table =
            QStringLiteral(
                "Initialise:op OpenInterface:op CloseInterface:op CHANNEL:rw BOUNDID:rw "
                "BOUNDTAG:rw DOWAKE:rw BATTV:r VERS:r RMVV:r UMVV:r MVV:r GROSS:r NET:r PEAKG:r "
                "PEAKN:r TARE:r PTARE:rw SYSZERO:rw FGAIN:rw FOFFS:rw FGB9:rw FGB3:rw ALARM:rw "
                "TTYPE:rw DP:rw ZERO:rw Damp:rw THRESH:rw RESOL:rw OFFAUTO:rw SENS:rw STAT:rw "
                "Gain:rw OFFS:rw CMVVLO:rw CMVVHI:rw CENGLO:rw CENGHI:rw CALCNT:rw POZ:rw LINP:rw "
                "LINX1:rw LINX2:rw LINX3:rw LINX4:rw LINX5:rw LINX6:rw LINK1:rw LINK2:rw LINK3:rw "
                "LINK4:rw LINK5:rw LINK6:rw OVERLOAD:rw OVRLOD:rw OVRRNG:rw REM1:r REM2:r REM3:r "
                "REM4:r REM5:r REMK:w SLAVE:rw Status:r VALUE:r BAUD:rw NetMode:wr HoldMode:wr "
                "UnitMode:wr DISPLAY:r EasyAll:op RST:op DOCALLO:op DOCALHI:op DOKEYPWR:op "
                "DOKEYTAR:op DOKEYUNI:op DOKEYHLD:op DOOFF:op RSTOVRLOD:op RSTOVRRNG:op "
                "ErrorState:wr ResetError:op WAKE:op SAVE:op SERIALNUMBER:rw GetByName:fn "
                "LetByName:fn MethodByName:fn KEEPAWAKE:op ErrorDescription:r DriverStation:w "
                "IsR58:r PeakMode:rw")
                .split(u' ');
        const QHash<QString, QList<SlotAccess>> slotsOf = {
            {"op", {SlotAccess::Operation}},
            {"fn", {SlotAccess::Function}},
            {"r", {SlotAccess::Read}},
            {"w", {SlotAccess::Write}},
            {"rw", {SlotAccess::Read, SlotAccess::Write}},
            {"wr", {SlotAccess::Write, SlotAccess::Read}},
        };
        const char* const accessNames[] = {"operation", "read", "write", "function"};
        int index = 0;
        for (const QString& row : table) {
            const QString name = row.section(u':', 0, 0);
            for (const SlotAccess access : slotsOf.value(row.section(u':', 1))) {
                QTest::addRow("slot %d: %s %s", index, qPrintable(name), accessNames[int(access)])
                    << index << name << int(access);
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
        const SlotAccess kind = SlotAccess(access);
        QCOMPARE(bool(slot.read), kind == SlotAccess::Read);
        QCOMPARE(bool(slot.write), kind == SlotAccess::Write);
        QCOMPARE(bool(slot.call), kind == SlotAccess::Operation);
        ScriptedZex module;
        if (slot.read) {
            slot.read(module);
        } else if (slot.write) {
            slot.write(module, DeviceValue(qint64(1)));
        } else if (slot.call) {
            slot.call(module);
        } else {
            return;
        }
        const QString expectedCall = QLatin1String(kind == SlotAccess::Read    ? "get "
                                                   : kind == SlotAccess::Write ? "set "
                                                                               : "call ") +
                                     name;
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
        QCOMPARE(model.ButtonImage(2), QStringLiteral("P"));
        QVERIFY_THROWS_EXCEPTION(DeviceError, model.ButtonImage(0));
        QVERIFY_THROWS_EXCEPTION(DeviceError, model.ButtonToolTip(1));
    }
};

QTEST_GUILESS_MAIN(TestZexCatalogue)
#include "tst_zexcatalogue.moc"
