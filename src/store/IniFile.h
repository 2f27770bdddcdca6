#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One profile (INI) file held line by line, so that changing a key rewrites only that key's line
// and every other line (comments, blank lines, unknown keys, odd spellings, line endings) stays
// byte for byte. Text is Windows-1252 (UTF-8 for a file that starts with its byte order mark,
// which an editor may have added). Sections and keys match without regard to case; when a name
// occurs twice, the first occurrence is the one read and written.
class IniFile {
public:
    enum class LoadStatus { Loaded, Missing, Unreadable };

    // Larger files are refused: a profile is a few kilobytes, and reading an arbitrary large file
    // into memory is never what the caller meant.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    IniFile() = default;
    static IniFile fromBytes(const QByteArray& bytes);
    QByteArray toBytes() const;

    // Missing leaves an empty file (a later save creates it); Unreadable leaves it empty too and
    // says why in errorText, and such a file must not be saved over.
    LoadStatus load(const QString& path, QString* errorText = nullptr);
    // Writes a temporary file beside the target and renames it over, so a failed or interrupted
    // save leaves the old file whole. False with errorText when the file could not be written.
    bool save(const QString& path, QString* errorText = nullptr) const;

    // The raw value (trimmed, uncut) of the first matching key of the first matching section.
    QString value(const QString& section, const QString& key, bool* found = nullptr) const;
    // Replaces the key's value in place, adds the key at the end of its section, or adds the
    // section at the end of the file. False with errorText for a name or value that cannot be
    // stored (a line break, "=" in a key, "]" in a section, a character outside Windows-1252).
    bool setValue(const QString& section, const QString& key, const QString& value,
                  QString* errorText = nullptr);
    // Removes every section of that name with all its lines; true when one was found.
    bool removeSection(const QString& section);

    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // The line ending that new lines get: the first one found in the file, CR LF for a new file.
    QByteArray lineEnding() const { return m_newLineEnding; }

private:
    struct Line {
        QString text;
        QByteArray ending; // "\r\n", "\n", or empty for a last line without one
    };
    // [first, end) line indexes of a section's body, the header excluded.
    struct Range {
        qsizetype header = -1;
        qsizetype first = -1;
        qsizetype end = -1;
    };

    Range findSection(const QString& section, qsizetype from = 0) const;
    qsizetype findKey(const Range& range, const QString& key) const;
    void insertLine(qsizetype index, const QString& text);

    QList<Line> m_lines;
    QByteArray m_newLineEnding = "\r\n";
    bool m_utf8 = false; // only for files that start with a UTF-8 byte order mark
};
