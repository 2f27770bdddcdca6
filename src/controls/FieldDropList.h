#pragma once

#include <QListWidget>

class QKBtn;

// The in-place drop-down list of a choice field: a pop-up under the field. A click picks an
// item; Enter picks the highlighted item when it is not the current choice and otherwise only
// closes; Esc or a click elsewhere closes it without a pick.
class FieldDropList : public QListWidget {
    Q_OBJECT

public:
    explicit FieldDropList(QKBtn& owner);

    // Shows the pop-up under (or, near the bottom of the screen, above) the owner.
    void Popup(int visibleRows);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void pick(int row);

    QKBtn& m_owner;
    bool m_picking = false;
};
