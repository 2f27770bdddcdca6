#pragma once

#include <QStringView>
#include <QtGlobal>
#include <algorithm>
#include <vector>

// The lines of a profile file that carry a name (section headers, or keys), found by name
// without regard to case. An entry is eight bytes: a hash of the case-folded name and the line's
// byte offset, kept sorted so that the lines of one name come in file order. A lookup checks the
// few lines whose hash matches; a file of any size costs eight bytes per named line.
class IniNameIndex {
public:
    // Equal for names that compare equal without regard to case.
    static quint32 NameHash(QStringView name);

    void clear() { m_entries.clear(); }
    // Adds a line while the index is built; sort() once after the last.
    void append(quint32 hash, qsizetype offset) { m_entries.push_back(Entry(hash, offset)); }
    void sort() { std::sort(m_entries.begin(), m_entries.end()); }
    // Adds a line to a sorted index.
    void insert(quint32 hash, qsizetype offset);

    // The first offset in [from, to), in file order, of a line with the hash that `isNamed`
    // accepts (it sees the candidate's offset); -1 when there is none.
    template <typename Accept>
    qsizetype find(quint32 hash, qsizetype from, qsizetype to, Accept isNamed) const {
        auto it = std::lower_bound(m_entries.begin(), m_entries.end(), Entry(hash, from));
        for (; it != m_entries.end() && *it < Entry(hash, to); ++it) {
            if (isNamed(OffsetOf(*it))) {
                return OffsetOf(*it);
            }
        }
        return -1;
    }
    // Calls `visit` with every offset of a line with the hash, in file order.
    template <typename Visit>
    void forEach(quint32 hash, Visit visit) const {
        auto it = std::lower_bound(m_entries.begin(), m_entries.end(), Entry(hash, 0));
        for (; it != m_entries.end() && (*it >> 32) == hash; ++it) {
            visit(OffsetOf(*it));
        }
    }

    // The bytes from `from` on moved by `delta` (an insertion, or a replaced value).
    void shift(qsizetype from, qsizetype delta);
    // The bytes [from, to) were removed: their lines go, the later ones move back.
    void removeRange(qsizetype from, qsizetype to);

private:
    using Packed = quint64;
    static Packed Entry(quint32 hash, qsizetype offset) {
        return (Packed(hash) << 32) | Packed(quint32(offset));
    }
    static qsizetype OffsetOf(Packed entry) { return qsizetype(entry & 0xFFFFFFFFu); }

    std::vector<Packed> m_entries;
};
