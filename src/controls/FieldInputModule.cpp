#include "controls/FieldInputModule.h"

namespace FieldInputModule {

namespace {

bool isAlwaysPassed(qint16 key) {
    return key == KeyPaste || key == KeyCopy || key == KeyBackspace;
}

} // namespace

qint16 ValidateKey(const InputRules& rules, const EditorState& editor, qint16 key) {
    const QChar separator = rules.DecimalSeparator;
    QString allowed = rules.Allowed;
    allowed.replace(QChar(u'.'), separator);
    const QChar typed{char16_t(key)};

    if (rules.MaxLength > 0 && editor.text.size() >= rules.MaxLength && !isAlwaysPassed(key) &&
        editor.selectionLength == 0) {
        return 0;
    }
    if (!rules.Allowed.isEmpty() && !isAlwaysPassed(key) && !allowed.contains(typed)) {
        return 0;
    }
    if (rules.Allowed.contains(QChar(u'-')) && typed == QChar(u'-')) {
        if (editor.selectionStart != 0) {
            return 0;
        }
        // A second sign in front of the first would make the number unreadable.
        if (editor.text.mid(editor.selectionLength).startsWith(QChar(u'-'))) {
            return 0;
        }
    }
    if (allowed.contains(separator) && typed == separator && editor.text.contains(separator) &&
        editor.selectionLength < editor.text.size()) {
        return 0;
    }
    if (rules.UpperCase) {
        return qint16(typed.toUpper().unicode());
    }
    return key;
}

EditorState ApplyPaste(const InputRules& rules, EditorState editor, const QString& pasted) {
    for (const QChar c : pasted) {
        if (c.unicode() < 32 || c.unicode() == 127) {
            continue;
        }
        const qint16 accepted = ValidateKey(rules, editor, qint16(c.unicode()));
        if (accepted == 0) {
            continue;
        }
        editor.text.replace(editor.selectionStart, editor.selectionLength, QChar(ushort(accepted)));
        editor.selectionStart += 1;
        editor.selectionLength = 0;
    }
    return editor;
}

} // namespace FieldInputModule
