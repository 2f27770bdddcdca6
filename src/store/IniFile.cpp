#include "store/IniFile.h"

#include "store/CodePage1252.h"
#include "store/SafeFileModule.h"

#include <QFileInfo>
#include <optional>

namespace {

std::optional<QString> SectionHeader(const QString& line) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'[')) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(u']');
    return trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

struct KeyLine {
    QString key;
    QString value;
    qsizetype valueStart; // index in the line where the value's text begins
};

std::optional<KeyLine> ParseKeyLine(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'[') || trimmed.startsWith(u';')) {
        return std::nullopt;
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0) {
        return std::nullopt;
    }
    const QString key = line.left(equals).trimmed();
    if (key.isEmpty()) {
        return std::nullopt;
    }
    qsizetype valueStart = equals + 1;
    while (valueStart < line.size() &&
           (line.at(valueStart) == u' ' || line.at(valueStart) == u'\t')) {
        ++valueStart;
    }
    return KeyLine{key, line.mid(equals + 1).trimmed(), valueStart};
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

constexpr char Utf8Bom[] = "\xEF\xBB\xBF";

bool CheckStorable(const QString& what, const QString& text, bool utf8, QString* errorText) {
    qsizetype bad = -1;
    if (!utf8 && !CodePage1252::CanEncode(text, &bad)) {
        if (errorText) {
            *errorText =
                QStringLiteral("The %1 \"%2\" contains the character U+%3, which a settings "
                               "file in the Windows-1252 code page cannot hold.")
                    .arg(what, text)
                    .arg(text.at(bad).unicode(), 4, 16, QChar(u'0'));
        }
        return false;
    }
    if (text.contains(u'\r') || text.contains(u'\n')) {
        if (errorText) {
            *errorText =
                QStringLiteral("The %1 \"%2\" contains a line break, which a settings file "
                               "cannot hold on one line.")
                    .arg(what, text);
        }
        return false;
    }
    return true;
}

void SetError(QString* errorText, const QString& text) {
    if (errorText) {
        *errorText = text;
    }
}

} // namespace

IniFile IniFile::fromBytes(const QByteArray& bytes) {
    IniFile file;
    bool endingChosen = false;
    qsizetype start = 0;
    // A file saved as UTF-8 with a byte order mark (as text editors do) stays UTF-8; without the
    // mark its first section would hide behind three stray characters.
    if (bytes.startsWith(Utf8Bom)) {
        file.m_utf8 = true;
        start = 3;
    }
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        const qsizetype stop = newline < 0 ? bytes.size() : newline;
        Line line;
        qsizetype textEnd = stop;
        if (newline >= 0) {
            const bool crlf = stop > start && bytes.at(stop - 1) == '\r';
            if (crlf) {
                --textEnd;
            }
            line.ending = crlf ? QByteArray("\r\n") : QByteArray("\n");
            if (!endingChosen) {
                file.m_newLineEnding = line.ending;
                endingChosen = true;
            }
        }
        const QByteArray text = bytes.mid(start, textEnd - start);
        line.text = file.m_utf8 ? QString::fromUtf8(text) : CodePage1252::Decode(text);
        file.m_lines.append(line);
        start = newline < 0 ? bytes.size() : newline + 1;
    }
    return file;
}

QByteArray IniFile::toBytes() const {
    QByteArray bytes = m_utf8 ? QByteArray(Utf8Bom) : QByteArray();
    for (const Line& line : m_lines) {
        bytes += m_utf8 ? line.text.toUtf8() : CodePage1252::Encode(line.text);
        bytes += line.ending;
    }
    return bytes;
}

IniFile::LoadStatus IniFile::load(const QString& path, QString* errorText) {
    *this = IniFile();
    if (!QFileInfo::exists(path)) {
        return LoadStatus::Missing;
    }
    const std::optional<QByteArray> bytes =
        SafeFileModule::ReadWholeFile(path, MaxFileSize, errorText);
    if (!bytes) {
        return LoadStatus::Unreadable;
    }
    *this = fromBytes(*bytes);
    return LoadStatus::Loaded;
}

bool IniFile::save(const QString& path, QString* errorText) const {
    return SafeFileModule::WriteWholeFile(path, toBytes(), errorText);
}

IniFile::Range IniFile::findSection(const QString& section, qsizetype from) const {
    const QString wanted = section.trimmed();
    Range range;
    for (qsizetype i = from; i < m_lines.size(); ++i) {
        const auto header = SectionHeader(m_lines.at(i).text);
        if (!header) {
            continue;
        }
        if (range.header >= 0) {
            range.end = i;
            return range;
        }
        if (SameName(*header, wanted)) {
            range.header = i;
            range.first = i + 1;
        }
    }
    if (range.header >= 0) {
        range.end = m_lines.size();
    }
    return range;
}

qsizetype IniFile::findKey(const Range& range, const QString& key) const {
    const QString wanted = key.trimmed();
    for (qsizetype i = range.first; i < range.end; ++i) {
        const auto parsed = ParseKeyLine(m_lines.at(i).text);
        if (parsed && SameName(parsed->key, wanted)) {
            return i;
        }
    }
    return -1;
}

QString IniFile::value(const QString& section, const QString& key, bool* found) const {
    const Range range = findSection(section);
    const qsizetype index = range.header < 0 ? -1 : findKey(range, key);
    if (found) {
        *found = index >= 0;
    }
    return index < 0 ? QString() : ParseKeyLine(m_lines.at(index).text)->value;
}

void IniFile::insertLine(qsizetype index, const QString& text) {
    // The line before the new one may be a last line without an ending; it needs one now.
    if (index > 0 && m_lines.at(index - 1).ending.isEmpty()) {
        m_lines[index - 1].ending = m_newLineEnding;
    }
    m_lines.insert(index, Line{text, m_newLineEnding});
}

bool IniFile::setValue(const QString& section, const QString& key, const QString& value,
                       QString* errorText) {
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || sectionName.contains(u']')) {
        SetError(errorText, QStringLiteral("\"%1\" cannot be a section name.").arg(section));
        return false;
    }
    if (keyName.isEmpty() || keyName.contains(u'=') || keyName.startsWith(u'[') ||
        keyName.startsWith(u';')) {
        SetError(errorText, QStringLiteral("\"%1\" cannot be a key name.").arg(key));
        return false;
    }
    if (!CheckStorable(QStringLiteral("section name"), sectionName, m_utf8, errorText) ||
        !CheckStorable(QStringLiteral("key name"), keyName, m_utf8, errorText) ||
        !CheckStorable(QStringLiteral("value"), value, m_utf8, errorText)) {
        return false;
    }

    const Range range = findSection(sectionName);
    if (range.header < 0) {
        insertLine(m_lines.size(), u'[' + sectionName + u']');
        insertLine(m_lines.size(), keyName + u'=' + value);
        return true;
    }
    const qsizetype index = findKey(range, keyName);
    if (index >= 0) {
        // The file's own spelling of the key and its spacing around "=" stay as they were.
        QString& text = m_lines[index].text;
        text = text.left(ParseKeyLine(text)->valueStart) + value;
        return true;
    }
    // A new key goes after the section's last non-blank line, before any blank separator lines.
    qsizetype insertAt = range.first;
    for (qsizetype i = range.first; i < range.end; ++i) {
        if (!m_lines.at(i).text.trimmed().isEmpty()) {
            insertAt = i + 1;
        }
    }
    insertLine(insertAt, keyName + u'=' + value);
    return true;
}

bool IniFile::removeSection(const QString& section) {
    bool removed = false;
    for (Range range = findSection(section); range.header >= 0; range = findSection(section)) {
        m_lines.remove(range.header, range.end - range.header);
        removed = true;
    }
    return removed;
}

QStringList IniFile::sections() const {
    QStringList names;
    for (const Line& line : m_lines) {
        if (const auto header = SectionHeader(line.text)) {
            names.append(*header);
        }
    }
    return names;
}

QStringList IniFile::keys(const QString& section) const {
    QStringList names;
    const Range range = findSection(section);
    for (qsizetype i = range.first; range.header >= 0 && i < range.end; ++i) {
        if (const auto parsed = ParseKeyLine(m_lines.at(i).text)) {
            names.append(parsed->key);
        }
    }
    return names;
}
