#include "pages/CompareFrm.h"

#include "controls/ColourModule.h"
#include "controls/QKBtn.h"
#include "controls/TwipsModule.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>

CompareFrm::CompareFrm(const QString& title, const QString& summary, const QStringList& lines,
                       const MessageColours& colours, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
    , Title(new QLabel(this))
    , Message(new QLabel(this))
    , Differences(new QListWidget(this))
    , btnOK(new QKBtn(this))
    , m_colours(colours) {
    setObjectName(QStringLiteral("CompareFrm"));
    Title->setObjectName(QStringLiteral("Title"));
    Message->setObjectName(QStringLiteral("Message"));
    Differences->setObjectName(QStringLiteral("Differences"));
    btnOK->setObjectName(QStringLiteral("btnOK"));

    ColourModule::FillBackground(this, colours.Back);
    QFont titleFont(QStringLiteral("Trebuchet MS"));
    titleFont.setPointSizeF(12);
    titleFont.setBold(true);
    Title->setFont(titleFont);
    Title->setText(title);
    Title->setTextFormat(Qt::PlainText);
    Title->setIndent(px(MessageFrm::MarginTwips));
    ColourModule::FillBackground(Title, colours.Title);
    QPalette titlePalette = Title->palette();
    titlePalette.setColor(QPalette::WindowText, ColourModule::ReadableTextColour(
                                                    ColourModule::ToQColor(colours.Title),
                                                    ColourModule::ToQColor(colours.HelpFore)));
    Title->setPalette(titlePalette);

    QFont messageFont(QStringLiteral("Trebuchet MS"));
    messageFont.setPointSizeF(10);
    const QColor text = ColourModule::ReadableTextColour(ColourModule::ToQColor(colours.Back),
                                                         ColourModule::ToQColor(colours.Text));
    Message->setFont(messageFont);
    Message->setWordWrap(true);
    Message->setTextFormat(Qt::PlainText);
    Message->setText(summary);
    QPalette messagePalette = Message->palette();
    messagePalette.setColor(QPalette::WindowText, text);
    Message->setPalette(messagePalette);

    Differences->setFont(messageFont);
    Differences->addItems(lines);
    Differences->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Differences->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette listPalette = Differences->palette();
    listPalette.setColor(QPalette::Base, ColourModule::ToQColor(colours.Back).darker(120));
    listPalette.setColor(QPalette::Text, text);
    Differences->setPalette(listPalette);
    Differences->setFrameShape(QFrame::NoFrame);
    Differences->setSpacing(1);

    QFont buttonFont(QStringLiteral("Trebuchet MS"));
    buttonFont.setPointSizeF(12);
    btnOK->Font(buttonFont);
    btnOK->Style(QStringLiteral("Button"));
    btnOK->Caption(QStringLiteral("OK"));
    connect(btnOK, &QKBtn::Click, this, &QDialog::accept);

    const int width = px(WidthTwips);
    const int margin = px(MessageFrm::MarginTwips);
    const int gap = px(MessageFrm::GapTwips);
    const int inner = width - 2 * margin;
    Title->setGeometry(0, 0, width, px(MessageFrm::TitleHeightTwips));
    Message->setGeometry(margin, Title->geometry().bottom() + 1 + gap, inner,
                         Message->heightForWidth(inner));
    const int lineHeight = Differences->fontMetrics().height() + 4;
    const int listHeight =
        lineHeight *
            int(std::min<qsizetype>(std::max<qsizetype>(lines.size(), 1), MaxVisibleLines)) +
        12;
    Differences->setGeometry(margin, Message->geometry().bottom() + 1 + gap, inner, listHeight);
    Differences->setVisible(!lines.isEmpty());
    const int buttonTop =
        (lines.isEmpty() ? Message->geometry().bottom() : Differences->geometry().bottom()) + 1 +
        gap;
    const int buttonWidth = px(MessageFrm::ButtonWidthTwips);
    btnOK->setGeometry((width - buttonWidth) / 2, buttonTop, buttonWidth,
                       px(MessageFrm::ButtonHeightTwips));
    setFixedSize(width, btnOK->geometry().bottom() + 1 + gap);
    btnOK->setFocus(Qt::OtherFocusReason);
}

int CompareFrm::px(double twips) const {
    return TwipsModule::ToPixels(twips, this);
}

QStringList CompareFrm::lines() const {
    QStringList result;
    for (int i = 0; i < Differences->count(); ++i) {
        result.append(Differences->item(i)->text());
    }
    return result;
}

void CompareFrm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ColourModule::ToQColor(m_colours.HelpBack), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0), 4, 4);
}
