#include "controls/FieldList.h"

#include "controls/CaptionModule.h"

void FieldList::SetItems(const QString& listText, const QString& codeText) {
    m_items = listText.isEmpty() ? QStringList() : listText.split(QChar(u'|'));
    m_codes.clear();
    if (!codeText.isEmpty()) {
        const QStringList codes = codeText.split(QChar(u'|'));
        for (int i = 0; i < m_items.size(); ++i) {
            m_codes.append(i < codes.size()
                               ? CaptionModule::ToInt32(CaptionModule::LeadingNumber(codes[i]))
                               : 0);
        }
    }
    m_position = -1;
}

void FieldList::Clear() {
    m_items.clear();
    m_codes.clear();
    m_position = -1;
}

void FieldList::AddItem(const QString& item) {
    m_items.append(item);
}

QString FieldList::ItemText(int position) const {
    return position >= 0 && position < m_items.size() ? m_items[position] : QString();
}

qint32 FieldList::ItemCode(int position) const {
    if (position < 0 || position >= m_items.size()) {
        return -1;
    }
    return position < m_codes.size() ? m_codes[position] : 0;
}

void FieldList::SetPosition(int position) {
    m_position = position >= 0 && position < m_items.size() ? position : -1;
}

int FieldList::FindCode(qint32 code) const {
    for (int i = 0; i < m_items.size(); ++i) {
        if (ItemCode(i) == code) {
            return i;
        }
    }
    return -1;
}

int FieldList::FindText(const QString& text) const {
    return int(m_items.indexOf(text));
}
