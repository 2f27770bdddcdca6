#pragma once

#include "controls/ColourModule.h"
#include "controls/FieldInputModule.h"
#include "controls/FieldList.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <functional>

class FieldLineEdit;
class FieldDropList;
class QLineEdit;
class QListWidget;

// The one control that shows or edits every value: titles, labels, buttons, hyperlinks, live
// displays, text fields and choice fields. Its look comes from its colour, border and offset
// properties (normally copied from a named style); what a click does comes from Editable:
// 0 raises Click, 1 opens an in-place text editor, 2 an in-place drop-down list.
class QKBtn : public QWidget {
    Q_OBJECT

public:
    explicit QKBtn(QWidget* parent = nullptr);
    ~QKBtn() override;

    enum Alignments : qint32 { AlignLeft = 0, AlignRight = 1, AlignCentre = 2 };
    enum EditModes : qint32 { EditNone = 0, EditText = 1, EditList = 2 };

    // Properties, each with its default (see the constructor).
    bool Enabled() const { return QWidget::isEnabled(); }
    void Enabled(bool New_Enabled);
    qint32 BorderStyle() const { return m_borderStyle; }
    void BorderStyle(qint32 New_BorderStyle);
    QString Caption() const { return m_caption; }
    void Caption(const QString& New_Caption);
    QFont Font() const { return font(); }
    void Font(const QFont& New_Font);

    ColourValue ForeColor() const { return m_foreColor; }
    void ForeColor(ColourValue New_ForeColor);
    ColourValue ForeColorHover() const { return m_foreColorHover; }
    void ForeColorHover(ColourValue New_ForeColorHover);
    ColourValue ForeColorDown() const { return m_foreColorDown; }
    void ForeColorDown(ColourValue New_ForeColorDown);
    ColourValue ForeColorDisabled() const { return m_foreColorDisabled; }
    void ForeColorDisabled(ColourValue New_ForeColorDisabled);
    ColourValue BackColor() const { return m_backColor; }
    void BackColor(ColourValue New_BackColor);
    ColourValue BackColorHover() const { return m_backColorHover; }
    void BackColorHover(ColourValue New_BackColorHover);
    ColourValue BackColorDown() const { return m_backColorDown; }
    void BackColorDown(ColourValue New_BackColorDown);
    ColourValue BackColorDisabled() const { return m_backColorDisabled; }
    void BackColorDisabled(ColourValue New_BackColorDisabled);
    ColourValue BorderColor() const { return m_borderColor; }
    void BorderColor(ColourValue New_BorderColor);
    ColourValue BorderColorFocus() const { return m_borderColorFocus; }
    void BorderColorFocus(ColourValue New_BorderColorFocus);
    ColourValue BorderColorDisabled() const { return m_borderColorDisabled; }
    void BorderColorDisabled(ColourValue New_BorderColorDisabled);

    qint16 BorderWidth() const { return m_borderWidth; }
    void BorderWidth(qint16 New_BorderWidth);
    quint8 HoverOffset() const { return m_hoverOffset; }
    void HoverOffset(quint8 New_HoverOffset);
    quint8 ClickOffset() const { return m_clickOffset; }
    void ClickOffset(quint8 New_ClickOffset);
    quint8 Padding() const { return m_padding; }
    void Padding(quint8 New_Padding);
    qint32 Alignment() const { return m_alignment; }
    void Alignment(qint32 New_Alignment);
    bool Stretch() const { return m_stretch; }
    void Stretch(bool New_Stretch);
    bool Underline() const { return m_underline; }
    void Underline(bool New_Underline);
    bool ShowHandPointer() const { return m_showHandPointer; }
    void ShowHandPointer(bool New_ShowHandPointer);

    bool State() const { return m_state; }
    void State(bool New_State);
    bool Toggle() const { return m_toggle; }
    void Toggle(bool New_Toggle);
    QString CaptionOn() const { return m_captionOn; }
    void CaptionOn(const QString& New_CaptionOn);
    QString CaptionOff() const { return m_captionOff; }
    void CaptionOff(const QString& New_CaptionOff);
    bool Inactive() const { return m_inactive; }
    void Inactive(bool New_Inactive);
    qint32 Editable() const { return m_editable; }
    void Editable(qint32 New_Editable);

    QString List() const { return m_listText; }
    void List(const QString& New_List);
    QString Allowed() const { return m_allowed; }
    void Allowed(const QString& New_Allowed);
    qint16 MaxLength() const { return m_maxLength; }
    void MaxLength(qint16 New_MaxLength);
    QString Format() const { return m_format; }
    void Format(const QString& New_Format);
    double Min() const { return m_min; }
    void Min(double New_Min) { m_min = New_Min; }
    double Max() const { return m_max; }
    void Max(double New_Max) { m_max = New_Max; }
    bool UpperCase() const { return m_upperCase; }
    void UpperCase(bool New_UpperCase) { m_upperCase = New_UpperCase; }
    bool IsNumeric() const { return m_isNumeric; }
    void IsNumeric(bool New_IsNumeric) { m_isNumeric = New_IsNumeric; }
    bool UseListIndex() const { return m_useListIndex; }
    void UseListIndex(bool New_UseListIndex) { m_useListIndex = New_UseListIndex; }
    QString Source() const { return m_source; }
    void Source(const QString& New_Source) { m_source = New_Source; }
    bool DeferSave() const { return m_deferSave; }
    void DeferSave(bool New_DeferSave) { m_deferSave = New_DeferSave; }

    QString Style() const { return m_style; }
    // Leaves the style registry and, for a non-empty name, joins it again under the new name,
    // taking that style's look.
    void Style(const QString& New_Style);
    // Reading explains; writing any text passes this control's look to its whole style.
    QString UseMyStyle() const { return QStringLiteral("Write to set master style"); }
    void UseMyStyle(const QString& New_UseMyStyle);

    // The current choice: its item code when Allowed holds codes, else its position; -1 for none.
    qint16 ListIndex() const;
    void ListIndex(qint16 New_ListIndex);
    // The field's number: the caption's leading number, or with UseListIndex the list index.
    double VALUE() const;
    // The position of the current choice in the list, -1 for none (whatever the item codes).
    int ListPosition() const { return m_list.Position(); }

    QString Tag() const { return m_tag; }
    void Tag(const QString& New_Tag) { m_tag = New_Tag; }
    QString ToolTipText() const { return m_toolTipText; }
    void ToolTipText(const QString& New_ToolTipText) { SetToolTip(New_ToolTipText); }

    // Methods.
    void Refresh() { update(); }
    // Re-applies the shown text and the colours of the current look.
    void DrawMe();
    // A click: opens the editor of an editable field, else raises Click.
    void HandleClick();
    void DoEdit();
    // Drops the focus border and closes the text editor without committing.
    void ForceLostFocus();
    // The character to insert for a typed character code, or 0 to drop it.
    qint16 ValidateNumeric(QLineEdit* TB, qint16 KeyAscii);
    void ListClear();
    void ListAddItem(const QString& Item);
    void SetToolTip(const QString& Txt);

    // The rules the text editor applies, typed or pasted.
    FieldInputModule::InputRules InputRules() const;
    // Sounds when a committed value is refused; the system beep unless replaced (tests count).
    void SetBeep(std::function<void()> beep) { m_beep = std::move(beep); }
    // What the bound member can hold, beyond Min and Max: a committed value (as the field will
    // show and write it) that fails the check is refused with the beep, like one out of range.
    void SetValueCheck(std::function<bool(double)> check) { m_valueCheck = std::move(check); }

    // What is shown now, for the style gallery and tests.
    QString ShownText() const { return m_shownText; }
    ColourValue ShownForeColor() const { return m_shownFore; }
    ColourValue ShownFillColor() const { return m_shownFill; }
    ColourValue ShownBorderColor() const;
    bool ShownUnderline() const { return m_shownUnderline; }
    QPoint CaptionOffset() const { return m_captionOffset; }
    QRect CaptionRect() const;
    bool IsHovered() const { return m_hovered; }
    bool IsDropArrowVisible() const { return m_editable == EditList && !m_inactive; }
    QChar AccessKey() const { return m_accessKey; }
    bool IsTextEditorOpen() const;
    bool IsListOpen() const;
    QLineEdit* TextEditor() const;
    QListWidget* DropList() const;
    qint32 StyleId() const { return m_styleId; }
    // The border shape drawn: the last BorderStyle from 0 to 4 that was set.
    qint32 ShapeStyle() const { return m_shapeStyle; }
    // Corner radius of the rounded shapes, 0 for the square ones.
    double CornerRadius() const;
    // The control's own twips per pixel, taken when it was created.
    double TwipsPerPixel() const { return m_twipsPerPixel; }

    // Called by the text editor and the drop list.
    void CommitTextEdit();
    void CancelTextEdit();
    void ListPicked(int position);
    void ListDismissed();

    // Set by a loaded design with a style; the style is joined when the control is first shown.
    void SetStylePending() { m_stylePending = true; }

Q_SIGNALS:
    void Changed();
    void MouseIn();
    void MouseOut();
    void RightClick();
    void Click();
    void DblClick();
    void MouseMove(); // declared for pages that attach to it; never raised
    void BeforeDropdown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString displayText() const;
    bool isHexadecimal() const;
    void layoutCaption();
    void FitFontToHeight();
    void focusControlAfter();
    void enterHover();
    void leaveHover();
    void lostFocusHandling();
    void openTextEditor();
    void openList();
    void closeTextEditor();
    void applyFocusPolicy();
    void updateAccessKey();
    void beep();

    // Properties.
    qint32 m_borderStyle = 0;
    qint32 m_shapeStyle = 0; // the last valid BorderStyle, which the border shape follows
    QString m_caption = QStringLiteral("Caption");
    ColourValue m_foreColor = ColourModule::WindowText;
    ColourValue m_foreColorHover = ColourModule::WindowText;
    ColourValue m_foreColorDown = ColourModule::WindowText;
    ColourValue m_foreColorDisabled = ColourModule::GreyText;
    ColourValue m_backColor = ColourModule::WindowBackground;
    ColourValue m_backColorHover = ColourModule::WindowBackground;
    ColourValue m_backColorDown = ColourModule::WindowBackground;
    ColourValue m_backColorDisabled = ColourModule::InactiveCaption;
    ColourValue m_borderColor = ColourModule::Highlight3D;
    ColourValue m_borderColorFocus = 255;
    ColourValue m_borderColorDisabled = 0;
    qint16 m_borderWidth = 1;
    quint8 m_hoverOffset = 1;
    quint8 m_clickOffset = 0;
    quint8 m_padding = 0;
    qint32 m_alignment = AlignCentre;
    bool m_stretch = true;
    bool m_underline = false;
    bool m_showHandPointer = true;
    bool m_state = false;
    bool m_toggle = false;
    QString m_captionOn;
    QString m_captionOff;
    bool m_inactive = false;
    qint32 m_editable = EditNone;
    QString m_listText;
    QString m_allowed;
    qint16 m_maxLength = 0;
    QString m_format;
    double m_min = 0.0;
    double m_max = 0.0;
    bool m_upperCase = false;
    bool m_isNumeric = false;
    bool m_useListIndex = false;
    QString m_source;
    bool m_deferSave = false;
    QString m_style;
    QString m_tag;
    QString m_toolTipText;

    // Private state.
    bool m_hovered = false;
    bool m_pressed = false;
    bool m_pressedAway = false; // pressed, then dragged off with the button still held
    bool m_keyPressed = false;
    bool m_openingEditor = false;
    bool m_closingEditor = false;
    bool m_syncingList = false;
    bool m_stylePending = false;
    bool m_focusBorder = false;
    bool m_fitting = false; // set while the fitted font is applied
    qint32 m_styleId = 0;
    QChar m_decimalSeparator;
    double m_twipsPerPixel = 15.0;
    QChar m_accessKey;
    int m_accessKeyShortcut = 0;
    FieldList m_list;

    // What DrawMe chose.
    QString m_shownText;
    ColourValue m_shownFore = 0;
    ColourValue m_shownFill = 0;
    bool m_shownUnderline = false;
    QPoint m_captionOffset;

    FieldLineEdit* m_textEditor = nullptr;
    FieldDropList* m_dropList = nullptr;
    std::function<void()> m_beep;
    std::function<bool(double)> m_valueCheck;
};
