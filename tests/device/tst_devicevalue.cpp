#include "device/DeviceErrors.h"
#include "device/DeviceValue.h"

#include <QTest>

class TestDeviceValue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void kindsStayDistinguishable() {
        QCOMPARE(DeviceValue().kind(), DeviceValue::Kind::Empty);
        QCOMPARE(DeviceValue(true).kind(), DeviceValue::Kind::Boolean);
        QCOMPARE(DeviceValue(3).kind(), DeviceValue::Kind::Whole);
        QCOMPARE(DeviceValue(3.0f).kind(), DeviceValue::Kind::Single);
        QCOMPARE(DeviceValue(3.0).kind(), DeviceValue::Kind::Double);
        QCOMPARE(DeviceValue("3").kind(), DeviceValue::Kind::Text);
        QVERIFY(DeviceValue(3.0f) != DeviceValue(3.0));
        QVERIFY(DeviceValue(QString()) != DeviceValue());
    }

    void textForm_data() {
        QTest::addColumn<DeviceValue>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty is empty text") << DeviceValue() << "";
        QTest::newRow("single 1.08 keeps its seven digits") << DeviceValue(1.08f) << "1.08";
        QTest::newRow("single 0.1 is not 0.100000001") << DeviceValue(0.1f) << "0.1";
        QTest::newRow("large single in exponent form")
            << DeviceValue(12345678.0f) << "1.234568E+07";
        QTest::newRow("whole number") << DeviceValue(qint64(-42)) << "-42";
        QTest::newRow("double keeps fifteen digits") << DeviceValue(65538.0) << "65538";
        QTest::newRow("boolean") << DeviceValue(true) << "True";
    }
    void textForm() {
        QFETCH(DeviceValue, value);
        QFETCH(QString, text);
        QCOMPARE(value.toText(), text);
    }

    void conversions() {
        QCOMPARE(DeviceValue().toSingle(), 0.0f);
        QCOMPARE(DeviceValue(" 2,5").toDouble(), 2.5);
        QCOMPARE(DeviceValue("1.5E3").toSingle(), 1500.0f);
        QCOMPARE(DeviceValue(2.5).toWhole(), qint64(2)); // half to even
        QCOMPARE(DeviceValue(3.5).toWhole(), qint64(4));
        QCOMPARE(DeviceValue("True").toBool(), true);
        QCOMPARE(DeviceValue("0").toBool(), false);
        QVERIFY_THROWS_EXCEPTION(ConversionError, DeviceValue("abc").toSingle());
        QVERIFY_THROWS_EXCEPTION(ConversionError, DeviceValue("").toSingle());
        QVERIFY_THROWS_EXCEPTION(ConversionError, DeviceValue("*NULL*").toDouble());
        QVERIFY_THROWS_EXCEPTION(ConversionError, DeviceValue(1e39).toSingle());
        QVERIFY_THROWS_EXCEPTION(ConversionError, DeviceValue(40000).toInt16());
    }
};

QTEST_GUILESS_MAIN(TestDeviceValue)
#include "tst_devicevalue.moc"
