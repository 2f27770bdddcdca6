#pragma once

#include "pages/TrendWindow.h"

#include <QColor>
#include <QWidget>

// The Measurement page's trend: the last minute of gross and net drawn as two lines, with the
// current values (in the legend and as a dot at each line's end) and the window's lowest and
// highest value marked by dashed lines, all in the display's unit and decimal places.
class TrendPlot : public QWidget {
    Q_OBJECT

public:
    TrendPlot(const TrendWindow& samples, QWidget* parent = nullptr);

    void setScale(const DisplayScale& scale);
    const DisplayScale& scale() const { return m_scale; }

    // Where the lines are drawn, inside the legend and the time labels.
    QRectF plotArea() const;
    QColor grossColour() const;
    QColor netColour() const;
    // The texts of the marks, as drawn: "Gross 12.500 T", "max 12.520" ...
    QString grossLegend() const;
    QString netLegend() const;
    QString maximumLabel() const;
    QString minimumLabel() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString legend(const char* name, bool gross) const;

    const TrendWindow& m_samples;
    DisplayScale m_scale;
};
