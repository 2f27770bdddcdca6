#include "store/IniNameIndex.h"

#include <QChar>

quint32 IniNameIndex::NameHash(QStringView name) {
    // FNV-1a over the case-folded code points: the folding that the case-insensitive comparison
    // of names applies, so names it finds equal hash alike.
    quint32 hash = 2166136261u;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t code = name.at(i).unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < name.size() &&
            name.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(name.at(i), name.at(i + 1));
            ++i;
        }
        if (code < 0x80) {
            code = code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code;
        } else {
            code = QChar::toCaseFolded(code);
        }
        hash = (hash ^ quint32(code)) * 16777619u;
    }
    return hash;
}

void IniNameIndex::insert(quint32 hash, qsizetype offset) {
    const Packed entry = Entry(hash, offset);
    m_entries.insert(std::upper_bound(m_entries.begin(), m_entries.end(), entry), entry);
}

void IniNameIndex::shift(qsizetype from, qsizetype delta) {
    // Every moved line moves alike, so the order within a name stays.
    for (Packed& entry : m_entries) {
        if (OffsetOf(entry) >= from) {
            entry = Entry(quint32(entry >> 32), OffsetOf(entry) + delta);
        }
    }
}

void IniNameIndex::removeRange(qsizetype from, qsizetype to) {
    const qsizetype removed = to - from;
    std::erase_if(m_entries,
                  [&](Packed entry) { return OffsetOf(entry) >= from && OffsetOf(entry) < to; });
    shift(to, -removed);
}
