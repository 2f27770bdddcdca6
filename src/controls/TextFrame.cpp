#include "controls/TextFrame.h"

#include "controls/TwipsModule.h"

#include <QLabel>
#include <QPainter>

TextFrame::TextFrame(QWidget* parent)
    : QWidget(parent)
    , m_label(new QLabel(this)) {
    m_label->setWordWrap(true);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ForeColor(m_foreColor);
}

int TextFrame::margin() const {
    return TwipsModule::ToPixels(MarginTwips, this);
}

void TextFrame::Caption(const QString& New_Caption) {
    m_caption = New_Caption;
    m_label->setText(New_Caption);
    reshape();
}

void TextFrame::BackColor(ColourValue New_BackColor) {
    m_backColor = New_BackColor;
    update();
}

void TextFrame::ForeColor(ColourValue New_ForeColor) {
    m_foreColor = New_ForeColor;
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, ColourModule::ToQColor(New_ForeColor));
    m_label->setPalette(palette);
}

void TextFrame::reshape() {
    if (m_reshaping) {
        return;
    }
    m_reshaping = true;
    const int inset = margin();
    const int labelWidth = qMax(1, width() - 2 * inset);
    const int labelHeight = m_label->heightForWidth(labelWidth);
    m_label->setGeometry(inset, inset, labelWidth, qMax(0, labelHeight));
    resize(width(), qMax(0, labelHeight) + 2 * inset);
    m_reshaping = false;
    update();
}

void TextFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    reshape();
}

void TextFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ColourModule::ToQColor(m_backColor));
    // Rounded with the margin as radius, so the text never runs into a corner.
    const double radius = qMin(double(margin()), qMin(width(), height()) / 2.0);
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
}
