#pragma once

#include <QLineEdit>

class QKBtn;

// The in-place text editor of a field. Every character that reaches it, typed, pasted from the
// clipboard or the selection, or committed by an input method, passes the field's rules; Enter
// commits, Esc cancels, and losing the focus to another control commits.
class FieldLineEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit FieldLineEdit(QKBtn& owner);

    // Inserts text at the caret as if typed, dropping refused characters.
    void PasteFiltered(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    QKBtn& m_owner;
};
