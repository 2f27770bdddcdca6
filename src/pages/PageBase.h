#pragma once

#include "shell/ChildFormClass.h"

#include <QRect>
#include <QString>
#include <QWidget>

class MainFrm;
class QKBtn;

// What every page shares: its place in the main window, controls made in a style at a position
// designed in twips, and writes of an edited field to the device (on the device thread, after
// any refresh already queued there).
class PageBase : public QWidget, public ChildFormClass {
    Q_OBJECT

public:
    PageBase(MainFrm& window, const QString& title);

    qint32 ChildFormClass_PageType() const override { return 0; }
    void ChildFormClass_DeActivated() override {}

    QKBtn* TitleControl() const { return m_title; }

    // A list field's entries first..last: the numbers joined by "|", with no empty entry at the
    // end (which a list field would offer as a choice).
    static QString NumberList(int first, int last);

protected:
    MainFrm& window() const { return m_window; }
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // A control of the style, taking the size and weight of the style's sample font, at a
    // position and size in twips.
    QKBtn* control(const QString& style, const QString& caption, double left, double top,
                   double width, double height, const QString& objectName = QString());
    QKBtn* bodyLabel(const QString& caption, double left, double top, double width,
                     double height = 300);
    QKBtn* header(const QString& caption, double left, double top, double width);
    QKBtn* button(const QString& caption, double left, double top, double width,
                  const QString& objectName);
    QRect twipsRect(double left, double top, double width, double height) const;
    int px(double twips) const;

    // Writes the field's value to its source member, as UpdateDeviceFromField does, on the
    // device thread. Refused (nothing queued) while the device reports a link failure, and
    // once the program is closing.
    bool UpdateDeviceFromField(QKBtn* field);

private:
    // Every field's tip goes to the main window's help panel while the pointer is over it.
    void wireHoverTips();

    MainFrm& m_window;
    QKBtn* m_title = nullptr;
    bool m_tipsWired = false;
};
