#pragma once

#include "shell/MessageFrm.h"

#include <QDialog>
#include <QStringList>

class QKBtn;
class QLabel;
class QListWidget;

// The list of values in which the module differs from a configuration file: what a restore of
// the file would change. Branded like the message dialog, with a list that scrolls, since a
// module that differs in everything has some forty lines.
class CompareFrm : public QDialog {
    Q_OBJECT

public:
    static constexpr double WidthTwips = 9000.0;
    static constexpr int MaxVisibleLines = 16;

    CompareFrm(const QString& title, const QString& summary, const QStringList& lines,
               const MessageColours& colours, QWidget* owner = nullptr);

    QStringList lines() const;

    QLabel* Title;
    QLabel* Message;
    QListWidget* Differences;
    QKBtn* btnOK;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int px(double twips) const;

    MessageColours m_colours;
};
