#include "shell/EscapeLatch.h"

#include <QKeyEvent>

EscapeLatch::EscapeLatch(QObject* parent)
    : QObject(parent) {}

bool EscapeLatch::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        latch();
    }
    return QObject::eventFilter(watched, event);
}
