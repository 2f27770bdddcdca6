// The Link log window on the running program: live lines of the page refresh, a fault as it
// shows there, and nothing listening once the window is closed.
#include "linklog/LinkLogTap.h"
#include "shell/LinkLogFrm.h"
#include "shell/MainFrm.h"
#include "sim/FaultPlan.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatorServer.h"
#include "support/ProgramFixture.h"
#include "support/ScratchFiles.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class TestLinkLogFrm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theRefreshShowsLiveAndAFaultIsDecoded() {
        ProgramFixture program;
        QVERIFY2(program.start(), qPrintable(program.failure()));
        QVERIFY(program.connectSerial());
        QVERIFY(program.waitForPage(QStringLiteral("CHILD_GEN_INFO")));
        QVERIFY(!program.window().LinkLog().active());

        QTest::keyClick(&program.window(), Qt::Key_L, Qt::ControlModifier);
        LinkLogFrm* log = program.window().findChild<LinkLogFrm*>();
        QVERIFY(log && log->isVisible());
        QVERIFY(program.window().LinkLog().active());
        QTRY_VERIFY(log->Lines->toPlainText().contains(QStringLiteral("VERS")));
        QVERIFY(log->Lines->toPlainText().contains(QStringLiteral("serial 1")));

        program.bus().withBus([](SimulatedBus& bus) {
            bus.busFaults().add(
                FaultPlan::Rule{FaultPlan::Kind::Nak, FaultPlan::Mode::NextFrames, 1.0, 1});
        });
        QTRY_VERIFY_WITH_TIMEOUT(log->Lines->toPlainText().contains(QStringLiteral("NAK Received")),
                                 10000);

        log->chkBytes->setChecked(true);
        QTRY_VERIFY(log->Lines->toPlainText().contains(QStringLiteral("> FE 01")));

        ScratchFolder folder;
        const QString path = folder.path(QStringLiteral("log.txt"));
        log->setSaveFileChooser([path] { return path; });
        log->btnSave->click();
        QVERIFY(ReadBytes(path).contains("NAK Received"));

        log->btnClear->click();
        QVERIFY(log->Lines->toPlainText().isEmpty());
        log->close();
        QVERIFY(!program.window().LinkLog().active());
    }
};

QTEST_MAIN(TestLinkLogFrm)
#include "tst_linklogfrm.moc"
