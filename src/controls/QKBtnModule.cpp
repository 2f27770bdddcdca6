#include "controls/QKBtnModule.h"

#include "controls/QKBtn.h"

#include <QList>
#include <QPointer>

namespace QKBtnModule {

namespace {

struct Entry {
    QString key;
    QPointer<QKBtn> control; // a control that is gone reads as null and is skipped
    QString styleName;
};

struct StyleRegistry {
    qint32 idCounter = 0;
    QList<Entry> entries;
};

StyleRegistry& registry() {
    static StyleRegistry state;
    return state;
}

QString keyFor(qint32 id) {
    return QString::number(id) + QLatin1Char('i');
}

} // namespace

void CopyLook(const QKBtn& from, QKBtn& to, bool withBorderColorDisabled) {
    // Stretch goes first: the setters below re-lay the control out, and a control taking a style
    // that does not stretch must not keep a font size fitted under its own (default) Stretch.
    to.Stretch(from.Stretch());
    to.BackColor(from.BackColor());
    to.BackColorDisabled(from.BackColorDisabled());
    to.BackColorHover(from.BackColorHover());
    to.BackColorDown(from.BackColorDown());
    to.BorderWidth(from.BorderWidth());
    to.BorderColor(from.BorderColor());
    to.BorderColorFocus(from.BorderColorFocus());
    if (withBorderColorDisabled) {
        to.BorderColorDisabled(from.BorderColorDisabled());
    }
    to.BorderStyle(from.BorderStyle());
    to.ForeColor(from.ForeColor());
    to.ForeColorDisabled(from.ForeColorDisabled());
    to.ForeColorHover(from.ForeColorHover());
    to.ForeColorDown(from.ForeColorDown());
    to.Underline(from.Underline());
    to.ClickOffset(from.ClickOffset());
    to.HoverOffset(from.HoverOffset());
    to.ShowHandPointer(from.ShowHandPointer());
    QFont face = to.Font();
    face.setFamily(from.Font().family());
    to.Font(face);
    to.Padding(from.Padding());
}

void RegisterStyledControl(QKBtn* control, const QString& styleName, qint32& id) {
    if (id != 0 || !control) {
        return;
    }
    StyleRegistry& state = registry();
    id = ++state.idCounter;
    if (QKBtn* master = MasterOf(styleName)) {
        CopyLook(*master, *control, false);
    }
    state.entries.append(Entry{keyFor(id), control, styleName});
}

void UnregisterStyledControl(qint32 id) {
    if (id == 0) {
        return;
    }
    const QString key = keyFor(id);
    QList<Entry>& entries = registry().entries;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i].key == key) {
            entries.removeAt(i);
            return;
        }
    }
}

void PropagateStyle(QKBtn* control, const QString& styleName) {
    if (!control || styleName.isEmpty()) {
        return;
    }
    // A copy: a setter's redraw must not be disturbed by the registry changing under it.
    const QList<Entry> entries = registry().entries;
    for (const Entry& entry : entries) {
        if (entry.styleName == styleName && entry.control) {
            CopyLook(*control, *entry.control, true);
        }
    }
}

void ReleaseOtherFocus(QKBtn* control) {
    const QList<Entry> entries = registry().entries;
    for (const Entry& entry : entries) {
        if (entry.control && entry.control != control) {
            entry.control->ForceLostFocus();
        }
    }
}

QStringList RegisteredKeys() {
    QStringList keys;
    for (const Entry& entry : std::as_const(registry().entries)) {
        keys.append(entry.key);
    }
    return keys;
}

QString StyleNameOf(const QString& key) {
    for (const Entry& entry : std::as_const(registry().entries)) {
        if (entry.key == key) {
            return entry.styleName;
        }
    }
    return QString();
}

QKBtn* ControlOf(const QString& key) {
    for (const Entry& entry : std::as_const(registry().entries)) {
        if (entry.key == key) {
            return entry.control;
        }
    }
    return nullptr;
}

QKBtn* MasterOf(const QString& styleName) {
    for (const Entry& entry : std::as_const(registry().entries)) {
        if (entry.styleName == styleName && entry.control) {
            return entry.control;
        }
    }
    return nullptr;
}

qint32 NextId() {
    return registry().idCounter + 1;
}

} // namespace QKBtnModule
