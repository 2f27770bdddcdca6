#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The static description of a supported module model: its pages, navigation glyphs and tips.
// The page registry creates one per model; the connected module's model becomes the current one.
class Device {
public:
    qint16 Photo = 0;
    QString iDescription;
    QString Model;
    QString Units;
    QString UnitDescription;
    bool IsStrain = false;
    QStringList FormCollection; // page class names, in navigation order
    qint16 DefaultPage = 0;
    float SaveDelay = 1.0f;
    bool RequiresReset = false;
    bool HasLowPowerMode = false;
    QStringList ButtonImageCollection;
    QStringList ButtonTooltipCollection;
    QString HelpPDF;

    QString Alias() const { return QString(); }
    // Items are numbered from 1, as the model's collections always were; an index the collection
    // does not hold raises DeviceError.
    QString ButtonImage(qint16 Index) const;
    QString ButtonToolTip(qint16 Index) const;
    QString Description() const { return iDescription; }
    void Description(const QString& New_Description) { iDescription = New_Description; }
};
