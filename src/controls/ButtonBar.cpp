#include "controls/ButtonBar.h"

#include "controls/ButtonGlyphs.h"
#include "controls/QKBtn.h"
#include "controls/QKBtnModule.h"
#include "controls/TwipsModule.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// Buttons stand 60 twips clear of the bar's top and bottom.
constexpr double ButtonTopTwips = 60.0;

void copyTemplate(const QKBtn& from, QKBtn& to) {
    QKBtnModule::CopyLook(from, to, true);
    to.Font(from.Font());
    to.Alignment(from.Alignment());
    to.Toggle(from.Toggle());
    to.Inactive(from.Inactive());
    // The template's own setting, not what it inherits: a button made while the window is
    // disabled (the pages a radio connection brings) must work once the window is enabled.
    to.Enabled(!from.testAttribute(Qt::WA_ForceDisabled));
}

} // namespace

ButtonBar::ButtonBar(QWidget* parent)
    : QWidget(parent) {
    QKBtn* first = makeButton(0);
    first->BorderStyle(0);
    first->BackColor(ColourModule::Rgb(0x35, 0x35, 0x35));
    first->BackColorHover(ColourModule::Rgb(0x35, 0x35, 0x35));
    first->BackColorDown(ColourModule::Rgb(0x35, 0x35, 0x35));
    first->BackColorDisabled(ColourModule::Rgb(0x35, 0x35, 0x35));
    first->ForeColor(ColourModule::Rgb(0xE0, 0xE0, 0xE0));
    first->ForeColorHover(ColourModule::Rgb(0xFF, 0x80, 0x00));
    first->ForeColorDown(ColourModule::Rgb(0xFF, 0xC0, 0x80));
    first->ForeColorDisabled(ColourModule::Rgb(0x80, 0x80, 0x80));
    first->HoverOffset(0);
    first->ClickOffset(1);
    QFont glyphFont = first->Font();
    glyphFont.setFamily(QLatin1String(ButtonGlyphs::FontFamily));
    first->Font(glyphFont);
    first->Caption(QString(ButtonGlyphs::Home));
    const int height = toPixels(HeightTwips);
    resize(toPixels(TemplateWidthTwips + ExtraWidthTwips), height);
    first->setGeometry(0, toPixels(ButtonTopTwips), toPixels(TemplateWidthTwips),
                       height - 2 * toPixels(ButtonTopTwips));
}

int ButtonBar::toPixels(double twips) const {
    return TwipsModule::ToPixels(twips, this);
}

QKBtn* ButtonBar::makeButton(int index) {
    auto* button = new QKBtn(this);
    button->setObjectName(QStringLiteral("Button%1").arg(index));
    connect(button, &QKBtn::MouseIn, this, [this, index] { Q_EMIT ButtonHover(index + 1); });
    connect(button, &QKBtn::MouseOut, this, [this, index] { Q_EMIT ButtonLeave(index + 1); });
    connect(button, &QKBtn::Click, this, [this, index] { buttonClicked(index); });
    m_buttons.append(button);
    m_inUse.append(index == 0);
    return button;
}

QKBtn* ButtonBar::Button(int index) const {
    return index >= 0 && index < m_buttons.size() ? m_buttons[index] : nullptr;
}

bool ButtonBar::IsInUse(int index) const {
    return index >= 0 && index < m_inUse.size() && m_inUse[index];
}

void ButtonBar::Clear() {
    m_buttonCount = 0;
    for (int i = 1; i < m_buttons.size(); ++i) {
        m_buttons[i]->hide();
        m_inUse[i] = false;
    }
}

void ButtonBar::AddButton(const QString& caption) {
    QKBtn* button = Button(m_buttonCount);
    if (!button) {
        button = makeButton(m_buttonCount);
    }
    if (m_buttonCount > 0) {
        copyTemplate(*m_buttons[0], *button);
        button->setGeometry(m_buttons[0]->geometry());
    }
    m_inUse[m_buttonCount] = true;
    ++m_buttonCount;
    QFont glyphFont = button->Font();
    glyphFont.setFamily(QLatin1String(ButtonGlyphs::FontFamily));
    button->Font(glyphFont);
    button->Caption(caption);
}

void ButtonBar::SetButtonImage(int index, const QString& text) {
    if (QKBtn* button = Button(index)) {
        button->Caption(text);
    }
}

void ButtonBar::SetSelectedButton(int index) {
    for (int i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->State(i == index - 1);
    }
}

void ButtonBar::buttonClicked(int index) {
    Q_EMIT ButtonPress(index + 1);
    SetSelectedButton(index + 1);
    Q_EMIT ButtonClick(index + 1);
}

void ButtonBar::DrawMe() {
    const double twipsPerPixel = TwipsModule::TwipsPerPixel(this);
    const int right = x() + width();
    const int used = int(std::count(m_inUse.cbegin(), m_inUse.cend(), true));
    if (m_buttonWidth == 0) {
        m_buttonWidth = qint16(std::lround(m_buttons[0]->width() * twipsPerPixel));
    }
    const int newWidth = toPixels(double(m_buttonWidth) * used + ExtraWidthTwips);
    setGeometry(right - newWidth, y(), newWidth, toPixels(HeightTwips));

    // Placed from the button width, not from the template's current width (which the first
    // layout narrows), so laying out twice gives the same places.
    double left = TwipsModule::ToTwips(width(), twipsPerPixel) - EdgeTwips - m_buttonWidth;
    const int top = toPixels(ButtonTopTwips);
    const int buttonHeight = height() - 2 * top;
    bool first = true;
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (!m_inUse[i]) {
            continue;
        }
        const double buttonWidth = first ? m_buttonWidth - EdgeTwips : m_buttonWidth;
        m_buttons[i]->setGeometry(toPixels(left), top, toPixels(buttonWidth), buttonHeight);
        m_buttons[i]->show();
        m_buttons[i]->State(false);
        left -= m_buttonWidth;
        first = false;
    }
}

ColourValue ButtonBar::MenuBackcolor() const {
    return m_buttons[0]->BackColor();
}

void ButtonBar::MenuBackcolor(ColourValue New_MenuBackcolor) {
    QKBtn& first = *m_buttons[0];
    first.BackColor(New_MenuBackcolor);
    first.BackColorDisabled(New_MenuBackcolor);
    first.BackColorDown(New_MenuBackcolor);
    first.BackColorHover(New_MenuBackcolor);
    first.UseMyStyle(QString());
    update();
}

void ButtonBar::MenuForecolor(ColourValue New_MenuForecolor) {
    m_buttons[0]->ForeColor(New_MenuForecolor);
    m_buttons[0]->UseMyStyle(QString());
}

void ButtonBar::MenuForecolorDisabled(ColourValue New_MenuForecolorDisabled) {
    m_buttons[0]->ForeColorDisabled(New_MenuForecolorDisabled);
    m_buttons[0]->UseMyStyle(QString());
}

void ButtonBar::MenuForecolorHover(ColourValue New_MenuForecolorHover) {
    m_buttons[0]->ForeColorHover(New_MenuForecolorHover);
    m_buttons[0]->UseMyStyle(QString());
}

void ButtonBar::MenuForecolorDown(ColourValue New_MenuForecolorDown) {
    m_buttons[0]->ForeColorDown(New_MenuForecolorDown);
    m_buttons[0]->UseMyStyle(QString());
}

void ButtonBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ColourModule::ToQColor(m_buttons[0]->BackColor()));
}
