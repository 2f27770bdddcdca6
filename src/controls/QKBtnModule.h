#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QKBtn;

// The style registry: every control that names a style is registered under it, so that the
// style's first control (its master) can pass its look on to all of them, and so that focus
// can be taken from every other control at once. Controls register under the key formed from
// their id and "i" ("7i"); ids grow for the life of the program and are never reused.
namespace QKBtnModule {

// Registers the control unless id is already set, and gives it the look of the first control
// registered under the same style name (all look properties but BorderColorDisabled).
void RegisterStyledControl(QKBtn* control, const QString& styleName, qint32& id);
// A missing id is ignored.
void UnregisterStyledControl(qint32 id);
// Passes the control's whole look to every registered control of the style, itself included.
void PropagateStyle(QKBtn* control, const QString& styleName);
// Every other registered control drops its focus border and closes its text editor.
void ReleaseOtherFocus(QKBtn* control);

// The look of a style, in copy order: BackColor, BackColorDisabled, BackColorHover,
// BackColorDown, BorderWidth, BorderColor, BorderColorFocus, BorderColorDisabled, BorderStyle,
// ForeColor, ForeColorDisabled, ForeColorHover, ForeColorDown, Underline, ClickOffset,
// HoverOffset, ShowHandPointer, the font's face name, Padding; Stretch is set before all of
// them. Set through the target's setters so it redraws.
void CopyLook(const QKBtn& from, QKBtn& to, bool withBorderColorDisabled);

// The registry as it stands, in registration order.
QStringList RegisteredKeys();
QString StyleNameOf(const QString& key);
QKBtn* ControlOf(const QString& key);
// The first registered control of the style (compared exactly), or nullptr.
QKBtn* MasterOf(const QString& styleName);
// The id the next registration takes.
qint32 NextId();

} // namespace QKBtnModule
