#include "pages/TrendWindow.h"

#include "device/DisplayUnits.h"
#include "device/StatusWord.h"
#include "util/NumberFormatModule.h"

#include <algorithm>
#include <cmath>

DisplayScale DisplayScale::FromStatus(qint64 status, int tonType) {
    DisplayScale scale;
    scale.decimals = int(StatusWord::DecimalPlacesOf(status));
    using DisplayUnits::Unit;
    Unit unit = Unit::Ton;
    if (status & 16) {
        scale.unit = QStringLiteral("kg");
        unit = Unit::Kilogram;
    } else if (status & 32) {
        scale.unit = QStringLiteral("kN");
        unit = Unit::Kilonewton;
    } else if (status & 128) {
        scale.unit = QStringLiteral("lb");
        unit = Unit::Pound;
    } else {
        scale.unit = QStringLiteral("T");
    }
    const auto type = tonType == 1   ? DisplayUnits::TonType::Imperial
                      : tonType == 2 ? DisplayUnits::TonType::US
                                     : DisplayUnits::TonType::Metric;
    scale.perTonne = DisplayUnits::PerTonne(unit, type);
    return scale;
}

QString DisplayScale::format(double tonnes, QChar decimalSeparator) const {
    const QString pattern =
        decimals > 0 ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0");
    return NumberFormatModule::FormatNumber(tonnes * perTonne, pattern, decimalSeparator);
}

double DisplayScale::stepTonnes() const {
    return std::pow(10.0, -decimals) / perTonne;
}

void TrendWindow::add(qint64 timeMs, double gross, double net) {
    if (!std::isfinite(gross) || !std::isfinite(net)) {
        return;
    }
    if (const std::optional<Sample> last = latest(); last && timeMs < last->timeMs) {
        clear();
    }
    if (m_count == Capacity) {
        m_first = (m_first + 1) % Capacity;
        --m_count;
    }
    m_samples[size_t((m_first + m_count) % Capacity)] = Sample{timeMs, gross, net};
    ++m_count;
    dropBefore(timeMs - SpanMs);
    rescan();
}

void TrendWindow::clear() {
    m_first = 0;
    m_count = 0;
    m_minimum = 0.0;
    m_maximum = 0.0;
}

const TrendWindow::Sample& TrendWindow::at(int index) const {
    return m_samples[size_t((m_first + index) % Capacity)];
}

std::optional<TrendWindow::Sample> TrendWindow::latest() const {
    if (m_count == 0) {
        return std::nullopt;
    }
    return at(m_count - 1);
}

void TrendWindow::dropBefore(qint64 timeMs) {
    while (m_count > 0 && at(0).timeMs < timeMs) {
        m_first = (m_first + 1) % Capacity;
        --m_count;
    }
}

void TrendWindow::rescan() {
    if (m_count == 0) {
        m_minimum = m_maximum = 0.0;
        return;
    }
    double low = at(0).gross;
    double high = low;
    for (int i = 0; i < m_count; ++i) {
        const Sample& sample = at(i);
        low = std::min({low, sample.gross, sample.net});
        high = std::max({high, sample.gross, sample.net});
    }
    m_minimum = low;
    m_maximum = high;
}

TrendWindow::Range TrendWindow::range(double stepTonnes) const {
    const double step = std::isfinite(stepTonnes) && stepTonnes > 0.0 ? stepTonnes : 0.001;
    const double spread = m_maximum - m_minimum;
    const double span = std::max(spread * 1.2, step * MinimumCounts);
    const double middle = (m_maximum + m_minimum) / 2.0;
    return Range{middle - span / 2.0, middle + span / 2.0};
}

QPointF TrendWindow::map(qint64 timeMs, double value, const Range& range,
                         const QRectF& area) const {
    const qint64 end = m_count > 0 ? at(m_count - 1).timeMs : timeMs;
    const double across = double(timeMs - (end - SpanMs)) / double(SpanMs);
    const double height = range.high - range.low;
    const double up = height > 0.0 ? (value - range.low) / height : 0.5;
    return QPointF(area.left() + std::clamp(across, 0.0, 1.0) * area.width(),
                   area.bottom() - std::clamp(up, 0.0, 1.0) * area.height());
}
