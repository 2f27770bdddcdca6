// What the pages' fields accept and how the radio page reads and shows its hexadecimal values.
#include "device/DeviceValue.h"
#include "pages/FieldLimits.h"
#include "pages/HexFieldModule.h"

#include <QTest>

Q_DECLARE_METATYPE(DeviceValue)

class TestFieldValues : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aSingleFloatKeepsTheValue_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("kept");
        // Seven significant digits, and whole numbers up to 2^24 or round ones beyond, come back
        // as they were; 2^24 + 1, nine digits (123456789 becomes 123456792, nine nines 1e9) and
        // what lies beyond a single do not.
        for (double value : {0.1, 1.234567, -12.34567, 16777216.0, 20000000.0, 0.0}) {
            QTest::addRow("%.9g is kept", value) << value << true;
        }
        for (double value : {16777217.0, 123456789.0, 999999999.0, 1.23456789, 1e39}) {
            QTest::addRow("%.9g is not", value) << value << false;
        }
    }
    void aSingleFloatKeepsTheValue() {
        QFETCH(double, value);
        QFETCH(bool, kept);
        QCOMPARE(FieldLimits::SingleKeeps(value), kept);
    }

    void countersTakeWholeNumbersInTheirRange() {
        QVERIFY(FieldLimits::WholeWithin(0, 0, 9999));
        QVERIFY(FieldLimits::WholeWithin(9999, 0, 9999));
        QVERIFY(!FieldLimits::WholeWithin(10000, 0, 9999));
        QVERIFY(!FieldLimits::WholeWithin(-1, 0, 9999));
        QVERIFY(!FieldLimits::WholeWithin(12.5, 0, 9999));
    }

    void hexadecimalTextIsReadUnsigned_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::addColumn<quint32>("value");
        QTest::newRow("FFFF is 65535, not -1") << "FFFF" << 16 << 65535u;
        QTest::newRow("six digits fill 24 bits") << "FFFFFF" << 24 << 0xFFFFFFu;
        QTest::newRow("an ID with letters") << "1A2B" << 24 << 0x1A2Bu;
        QTest::newRow("lower case") << "00ab" << 16 << 0xABu;
        QTest::newRow("&H in front") << "&H1A2B" << 24 << 0x1A2Bu;
        QTest::newRow("&H0 alone") << "&H0" << 24 << 0u;
        QTest::newRow("zero") << "0" << 16 << 0u;
        QTest::newRow("empty") << "" << 16 << 0u;
        QTest::newRow("kept to the low 16 bits") << "12345" << 16 << 0x2345u;
        QTest::newRow("kept to the low 24 bits") << "ABCDEF01" << 24 << 0xCDEF01u;
        QTest::newRow("reading stops at a non-digit") << "12G4" << 24 << 0x12u;
    }
    void hexadecimalTextIsReadUnsigned() {
        QFETCH(QString, text);
        QFETCH(int, bits);
        QFETCH(quint32, value);
        QCOMPARE(HexFieldModule::ReadHex(text, bits), value);
    }

    void valuesAreShownAsZeroPaddedHexadecimal_data() {
        QTest::addColumn<DeviceValue>("value");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("shown");
        QTest::newRow("an ID as six digits") << DeviceValue(6699.0) << 24 << 6 << "001A2B";
        QTest::newRow("65535 as a bound ID") << DeviceValue(qint64(65535)) << 24 << 6 << "00FFFF";
        QTest::newRow("a tag as four digits") << DeviceValue(65535.0f) << 16 << 4 << "FFFF";
        QTest::newRow("zero") << DeviceValue(0.0f) << 16 << 4 << "0000";
        QTest::newRow("a negative number in two's complement")
            << DeviceValue(qint64(-1)) << 24 << 6 << "FFFFFF";
        QTest::newRow("beyond the field's bits")
            << DeviceValue(qint64(0x1ABCDEF)) << 24 << 6 << "ABCDEF";
        QTest::newRow("decimal text") << DeviceValue("4660") << 16 << 4 << "1234";
        QTest::newRow("text without a number") << DeviceValue("abc") << 16 << 4 << "";
    }
    void valuesAreShownAsZeroPaddedHexadecimal() {
        QFETCH(DeviceValue, value);
        QFETCH(int, bits);
        QFETCH(int, digits);
        QFETCH(QString, shown);
        QCOMPARE(HexFieldModule::ShownText(value, bits, digits), shown);
    }
};

QTEST_GUILESS_MAIN(TestFieldValues)
#include "tst_fieldvalues.moc"
