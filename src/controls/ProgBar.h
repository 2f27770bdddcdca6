#pragma once

#include "controls/ColourModule.h"

#include <QWidget>

// A segmented progress bar: VALUE between Min and Max lights that share of Segments segments,
// rounded half to even (55 of 0..100 over ten segments lights six). Writing VALUE paints a
// visible bar at once, so progress shows while the caller keeps the event loop waiting.
class ProgBar : public QWidget {
    Q_OBJECT

public:
    explicit ProgBar(QWidget* parent = nullptr);

    float Min() const { return m_min; }
    void Min(float New_Min);
    float Max() const { return m_max; }
    void Max(float New_Max);
    float VALUE() const { return m_value; }
    void VALUE(float New_VALUE);
    qint16 Segments() const { return m_segments; }
    void Segments(qint16 New_Segments);
    ColourValue BackColor() const { return m_backColor; }
    void BackColor(ColourValue New_BackColor);
    ColourValue ForeColor() const { return m_foreColor; }
    void ForeColor(ColourValue New_ForeColor);
    bool BorderStyle() const { return m_borderStyle; }
    void BorderStyle(bool New_BorderStyle);

    // Pixels per segment, from the inner width less one pixel between segments.
    qint16 SegmentWidth() const { return m_segmentWidth; }
    // Lights n segments (limited to 0..Segments); a visible bar is painted before this returns.
    void DrawSegs(int n);
    int LitSegments() const { return m_lit; }

    // The lit count for a value; an empty range or a value that is no number lights none.
    static int SegmentsFor(double value, double min, double max, int segments);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int innerWidth() const;
    void relayout();
    void repaintValue();
    int litFor(int n) const;

    float m_min = 0.0f;
    float m_max = 100.0f;
    float m_value = 0.0f;
    qint16 m_segments = 10;
    ColourValue m_backColor = ColourModule::ButtonFace;
    ColourValue m_foreColor = ColourModule::ButtonText;
    bool m_borderStyle = false;
    qint16 m_segmentWidth = 0;
    int m_lit = 0;
};
