#include "device/CurrentDevice.h"
#include "device/DeviceErrors.h"
#include "serial/ZarnbusNumbers.h"
#include "support/FakeCurrentDevice.h"
#include "util/ApplicationState.h"
#include "util/NumberFormatModule.h"

#include <QTest>
#include <cfloat>
#include <cmath>
#include <limits>

using namespace NumberFormatModule;

namespace {

// Status unit bits as the module reports them; UnitMode reads them as 0, 1, 3 and 7.
constexpr float Kilograms = 16.0f;
constexpr float Kilonewtons = 32.0f;
constexpr float Tonnes = 64.0f;
constexpr float Pounds = 128.0f;

// Drivers whose DP read gives no value, or refuses.
class DriverWithoutDp : public SerialClass {
public:
    using SerialClass::SerialClass;
    DeviceValue DP() override { return {}; }
};
class DriverRefusingDp : public SerialClass {
public:
    using SerialClass::SerialClass;
    DeviceValue DP() override { throw DeviceError(QStringLiteral("DP refused")); }
};

} // namespace

class TestNumberFormatModule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        CurrentDevice::Release();
        AppState().DecimalSeparator = QStringLiteral(".");
    }

    void patterns_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, double value, const char* pattern,
                            const QString& text) {
            QTest::newRow(name) << value << QString::fromLatin1(pattern) << text;
        };
        row("0 rounds a half away from zero", 12.5, "0", "13");
        row("0 rounds a negative half away from zero", -12.5, "0", "-13");
        row("0 never drops integer digits", 1234567.8, "0", "1234568");
        row("0 shows -0.4 without a minus", -0.4, "0", "0");
        row("0.00 rounds 1.005 as typed, not as stored", 1.005, "0.00", "1.01");
        row("0.00 rounds -0.005 to -0.01", -0.005, "0.00", "-0.01");
        row("0.00 carries 99.999 to 100.00", 99.999, "0.00", "100.00");
        row("0.00 shows a tiny value as zero", 1e-300, "0.00", "0.00");
        row("0.00 keeps a huge negative whole", -1e20, "0.00", "-100000000000000000000.00");
        row("0.000 zero", 0.0, "0.000", "0.000");
        row("0.0000000 pads a small offset", 0.000123, "0.0000000", "0.0001230");
        row("000 pads to three digits", 5.0, "000", "005");
        row("000 pads after the minus", -5.0, "000", "-005");
        row("00.00 pads both sides of the point", 1.08, "00.00", "01.08");
        row("0000000000 largest serial", 4294967295.0, "0000000000", "4294967295");
        row("0.#####0 shows every place up to its last 0", 12.5, "0.#####0", "12.500000");
        row("0.#####0 rounds to six decimals", 1.23456789, "0.#####0", "1.234568");
        row("0.## drops trailing zeros", 12.5, "0.##", "12.5");
        row("0.## drops the point of a whole", 12.0, "0.##", "12");
        row("#.00 has no leading zero", 0.5, "#.00", ".50");
        row("# shows zero as 0", 0.0, "#", "0");
        row("literal text around the digits stays", 12.34, "0.0 t", "12.3 t");
        row("empty pattern is the device text form", 0.1 + 0.2, "", "0.3");
        row("empty pattern keeps fifteen digits", 1.0 / 3.0, "", "0.333333333333333");
        row("empty pattern uses an exponent for 1e30", 1e30, "", "1E+30");
        row("empty pattern shows -0 as 0", -0.0, "", "0");
        row("not a number", std::nan(""), "0.00", "NaN");
        row("minus infinity", -std::numeric_limits<double>::infinity(), "", "-Inf");
    }
    void patterns() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QCOMPARE(FormatNumber(value, pattern), text);
    }

    void separatorAndLargestValue() {
        QCOMPARE(FormatNumber(12.5, QStringLiteral("0.00"), u','), QStringLiteral("12,50"));
        QCOMPARE(FormatNumber(12.5, QString(), u','), QStringLiteral("12,5"));
        const QString largest = FormatNumber(DBL_MAX, QStringLiteral("0"));
        QCOMPARE(largest.size(), 309);
        QVERIFY(largest.startsWith(QLatin1String("17976931348623157")));
        QVERIFY(std::all_of(largest.cbegin(), largest.cend(), [](QChar c) { return c.isDigit(); }));
        // Formatted thousandths read back.
        for (int k = -5000; k <= 5000; ++k) {
            const double value = k / 1000.0;
            const QString text = FormatNumber(value, QStringLiteral("0.000"), u',');
            QCOMPARE(ParseNumber(text), value);
        }
    }

    void deviceValues_data() {
        QTest::addColumn<DeviceValue>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const DeviceValue& value, const char* pattern,
                            const char* text) {
            QTest::newRow(name) << value << QString(pattern) << QString(text);
        };
        row("single rounds from its own digits", DeviceValue(2.675f), "0.00", "2.68");
        row("single in general format has seven digits", DeviceValue(12.3f), "", "12.3");
        row("whole number beyond double precision stays exact",
            DeviceValue(qint64(9007199254740993)), "0", "9007199254740993");
        row("numeric text is formatted", DeviceValue("12.5"), "0.00", "12.50");
        row("other text stays", DeviceValue("Not supported!"), "0.00", "Not supported!");
        row("empty stays empty", DeviceValue(), "0.00", "");
        row("not-a-number single", DeviceValue(std::nanf("")), "0", "NaN");
    }
    void deviceValues() {
        QFETCH(DeviceValue, value);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QCOMPARE(FormatValue(value, pattern), text);
    }

    void autoFormat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, double value, const char* separator,
                            const char* text) {
            QTest::newRow(name) << value << QString::fromLatin1(separator)
                                << QString::fromLatin1(text);
        };
        row("1234.56789 is cut, not rounded", 1234.56789, ".", "1234.567");
        row("0.000123 keeps its leading zeros", 0.000123, ".", "0.000123");
        row("a minus takes a place of its own", -123.456789, ".", "-123.4567");
        row("zero", 0.0, ".", "0.000000");
        row("rounded to six decimals before the cut", 0.12345678, ".", "0.123457");
        row("rounding carries before the cut", 9.99999999, ".", "10.00000");
        row("a comma counts like a point", 123.456789, ",", "123,4567");
        row("eight integer digits lose the decimals", 12345678.9, ".", "12345678");
        row("nine integer digits are never cut", 123456789.4, ".", "123456789");
        row("a dangling point is dropped", 1234567.5, ".", "1234567");
    }
    void autoFormat() {
        QFETCH(double, value);
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QCOMPARE(AutoFormat(value, separator.at(0)), text);
    }

    void formatForDisplay_data() {
        QTest::addColumn<float>("dp");
        QTest::addColumn<float>("status");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<DeviceValue>("value");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, float dp, float status, const DeviceValue& value,
                            const char* text, const char* separator = ".") {
            QTest::newRow(name) << dp << status << QString(separator) << value << QString(text);
        };
        row("DP 2 in kg shows 12.3456 as 12.3", 2, Kilograms, DeviceValue(12.3456f), "12.3");
        row("DP 2 in kg keeps six digits and the point of 1234567.8", 2, Kilograms,
            DeviceValue(1234567.8), "1234567");
        row("DP 3 in kg cuts 1234568 to 123456", 3, Kilograms, DeviceValue(1234567.8), "123456");
        row("DP 0 in kN keeps all eight characters of -0.1234567", 0, Kilonewtons,
            DeviceValue(-0.1234567), "-0.12346");
        row("comma locale cuts 123,457 to six characters", 0, Kilograms, DeviceValue(123.4567f),
            "123,45", ",");
        row("point locale keeps 123.457 whole", 0, Kilograms, DeviceValue(123.4567f), "123.457");
        row("DP 1 in tonnes has five decimals", 1, Tonnes, DeviceValue(1.234567f), "1.23457");
        row("DP 6 in tonnes has none", 6, Tonnes, DeviceValue(12.5f), "13");
        row("pounds format like kilograms", 2, Pounds, DeviceValue(42.44f), "42.4");
        row("net, hold and decimal bits do not hide the unit", 2, Kilograms + 3 + 512,
            DeviceValue(42.44f), "42.4");
        row("no unit bit gives the general format", 2, 0, DeviceValue(12.3456f), "12.3456");
        row("DP 7 gives the general format", 7, Kilograms, DeviceValue(12.3456f), "12.3456");
        row("negative DP gives the general format", -1, Kilograms, DeviceValue(12.3456f),
            "12.3456");
        row("DP beyond 16 bits gives the general format", 70000, Kilograms, DeviceValue(12.3456f),
            "12.3456");
        row("whole number", 0, Kilograms, DeviceValue(qint64(42)), "42.000");
        row("numeric text", 2, Kilograms, DeviceValue("12.54"), "12.5");
    }
    void formatForDisplay() {
        QFETCH(float, dp);
        QFETCH(float, status);
        QFETCH(QString, separator);
        QFETCH(DeviceValue, value);
        QFETCH(QString, text);
        FakeCurrentDevice device;
        device.module.values[ZarnbusNumber::DP] = dp;
        device.module.values[ZarnbusNumber::Status] = status;
        device.makeCurrent();
        AppState().DecimalSeparator = separator;
        const DeviceValue shown = FormatForDisplay(value);
        QCOMPARE(shown.kind(), DeviceValue::Kind::Text);
        QCOMPARE(shown.toText(), text);
    }

    void displayFollowsEveryChangeOfDecimalPoint() {
        FakeCurrentDevice device;
        device.module.values[ZarnbusNumber::DP] = 2.0f;
        device.module.values[ZarnbusNumber::Status] = Kilograms;
        device.makeCurrent();
        QCOMPARE(FormatForDisplay(DeviceValue(12.3456f)).toText(), QStringLiteral("12.3"));
        device.module.values[ZarnbusNumber::DP] = 0.0f;
        QCOMPARE(FormatForDisplay(DeviceValue(12.3456f)).toText(), QStringLiteral("12.346"));
        QCOMPARE(device.readCount(ZarnbusNumber::DP), 2);
        QCOMPARE(device.readCount(ZarnbusNumber::Status), 2);
        QVERIFY(!device.driver->ErrorState());

        // Values with nothing to format ask the module nothing (the NaN aside).
        const DeviceValue empty = FormatForDisplay(DeviceValue());
        QCOMPARE(empty.kind(), DeviceValue::Kind::Text);
        QCOMPARE(empty.toText(), QString());
        QCOMPARE(FormatForDisplay(DeviceValue("Not supported!")).toText(),
                 QStringLiteral("Not supported!"));
        QCOMPARE(FormatForDisplay(DeviceValue(std::nanf(""))).toText(), QStringLiteral("NaN"));
        QCOMPARE(device.readCount(ZarnbusNumber::DP), 3);
    }

    void displayWithoutUsableModule() {
        // No module at all.
        QCOMPARE(FormatForDisplay(DeviceValue(12.3456f)).toText(), QStringLiteral("12.3456"));
        QCOMPARE(FormatForDisplay(DeviceValue(-1234567.8)).toText(), QStringLiteral("-1234567"));

        FakeCurrentDevice device;
        device.module.values[ZarnbusNumber::Status] = Kilograms;
        device.driver = std::make_shared<DriverWithoutDp>(device.link);
        device.makeCurrent();
        QCOMPARE(FormatForDisplay(DeviceValue(12.3456f)).toText(), QStringLiteral("12.3456"));

        device.driver = std::make_shared<DriverRefusingDp>(device.link);
        device.makeCurrent();
        QCOMPARE(FormatForDisplay(DeviceValue(12.3456f)).toText(), QStringLiteral("12.3456"));
    }

    void parseNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::newRow("1,5 reads 1.5") << "1,5" << 1.5;
        QTest::newRow("0-12 reads -12") << "0-12" << -12.0;
        QTest::newRow("10-12 reads 1 because the replacement is literal") << "10-12" << 1.0;
        QTest::newRow("text without digits reads 0") << "abc" << 0.0;
        QTest::newRow("empty text reads 0") << "" << 0.0;
        QTest::newRow("leading spaces are skipped and a unit ends it") << "  3.5kg" << 3.5;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("negative exponent with unit") << "2E-3kg" << 0.002;
        QTest::newRow("exponent without digits is not read") << "1e" << 1.0;
        QTest::newRow("a lone minus reads 0") << "-" << 0.0;
        QTest::newRow("two minus signs read 0") << "--5" << 0.0;
        QTest::newRow("plus sign") << "+5" << 5.0;
        QTest::newRow("minus point first") << "-.5" << -0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("a second point ends the number") << "1.2.3" << 1.2;
        QTest::newRow("a space ends the number") << "12 345" << 12.0;
        QTest::newRow("hexadecimal is not read") << "0x1A" << 0.0;
        QTest::newRow("inf is not a number") << "inf" << 0.0;
        QTest::newRow("overflow is clamped to the largest double") << "1e999" << DBL_MAX;
        QTest::newRow("underflow reads 0") << "1e-999" << 0.0;
    }
    void parseNumber() {
        QFETCH(QString, text);
        QFETCH(double, number);
        const double parsed = ParseNumber(text);
        QCOMPARE(parsed, number);
        QVERIFY(!(parsed == 0.0 && std::signbit(parsed)));
    }
};

QTEST_GUILESS_MAIN(TestNumberFormatModule)
#include "tst_numberformatmodule.moc"
