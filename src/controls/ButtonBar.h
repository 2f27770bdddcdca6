#pragma once

#include "controls/ColourModule.h"

#include <QList>
#include <QString>
#include <QWidget>

class QKBtn;

// The row of page buttons across the main window. Button 0 is the template: every later button
// is made as a copy of it, so colours set on it reach them all. The bar is 720 twips high and
// keeps its right edge when it is laid out: the first button added sits at the right end and
// the others follow to its left.
class ButtonBar : public QWidget {
    Q_OBJECT

public:
    static constexpr double HeightTwips = 720.0;
    static constexpr double ExtraWidthTwips = 800.0;
    static constexpr double EdgeTwips = 60.0;
    static constexpr double TemplateWidthTwips = 900.0;

    explicit ButtonBar(QWidget* parent = nullptr);

    qint16 ButtonCount() const { return m_buttonCount; }
    // In twips; 0 until the first layout.
    qint16 ButtonWidth() const { return m_buttonWidth; }

    void Clear();
    void AddButton(const QString& caption);
    // Index 0-based; an index without a button is ignored.
    void SetButtonImage(int index, const QString& text);
    // Index 1-based: that button shows pressed, all others released.
    void SetSelectedButton(int index);
    void DrawMe();

    ColourValue MenuBackcolor() const;
    void MenuBackcolor(ColourValue New_MenuBackcolor);
    void MenuForecolor(ColourValue New_MenuForecolor);
    void MenuForecolorDisabled(ColourValue New_MenuForecolorDisabled);
    void MenuForecolorHover(ColourValue New_MenuForecolorHover);
    void MenuForecolorDown(ColourValue New_MenuForecolorDown);

    // 0-based; nullptr when there is no such button.
    QKBtn* Button(int index) const;
    bool IsInUse(int index) const;
    int ButtonsMade() const { return int(m_buttons.size()); }

Q_SIGNALS:
    // Button numbers are 1-based.
    void ButtonHover(int Index);
    void ButtonLeave(int Index);
    void ButtonClick(int Index);
    void ButtonPress(int Index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QKBtn* makeButton(int index);
    void buttonClicked(int index);
    int toPixels(double twips) const;

    QList<QKBtn*> m_buttons;
    QList<bool> m_inUse;
    qint16 m_buttonCount = 0;
    qint16 m_buttonWidth = 0;
};
