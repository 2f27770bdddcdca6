#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The choices of a list field: the item texts (from the bar-separated list text), an optional
// device code per item (from the bar-separated code text), and the current position.
class FieldList {
public:
    // Splits both texts at "|". An empty list text gives no items; a trailing bar gives a last,
    // empty item. Item i takes the leading number of code text i (0 when there is none); without
    // code text the items carry no codes.
    void SetItems(const QString& listText, const QString& codeText);
    void Clear();
    // Appended without a code of its own (it reads as code 0 when codes are in use).
    void AddItem(const QString& item);

    int Count() const { return int(m_items.size()); }
    const QStringList& Items() const { return m_items; }
    // "" for a position outside the list.
    QString ItemText(int position) const;
    // 0 for an item without a code; -1 for a position outside the list.
    qint32 ItemCode(int position) const;

    // -1 when nothing is chosen.
    int Position() const { return m_position; }
    // A position outside the list chooses nothing.
    void SetPosition(int position);

    // The first item with the code or text, or -1.
    int FindCode(qint32 code) const;
    int FindText(const QString& text) const;

private:
    QStringList m_items;
    QList<qint32> m_codes;
    int m_position = -1;
};
