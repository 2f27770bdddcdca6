#pragma once

#include "store/IniNameIndex.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// One profile (INI) file held as its bytes, so that changing a key rewrites only that key's value
// and every other byte (comments, blank lines, unknown keys, odd spellings, line endings, bytes
// that are not valid text) stays as it was. Text is Windows-1252 (UTF-8 for a file that starts
// with its byte order mark, which an editor may have added). Sections and keys match without
// regard to case; when a name occurs twice, the first occurrence is the one read and written.
// Sections and keys are indexed once when the file is read, so a lookup does not depend on the
// file's size, and a file costs little more memory than its own bytes.
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
    // stored (a line break, "=" in a key, "]" in a section, a character outside Windows-1252), or
    // that would make the file larger than MaxFileSize.
    bool setValue(const QString& section, const QString& key, const QString& value,
                  QString* errorText = nullptr);
    // Removes every section of that name with all its lines; true when one was found.
    bool removeSection(const QString& section);

    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // The line ending that new lines get: the first one found in the file, CR LF for a new file.
    QByteArray lineEnding() const { return m_newLineEnding; }

private:
    // Byte offsets of a section: its header line, the first line of its body, and the end of the
    // body (the next header, or the end of the file).
    struct Section {
        qsizetype header = -1;
        qsizetype body = -1;
        qsizetype end = -1;
    };

    void buildIndex();
    // Indexes the line if it is a header or a key: appended while the file is read (buildIndex
    // sorts once at the end), or put in place (`sorted`) when an edit adds it.
    void indexLine(qsizetype offset, qsizetype textEnd, bool sorted);
    Section findSection(const QString& section) const;
    Section sectionAt(qsizetype header) const;
    qsizetype findKey(const Section& section, const QString& key) const;
    qsizetype keyInsertionPoint(const Section& section) const;
    QString lineName(qsizetype offset) const;
    QString decode(qsizetype from, qsizetype to) const;
    QByteArray encode(const QString& text) const;
    void insertLine(qsizetype offset, const QString& text);
    void replaceBytes(qsizetype offset, qsizetype length, const QByteArray& bytes);

    QByteArray m_text;              // the file's bytes after any byte order mark
    std::vector<quint32> m_headers; // offsets of the section header lines, in file order
    IniNameIndex m_sections;        // section header lines by name
    IniNameIndex m_keys;            // key lines by name, wherever they stand
    QByteArray m_newLineEnding = "\r\n";
    bool m_utf8 = false; // only for files that start with a UTF-8 byte order mark
};
