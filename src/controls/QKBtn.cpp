#include "controls/QKBtn.h"

#include "controls/CaptionModule.h"
#include "controls/FieldDropList.h"
#include "controls/FieldLineEdit.h"
#include "controls/QKBtnModule.h"
#include "controls/QKBtnPainter.h"
#include "controls/QKBtnUpdateModule.h"
#include "controls/TipModule.h"
#include "controls/TwipsModule.h"
#include "util/ApplicationState.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QPointer>
#include <QShortcutEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr double SmallestFontSize = 6.0;
constexpr double LargestFontSize = 255.0;
constexpr double FontSizeStep = 0.5;

QChar userDecimalSeparator() {
    const QString fromState = AppState().DecimalSeparator;
    return fromState.isEmpty() ? QLocale().decimalPoint().at(0) : fromState.at(0);
}

bool isActivationKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

} // namespace

QKBtn::QKBtn(QWidget* parent)
    : QWidget(parent)
    , m_decimalSeparator(userDecimalSeparator())
    , m_twipsPerPixel(TwipsModule::TwipsPerPixel(parent)) {
    if (parent) {
        // Placed on a container, a control starts with the container's background.
        m_backColor = ColourModule::FromQColor(parent->palette().color(parent->backgroundRole()));
    }
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
    applyFocusPolicy();
    updateAccessKey();
    DrawMe();
}

QKBtn::~QKBtn() {
    QKBtnModule::UnregisterStyledControl(m_styleId);
}

// ---------------------------------------------------------------------------------------------
// Properties

void QKBtn::Enabled(bool New_Enabled) {
    setEnabled(New_Enabled);
    DrawMe();
}

void QKBtn::BorderStyle(qint32 New_BorderStyle) {
    m_borderStyle = New_BorderStyle;
    if (New_BorderStyle >= 0 && New_BorderStyle <= 4) {
        m_shapeStyle = New_BorderStyle;
        layoutCaption();
    }
}

void QKBtn::Caption(const QString& New_Caption) {
    m_caption = New_Caption;
    updateAccessKey();
    DrawMe();
}

void QKBtn::Font(const QFont& New_Font) {
    // A font that differs is fitted again by the font change it causes.
    setFont(New_Font);
    update();
}

void QKBtn::ForeColor(ColourValue New_ForeColor) {
    m_foreColor = New_ForeColor;
    DrawMe();
}

void QKBtn::ForeColorHover(ColourValue New_ForeColorHover) {
    m_foreColorHover = New_ForeColorHover;
    DrawMe();
}

void QKBtn::ForeColorDown(ColourValue New_ForeColorDown) {
    m_foreColorDown = New_ForeColorDown;
    DrawMe();
}

void QKBtn::ForeColorDisabled(ColourValue New_ForeColorDisabled) {
    m_foreColorDisabled = New_ForeColorDisabled;
    DrawMe();
}

void QKBtn::BackColor(ColourValue New_BackColor) {
    m_backColor = New_BackColor;
    DrawMe();
}

void QKBtn::BackColorHover(ColourValue New_BackColorHover) {
    m_backColorHover = New_BackColorHover;
    DrawMe();
}

void QKBtn::BackColorDown(ColourValue New_BackColorDown) {
    m_backColorDown = New_BackColorDown;
    DrawMe();
}

void QKBtn::BackColorDisabled(ColourValue New_BackColorDisabled) {
    m_backColorDisabled = New_BackColorDisabled;
    DrawMe();
}

void QKBtn::BorderColor(ColourValue New_BorderColor) {
    m_borderColor = New_BorderColor;
    update();
}

void QKBtn::BorderColorFocus(ColourValue New_BorderColorFocus) {
    m_borderColorFocus = New_BorderColorFocus;
    update();
}

void QKBtn::BorderColorDisabled(ColourValue New_BorderColorDisabled) {
    m_borderColorDisabled = New_BorderColorDisabled;
    update();
}

void QKBtn::BorderWidth(qint16 New_BorderWidth) {
    m_borderWidth = New_BorderWidth;
    layoutCaption();
}

void QKBtn::HoverOffset(quint8 New_HoverOffset) {
    m_hoverOffset = New_HoverOffset;
    DrawMe();
}

void QKBtn::ClickOffset(quint8 New_ClickOffset) {
    m_clickOffset = New_ClickOffset;
    layoutCaption();
}

void QKBtn::Padding(quint8 New_Padding) {
    m_padding = New_Padding;
    layoutCaption();
}

void QKBtn::Alignment(qint32 New_Alignment) {
    m_alignment = New_Alignment;
    update();
}

void QKBtn::Stretch(bool New_Stretch) {
    m_stretch = New_Stretch;
    layoutCaption();
}

void QKBtn::Underline(bool New_Underline) {
    m_underline = New_Underline;
    DrawMe();
}

void QKBtn::ShowHandPointer(bool New_ShowHandPointer) {
    m_showHandPointer = New_ShowHandPointer;
    if (!m_showHandPointer) {
        unsetCursor();
    } else if (m_hovered) {
        setCursor(Qt::PointingHandCursor);
    }
}

void QKBtn::State(bool New_State) {
    m_state = New_State;
    DrawMe();
}

void QKBtn::Toggle(bool New_Toggle) {
    m_toggle = New_Toggle;
    DrawMe();
}

void QKBtn::CaptionOn(const QString& New_CaptionOn) {
    m_captionOn = New_CaptionOn;
    DrawMe();
}

void QKBtn::CaptionOff(const QString& New_CaptionOff) {
    m_captionOff = New_CaptionOff;
    DrawMe();
}

void QKBtn::Inactive(bool New_Inactive) {
    m_inactive = New_Inactive;
    if (m_inactive) {
        leaveHover();
        m_pressed = false;
        m_keyPressed = false;
    }
    applyFocusPolicy();
    DrawMe();
}

void QKBtn::Editable(qint32 New_Editable) {
    m_editable = New_Editable;
    update();
}

void QKBtn::List(const QString& New_List) {
    m_listText = New_List;
    m_list.SetItems(New_List, m_allowed);
    if (m_dropList) {
        m_dropList->clear();
        m_dropList->addItems(m_list.Items());
    }
}

void QKBtn::Allowed(const QString& New_Allowed) {
    m_allowed = New_Allowed;
}

void QKBtn::MaxLength(qint16 New_MaxLength) {
    m_maxLength = New_MaxLength;
}

void QKBtn::Format(const QString& New_Format) {
    m_format = New_Format;
    DrawMe();
}

void QKBtn::Style(const QString& New_Style) {
    QKBtnModule::UnregisterStyledControl(m_styleId);
    m_styleId = 0;
    m_stylePending = false;
    m_style = New_Style;
    if (!m_style.isEmpty()) {
        QKBtnModule::RegisterStyledControl(this, m_style, m_styleId);
    }
}

void QKBtn::UseMyStyle(const QString&) {
    QKBtnModule::PropagateStyle(this, m_style);
}

qint16 QKBtn::ListIndex() const {
    if (m_allowed.isEmpty()) {
        return qint16(m_list.Position());
    }
    if (m_list.Position() < 0) {
        return -1;
    }
    return CaptionModule::ToInt16(m_list.ItemCode(m_list.Position()));
}

void QKBtn::ListIndex(qint16 New_ListIndex) {
    if (m_allowed.isEmpty()) {
        m_list.SetPosition(New_ListIndex);
    } else {
        const int position = m_list.FindCode(New_ListIndex);
        if (position >= 0) {
            m_list.SetPosition(position);
        }
    }
    Caption(m_list.ItemText(m_list.Position()));
}

double QKBtn::VALUE() const {
    if (m_useListIndex) {
        return ListIndex();
    }
    return CaptionModule::LeadingNumber(
        CaptionModule::WithDecimalPoint(m_caption, m_decimalSeparator), !isHexadecimal());
}

// ---------------------------------------------------------------------------------------------
// Methods

QString QKBtn::displayText() const {
    QString text = m_caption;
    if (m_toggle && !(m_captionOff.isEmpty() && m_captionOn.isEmpty())) {
        text = m_state ? m_captionOn : m_captionOff;
    }
    text = CaptionModule::WithLineBreaks(text);
    return CaptionModule::FormatCaption(text, m_format, isHexadecimal(), m_decimalSeparator);
}

bool QKBtn::isHexadecimal() const {
    return CaptionModule::IsHexadecimalSet(m_allowed);
}

void QKBtn::DrawMe() {
    m_shownText = displayText();
    const bool enabled = isEnabled();
    const bool pressed = (m_pressed && !m_pressedAway) || m_keyPressed;
    const bool active = !m_inactive && (m_hovered || pressed || (m_state && enabled));
    if (active) {
        const bool pressedForm = pressed || m_state || !m_hovered;
        if (pressedForm) {
            m_shownFore = m_foreColorDown;
            m_shownFill = m_backColorDown;
            m_captionOffset = QPoint(m_clickOffset, m_clickOffset);
        } else {
            m_shownFore = m_foreColorHover;
            m_shownFill = m_backColorHover;
            m_captionOffset = QPoint(m_hoverOffset, m_hoverOffset);
        }
        m_shownUnderline = m_underline;
    } else {
        m_captionOffset = QPoint(0, 0);
        m_shownFore = m_foreColor;
        m_shownFill = enabled ? m_backColor : m_backColorDisabled;
        m_shownUnderline = false;
    }
    if (!enabled) {
        m_shownFore = m_foreColorDisabled;
        m_shownFill = m_backColorDisabled;
    }
    update();
}

ColourValue QKBtn::ShownBorderColor() const {
    if (!isEnabled()) {
        return m_borderColorDisabled;
    }
    return m_focusBorder ? m_borderColorFocus : m_borderColor;
}

void QKBtn::HandleClick() {
    if (m_editable >= EditText) {
        DoEdit();
    } else {
        Q_EMIT Click();
    }
}

void QKBtn::DoEdit() {
    if (!isEnabled() || m_inactive) {
        return;
    }
    if (!QKBtnUpdateModule::FieldAcceptsEdits(*this)) {
        beep();
        return;
    }
    if (m_editable == EditText) {
        openTextEditor();
    } else if (m_editable == EditList) {
        openList();
    }
}

void QKBtn::ForceLostFocus() {
    lostFocusHandling();
}

qint16 QKBtn::ValidateNumeric(QLineEdit* TB, qint16 KeyAscii) {
    FieldInputModule::EditorState editor;
    if (TB) {
        editor.text = TB->text();
        editor.selectionStart = TB->hasSelectedText() ? TB->selectionStart() : TB->cursorPosition();
        editor.selectionLength = TB->hasSelectedText() ? int(TB->selectedText().size()) : 0;
    }
    return FieldInputModule::ValidateKey(InputRules(), editor, KeyAscii);
}

FieldInputModule::InputRules QKBtn::InputRules() const {
    FieldInputModule::InputRules rules;
    rules.Allowed = m_allowed;
    rules.MaxLength = m_maxLength;
    rules.UpperCase = m_upperCase;
    rules.DecimalSeparator = m_decimalSeparator;
    return rules;
}

void QKBtn::ListClear() {
    m_list.Clear();
    if (m_dropList) {
        m_dropList->clear();
    }
    Caption(QString());
    m_listText.clear();
}

void QKBtn::ListAddItem(const QString& Item) {
    m_list.AddItem(Item);
    if (m_dropList) {
        m_dropList->addItem(Item);
    }
    m_listText += (m_listText.isEmpty() ? QString() : QStringLiteral("|")) + Item;
}

void QKBtn::SetToolTip(const QString& Txt) {
    m_toolTipText = Txt;
    setToolTip(TipModule::ToolTipHtml(Txt));
}

void QKBtn::beep() {
    if (m_beep) {
        m_beep();
    } else {
        QApplication::beep();
    }
}

// ---------------------------------------------------------------------------------------------
// Editors

bool QKBtn::IsTextEditorOpen() const {
    return m_textEditor && m_textEditor->isVisible();
}

bool QKBtn::IsListOpen() const {
    return m_dropList && m_dropList->isVisible();
}

QLineEdit* QKBtn::TextEditor() const {
    return m_textEditor;
}

QListWidget* QKBtn::DropList() const {
    return m_dropList;
}

void QKBtn::openTextEditor() {
    m_openingEditor = true;
    if (!m_textEditor) {
        m_textEditor = new FieldLineEdit(*this);
    }
    QFont editorFont = font();
    editorFont.setUnderline(false);
    m_textEditor->setFont(editorFont);
    QPalette palette = m_textEditor->palette();
    palette.setColor(QPalette::Base, ColourModule::ToQColor(m_shownFill));
    palette.setColor(QPalette::Text, ColourModule::ToQColor(m_shownFore));
    m_textEditor->setPalette(palette);
    m_textEditor->setAlignment(QKBtnPainter::HorizontalAlignment(m_alignment) | Qt::AlignVCenter);
    // MaxLength limits what is typed or pasted (ValidateNumeric); a longer caption from the device
    // is edited whole, never cut short and then committed as a different value.
    m_textEditor->setText(m_caption);
    // Inside the border, clear of rounded corners.
    const int inset =
        qMax(int(m_padding), qMax(int(m_borderWidth), int(std::ceil(CornerRadius()))));
    m_textEditor->setGeometry(rect().adjusted(inset, 2, -inset, -2));
    m_textEditor->show();
    m_textEditor->selectAll();
    m_textEditor->setFocus(Qt::OtherFocusReason);
    m_openingEditor = false;
}

void QKBtn::closeTextEditor() {
    if (!m_textEditor || !m_textEditor->isVisible()) {
        return;
    }
    m_closingEditor = true;
    const bool editorHadFocus = m_textEditor->hasFocus();
    if (editorHadFocus && focusPolicy() != Qt::NoFocus) {
        setFocus(Qt::OtherFocusReason);
    }
    m_textEditor->hide();
    m_closingEditor = false;
}

void QKBtn::CommitTextEdit() {
    if (m_closingEditor || !IsTextEditorOpen()) {
        return;
    }
    const QString typed = m_textEditor->text();
    const QString withPoint = CaptionModule::WithDecimalPoint(typed, m_decimalSeparator);
    const double number = CaptionModule::LeadingNumber(withPoint, !isHexadecimal());
    const bool ranged = !(m_min == 0.0 && m_max == 0.0);
    // A cleared numeric field (or a lone sign or point) holds no number: committed, it would
    // read as 0 and write 0 to the module, so it is refused like a number out of range. A field
    // is numeric by its flag, its range or its number format.
    const bool numeric = m_isNumeric || ranged || !m_format.isEmpty();
    if ((numeric && !CaptionModule::HoldsNumber(withPoint, isHexadecimal())) ||
        !CaptionModule::FitsSingle(number) || (ranged && (number < m_min || number > m_max))) {
        beep();
        closeTextEditor();
        return;
    }
    const QString committed =
        CaptionModule::FormatCaption(typed, m_format, isHexadecimal(), m_decimalSeparator);
    if (m_valueCheck &&
        !m_valueCheck(CaptionModule::LeadingNumber(
            CaptionModule::WithDecimalPoint(committed, m_decimalSeparator), !isHexadecimal()))) {
        beep();
        closeTextEditor();
        return;
    }
    Caption(committed);
    closeTextEditor();
    const QPointer<QKBtn> self(this);
    Q_EMIT Changed();
    if (self) {
        lostFocusHandling();
    }
}

void QKBtn::CancelTextEdit() {
    if (m_closingEditor || !IsTextEditorOpen()) {
        return;
    }
    m_textEditor->setText(m_caption);
    closeTextEditor();
}

void QKBtn::openList() {
    Q_EMIT BeforeDropdown();
    if (m_list.Count() == 0) {
        return;
    }
    m_openingEditor = true;
    if (!m_dropList) {
        m_dropList = new FieldDropList(*this);
    }
    QFont listFont = font();
    listFont.setUnderline(false);
    m_dropList->setFont(listFont);
    QPalette palette = m_dropList->palette();
    const QColor base = ColourModule::ToQColor(m_shownFill);
    const QColor text = ColourModule::ToQColor(m_shownFore);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Text, text);
    // The current row shows the field's hover colours, or stands out otherwise where the style
    // fills its hover look like the list.
    const ColourModule::Highlight current =
        ColourModule::ListHighlight(base, text, ColourModule::ToQColor(m_backColorHover),
                                    ColourModule::ToQColor(m_foreColorHover));
    palette.setColor(QPalette::Highlight, current.back);
    palette.setColor(QPalette::HighlightedText, current.text);
    m_dropList->setPalette(palette);
    m_dropList->clear();
    m_dropList->addItems(m_list.Items());

    m_syncingList = true;
    // Start at the item shown. Two items may read alike (the decimal-point list has two
    // "0.00000"): the current choice is kept when it is one of them, so opening the list and
    // picking the highlighted item never changes the value behind the same text.
    if (m_list.Position() < 0 || m_list.ItemText(m_list.Position()) != m_shownText) {
        const int position = m_list.FindText(m_shownText);
        if (position >= 0) {
            m_list.SetPosition(position);
        }
    }
    m_dropList->setCurrentRow(m_list.Position());
    m_syncingList = false;

    m_dropList->Popup(m_list.Count());
    m_dropList->setCursor(Qt::PointingHandCursor);
    m_openingEditor = false;
}

void QKBtn::ListPicked(int position) {
    if (m_syncingList || position < 0 || position >= m_list.Count()) {
        return;
    }
    m_list.SetPosition(position);
    Caption(m_list.ItemText(position));
    Q_EMIT Changed();
}

void QKBtn::ListDismissed() {
    lostFocusHandling();
}

// ---------------------------------------------------------------------------------------------
// Layout and painting

double QKBtn::CornerRadius() const {
    return QKBtnPainter::CornerRadius(m_shapeStyle, size());
}

QRect QKBtn::CaptionRect() const {
    return QRect(m_padding, 0, qMax(0, width() - 2 * m_padding), height());
}

void QKBtn::layoutCaption() {
    if (m_stretch) {
        FitFontToHeight();
    }
    DrawMe();
}

void QKBtn::FitFontToHeight() {
    // The largest size, in half points from 6 to 255, whose line height fits the caption (5.5
    // when even 6 is too big). Every size measured costs a font engine, so the search starts
    // from the size that the height at one reference size predicts and walks from there.
    const double target = CaptionRect().height() * (m_clickOffset != 0 ? 0.9 : 1.0);
    QFont fitted = font();
    const auto fits = [&](double size) {
        fitted.setPointSizeF(size);
        return QFontMetricsF(fitted, this).height() <= target;
    };
    constexpr double ReferenceSize = 48.0;
    fitted.setPointSizeF(ReferenceSize);
    const double heightPerPoint = QFontMetricsF(fitted, this).height() / ReferenceSize;
    double size = heightPerPoint > 0.0
                      ? std::floor(target / heightPerPoint / FontSizeStep) * FontSizeStep
                      : SmallestFontSize;
    size = std::clamp(size, SmallestFontSize, LargestFontSize);
    if (fits(size)) {
        while (size < LargestFontSize && fits(size + FontSizeStep)) {
            size += FontSizeStep;
        }
    } else {
        while (size >= SmallestFontSize && !fits(size)) {
            size -= FontSizeStep;
        }
        size = std::max(size, SmallestFontSize - FontSizeStep);
    }
    fitted.setPointSizeF(size);
    if (fitted != font()) {
        m_fitting = true;
        setFont(fitted);
        m_fitting = false;
    }
}

void QKBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QKBtnPainter::Paint(painter, *this);
}

void QKBtn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutCaption();
    if (IsTextEditorOpen()) {
        const int inset =
            qMax(int(m_padding), qMax(int(m_borderWidth), int(std::ceil(CornerRadius()))));
        m_textEditor->setGeometry(rect().adjusted(inset, 2, -inset, -2));
    }
}

void QKBtn::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stylePending) {
        m_stylePending = false;
        if (!m_style.isEmpty() && m_styleId == 0) {
            QKBtnModule::RegisterStyledControl(this, m_style, m_styleId);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Pointer, keyboard and focus

void QKBtn::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled()) {
            leaveHover();
            m_pressed = false;
            m_keyPressed = false;
        }
        DrawMe();
    } else if (event->type() == QEvent::FontChange && m_stretch && !m_fitting) {
        // A font given by the container (or a face copied from a style) is fitted again.
        FitFontToHeight();
    }
}

bool QKBtn::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->shortcutId() == m_accessKeyShortcut) {
            if (m_inactive) {
                // A label's access key leads to the control after it, wherever the focus is now.
                focusControlAfter();
            } else if (isEnabled()) {
                setFocus(Qt::ShortcutFocusReason);
            }
            return true;
        }
    }
    return QWidget::event(event);
}

void QKBtn::focusControlAfter() {
    for (QWidget* next = nextInFocusChain(); next && next != this;
         next = next->nextInFocusChain()) {
        if (next->window() == window() && next->isVisible() && next->isEnabled() &&
            (next->focusPolicy() & Qt::TabFocus) && !isAncestorOf(next)) {
            next->setFocus(Qt::ShortcutFocusReason);
            return;
        }
    }
}

void QKBtn::enterHover() {
    if (m_hovered || !isEnabled() || m_inactive || (!m_toggle && m_state)) {
        return;
    }
    m_hovered = true;
    if (m_showHandPointer) {
        setCursor(Qt::PointingHandCursor);
    }
    DrawMe();
    Q_EMIT MouseIn();
}

void QKBtn::leaveHover() {
    if (!m_hovered) {
        return;
    }
    m_hovered = false;
    if (m_showHandPointer) {
        unsetCursor();
    }
    DrawMe();
    Q_EMIT MouseOut();
}

void QKBtn::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    enterHover();
}

void QKBtn::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    leaveHover();
}

void QKBtn::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    if (m_pressed && inside == m_pressedAway) {
        // Dragged off with the button held the control shows released; back on, pressed again.
        m_pressedAway = !inside;
        DrawMe();
    }
    if (inside) {
        enterHover();
    } else {
        leaveHover();
    }
    event->accept();
}

void QKBtn::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (!isEnabled() || m_inactive || event->button() == Qt::RightButton) {
        return;
    }
    m_pressed = true;
    m_pressedAway = false;
    DrawMe();
}

void QKBtn::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (!isEnabled() || m_inactive) {
        return;
    }
    const bool inside = rect().contains(event->position().toPoint());
    if (IsTextEditorOpen()) {
        m_textEditor->setFocus(Qt::OtherFocusReason);
        m_pressed = false;
        DrawMe();
        return;
    }
    if (event->button() == Qt::RightButton) {
        if (inside) {
            Q_EMIT RightClick();
        }
        return;
    }
    if (m_pressed && inside) {
        if (m_toggle) {
            m_state = !m_state;
        }
        DrawMe();
        // The action runs in the pressed look: an editor or list opened now takes the colours
        // the field shows, not the hover look it is about to return to. The click may also
        // close the window that holds this control.
        const QPointer<QKBtn> self(this);
        HandleClick();
        if (!self) {
            return;
        }
    }
    m_pressed = false;
    m_pressedAway = false;
    if (!inside) {
        leaveHover();
    }
    DrawMe();
}

void QKBtn::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    // The second press of a double click is no new click: a double click runs the click action
    // once (on the first release) and raises DblClick.
    m_pressed = false;
    DrawMe();
    if (isEnabled() && event->button() == Qt::LeftButton) {
        Q_EMIT DblClick();
    }
}

void QKBtn::keyPressEvent(QKeyEvent* event) {
    // The keypad's Enter comes with the keypad modifier.
    const bool unmodified = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (isActivationKey(event->key()) && unmodified && isEnabled() && !m_inactive) {
        event->accept();
        if (!event->isAutoRepeat()) {
            m_keyPressed = true;
            DrawMe();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void QKBtn::keyReleaseEvent(QKeyEvent* event) {
    if (isActivationKey(event->key()) && !event->isAutoRepeat() && m_keyPressed) {
        event->accept();
        if (m_toggle) {
            m_state = !m_state;
        }
        DrawMe();
        // As with the pointer, the action runs while the control shows pressed.
        const QPointer<QKBtn> self(this);
        HandleClick();
        if (self) {
            m_keyPressed = false;
            DrawMe();
        }
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void QKBtn::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (m_inactive || !isEnabled()) {
        focusNextChild();
        return;
    }
    m_focusBorder = true;
    update();
    QKBtnModule::ReleaseOtherFocus(this);
}

void QKBtn::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (m_keyPressed) {
        // The key-up goes elsewhere now; the pressed look must not stay behind.
        m_keyPressed = false;
        DrawMe();
    }
    if (m_openingEditor || IsTextEditorOpen() || IsListOpen()) {
        return;
    }
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
        return;
    }
    lostFocusHandling();
}

void QKBtn::lostFocusHandling() {
    if (isEnabled()) {
        m_focusBorder = false;
    }
    if (m_textEditor && m_textEditor->isVisible()) {
        m_closingEditor = true;
        m_textEditor->hide();
        m_closingEditor = false;
    }
    update();
}

void QKBtn::applyFocusPolicy() {
    setFocusPolicy(m_inactive ? Qt::NoFocus : Qt::StrongFocus);
}

void QKBtn::updateAccessKey() {
    const QChar key = CaptionModule::AccessKey(m_caption);
    if (key == m_accessKey) {
        return;
    }
    if (m_accessKeyShortcut != 0) {
        releaseShortcut(m_accessKeyShortcut);
        m_accessKeyShortcut = 0;
    }
    m_accessKey = key;
    if (!key.isNull()) {
        m_accessKeyShortcut = grabShortcut(QKeySequence(QStringLiteral("Alt+") + key));
    }
}
