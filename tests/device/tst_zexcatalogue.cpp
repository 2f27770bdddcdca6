#include "device/CurrentDevice.h"
#include "device/Device.h"
#include "device/DeviceErrors.h"
#include "device/StatusWord.h"
#include "device/ZexCatalogue.h"
#include "serial/ZarnbusNumbers.h"
#include "support/FakeCurrentDevice.h"

#include <QTest>

using ZexCatalogue::SlotAccess;

class TestZexCatalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void slotsKeepTheInterfaceOrder_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("access");
        QTest::newRow("the first slot prepares the driver")
            << 0 << "Initialise" << int(SlotAccess::Operation);
        QTest::newRow("CHANNEL is read, then written") << 3 << "CHANNEL" << int(SlotAccess::Read);
        QTest::newRow("CHANNEL write follows its read") << 4 << "CHANNEL" << int(SlotAccess::Write);
        QTest::newRow("LINX2 read follows LINX1 write") << 73 << "LINX2" << int(SlotAccess::Read);
        QTest::newRow("NetMode is written first") << 113 << "NetMode" << int(SlotAccess::Write);
        QTest::newRow("the last slot writes PeakMode")
            << 146 << "PeakMode" << int(SlotAccess::Write);
    }
    void slotsKeepTheInterfaceOrder() {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(int, access);
        const auto& slots = ZexCatalogue::Slots();
        QCOMPARE(int(slots.size()), 147);
        QCOMPARE(QString::fromLatin1(slots[size_t(index)].name), name);
        QCOMPARE(int(slots[size_t(index)].access), access);
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
