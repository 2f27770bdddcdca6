#include "pages/TrendPlot.h"

#include "controls/ColourModule.h"
#include "store/BrandValues.h"
#include "util/NumberFormatModule.h"

#include <QPainter>
#include <QVector>
#include <cmath>

namespace {

constexpr double Margin = 8.0;
constexpr double DotRadius = 2.5;
constexpr double LineWeight = 0.6;

// Far enough apart to tell two lines by colour.
bool distinct(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) >
           120;
}

} // namespace

TrendPlot::TrendPlot(const TrendWindow& samples, QWidget* parent)
    : QWidget(parent)
    , m_samples(samples) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setToolTip(QStringLiteral("The last minute of gross and net, with the lowest and highest "
                              "value of the minute"));
}

void TrendPlot::setScale(const DisplayScale& scale) {
    m_scale = scale;
    update();
}

QColor TrendPlot::grossColour() const {
    const QColor live = ColourModule::ToQColor(Brand().Live);
    return live.isValid() ? live : QColor(Qt::green);
}

QColor TrendPlot::netColour() const {
    const QColor gross = grossColour();
    for (const BrandColour candidate : {Brand().FieldBack, Brand().Headers, Brand().Text}) {
        const QColor colour = ColourModule::ToQColor(candidate);
        if (colour.isValid() && distinct(colour, gross)) {
            return colour;
        }
    }
    return gross.lightness() > 128 ? QColor(255, 160, 64) : QColor(0, 96, 192);
}

QRectF TrendPlot::plotArea() const {
    const QFontMetricsF metrics(font());
    const double text = metrics.height();
    // The right-hand column holds the marks of the minute's highest and lowest value.
    const double marks = metrics.horizontalAdvance(QStringLiteral("max -00000.000")) + 6.0;
    return QRectF(Margin, Margin + text + 6.0, width() - 2 * Margin - marks,
                  height() - 2 * Margin - 2 * text - 8.0);
}

QString TrendPlot::legend(const char* name, bool gross) const {
    QString text = QLatin1String(name);
    if (const std::optional<TrendWindow::Sample> last = m_samples.latest()) {
        text += u' ' +
                m_scale.format(gross ? last->gross : last->net,
                               NumberFormatModule::UserDecimalSeparator()) +
                u' ' + m_scale.unit;
    }
    return text;
}

QString TrendPlot::grossLegend() const {
    return legend("Gross", true);
}

QString TrendPlot::netLegend() const {
    return legend("Net", false);
}

QString TrendPlot::maximumLabel() const {
    return QStringLiteral("max ") +
           m_scale.format(m_samples.maximum(), NumberFormatModule::UserDecimalSeparator());
}

QString TrendPlot::minimumLabel() const {
    return QStringLiteral("min ") +
           m_scale.format(m_samples.minimum(), NumberFormatModule::UserDecimalSeparator());
}

void TrendPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor back = ColourModule::ToQColor(Brand().DisplayBack);
    const QColor panel = back.isValid() ? back.darker(130) : QColor(24, 24, 24);
    painter.fillRect(rect(), back.isValid() ? back : panel);
    painter.setPen(QPen(grossColour().darker(150), 1.0));
    painter.setBrush(panel);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

    const QRectF area = plotArea();
    const QColor text = ColourModule::ToQColor(Brand().Text);
    const QColor label = text.isValid() ? text : QColor(Qt::lightGray);
    const QFontMetricsF metrics(font());

    // Legend: each series in its colour with its current value.
    const QColor gross = grossColour();
    const QColor net = netColour();
    double x = Margin + 2;
    const double legendBase = Margin + metrics.ascent();
    for (const auto& [caption, colour] : {std::pair{grossLegend(), gross}, {netLegend(), net}}) {
        painter.setPen(QPen(colour, 2.0));
        painter.drawLine(QPointF(x, legendBase - metrics.ascent() / 3),
                         QPointF(x + 12, legendBase - metrics.ascent() / 3));
        painter.drawText(QPointF(x + 16, legendBase), caption);
        x += 16 + metrics.horizontalAdvance(caption) + 18;
    }

    // Time along the bottom.
    painter.setPen(label);
    const double timeBase = height() - Margin - metrics.descent();
    painter.drawText(QPointF(area.left(), timeBase), QStringLiteral("-60 s"));
    const QString now = QStringLiteral("now");
    painter.drawText(QPointF(area.right() - metrics.horizontalAdvance(now), timeBase), now);

    if (m_samples.isEmpty()) {
        return;
    }
    const TrendWindow::Range range = m_samples.range(m_scale.stepTonnes());

    // The minute's highest and lowest value: dashed across the plot, labelled beside it; two
    // labels that would overlap (a steady load) are moved apart.
    QPen dashed(label, 1.0, Qt::DashLine);
    const double top = m_samples.map(0, m_samples.maximum(), range, area).y();
    const double bottom = m_samples.map(0, m_samples.minimum(), range, area).y();
    painter.setPen(dashed);
    painter.drawLine(QPointF(area.left(), top), QPointF(area.right(), top));
    painter.drawLine(QPointF(area.left(), bottom), QPointF(area.right(), bottom));
    const double lineHeight = metrics.height();
    double highY = top;
    double lowY = bottom;
    if (lowY - highY < lineHeight) {
        const double middle = (highY + lowY) / 2.0;
        highY = middle - lineHeight / 2.0;
        lowY = middle + lineHeight / 2.0;
    }
    const double centre = (metrics.ascent() - metrics.descent()) / 2.0;
    painter.setPen(label);
    painter.drawText(QPointF(area.right() + 6.0, highY + centre), maximumLabel());
    painter.drawText(QPointF(area.right() + 6.0, lowY + centre), minimumLabel());

    painter.save();
    painter.setClipRect(area.adjusted(-DotRadius, -DotRadius, DotRadius, DotRadius));
    // Hairlines: the raster engine draws an antialiased one-pixel line more than ten times
    // faster than a wider one, which keeps a full minute well under a millisecond. Each line is
    // drawn twice, half a pixel apart, for a weight that reads at a glance.
    QVector<QPointF> points(m_samples.size());
    for (const bool isGross : {false, true}) {
        for (int i = 0; i < m_samples.size(); ++i) {
            const TrendWindow::Sample& sample = m_samples.at(i);
            points[i] =
                m_samples.map(sample.timeMs, isGross ? sample.gross : sample.net, range, area);
        }
        const QColor colour = isGross ? gross : net;
        painter.setPen(QPen(colour, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(points.constData(), int(points.size()));
        painter.translate(0, LineWeight);
        painter.drawPolyline(points.constData(), int(points.size()));
        painter.translate(0, -LineWeight);
        const TrendWindow::Sample last = *m_samples.latest();
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(
            m_samples.map(last.timeMs, isGross ? last.gross : last.net, range, area), DotRadius,
            DotRadius);
    }
    painter.restore();
}
