#include "controls/QKBtn.h"
#include "controls/QKBtnUpdateModule.h"
#include "device/CurrentDevice.h"
#include "serial/ZarnbusNumbers.h"
#include "support/FakeCurrentDevice.h"
#include "util/ApplicationState.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace QKBtnUpdateModule;

namespace {

const QString DecimalPointList = QStringLiteral("000000|00000.0|0000.00|000.000|00.0000|0.00000");

// A field on a shown window, for pointer clicks.
QKBtn* shownField(QWidget& host) {
    host.resize(300, 100);
    auto* field = new QKBtn(&host);
    field->setGeometry(10, 10, 150, 30);
    host.show();
    return field;
}

// Puts the driver in error: the module stops answering and one read gives up.
void breakLink(FakeCurrentDevice& device) {
    device.moduleAnswers = false;
    device.driver->GetByName(QStringLiteral("GROSS"));
    QVERIFY(device.driver->ErrorState());
}

} // namespace

class TestBinding : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakeCurrentDevice> device;

private Q_SLOTS:
    void init() {
        AppState().DecimalSeparator = QStringLiteral(".");
        device = std::make_unique<FakeCurrentDevice>();
        device->module.values[ZarnbusNumber::VERS] = 2.5f;
        device->makeCurrent();
    }
    void cleanup() { device.reset(); }

    void setupDecidesWhatAClickEdits_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<double>("max");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("editable");
        QTest::newRow("a list makes a choice field") << "DP"
                                                     << "" << 0 << 0.0 << "a|b" << 2;
        QTest::newRow("a source makes a text field") << "RESOL"
                                                     << "" << 0 << 0.0 << "" << 1;
        QTest::newRow("allowed characters make a text field") << ""
                                                              << "0123" << 0 << 0.0 << "" << 1;
        QTest::newRow("a length makes a text field") << ""
                                                     << "" << 4 << 0.0 << "" << 1;
        QTest::newRow("a range makes a text field") << ""
                                                    << "" << 0 << 9.0 << "" << 1;
        QTest::newRow("nothing keeps the designed value") << ""
                                                          << "" << 0 << 0.0 << "" << 0;
    }
    void setupDecidesWhatAClickEdits() {
        QFETCH(QString, source);
        QFETCH(QString, allowed);
        QFETCH(int, maxLength);
        QFETCH(double, max);
        QFETCH(QString, list);
        QFETCH(int, editable);
        QKBtn field;
        SetupField(field, source, QString(), false, allowed, qint16(maxLength), 0.0, max, list,
                   false, false, QStringLiteral("Tip*Body"));
        QCOMPARE(field.Editable(), editable);
        QCOMPARE(field.Source(), source);
        QCOMPARE(field.ToolTipText(), QStringLiteral("Tip*Body"));
        QVERIFY(!field.UpperCase());
    }

    void theUpperCaseArgumentCountsByBeingThere() {
        QKBtn field;
        SetupField(field, "BOUNDID", "000000", true, "0123456789abcdefABCDEF", 6, 0, 0, "", false,
                   false, "", false);
        QVERIFY(field.UpperCase());
    }

    void refreshInACommaLocaleShowsACommaAndReadsItBack() {
        AppState().DecimalSeparator = QStringLiteral(",");
        device->module.values[ZarnbusNumber::OVERLOAD] = 12.5f;
        QKBtn field;
        SetupField(field, "OVERLOAD", "*", true, "0123456789.-", 0, 0, 0, "", false, false, "");
        QVERIFY(RefreshField(field));
        QCOMPARE(device->readCount(ZarnbusNumber::OVERLOAD), 1);
        QCOMPARE(field.ShownText(), QStringLiteral("12,50000")); // seven significant digits
        QCOMPARE(field.VALUE(), 12.5);
        QVERIFY(UpdateDeviceFromField(field));
        QCOMPARE(device->module.receivedWrites.last(),
                 qMakePair(quint8(ZarnbusNumber::OVERLOAD), 12.5f));
    }

    void refreshOfAListField_data() {
        QTest::addColumn<float>("deviceValue");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("listIndex");
        QTest::newRow("the code picks its item") << 3.0f << "000.000" << 3;
        QTest::newRow("a negative value is made positive") << -2.0f << "0000.00" << 2;
        QTest::newRow("a value beyond 16 bits matches nothing and keeps the choice")
            << 1.0e6f << "00000.0" << 1;
    }
    void refreshOfAListField() {
        QFETCH(float, deviceValue);
        QFETCH(QString, caption);
        QFETCH(int, listIndex);
        QKBtn field;
        SetupField(field, "DP", "", false, "0|1|2|3|4|5", 0, 0, 0, DecimalPointList, true, false,
                   "");
        field.ListIndex(1);
        device->module.values[ZarnbusNumber::DP] = deviceValue;
        QVERIFY(RefreshField(field));
        QCOMPARE(field.Caption(), caption);
        QCOMPARE(field.ListIndex(), qint16(listIndex));
    }

    // A value handed in is shown without asking the module.
    void aPositionOutsideTheListShowsNothingAndNeverRaises() {
        QKBtn field;
        SetupField(field, "TTYPE", "", false, "", 0, 0, 0, "Off|On", true, false, "");
        QVERIFY(RefreshField(field, DeviceValue(7)));
        QCOMPARE(field.Caption(), QString());
        QVERIFY(RefreshField(field, DeviceValue(1.0e9)));
        QCOMPARE(field.Caption(), QString());
        QVERIFY(RefreshField(field, DeviceValue(QStringLiteral("1"))));
        QCOMPARE(field.Caption(), QStringLiteral("On"));
        QCOMPARE(device->readCount(ZarnbusNumber::TTYPE), 0);
    }

    void refreshFailures() {
        QKBtn unbound;
        unbound.Caption(QStringLiteral("keep"));
        QVERIFY(!RefreshField(unbound));
        QCOMPARE(unbound.Caption(), QStringLiteral("keep"));

        QKBtn unknown;
        SetupField(unknown, "NOSUCHMEMBER", "", false, "", 0, 0, 0, "", false, false, "");
        unknown.Caption(QStringLiteral("keep"));
        QVERIFY(!RefreshField(unknown)); // raised by name, caught here
        QCOMPARE(unknown.Caption(), QStringLiteral("keep"));

        QKBtn field;
        SetupField(field, "RESOL", "", true, "", 0, 0, 0, "", false, false, "");
        device->module.values[ZarnbusNumber::RESOL] = 5.0f;
        QVERIFY(RefreshField(field));
        device->moduleAnswers = false;
        QVERIFY(!RefreshField(field));
        QCOMPARE(field.Caption(), QStringLiteral("5")); // the last value known

        CurrentDevice::Release();
        QVERIFY(!RefreshField(field));
    }

    // A list field's write is picked through the list below.
    void updateWritesTheValueOrCaption() {
        QKBtn numeric;
        SetupField(numeric, "RESOL", "", true, "", 0, 0, 0, "", false, false, "");
        numeric.Caption(QStringLiteral("0.5 t"));
        QVERIFY(UpdateDeviceFromField(numeric));
        QCOMPARE(device->module.values.value(ZarnbusNumber::RESOL), 0.5f);

        QKBtn text;
        SetupField(text, "THRESH", "", false, "", 0, 0, 0, "", false, false, "");
        text.Caption(QStringLiteral("7.25"));
        QVERIFY(UpdateDeviceFromField(text));
        QCOMPARE(device->module.values.value(ZarnbusNumber::THRESH), 7.25f);

        // Failures write nothing.
        const qsizetype framesBefore = device->port.writes.size();
        QKBtn unknown;
        SetupField(unknown, "NOSUCHMEMBER", "", true, "", 0, 0, 0, "", false, false, "");
        QVERIFY(!UpdateDeviceFromField(unknown));
        QKBtn notANumber;
        SetupField(notANumber, "THRESH", "", false, "", 0, 0, 0, "", false, false, "");
        notANumber.Caption(QStringLiteral("abc"));
        QVERIFY(!UpdateDeviceFromField(notANumber)); // a conversion error, caught here
        QKBtn readOnly;
        SetupField(readOnly, "GROSS", "", true, "", 0, 0, 0, "", false, false, "");
        QVERIFY(!UpdateDeviceFromField(readOnly));
        QCOMPARE(device->port.writes.size(), framesBefore);
    }

    void editsAreRefusedWhileTheLinkIsInError() {
        QWidget host;
        QKBtn* field = shownField(host);
        int beeps = 0;
        field->SetBeep([&beeps] { ++beeps; });
        SetupField(*field, "RESOL", "", true, "0123456789.", 0, 0, 0, "", false, false, "");
        QVERIFY(QTest::qWaitForWindowExposed(&host));

        breakLink(*device);
        const qsizetype framesBefore = device->port.writes.size();
        QTest::mouseClick(field, Qt::LeftButton);
        QVERIFY(!field->IsTextEditorOpen());
        QCOMPARE(beeps, 1);
        QVERIFY(!UpdateDeviceFromField(*field));
        QCOMPARE(device->port.writes.size(), framesBefore);

        device->moduleAnswers = true;
        device->driver->ResetError();
        QTest::mouseClick(field, Qt::LeftButton);
        QVERIFY(field->IsTextEditorOpen());
    }

    void pickingADecimalPointWritesItToTheModule() {
        QWidget host;
        QKBtn* field = shownField(host);
        SetupField(*field, "DP", "", false, "0|1|2|3|4|5", 0, 0, 0, DecimalPointList, true, false,
                   "Decimal Point*Where the module shows its decimal point");
        connect(field, &QKBtn::Changed, field, [field] { UpdateDeviceFromField(*field); });
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        device->module.values[ZarnbusNumber::DP] = 1.0f;
        QVERIFY(RefreshField(*field));
        QCOMPARE(field->Caption(), QStringLiteral("00000.0"));

        QTest::mouseClick(field, Qt::LeftButton);
        QTRY_VERIFY(field->IsListOpen());
        QListWidget* list = field->DropList();
        QCOMPARE(list->currentRow(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(3)).center());
        QCOMPARE(device->module.receivedWrites.size(), 1);
        QCOMPARE(device->module.receivedWrites.last(), qMakePair(quint8(ZarnbusNumber::DP), 3.0f));
        QCOMPARE(device->port.writes.last(),
                 Zarnbus2Module::BuildRequest(1, false, ZarnbusNumber::DP, false, 3.0f));
    }
};

QTEST_MAIN(TestBinding)
#include "tst_binding.moc"
