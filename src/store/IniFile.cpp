#include "store/IniFile.h"

#include "store/CodePage1252.h"
#include "store/SafeFileModule.h"

#include <QFileInfo>
#include <algorithm>

namespace {

constexpr char Utf8Bom[] = "\xEF\xBB\xBF";

// A line of the file: [start, textEnd) is its text, [textEnd, next) its ending ("\r\n", "\n",
// or nothing for a last line without one).
struct LineSpan {
    qsizetype start;
    qsizetype textEnd;
    qsizetype next;
};

LineSpan LineAt(const QByteArray& bytes, qsizetype start) {
    const qsizetype newline = bytes.indexOf('\n', start);
    if (newline < 0) {
        return {start, bytes.size(), bytes.size()};
    }
    const bool crlf = newline > start && bytes.at(newline - 1) == '\r';
    return {start, crlf ? newline - 1 : newline, newline + 1};
}

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

enum class LineKind { Other, Header, Key };

struct NamedLine {
    LineKind kind = LineKind::Other;
    QStringView name; // a part of the decoded line the caller holds
};

// A header is a line that starts with "[" (its name runs to the first "]", spaces around it are
// not part of it); a key line has a non-empty name before its first "=" and is no comment.
NamedLine ParseLine(QStringView line) {
    const QStringView trimmed = line.trimmed();
    if (trimmed.isEmpty()) {
        return {};
    }
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        const qsizetype length = close < 0 ? trimmed.size() - 1 : close - 1;
        return {LineKind::Header, trimmed.mid(1, length).trimmed()};
    }
    if (trimmed.startsWith(u';')) {
        return {};
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0) {
        return {};
    }
    const QStringView key = line.left(equals).trimmed();
    if (key.isEmpty()) {
        return {};
    }
    return {LineKind::Key, key};
}

// Only "[" and "=" make a line a header or a key. Both are single bytes that no multi-byte
// character contains, so other lines need not be decoded at all.
bool MayBeNamed(QByteArrayView line) {
    return line.contains('[') || line.contains('=');
}

bool SameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

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
    // A file saved as UTF-8 with a byte order mark (as text editors do) stays UTF-8; without the
    // mark its first section would hide behind three stray characters.
    file.m_utf8 = bytes.startsWith(Utf8Bom);
    file.m_text = file.m_utf8 ? bytes.mid(3) : bytes;
    const qsizetype newline = file.m_text.indexOf('\n');
    if (newline >= 0) {
        file.m_newLineEnding = newline > 0 && file.m_text.at(newline - 1) == '\r'
                                   ? QByteArray("\r\n")
                                   : QByteArray("\n");
    }
    file.buildIndex();
    return file;
}

QByteArray IniFile::toBytes() const {
    return m_utf8 ? QByteArray(Utf8Bom) + m_text : m_text;
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

QString IniFile::decode(qsizetype from, qsizetype to) const {
    const QByteArray bytes = QByteArray::fromRawData(m_text.constData() + from, to - from);
    return m_utf8 ? QString::fromUtf8(bytes) : CodePage1252::Decode(bytes);
}

QByteArray IniFile::encode(const QString& text) const {
    return m_utf8 ? text.toUtf8() : CodePage1252::Encode(text);
}

void IniFile::buildIndex() {
    m_headers.clear();
    m_sections.clear();
    m_keys.clear();
    for (qsizetype start = 0; start < m_text.size();) {
        const LineSpan line = LineAt(m_text, start);
        indexLine(start, line.textEnd, false);
        start = line.next;
    }
    m_sections.sort();
    m_keys.sort();
}

void IniFile::indexLine(qsizetype offset, qsizetype textEnd, bool sorted) {
    if (!MayBeNamed(QByteArrayView(m_text).sliced(offset, textEnd - offset))) {
        return;
    }
    const QString text = decode(offset, textEnd);
    const NamedLine named = ParseLine(text);
    if (named.kind == LineKind::Other) {
        return;
    }
    const quint32 hash = IniNameIndex::NameHash(named.name);
    IniNameIndex& index = named.kind == LineKind::Header ? m_sections : m_keys;
    if (named.kind == LineKind::Header) {
        m_headers.insert(std::upper_bound(m_headers.begin(), m_headers.end(), quint32(offset)),
                         quint32(offset));
    }
    if (sorted) {
        index.insert(hash, offset);
    } else {
        index.append(hash, offset);
    }
}

QString IniFile::lineName(qsizetype offset) const {
    const QString text = decode(offset, LineAt(m_text, offset).textEnd);
    return ParseLine(text).name.toString();
}

IniFile::Section IniFile::sectionAt(qsizetype header) const {
    const auto next = std::upper_bound(m_headers.begin(), m_headers.end(), quint32(header));
    return {header, LineAt(m_text, header).next, next == m_headers.end() ? m_text.size() : *next};
}

IniFile::Section IniFile::findSection(const QString& section) const {
    const QString wanted = section.trimmed();
    const qsizetype header =
        m_sections.find(IniNameIndex::NameHash(wanted), 0, m_text.size() + 1,
                        [&](qsizetype offset) { return SameName(lineName(offset), wanted); });
    return header < 0 ? Section() : sectionAt(header);
}

qsizetype IniFile::findKey(const Section& section, const QString& key) const {
    const QString wanted = key.trimmed();
    return m_keys.find(IniNameIndex::NameHash(wanted), section.body, section.end,
                       [&](qsizetype offset) { return SameName(lineName(offset), wanted); });
}

QString IniFile::value(const QString& section, const QString& key, bool* found) const {
    const Section range = findSection(section);
    const qsizetype offset = range.header < 0 ? -1 : findKey(range, key);
    if (found) {
        *found = offset >= 0;
    }
    if (offset < 0) {
        return QString();
    }
    const QString text = decode(offset, LineAt(m_text, offset).textEnd);
    return text.mid(text.indexOf(u'=') + 1).trimmed();
}

void IniFile::replaceBytes(qsizetype offset, qsizetype length, const QByteArray& bytes) {
    m_text.replace(offset, length, bytes);
    const qsizetype delta = bytes.size() - length;
    const qsizetype later = offset + length;
    for (quint32& header : m_headers) {
        header += header >= later ? quint32(delta) : 0;
    }
    m_sections.shift(later, delta);
    m_keys.shift(later, delta);
}

void IniFile::insertLine(qsizetype offset, const QString& text) {
    // The line before the new one may be a last line without an ending; it needs one now.
    if (offset > 0 && m_text.at(offset - 1) != '\n') {
        replaceBytes(offset, 0, m_newLineEnding);
        offset += m_newLineEnding.size();
    }
    const QByteArray line = encode(text);
    replaceBytes(offset, 0, line + m_newLineEnding);
    indexLine(offset, offset + line.size(), true);
}

qsizetype IniFile::keyInsertionPoint(const Section& section) const {
    // After the section's last non-blank line, before any blank separator lines; found from the
    // end, so a long section is not read through.
    qsizetype lineEnd = section.end;
    while (lineEnd > section.body) {
        const qsizetype before = lineEnd - 2; // skips the ending's line feed
        const qsizetype newline = before < section.body ? -1 : m_text.lastIndexOf('\n', before);
        const qsizetype lineStart = newline < section.body ? section.body : newline + 1;
        const LineSpan line = LineAt(m_text, lineStart);
        const QByteArrayView bytes =
            QByteArrayView(m_text).sliced(lineStart, line.textEnd - lineStart);
        const bool asciiBlank = std::all_of(bytes.begin(), bytes.end(), IsAsciiSpace);
        const bool wide =
            std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
        // A line of other bytes is blank only when its text is (a no-break space, say).
        if (!asciiBlank && (!wide || !decode(lineStart, line.textEnd).trimmed().isEmpty())) {
            return lineEnd;
        }
        lineEnd = lineStart;
    }
    return section.body;
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
    // At most what a new section with the key adds; the index keeps offsets in 32 bits, and a
    // larger file could not be read back anyway.
    const qsizetype growth = 4 * (sectionName.size() + keyName.size() + value.size()) + 16;
    if (m_text.size() + growth > MaxFileSize) {
        SetError(errorText, QStringLiteral("Storing %1 would make the file larger than %2 MB, "
                                           "more than a settings file can hold.")
                                .arg(keyName)
                                .arg(MaxFileSize / (1024 * 1024)));
        return false;
    }

    const Section range = findSection(sectionName);
    if (range.header < 0) {
        insertLine(m_text.size(), u'[' + sectionName + u']');
        insertLine(m_text.size(), keyName + u'=' + value);
        return true;
    }
    const qsizetype offset = findKey(range, keyName);
    if (offset >= 0) {
        // The file's own bytes up to the value (the key's spelling and its spacing around "=")
        // stay as they were; "=" is one byte in either encoding.
        const LineSpan line = LineAt(m_text, offset);
        qsizetype valueStart = m_text.indexOf('=', offset) + 1;
        while (valueStart < line.textEnd &&
               (m_text.at(valueStart) == ' ' || m_text.at(valueStart) == '\t')) {
            ++valueStart;
        }
        replaceBytes(valueStart, line.textEnd - valueStart, encode(value));
        return true;
    }
    insertLine(keyInsertionPoint(range), keyName + u'=' + value);
    return true;
}

bool IniFile::removeSection(const QString& section) {
    const QString wanted = section.trimmed();
    std::vector<qsizetype> headers;
    m_sections.forEach(IniNameIndex::NameHash(wanted), [&](qsizetype offset) {
        if (SameName(lineName(offset), wanted)) {
            headers.push_back(offset);
        }
    });
    // From the last, so the offsets of the earlier ones stay as found.
    for (auto it = headers.rbegin(); it != headers.rend(); ++it) {
        const Section range = sectionAt(*it);
        m_text.remove(range.header, range.end - range.header);
        std::erase_if(m_headers,
                      [&](quint32 header) { return header >= range.header && header < range.end; });
        const qsizetype removed = range.end - range.header;
        for (quint32& header : m_headers) {
            header -= header >= range.end ? quint32(removed) : 0;
        }
        m_sections.removeRange(range.header, range.end);
        m_keys.removeRange(range.header, range.end);
    }
    return !headers.empty();
}

QStringList IniFile::sections() const {
    QStringList names;
    for (const quint32 header : m_headers) {
        names.append(lineName(header));
    }
    return names;
}

QStringList IniFile::keys(const QString& section) const {
    QStringList names;
    const Section range = findSection(section);
    for (qsizetype start = range.body; range.header >= 0 && start < range.end;
         start = LineAt(m_text, start).next) {
        const QString text = decode(start, LineAt(m_text, start).textEnd);
        const NamedLine named = ParseLine(text);
        if (named.kind == LineKind::Key) {
            names.append(named.name.toString());
        }
    }
    return names;
}
