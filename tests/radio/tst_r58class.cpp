#include "device/DeviceErrors.h"
#include "device/ZexCatalogue.h"
#include "radio/R58Class.h"
#include "radio/RadioFactory.h"
#include "radio/RadioLink.h"
#include "radio/RadioRefusedError.h"
#include "support/ScriptedRadio.h"
#include "util/MonotonicClock.h"

#include <QTest>

Q_DECLARE_METATYPE(DeviceValue)

namespace {

struct DriverOnScriptedLink {
    ManualClock clock;
    ScriptedRadioScript script{clock};
    ScriptedRadioFactory factory{script};
    std::shared_ptr<RadioLink> link{factory.createLink()};
    R58Class driver{link};
};

} // namespace

class TestR58Class : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsReturnWhatTheLinkDelivers_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("parameter");
        QTest::addColumn<DeviceValue>("delivered");
        QTest::newRow("GROSS is a single")
            << "GROSS" << int(RadioParameter::GROSS) << DeviceValue(12.5f);
        QTest::newRow("mixed-case damp reaches Damp as a byte")
            << "damp" << int(RadioParameter::Damp) << DeviceValue(qint64(254));
        QTest::newRow("BOUNDID is a 32-bit whole number")
            << "BOUNDID" << int(RadioParameter::BOUNDID) << DeviceValue(qint64(0x1A2B3C));
        QTest::newRow("DOWAKE reads as a 16-bit number")
            << "DOWAKE" << int(RadioParameter::DOWAKE) << DeviceValue(qint64(1));
        QTest::newRow("Status is a 32-bit whole number")
            << "Status" << int(RadioParameter::Status) << DeviceValue(qint64(64 + 512));
        QTest::newRow("SerialNumber comes as the link delivers it")
            << "SerialNumber" << int(RadioParameter::SERIALNUMBER) << DeviceValue(qint64(1000001));
    }
    void readsReturnWhatTheLinkDelivers() {
        QFETCH(QString, member);
        QFETCH(int, parameter);
        QFETCH(DeviceValue, delivered);
        DriverOnScriptedLink d;
        d.script.values[RadioParameter(parameter)] = delivered;
        QCOMPARE(d.driver.GetByName(member), delivered);
        QCOMPARE(d.script.calls.constLast(),
                 QStringLiteral("link.read ") + RadioParameters::Name(RadioParameter(parameter)));
    }

    void writesConvertToTheLinkForm_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<DeviceValue>("given");
        QTest::addColumn<DeviceValue>("handedOver");
        QTest::newRow("RESOL 2.6 rounds to the byte 3")
            << "RESOL" << DeviceValue(2.6) << DeviceValue(qint64(3));
        QTest::newRow("a byte rounds half to even")
            << "DP" << DeviceValue(2.5) << DeviceValue(qint64(2));
        QTest::newRow("Damp as text becomes a byte")
            << "Damp" << DeviceValue("254") << DeviceValue(qint64(254));
        QTest::newRow("PTARE as text becomes a single")
            << "PTARE" << DeviceValue("1.5") << DeviceValue(1.5f);
        QTest::newRow("BOUNDID written as a double becomes a whole number")
            << "BOUNDID" << DeviceValue(double(0xFFFFFF)) << DeviceValue(qint64(0xFFFFFF));
        QTest::newRow("DOWAKE is written as a flag")
            << "DOWAKE" << DeviceValue(qint64(1)) << DeviceValue(true);
    }
    void writesConvertToTheLinkForm() {
        QFETCH(QString, member);
        QFETCH(DeviceValue, given);
        QFETCH(DeviceValue, handedOver);
        DriverOnScriptedLink d;
        d.driver.LetByName(member, given);
        QCOMPARE(d.script.writes.size(), 1);
        QCOMPARE(describe(d.script.writes[0].second), describe(handedOver));
    }

    void valuesThatDoNotFitAreRefusedBeforeAnyRadioTraffic_data() {
        QTest::addColumn<QString>("member");
        QTest::addColumn<DeviceValue>("given");
        QTest::newRow("a channel above a byte") << "CHANNEL" << DeviceValue(256);
        QTest::newRow("a negative resolution") << "RESOL" << DeviceValue(-1);
        QTest::newRow("text that is no number") << "ALARM" << DeviceValue("*NULL*");
        QTest::newRow("a bound ID beyond 32 bits") << "BOUNDID" << DeviceValue(5e9);
    }
    void valuesThatDoNotFitAreRefusedBeforeAnyRadioTraffic() {
        QFETCH(QString, member);
        QFETCH(DeviceValue, given);
        DriverOnScriptedLink d;
        QVERIFY_THROWS_EXCEPTION(ConversionError, d.driver.LetByName(member, given));
        QVERIFY(d.script.writes.isEmpty());
    }

    void membersWithoutEffectSendNothingButResetAndSaveDo() {
        DriverOnScriptedLink d;
        for (const char* name : {"CMVVLO", "MVV", "FGAIN", "LINX1", "LINK6", "REM1", "BAUD", "STAT",
                                 "Gain", "SLAVE", "CALCNT"}) {
            QVERIFY2(d.driver.GetByName(QLatin1String(name)).isEmpty(), name);
        }
        for (const char* name : {"CMVVLO", "FOFFS", "LINP", "STAT", "NetMode", "UnitMode"}) {
            d.driver.LetByName(QLatin1String(name), DeviceValue(1));
        }
        for (const char* name : {"DOCALLO", "DOCALHI", "DOKEYTAR", "DOOFF", "WAKE", "KEEPAWAKE",
                                 "ResetError", "RSTOVRLOD", "Initialise", "EasyAll"}) {
            d.driver.MethodByName(QLatin1String(name));
        }
        QVERIFY2(d.script.calls.size() == 1, qPrintable(d.script.calls.join(u',')));
        QCOMPARE(d.driver.GetByName(QStringLiteral("DISPLAY")), DeviceValue(QString()));
        QCOMPARE(d.driver.GetByName(QStringLiteral("NetMode")), DeviceValue(false));
        QCOMPARE(d.driver.GetByName(QStringLiteral("HoldMode")), DeviceValue(false));

        d.driver.MethodByName(QStringLiteral("rst"));
        d.driver.MethodByName(QStringLiteral("SAVE"));
        QCOMPARE(d.script.calls.mid(1), (QStringList{"link.reset", "link.save"}));

        // The unit codes themselves are the status word's; the radio driver reads them from it.
        d.script.values[RadioParameter::Status] = DeviceValue(qint64(64 + 3 * 256));
        QCOMPARE(d.driver.GetByName(QStringLiteral("UnitMode")), DeviceValue(qint64(3)));
    }

    void errorStateAndTextFollowTheLinksCode_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("0 is no error") << 0 << "";
        QTest::newRow("1 is the base station's silence") << 1 << "No response from base station";
        QTest::newRow("2 is the module's silence") << 2 << "No response";
        QTest::newRow("3 is a refusal") << 3 << "NAK response";
        QTest::newRow("4 is a garbled reply") << 4 << "Invalid data";
        QTest::newRow("7 is unknown") << 7 << "Unknown error code: 7";
        QTest::newRow("a negative code is unknown") << -5 << "Unknown error code: -5";
    }
    void errorStateAndTextFollowTheLinksCode() {
        QFETCH(int, code);
        QFETCH(QString, text);
        DriverOnScriptedLink d;
        d.script.errorCode = code;
        QCOMPARE(d.driver.ErrorState(), code != 0);
        QCOMPARE(d.driver.ErrorDescription(), text);
        d.driver.ResetError();
        QCOMPARE(d.driver.ErrorState(), code != 0); // nothing in the driver clears it
    }

    // The keys a configuration file holds for a radio module: each reads by name, and each value
    // restored from its file text reaches the module in the form it was read.
    void theSaveAndRestoreKeySetWorksByName() {
        DriverOnScriptedLink d;
        for (int i = 0; i < RadioParameters::Count; ++i) {
            const auto& info = RadioParameters::Describe(RadioParameter(i));
            d.script.values[info.parameter] = info.form == RadioParameters::Form::Single
                                                  ? DeviceValue(float(i) + 0.25f)
                                                  : DeviceValue(qint64(i));
        }
        const QStringList saved{
            "VERS",   "SERIALNUMBER", "PTARE",   "GROSS",    "NET",      "PEAKG",  "PEAKN",
            "TARE",   "SYSZERO",      "ALARM",   "TTYPE",    "DP",       "ZERO",   "DAMP",
            "THRESH", "RESOL",        "OFFAUTO", "SENS",     "POZ",      "OVRLOD", "OVRRNG",
            "Status", "VALUE",        "NetMode", "HoldMode", "UnitMode", "BATTV",  "OVERLOAD"};
        QHash<QString, QString> file;
        for (const QString& key : saved) {
            const DeviceValue value = d.driver.GetByName(key);
            QVERIFY2(!value.isEmpty(), qPrintable(key));
            file[key.toUpper()] = value.toText();
        }
        const QStringList restored{"SYSZERO", "FGAIN",  "FOFFS",  "ALARM", "TTYPE",   "DP",
                                   "ZERO",    "Damp",   "THRESH", "RESOL", "OFFAUTO", "SENS",
                                   "POZ",     "OVRLOD", "OVRRNG", "PTARE", "OVERLOAD"};
        for (const QString& key : restored) {
            const QString text = file.value(key.toUpper(), QStringLiteral("*NULL*"));
            if (key == QLatin1String("FGAIN") || key == QLatin1String("FOFFS")) {
                d.driver.LetByName(key, DeviceValue(QStringLiteral("1.5"))); // no effect by radio
                continue;
            }
            const RadioParameter parameter =
                *RadioParameters::FromName(ZexCatalogue::CanonicalName(key));
            const DeviceValue before = d.script.values.value(parameter);
            d.driver.LetByName(key, DeviceValue(text));
            QCOMPARE(describe(d.script.writes.constLast().second), describe(before));
        }
        QCOMPARE(d.script.writes.size(), restored.size() - 2);
    }

    void theSerialNumberCannotBeWrittenByRadio() {
        DriverOnScriptedLink d;
        QVERIFY(d.driver.IsR58());
        QVERIFY_THROWS_EXCEPTION(RadioRefusedError,
                                 d.driver.LetByName(QStringLiteral("SERIALNUMBER"), 12345));
        QVERIFY(d.script.writes.isEmpty());
        QVERIFY(!d.driver.ErrorState());
    }
};

QTEST_GUILESS_MAIN(TestR58Class)
#include "tst_r58class.moc"
