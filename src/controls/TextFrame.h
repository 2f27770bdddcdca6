#pragma once

#include "controls/ColourModule.h"

#include <QString>
#include <QWidget>

class QLabel;

// A coloured, rounded panel of text (for example an error note on a page). Its height follows
// the caption: setting the caption re-wraps the text and re-shapes the frame.
class TextFrame : public QWidget {
    Q_OBJECT

public:
    static constexpr double MarginTwips = 120.0;

    explicit TextFrame(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void Caption(const QString& New_Caption);
    ColourValue BackColor() const { return m_backColor; }
    void BackColor(ColourValue New_BackColor);
    ColourValue ForeColor() const { return m_foreColor; }
    void ForeColor(ColourValue New_ForeColor);

    QLabel* Label() const { return m_label; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void reshape();
    int margin() const;

    QString m_caption;
    ColourValue m_backColor = ColourModule::Rgb(0xFF, 0xFF, 0xC0);
    ColourValue m_foreColor = ColourModule::ButtonText;
    QLabel* m_label;
    bool m_reshaping = false;
};
