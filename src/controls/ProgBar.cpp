#include "controls/ProgBar.h"

#include <QPainter>
#include <cmath>

ProgBar::ProgBar(QWidget* parent)
    : QWidget(parent) {
    relayout();
}

int ProgBar::SegmentsFor(double value, double min, double max, int segments) {
    if (segments <= 0 || !(max != min) || !std::isfinite(value) || !std::isfinite(min) ||
        !std::isfinite(max)) {
        return 0;
    }
    // The default rounding mode rounds halves to the even neighbour.
    const double count = std::nearbyint((value - min) / ((max - min) / segments));
    if (!std::isfinite(count) || count <= 0.0) {
        return 0;
    }
    return count >= segments ? segments : int(count);
}

void ProgBar::Min(float New_Min) {
    m_min = New_Min;
    repaintValue();
}

void ProgBar::Max(float New_Max) {
    m_max = New_Max;
    repaintValue();
}

void ProgBar::VALUE(float New_VALUE) {
    m_value = New_VALUE;
    repaintValue();
}

void ProgBar::Segments(qint16 New_Segments) {
    m_segments = New_Segments;
    relayout();
    update();
}

void ProgBar::BackColor(ColourValue New_BackColor) {
    m_backColor = New_BackColor;
    update();
}

void ProgBar::ForeColor(ColourValue New_ForeColor) {
    m_foreColor = New_ForeColor;
    update();
}

void ProgBar::BorderStyle(bool New_BorderStyle) {
    m_borderStyle = New_BorderStyle;
    relayout();
    update();
}

int ProgBar::innerWidth() const {
    return m_borderStyle ? qMax(0, width() - 2) : width();
}

void ProgBar::relayout() {
    if (m_segments > 0) {
        const double share = double(innerWidth() - (m_segments - 1)) / m_segments;
        m_segmentWidth = qint16(qMax(0.0, std::nearbyint(share)));
    } else {
        m_segmentWidth = 0;
    }
    m_lit = litFor(SegmentsFor(m_value, m_min, m_max, m_segments));
}

int ProgBar::litFor(int n) const {
    return qBound(0, n, qMax<int>(0, m_segments));
}

void ProgBar::repaintValue() {
    DrawSegs(SegmentsFor(m_value, m_min, m_max, m_segments));
}

void ProgBar::DrawSegs(int n) {
    m_lit = litFor(n);
    // The bar is drawn whole every time, so a smaller count never leaves old segments lit. The
    // progress it shows advances while the caller keeps the event loop waiting (a save, a
    // restore), so a visible bar is painted now rather than when the loop runs again.
    if (isVisible()) {
        repaint();
    } else {
        update();
    }
}

void ProgBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void ProgBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ColourModule::ToQColor(m_backColor));
    const int inset = m_borderStyle ? 1 : 0;
    const QColor fore = ColourModule::ToQColor(m_foreColor);
    for (int k = 0; k < m_lit; ++k) {
        // Segment k spans x = k * (w + 1) to k * (w + 1) + w - 2, both ends included.
        const int left = k * (m_segmentWidth + 1);
        const int segmentPixels = m_segmentWidth - 1;
        if (segmentPixels > 0) {
            painter.fillRect(inset + left, inset, segmentPixels, height() - 2 * inset, fore);
        }
    }
    if (m_borderStyle) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
