#include "controls/FieldLineEdit.h"

#include "controls/FieldInputModule.h"
#include "controls/QKBtn.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

FieldLineEdit::FieldLineEdit(QKBtn& owner)
    : QLineEdit(&owner)
    , m_owner(owner) {
    setFrame(false);
    setAcceptDrops(false);
    setDragEnabled(false);
    hide();
}

void FieldLineEdit::PasteFiltered(const QString& text) {
    FieldInputModule::EditorState editor;
    editor.text = this->text();
    editor.selectionStart = hasSelectedText() ? selectionStart() : cursorPosition();
    editor.selectionLength = hasSelectedText() ? int(selectedText().size()) : 0;
    const int start = editor.selectionStart;
    const FieldInputModule::EditorState after =
        FieldInputModule::ApplyPaste(m_owner.InputRules(), editor, text);
    const QString accepted = after.text.mid(start, after.selectionStart - start);
    if (!accepted.isEmpty()) {
        insert(accepted);
    }
}

void FieldLineEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        m_owner.CommitTextEdit();
        return;
    case Qt::Key_Escape:
        event->accept();
        m_owner.CancelTextEdit();
        return;
    default:
        break;
    }
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        PasteFiltered(QGuiApplication::clipboard()->text());
        return;
    }
    const QString typed = event->text();
    // Ctrl and Ctrl+Shift are shortcuts; any other key that brings text inserts it (AltGr arrives
    // as Ctrl+Alt), so all of those pass the field's rules.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool shortcut =
        modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    if (!shortcut && !typed.isEmpty() && typed.at(0).unicode() >= 32 &&
        typed.at(0).unicode() != 127) {
        event->accept();
        for (const QChar c : typed) {
            const qint16 accepted = m_owner.ValidateNumeric(this, qint16(c.unicode()));
            if (accepted != 0) {
                insert(QString(QChar(ushort(accepted))));
            }
        }
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void FieldLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu or a switch to another program is not the user leaving the field.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) {
        return;
    }
    if (isVisible()) {
        m_owner.CommitTextEdit();
    }
}

void FieldLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
        event->accept();
        deselect();
        PasteFiltered(clipboard->text(QClipboard::Selection));
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void FieldLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    // Our own menu: its Paste must go through the field's rules like every other insertion.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [menu](const char* name, const QString& text, bool enabled, auto slot) {
        QAction* action = menu->addAction(text, slot);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
    };
    const bool editable = !isReadOnly();
    add("edit-undo", QStringLiteral("&Undo"), editable && isUndoAvailable(), [this] { undo(); });
    add("edit-redo", QStringLiteral("&Redo"), editable && isRedoAvailable(), [this] { redo(); });
    menu->addSeparator();
    add("edit-cut", QStringLiteral("Cu&t"), editable && hasSelectedText(), [this] { cut(); });
    add("edit-copy", QStringLiteral("&Copy"), hasSelectedText(), [this] { copy(); });
    add("edit-paste", QStringLiteral("&Paste"),
        editable && !QGuiApplication::clipboard()->text().isEmpty(),
        [this] { PasteFiltered(QGuiApplication::clipboard()->text()); });
    add("edit-delete", QStringLiteral("Delete"), editable && hasSelectedText(), [this] { del(); });
    menu->addSeparator();
    add("select-all", QStringLiteral("Select All"), !text().isEmpty(), [this] { selectAll(); });
    menu->popup(event->globalPos());
}

void FieldLineEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty() || event->replacementLength() != 0) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    const QString committed = event->commitString();
    QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&withoutCommit);
    PasteFiltered(committed);
}
