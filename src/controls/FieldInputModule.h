#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

// The rules a field's text editor applies to every character that reaches it, typed or pasted:
// the allowed characters, the maximum length, one leading sign, one decimal separator.
namespace FieldInputModule {

// Character codes that always pass the character filter, as the keyboard delivers them.
inline constexpr qint16 KeyCopy = 3;
inline constexpr qint16 KeyBackspace = 8;
inline constexpr qint16 KeyPaste = 22;

struct InputRules {
    QString Allowed;      // "" allows every character; "." stands for the decimal separator
    qint16 MaxLength = 0; // 0 is unlimited
    bool UpperCase = false;
    QChar DecimalSeparator = QChar(u'.');
};

// The editor as a keystroke finds it. The caret sits at selectionStart.
struct EditorState {
    QString text;
    int selectionStart = 0;
    int selectionLength = 0;
};

// The character to insert for the typed character code, or 0 to drop the keystroke.
qint16 ValidateKey(const InputRules& rules, const EditorState& editor, qint16 key);

// Pasted text is typed character by character through ValidateKey; refused characters (and
// line breaks and other control characters) are dropped. Returns the editor after the paste,
// the caret behind the last character inserted.
EditorState ApplyPaste(const InputRules& rules, EditorState editor, const QString& pasted);

} // namespace FieldInputModule
