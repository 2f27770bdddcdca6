#pragma once

#include "pages/PageBase.h"

class QKBtn;

// The serial Communications page: the module's own station number and baud rate, each written
// as soon as it is picked. They take effect in the module after a power cycle; this run keeps
// the station and baud rate chosen on the Home page.
class CHILD_GEN_COMMS : public PageBase {
    Q_OBJECT

public:
    explicit CHILD_GEN_COMMS(MainFrm& window);

    QString ChildFormClass_HelpText() const override;
    // Both links' Communications pages tell the technician the same.
    static QString SettingsHelpText();
    void ChildFormClass_TimedRefresh(RefreshBatch& batch) override;
    void ChildFormClass_Activated() override;

    // The station numbers offered: 1 to 253, each its own code, without an empty entry (which
    // would write station 0, the broadcast address, to which a module never answers).
    static QString StationList();

    QKBtn* STATION;
    QKBtn* BAUD;
};
