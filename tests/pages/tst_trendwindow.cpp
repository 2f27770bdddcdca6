// The trend's data: a minute of samples in a ring, its lowest and highest value, the plot's
// range and where samples land; and the display's unit and decimal places from the status word.
#include "pages/TrendWindow.h"

#include <QTest>
#include <cmath>

class TestTrendWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The extremes follow the window, over both series.
    void theWindowKeepsTheNewestMinuteUpToItsCapacity() {
        TrendWindow trend;
        for (int i = 0; i <= 200; ++i) {
            trend.add(i * 333, 200 - i, -i);
        }
        // 200 * 333 = 66600 ms: what came before 6600 ms has gone, the highest gross with it.
        QCOMPARE(trend.at(0).timeMs, qint64(20 * 333));
        QCOMPARE(trend.latest()->timeMs, qint64(200 * 333));
        QCOMPARE(trend.size(), 181);
        QCOMPARE(trend.maximum(), 180.0);
        QCOMPARE(trend.minimum(), -200.0);

        // The ring keeps the newest when full.
        trend = TrendWindow();
        for (int i = 0; i < TrendWindow::Capacity + 10; ++i) {
            trend.add(i, double(i), double(i));
        }
        QCOMPARE(trend.size(), TrendWindow::Capacity);
        QCOMPARE(trend.at(0).timeMs, qint64(10));
        QCOMPARE(trend.latest()->gross, double(TrendWindow::Capacity + 9));
        QCOMPARE(trend.minimum(), 10.0);
    }

    void aClockThatGoesBackStartsAfreshAndNoNumbersAreKept() {
        TrendWindow trend;
        trend.add(5000, 1.0, 1.0);
        trend.add(6000, std::nan(""), 1.0);
        trend.add(7000, 1.0, INFINITY);
        QCOMPARE(trend.size(), 1);
        trend.add(1000, 3.0, 2.0);
        QCOMPARE(trend.size(), 1);
        QCOMPARE(trend.minimum(), 2.0);
    }

    void theRangeIsAFewCountsWideOrFilledWithAMargin() {
        TrendWindow trend;
        trend.add(0, 12.5, 12.5);
        trend.add(333, 12.5, 12.5);
        const TrendWindow::Range range = trend.range(0.01);
        QCOMPARE(range.high - range.low, 0.01 * TrendWindow::MinimumCounts);
        QCOMPARE((range.high + range.low) / 2, 12.5);
        const QRectF area(10, 20, 300, 100);
        // A flat line in the middle, the newest sample at the right edge.
        QCOMPARE(trend.map(333, 12.5, range, area), QPointF(310, 70));
        QCOMPARE(trend.map(333 - TrendWindow::SpanMs, 12.5, range, area).x(), 10.0);

        // A moving load fills the range with a margin.
        trend = TrendWindow();
        trend.add(0, 0.0, 0.0);
        trend.add(1000, 10.0, 5.0);
        const TrendWindow::Range wide = trend.range(0.001);
        QCOMPARE(wide.low, -1.0);
        QCOMPARE(wide.high, 11.0);
        const QRectF tall(0, 0, 100, 120);
        QCOMPARE(trend.map(1000, 10.0, wide, tall).y(), 10.0);
        QCOMPARE(trend.map(0, 0.0, wide, tall).y(), 110.0);
        // Out of range values stay on the plot's edge.
        QCOMPARE(trend.map(1000, 50.0, wide, tall).y(), 0.0);
    }

    void theDisplayScaleComesFromTheStatusWord_data() {
        QTest::addColumn<qint64>("status");
        QTest::addColumn<int>("tonType");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("tonnes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("tonnes with three decimals")
            << qint64(64 + 3 * 256) << 0 << "T" << 12.5 << "12.500";
        QTest::newRow("kilograms without decimals")
            << qint64(16 + 1 + 8) << 0 << "kg" << 12.5 << "12500";
        QTest::newRow("kilonewtons with one decimal")
            << qint64(32 + 256) << 0 << "kN" << 1.0 << "9.8";
        QTest::newRow("pounds with two decimals")
            << qint64(128 + 512) << 0 << "lb" << 1.0 << "2204.62";
        QTest::newRow("imperial tons") << qint64(64 + 3 * 256) << 1 << "T" << 1.0160469 << "1.000";
        QTest::newRow("US tons") << qint64(64 + 2 * 256) << 2 << "T" << 0.90718474 << "1.00";
    }
    void theDisplayScaleComesFromTheStatusWord() {
        QFETCH(qint64, status);
        QFETCH(int, tonType);
        QFETCH(QString, unit);
        QFETCH(double, tonnes);
        QFETCH(QString, shown);
        const DisplayScale scale = DisplayScale::FromStatus(status, tonType);
        QCOMPARE(scale.unit, unit);
        QCOMPARE(scale.format(tonnes), shown);
        // One display count, back in tonnes.
        QVERIFY(std::fabs(scale.stepTonnes() * scale.perTonne - std::pow(10.0, -scale.decimals)) <
                1e-12);
    }
};

QTEST_GUILESS_MAIN(TestTrendWindow)
#include "tst_trendwindow.moc"
