#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

// How the module's display shows a weight: its unit, what one tonne is in that unit, and its
// decimal places. Gross and net arrive in tonnes; the trend shows them as the display would.
struct DisplayScale {
    QString unit = QStringLiteral("T");
    double perTonne = 1.0;
    int decimals = 3;

    // From the module's status word (unit flag 16 kg, 32 kN, 64 T, 128 lb; decimal places in
    // bits 8 to 10) and its ton type (0 metric, 1 imperial, 2 US), which decides what "T" is.
    static DisplayScale FromStatus(qint64 status, int tonType);
    // The value in the display's unit with its decimal places, "." as decimal point.
    QString format(double tonnes, QChar decimalSeparator = QChar(u'.')) const;
    // One count of the display, in tonnes.
    double stepTonnes() const;
};

// The last minute of gross and net, as the Measurement page's refresh read them: a ring of
// samples, their lowest and highest value, and where each lands on a plot. Values are in tonnes;
// the plot's vertical range is kept at least a few display counts wide, so a steady load draws a
// flat line in the middle instead of noise blown up to full height.
class TrendWindow {
public:
    struct Sample {
        qint64 timeMs = 0;
        double gross = 0.0;
        double net = 0.0;
    };
    struct Range {
        double low = 0.0;
        double high = 0.0;
    };

    static constexpr qint64 SpanMs = 60000;
    // A minute of refreshes at 333 ms is 180 samples; refreshes run back to back at most.
    static constexpr int Capacity = 512;
    // The plot's range is at least this many display counts.
    static constexpr int MinimumCounts = 10;

    // Adds a sample and drops those older than a minute before it. A sample older than the
    // latest one (a clock that went back) starts the window afresh; one that is not a number
    // is not kept.
    void add(qint64 timeMs, double gross, double net);
    void clear();

    int size() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    // Oldest first.
    const Sample& at(int index) const;
    std::optional<Sample> latest() const;

    // Over both series in the window; 0 when empty.
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }

    // The vertical range of the plot: minimum to maximum with a margin, at least MinimumCounts
    // steps wide, centred on the values.
    Range range(double stepTonnes) const;
    // Where a value at a time lands in the plot area: the last minute up to the latest sample
    // across, the range bottom to top.
    QPointF map(qint64 timeMs, double value, const Range& range, const QRectF& area) const;

private:
    void dropBefore(qint64 timeMs);
    void rescan();

    std::array<Sample, Capacity> m_samples{};
    int m_first = 0;
    int m_count = 0;
    double m_minimum = 0.0;
    double m_maximum = 0.0;
};
