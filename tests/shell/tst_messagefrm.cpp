#include "controls/ProgBar.h"
#include "controls/QKBtn.h"
#include "controls/TwipsModule.h"
#include "shell/MessageFrm.h"
#include "store/BrandValues.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

namespace {

// Runs once the modal dialog is up (ShowMessage does not return before it closes).
void whenShown(std::function<void(MessageFrm&)> action) {
    QTimer::singleShot(0, qApp, [action] {
        QTRY_VERIFY(LoadedMessageFrm() && LoadedMessageFrm()->isVisible());
        action(*LoadedMessageFrm());
    });
}

int bottom(const QWidget* widget) {
    return widget->geometry().bottom() + 1;
}

// Counts the paint events each widget receives, from anywhere in the application.
class PaintCounter : public QObject {
public:
    PaintCounter() { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    int of(const QObject* widget) const { return m_paints.value(widget); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++m_paints[watched];
        }
        return false;
    }

private:
    QHash<const QObject*, int> m_paints;
};

} // namespace

class TestMessageFrm : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        Brand().Back = 0x272727;
        Brand().Title = 0x0080FF;
        Brand().HelpFore = 0xFFFFFF;
        Brand().Text = 0xE0E0E0;
        Brand().HelpBack = 0x2E2E2E;
    }
    void cleanup() { UnloadMessageFrm(); }

    void layoutByMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("okShown");
        QTest::addColumn<QString>("okCaption");
        QTest::addColumn<bool>("cancelShown");
        QTest::addColumn<bool>("barShown");
        QTest::newRow("OK has one centred OK button") << 0 << true << "OK" << false << false;
        QTest::newRow("Notice has no buttons") << 1 << false << "OK" << false << false;
        QTest::newRow("Progress has the bar and OK") << 2 << true << "OK" << false << true;
        QTest::newRow("YesNo has Yes and No") << 3 << true << "Yes" << true << false;
        QTest::newRow("an unknown mode lays out as Notice") << 9 << false << "OK" << false << false;
    }
    void layoutByMode() {
        QFETCH(int, mode);
        QFETCH(bool, okShown);
        QFETCH(QString, okCaption);
        QFETCH(bool, cancelShown);
        QFETCH(bool, barShown);
        MessageFrm frm;
        frm.Prepare(QStringLiteral("A message\r\nof two lines"), QStringLiteral("Title"), false,
                    qint16(mode), CurrentMessageColours());
        QCOMPARE(frm.btnOK->isVisibleTo(&frm), okShown);
        QCOMPARE(frm.btnCancel->isVisibleTo(&frm), cancelShown);
        QCOMPARE(frm.ProgBar->isVisibleTo(&frm), barShown);
        QCOMPARE(frm.btnOK->Caption(), okCaption);
        QCOMPARE(frm.btnCancel->Caption(), QStringLiteral("No"));

        const int gap = TwipsModule::ToPixels(MessageFrm::GapTwips, &frm);
        const QWidget* last = frm.Message;
        if (barShown) {
            QCOMPARE(frm.ProgBar->y(), bottom(frm.Message) + gap);
        }
        if (okShown) {
            last = frm.btnOK;
            QVERIFY(frm.btnOK->y() >= bottom(frm.Message) + gap);
        }
        if (cancelShown) {
            QCOMPARE(frm.btnCancel->y(), frm.btnOK->y());
            QVERIFY(frm.btnCancel->x() > frm.btnOK->x());
        }
        if (mode == MessageFrm::ModeOK) {
            QCOMPARE(frm.btnOK->x() + frm.btnOK->width() / 2, frm.width() / 2);
        }
        QCOMPARE(frm.height(), bottom(last) + gap);
    }

    void theMessageHeightFollowsItsText() {
        MessageFrm one;
        one.Prepare(QStringLiteral("One line."), QStringLiteral("T"), false, 1,
                    CurrentMessageColours());
        MessageFrm many;
        many.Prepare(QStringLiteral("Many lines. ").repeated(60), QStringLiteral("T"), false, 1,
                     CurrentMessageColours());
        QVERIFY(many.Message->height() > 3 * one.Message->height());
        QVERIFY(many.height() > one.height());
    }

    void theTitleIsDarkRedForAnErrorAndEveryTextReadable() {
        MessageFrm frm;
        frm.Prepare(QStringLiteral("m"), QStringLiteral("Error"), true, 0, CurrentMessageColours());
        QCOMPARE(frm.Title->palette().color(QPalette::Window), QColor(128, 0, 0));
        frm.Prepare(QStringLiteral("m"), QStringLiteral("Note"), false, 0, CurrentMessageColours());
        QCOMPARE(frm.Title->palette().color(QPalette::Window), QColor(0xFF, 0x80, 0x00));
        QCOMPARE(frm.Title->text(), QStringLiteral("Note"));

        // Title and message stay readable whatever the brand.
        Brand().Title = 0x80C0FF;    // light peach
        Brand().HelpFore = 0xE0E0E0; // light grey
        frm.Prepare(QStringLiteral("m"), QStringLiteral("Pairing..."), false, 1,
                    CurrentMessageColours());
        QCOMPARE(frm.Title->palette().color(QPalette::WindowText), QColor(Qt::black));

        Brand().Back = 0x000000; // the built-in look after a failed brand
        Brand().Text = 0x272727;
        frm.Prepare(QStringLiteral("m"), QStringLiteral("Pairing..."), false, 1,
                    CurrentMessageColours());
        QCOMPARE(frm.Message->palette().color(QPalette::WindowText), QColor(Qt::white));
    }

    void answers_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("Yes answers false") << 3 << "yes" << false;
        QTest::newRow("No answers true") << 3 << "no" << true;
        QTest::newRow("Enter answers Yes") << 3 << "enter" << false;
        QTest::newRow("Esc answers No") << 3 << "escape" << true;
        QTest::newRow("Enter on the focused No button answers No") << 3 << "enter-on-no" << true;
        QTest::newRow("Enter on the focused Yes button answers Yes")
            << 3 << "enter-on-yes" << false;
        QTest::newRow("Esc closes an OK message without a No") << 0 << "escape" << false;
        QTest::newRow("OK answers false") << 0 << "yes" << false;
    }
    void answers() {
        QFETCH(int, mode);
        QFETCH(QString, action);
        QFETCH(bool, cancelled);
        MessageCancelled() = !cancelled; // the stale answer of an earlier question
        bool sawResetAnswer = false;
        whenShown([&](MessageFrm& frm) {
            sawResetAnswer = !MessageCancelled();
            if (action == QLatin1String("yes")) {
                QTest::mouseClick(frm.btnOK, Qt::LeftButton);
            } else if (action == QLatin1String("no")) {
                QTest::mouseClick(frm.btnCancel, Qt::LeftButton);
            } else if (action == QLatin1String("enter")) {
                QTest::keyClick(&frm, Qt::Key_Return);
            } else if (action == QLatin1String("enter-on-no")) {
                frm.btnCancel->setFocus();
                QTest::keyClick(frm.btnCancel, Qt::Key_Return);
            } else if (action == QLatin1String("enter-on-yes")) {
                frm.btnOK->setFocus();
                QTest::keyClick(frm.btnOK, Qt::Key_Return);
            } else {
                QTest::keyClick(&frm, Qt::Key_Escape);
            }
        });
        ShowMessage(QStringLiteral("Retry the last stage?"), QStringLiteral("Question"), true,
                    qint16(mode));
        QVERIFY(sawResetAnswer);
        QCOMPARE(MessageCancelled(), cancelled);
        QCOMPARE(LoadedMessageFrm(), nullptr); // modal dialogs are unloaded when closed
    }

    void aHeldKeyAnswersNothing() {
        MessageFrm frm;
        frm.Prepare(QStringLiteral("Retry the last stage?"), QStringLiteral("Question"), true,
                    MessageFrm::ModeYesNo, CurrentMessageColours());
        frm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frm));
        for (const int key : {int(Qt::Key_Return), int(Qt::Key_Escape)}) {
            QKeyEvent repeated(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
            QCoreApplication::sendEvent(frm.btnOK, &repeated);
            QVERIFY(frm.isVisible());
        }
        QTest::keyClick(frm.btnOK, Qt::Key_Return);
        QVERIFY(!frm.isVisible());
        QCOMPARE(frm.result(), int(QDialog::Accepted));
    }

    void aNoticeStaysUpUntilReplacedOrUnloaded() {
        ShowMessage(QStringLiteral("Attempting to connect..."), QStringLiteral("Connecting"), false,
                    MessageFrm::ModeNotice);
        QPointer<MessageFrm> first = LoadedMessageFrm();
        QVERIFY(first);
        QVERIFY(first->isVisible());

        ShowMessage(QStringLiteral("Identifying device..."), QStringLiteral("Pairing..."), false,
                    MessageFrm::ModeNotice);
        MessageFrm* second = LoadedMessageFrm();
        QVERIFY(second && second != first);
        QVERIFY(!first || !first->isVisible());
        QTRY_VERIFY(!first); // the replaced dialog is gone
        QCOMPARE(second->messageText(), QStringLiteral("Identifying device..."));

        UnloadMessageFrm();
        QCOMPARE(LoadedMessageFrm(), nullptr);
        SetMessageProgress(50.0f); // nothing up: ignored
    }

    // The caller of a Progress or Notice dialog keeps the event loop waiting (a save, "Closing"),
    // so no event is processed here between the calls: what is not painted by then never shows.
    void aProgressDialogIsOnScreenAndAdvancesWithoutTheEventLoop_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("Progress") << int(MessageFrm::ModeProgress);
        QTest::newRow("Notice") << int(MessageFrm::ModeNotice);
    }
    void aProgressDialogIsOnScreenAndAdvancesWithoutTheEventLoop() {
        QFETCH(int, mode);
        PaintCounter paints;
        ShowMessage(QStringLiteral("Now retrieving configuration data from module and writing to "
                                   "file..."),
                    QStringLiteral("Save Configuration"), false, qint16(mode));
        MessageFrm* frm = LoadedMessageFrm();
        QVERIFY(frm);
        QVERIFY(frm->windowHandle() && frm->windowHandle()->isExposed());
        QVERIFY(paints.of(frm) > 0);
        QVERIFY(paints.of(frm->Message) > 0);
        if (mode != MessageFrm::ModeProgress) {
            return;
        }
        for (const int value : {10, 50, 100}) {
            const int before = paints.of(frm->ProgBar);
            SetMessageProgress(float(value));
            QVERIFY(paints.of(frm->ProgBar) > before);
            QCOMPARE(frm->ProgBar->LitSegments(), value / 10);
        }
        // The last segment is lit in the brand's title colour.
        const QImage shown = frm->ProgBar->grab().toImage();
        const int segment = frm->ProgBar->SegmentWidth();
        QCOMPARE(shown.pixelColor(9 * (segment + 1) + segment / 2, shown.height() / 2),
                 ColourModule::ToQColor(Brand().Title));
    }

    void doubleClickingTheMessageCopiesItWhole() {
        const QString text =
            QStringLiteral("Error(s) occurred while reading the configuration data from the "
                           "module!\r\n\r\n") +
            QStringLiteral("RESOL: No Response\r\n").repeated(40);
        ShowMessage(text, QStringLiteral("Save Configuration"), true, MessageFrm::ModeNotice);
        QApplication::clipboard()->setText(QStringLiteral("old"));
        QTest::mouseDClick(LoadedMessageFrm()->Message, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), text);
    }
};

QTEST_MAIN(TestMessageFrm)
#include "tst_messagefrm.moc"
