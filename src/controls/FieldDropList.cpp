#include "controls/FieldDropList.h"

#include "controls/QKBtn.h"

#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>

FieldDropList::FieldDropList(QKBtn& owner)
    : QListWidget(&owner)
    , m_owner(owner) {
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemEntered, this,
            [this](QListWidgetItem* item) { setCurrentItem(item); });
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { pick(row(item)); });
}

void FieldDropList::Popup(int visibleRows) {
    const int rowHeight = qMax(sizeHintForRow(0), fontMetrics().height());
    const int rows = qBound(1, visibleRows, 12);
    const int height = rows * rowHeight + 2 * frameWidth();
    QPoint below = m_owner.mapToGlobal(QPoint(0, m_owner.height()));
    if (const QScreen* screen = m_owner.screen()) {
        const QRect available = screen->availableGeometry();
        if (below.y() + height > available.bottom() &&
            m_owner.mapToGlobal(QPoint(0, 0)).y() - height >= available.top()) {
            below = m_owner.mapToGlobal(QPoint(0, -height));
        }
    }
    setGeometry(QRect(below, QSize(m_owner.width(), height)));
    if (currentRow() >= 0) {
        scrollToItem(currentItem(), QAbstractItemView::PositionAtCenter);
    }
    show();
    setFocus(Qt::PopupFocusReason);
}

void FieldDropList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        // Enter closes the list; it picks only a row the arrow keys moved to, so confirming the
        // current choice raises no Changed (and writes nothing to the module).
        if (currentRow() >= 0 && currentRow() != m_owner.ListPosition()) {
            pick(currentRow());
        } else {
            hide();
        }
        return;
    case Qt::Key_Escape:
        event->accept();
        hide();
        return;
    default:
        QListWidget::keyPressEvent(event);
    }
}

void FieldDropList::hideEvent(QHideEvent* event) {
    QListWidget::hideEvent(event);
    if (!m_picking) {
        m_owner.ListDismissed();
    }
}

void FieldDropList::pick(int row) {
    m_picking = true;
    hide();
    m_picking = false;
    m_owner.ListPicked(row);
}
