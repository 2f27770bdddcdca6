#include "controls/ButtonBar.h"
#include "controls/ProgBar.h"
#include "controls/QKBtn.h"
#include "controls/TextFrame.h"
#include "controls/TwipsModule.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <limits>
#include <memory>

class TestBars : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> host;

    int px(double twips) const { return TwipsModule::ToPixels(twips, host.get()); }

    // A shown bar with one button per glyph, laid out.
    ButtonBar* barWith(const QString& glyphs) {
        auto* bar = new ButtonBar(host.get());
        bar->move(100, 10);
        bar->show();
        for (const QChar glyph : glyphs) {
            bar->AddButton(QString(glyph));
        }
        bar->DrawMe();
        return bar;
    }

private Q_SLOTS:
    void init() {
        host = std::make_unique<QWidget>();
        host->resize(900, 400);
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    }
    void cleanup() { host.reset(); }

    // --- ButtonBar ----------------------------------------------------------------------

    void theFirstButtonSitsAtTheRightEndAndTheBarGrowsLeft() {
        ButtonBar* bar = barWith(QStringLiteral("BPCU"));
        const int rightEdge = bar->geometry().right();
        QCOMPARE(bar->ButtonsMade(), 4);

        bar->Clear();
        QCOMPARE(bar->ButtonCount(), qint16(0));
        for (const char* glyph : {"B", "P", "C"}) {
            bar->AddButton(QLatin1String(glyph));
        }
        bar->DrawMe();
        const double width = bar->ButtonWidth();
        QCOMPARE(bar->geometry().right(), rightEdge);

        QKBtn* home = bar->Button(0);
        QKBtn* second = bar->Button(1);
        QKBtn* third = bar->Button(2);
        QVERIFY(home->isVisible() && second->isVisible() && third->isVisible());
        QVERIFY(!bar->Button(3)->isVisible());
        QCOMPARE(second->width(), px(width));
        QCOMPARE(third->width(), px(width));
        // Home, at the right end, is 60 twips narrower than the others.
        QCOMPARE(home->width(), px(width - 60.0));
        QVERIFY(second->x() > third->x());
        QCOMPARE(second->x(), home->x() - px(width));
        QCOMPARE(home->Caption(), QStringLiteral("B"));
        QCOMPARE(third->Caption(), QStringLiteral("C"));
        QCOMPARE(third->Font().family(), QStringLiteral("QKTKButtons"));

        // Laying out again changes nothing.
        const QRect homeBefore = home->geometry();
        bar->DrawMe();
        QCOMPARE(home->geometry(), homeBefore);
        QCOMPARE(bar->geometry().right(), rightEdge);
    }

    // The buttons are added while the window is disabled, as at start-up.
    void clickingPressesTheButtonAndReportsBeforeAndAfter() {
        host->setEnabled(false);
        ButtonBar* bar = barWith(QStringLiteral("BPC"));
        host->setEnabled(true);
        bar->SetSelectedButton(1);
        QVERIFY(bar->Button(0)->State());
        QVERIFY(!bar->Button(1)->State());

        QList<bool> stateAtPress;
        QList<bool> stateAtClick;
        connect(bar, &ButtonBar::ButtonPress, bar,
                [&](int index) { stateAtPress.append(bar->Button(index - 1)->State()); });
        connect(bar, &ButtonBar::ButtonClick, bar,
                [&](int index) { stateAtClick.append(bar->Button(index - 1)->State()); });
        QSignalSpy press(bar, &ButtonBar::ButtonPress);
        QSignalSpy click(bar, &ButtonBar::ButtonClick);
        QTest::mouseClick(bar->Button(1), Qt::LeftButton);
        QCOMPARE(press.count(), 1);
        QCOMPARE(click.count(), 1);
        QCOMPARE(click.first().first().toInt(), 2);
        QCOMPARE(stateAtPress, QList<bool>{false});
        QCOMPARE(stateAtClick, QList<bool>{true});
        QVERIFY(!bar->Button(0)->State());

        // The selected page's button can be clicked again (the page is shown afresh).
        QTest::mouseClick(bar->Button(1), Qt::LeftButton);
        QCOMPARE(click.count(), 2);
        QTest::mouseClick(bar->Button(2), Qt::LeftButton);
        QCOMPARE(click.count(), 3);
    }

    void hoverAndLeaveCarryTheButtonNumber() {
        ButtonBar* bar = barWith(QStringLiteral("BP"));
        QSignalSpy hover(bar, &ButtonBar::ButtonHover);
        QSignalSpy leave(bar, &ButtonBar::ButtonLeave);
        // A real window system moves the pointer some time after the call.
        QTest::mouseMove(bar->Button(1));
        QTRY_COMPARE(hover.count(), 1);
        QTest::mouseMove(host.get(), QPoint(5, 390));
        QTRY_COMPARE(leave.count(), 1);
        QCOMPARE(hover.count(), 1);
        QCOMPARE(hover.first().first().toInt(), 2);
        QCOMPARE(leave.first().first().toInt(), 2);
    }

    void menuColoursReachButtonsAddedLater() {
        auto* bar = new ButtonBar(host.get());
        bar->MenuBackcolor(0x112233);
        bar->MenuForecolor(0x445566);
        bar->MenuForecolorHover(0x778899);
        bar->AddButton(QStringLiteral("B"));
        bar->AddButton(QStringLiteral("P"));
        QKBtn* added = bar->Button(1);
        QCOMPARE(added->BackColorDown(), ColourValue(0x112233));
        QCOMPARE(added->BackColorDisabled(), ColourValue(0x112233));
        QCOMPARE(added->ForeColor(), ColourValue(0x445566));
        QCOMPARE(added->ForeColorHover(), ColourValue(0x778899));
        bar->SetButtonImage(7, QStringLiteral("X")); // no such button: ignored
        bar->SetButtonImage(1, QStringLiteral("U"));
        QCOMPARE(added->Caption(), QStringLiteral("U"));
    }

    // --- ProgBar ------------------------------------------------------------------------

    void litSegments_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("segments");
        QTest::addColumn<int>("lit");
        QTest::newRow("55 of 100 lights six (5.5 rounds to even)")
            << 55.0 << 0.0 << 100.0 << 10 << 6;
        QTest::newRow("45 of 100 lights four (4.5 rounds to even)")
            << 45.0 << 0.0 << 100.0 << 10 << 4;
        QTest::newRow("a value above Max lights all") << 150.0 << 0.0 << 100.0 << 10 << 10;
        QTest::newRow("a negative count lights none") << -30.0 << 0.0 << 100.0 << 10 << 0;
        QTest::newRow("an offset range") << 15.0 << 10.0 << 20.0 << 4 << 2;
        QTest::newRow("an empty range lights none") << 5.0 << 5.0 << 5.0 << 10 << 0;
        QTest::newRow("no segments") << 50.0 << 0.0 << 100.0 << 0 << 0;
        QTest::newRow("a value that is no number")
            << std::numeric_limits<double>::quiet_NaN() << 0.0 << 100.0 << 10 << 0;
    }
    void litSegments() {
        QFETCH(double, value);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(int, segments);
        QFETCH(int, lit);
        QCOMPARE(ProgBar::SegmentsFor(value, min, max, segments), lit);
    }

    void segmentWidthsRoundHalfToEven_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("segmentWidth");
        QTest::newRow("exact") << 109 << 10;
        QTest::newRow("9.5 rounds up to 10") << 104 << 10;
        QTest::newRow("10.5 rounds down to 10") << 114 << 10;
        QTest::newRow("11.5 rounds up to 12") << 124 << 12;
    }
    void segmentWidthsRoundHalfToEven() {
        QFETCH(int, width);
        QFETCH(int, segmentWidth);
        auto* bar = new ProgBar(host.get());
        bar->resize(width, 12);
        bar->show();
        QCOMPARE(bar->SegmentWidth(), qint16(segmentWidth));
    }

    void theBarPaintsItsLitSegmentsAtOnce() {
        auto* bar = new ProgBar(host.get());
        bar->ForeColor(0x0000FF);
        bar->BackColor(0xFFFFFF);
        bar->setGeometry(10, 200, 109, 12);
        bar->show();
        bar->VALUE(55.0f);
        QCOMPARE(bar->LitSegments(), 6);
        const auto litAt = [bar](int k) {
            const QImage image = bar->grab().toImage();
            const int x = k * (bar->SegmentWidth() + 1) + 1;
            return image.pixelColor(x, 6) == QColor(Qt::red);
        };
        QVERIFY(litAt(0));
        QVERIFY(litAt(5));
        QVERIFY(!litAt(6));
        bar->VALUE(20.0f); // a smaller value leaves no old segment lit
        QVERIFY(litAt(1));
        QVERIFY(!litAt(2));
        QVERIFY(!litAt(5));

        // No event is processed between the writes, as when a save drives the bar.
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
        int paints = 0;
        struct Counter : QObject {
            int& count;
            explicit Counter(int& c)
                : count(c) {}
            bool eventFilter(QObject*, QEvent* event) override {
                count += event->type() == QEvent::Paint;
                return false;
            }
        } counter(paints);
        bar->installEventFilter(&counter);
        bar->VALUE(10.0f);
        QCOMPARE(paints, 1);
        bar->VALUE(20.0f);
        QCOMPARE(paints, 2);
        bar->removeEventFilter(&counter);
    }

    // --- TextFrame ----------------------------------------------------------------------

    void theFrameFollowsItsCaption() {
        auto* frame = new TextFrame(host.get());
        frame->setGeometry(10, 10, 300, 40);
        frame->show();
        frame->Caption(QStringLiteral("Short note."));
        const int oneLine = frame->height();
        const int margin = px(TextFrame::MarginTwips);
        QCOMPARE(frame->Label()->width(), 300 - 2 * margin);
        frame->Caption(QString(QStringLiteral("A longer note that wraps. ")).repeated(12));
        QVERIFY(frame->height() > 2 * oneLine - 2 * margin);
        QCOMPARE(frame->height(), frame->Label()->height() + 2 * margin);
        frame->Caption(QStringLiteral("Short note."));
        QCOMPARE(frame->height(), oneLine);
    }
};

QTEST_MAIN(TestBars)
#include "tst_bars.moc"
