// The program's window against the simulator: start-up, branding, navigation, the status line
// and shutdown.
#include "controls/ButtonBar.h"
#include "controls/QKBtn.h"
#include "device/CurrentDevice.h"
#include "device/DeviceThread.h"
#include "pages/CHILD_GEN_HOME.h"
#include "shell/MainFrm.h"
#include "shell/MessageFrm.h"
#include "shell/PageRegistry.h"
#include "shell/ShellModule.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatorServer.h"
#include "store/BrandValues.h"
#include "support/ProgramFixture.h"
#include "support/SimulatedLink.h"
#include "util/ApplicationState.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace {

class NotingClock : public ManualClock {
public:
    QStringList dialogsSeen;
    std::function<void()> onFifteenSeconds;

    void waitMs(qint64 ms, bool keepUiResponsive = false) override {
        MessageFrm* frm = QThread::currentThread() == qApp->thread() ? LoadedMessageFrm() : nullptr;
        if (frm) {
            const QString entry = frm->Title->text() + QStringLiteral(": ") + frm->messageText();
            if (!dialogsSeen.contains(entry)) {
                dialogsSeen.append(entry);
            }
        }
        ManualClock::waitMs(ms, keepUiResponsive);
        if (nowMs() >= MainFrm::ShutdownWaitMs && onFifteenSeconds) {
            onFifteenSeconds();
            onFifteenSeconds = nullptr;
        }
    }
};

int buttonsShown(MainFrm& window) {
    return window.ButtonBar1->ButtonCount();
}

QStringList loadedPageNames(MainFrm& window) {
    QStringList names;
    for (QWidget* page : window.Registry().LoadedPages()) {
        names.append(page->objectName());
    }
    return names;
}

} // namespace

class TestMainFrm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startUpWithoutABaseStationReportsTheMissingInterface() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.loadResult());
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_HOME")));
        QTRY_COMPARE(program.window().InfoLabel->text(),
                     QStringLiteral("Failed to open USB interface!"));
        QTRY_VERIFY(!program.home()->XTab1->isTabEnabled(1));
        QCOMPARE(buttonsShown(program.window()), 1);
        QCOMPARE(program.window().Versionlabel->text().left(9), QStringLiteral("Version: "));
        QVERIFY(program.window().Help->text().startsWith(
            QStringLiteral("This Home page is where you select which module to connect to.\n")));
    }

    void startUpWithABaseStationOffersTheWirelessTab() {
        ProgramFixture::Options options;
        options.withBaseStation = true;
        options.radioArguments = {QStringLiteral("--base-station"),
                                  QStringLiteral("id=12AB,channel=3")};
        ProgramFixture program(options);
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QTRY_COMPARE(program.window().InfoLabel->text(),
                     QStringLiteral("Connected to Base Station ID 12AB on channel 3"));
        QTRY_COMPARE(program.home()->XTab1->currentIndex(), 1);
        QVERIFY(program.home()->XTab1->isTabEnabled(1));
        QTRY_COMPARE(program.home()->pbRadioChannel->Caption(), QStringLiteral("3"));
    }

    void aBrandFileThatFailsVerificationEndsTheProgram() {
        ProgramFixture::Options options;
        options.tamperedBrand = true;
        ProgramFixture program(options);
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(!program.loadResult());
        QCOMPARE(program.criticalBoxes.size(), 1);
        QVERIFY(program.criticalBoxes.first().startsWith(
            QStringLiteral("Warning: The integrity of the branding resource data cannot be "
                           "verified! Reinstalling this software may fix this issue.\nIf after "
                           "reinstalling you still see this message please contact the software "
                           "supplier.")));
        // Nothing of the refused file was applied.
        QCOMPARE(Brand().DisplayBack, BrandColour(0));
    }

    void ctrlAndShiftKeepTheBuiltInLookWhenTheBrandFails() {
        ProgramFixture::Options options;
        options.tamperedBrand = true;
        options.ctrlShiftHeld = true;
        ProgramFixture program(options);
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.loadResult());
        QCOMPARE(program.criticalBoxes.size(), 1);
        QVERIFY(Brand().DisplayBack != 0);
        QVERIFY(Brand().HelpBack != 0);
        QCOMPARE(Brand().Title, BrandColour(0));
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_HOME")));
    }

    void theNavigationOffersPagesByLinkAndFactoryMode_data() {
        QTest::addColumn<bool>("factory");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("lastPage");
        QTest::newRow("a serial link offers six pages") << false << 6 << "CHILD_GEN_CALIBRATION";
        QTest::newRow("factory mode adds the Factory page") << true << 7 << "CHILD_GEN_FACTORY";
    }
    void theNavigationOffersPagesByLinkAndFactoryMode() {
        QFETCH(bool, factory);
        QFETCH(int, buttons);
        QFETCH(QString, lastPage);
        ProgramFixture::Options options;
        options.ctrlShiftHeld = factory;
        ProgramFixture program(options);
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.connectSerial());
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_INFO")));
        QCOMPARE(buttonsShown(program.window()), buttons);
        const Device* entry = program.window().Registry().CurrentDeviceEntry();
        QCOMPARE(entry->FormCollection.last(), lastPage);
        QCOMPARE(entry->FormCollection.at(4), QStringLiteral("CHILD_GEN_COMMS"));
        // The last page of the bar can be shown.
        program.window().ButtonBar1->Button(buttons - 1)->HandleClick();
        QVERIFY(program.waitForPage(lastPage));
    }

    void goingHomeUnloadsThePagesAndASecondConnectMakesThemAfresh() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.connectSerial());
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_INFO")));
        QPointer<QWidget> firstInfo = program.window().Registry().CurrentPage();
        program.window().Registry().NavigateTo(4);
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_MEASURE")));
        QCOMPARE(loadedPageNames(program.window()),
                 (QStringList{"CHILD_GEN_HOME", "CHILD_GEN_INFO", "CHILD_GEN_MEASURE"}));

        program.window().Registry().NavigateTo(1);
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_HOME")));
        QCOMPARE(loadedPageNames(program.window()), QStringList{"CHILD_GEN_HOME"});
        QCOMPARE(buttonsShown(program.window()), 1);
        QTRY_VERIFY(firstInfo.isNull()); // deleted once control returned to the event loop

        QVERIFY(program.connectSerial());
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_INFO")));
        QVERIFY(program.window().Registry().CurrentPage() != nullptr);
    }

    void aLinkFailureShowsInTheStatusLineUntilRetryClearsIt() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.connectSerial());
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_INFO")));
        program.bus().withBus([](SimulatedBus& bus) {
            bus.busFaults().add(FaultPlan::Rule{FaultPlan::Kind::Silence});
        });
        QTRY_COMPARE_WITH_TIMEOUT(program.window().InfoLabel->text(),
                                  QStringLiteral("Communications Failure: No Response"), 15000);
        QVERIFY(program.window().InfoLabel->font().bold());
        QVERIFY(program.window().btnErrorReset->Enabled());

        program.bus().withBus([](SimulatedBus& bus) { bus.busFaults().clear(); });
        program.window().btnErrorReset->HandleClick();
        QVERIFY(!program.window().btnErrorReset->Enabled());
        QTRY_VERIFY_WITH_TIMEOUT(
            !program.window().InfoLabel->text().startsWith(QStringLiteral("Communications")),
            10000);
        QVERIFY(program.waitForRefresh());
        QVERIFY(!program.window().btnErrorReset->Enabled());
    }

    void closingWhileARefreshIsBlockedWaitsThenReportsAndStillEnds() {
        // Fifteen seconds pass on this clock in no time; it notes which dialog is up meanwhile.
        NotingClock clock;
        ProgramFixture::Options options;
        options.clock = &clock;
        ProgramFixture program(options);
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_HOME")));
        // A refresh that cannot finish: the device thread is held inside a job.
        std::atomic<bool> release{false};
        program.window().Device().post([&release] {
            while (!release.load()) {
                QThread::msleep(5);
            }
        });
        program.window().RefreshNow();
        QVERIFY(program.window().Registry().IsRefreshBusy());
        QSignalSpy ended(&program.window(), &MainFrm::ShutDown);
        int refusedCloses = 0;
        clock.onFifteenSeconds = [&] {
            // Asked again while the first close still waits: refused, and shutdown runs once.
            QCloseEvent again;
            QCoreApplication::sendEvent(&program.window(), &again);
            refusedCloses += again.isAccepted() ? 0 : 1;
            program.window().Registry().NavigateTo(1);
            release.store(true);
        };
        program.window().close();
        QCOMPARE(refusedCloses, 1);
        QCOMPARE(ended.count(), 1);
        QVERIFY(clock.dialogsSeen.contains(
            QStringLiteral("Closing...: Waiting for current page refresh to complete...")));
        QCOMPARE(program.criticalBoxes,
                 QStringList{QStringLiteral("Error Closing: Tried to shut down but events still "
                                            "being executed in child page refresh!")});
        QVERIFY(clock.nowMs() >= MainFrm::ShutdownWaitMs);
        QVERIFY(program.window().Registry().LoadedPages().isEmpty());
        // Nothing is left to touch the module once the links are closed.
        QVERIFY(!program.window().Links());
        QVERIFY(!CurrentDevice::Get());
    }

    void shellOperations() {
        // One pixel in twips keeps its fraction on a double-density screen.
        QCOMPARE(ShellModule::TwipsPerScreenPixel(96.0, 2.0), 7.5);
        QCOMPARE(ShellModule::TwipsPerScreenPixel(96.0, 1.0), 15.0);
        QCOMPARE(ShellModule::TwipsPerScreenPixel(0.0, 1.0), 15.0);
        // IsTrue: the system's yes words in any case, nothing else.
        for (const char* yes : {"yes", "On", "1", "TRUE", "Active"}) {
            QVERIFY2(ShellModule::IsTrue(DeviceValue(QString::fromUtf8(yes))), yes);
        }
        for (const char* no : {"0", "", "Y", "2", "T"}) {
            QVERIFY2(!ShellModule::IsTrue(DeviceValue(QString::fromUtf8(no))), no);
        }
        QVERIFY(ShellModule::IsTrue(DeviceValue(true)));
        // Only web addresses are opened from a brand file.
        QCOMPARE(ShellModule::WebAddressUrl(QStringLiteral("www.example.com")).toString(),
                 QStringLiteral("http://www.example.com"));
        QCOMPARE(ShellModule::WebAddressUrl(QStringLiteral("https://example.com/x")).toString(),
                 QStringLiteral("https://example.com/x"));
        for (const char* refused : {"file:///etc/passwd", "/usr/bin/xterm", "javascript:alert(1)",
                                    "smb://host/share", ""}) {
            QVERIFY2(ShellModule::WebAddressUrl(QString::fromUtf8(refused)).isEmpty(), refused);
        }
    }
};

QTEST_MAIN(TestMainFrm)
#include "tst_mainfrm.moc"
