#pragma once

#include "store/BrandValues.h"

#include <QFrame>
#include <QList>
#include <QString>

class QKBtn;

// The style masters: one sample control per style, each the first control registered under its
// style name, so every later control of the style copies its look. The main window holds this
// frame (hidden) before any page exists; branding changes the masters' colours and writes their
// UseMyStyle to restyle the whole program.
class Themes : public QFrame {
    Q_OBJECT

public:
    explicit Themes(QWidget* parent = nullptr);

    QKBtn* Hyper;
    QKBtn* BBody;
    QKBtn* BButton;
    QKBtn* BHeader1;
    QKBtn* BField;
    QKBtn* BHeader2;
    QKBtn* BLiftout;
    QKBtn* BFrmButton;
    QKBtn* BTitle;
    QKBtn* BLive;
    QKBtn* LCD;
    QKBtn* LCDSeg;
    QKBtn* BChrtButton;
    // A second "Edit" sample, a text field; registered after BField, so not the master.
    QKBtn* BField1;

    // The masters in the order they were registered (BField1 last).
    QList<QKBtn*> Samples() const;
    // The sample of a style name, or nullptr.
    QKBtn* Sample(const QString& styleName) const;

    // The style names, in the order of the style table.
    static QStringList StyleNames();

    // Gives the masters the brand's colours and passes each master's look on to its style, in
    // the order branding does it. The main window's own parts (its background, the navigation
    // bar, the help panel) are the window's to colour. "LCDSeg" is coloured but not passed on:
    // unit labels keep the look they had when they joined.
    void ApplyBrand(const BrandValues& brand);
};
