#pragma once

#include "pages/PageBase.h"

#include <functional>

class QKBtn;
class ZEX;

// The radio Communications page: the module's radio channel (saved in the module as soon as it
// is changed), whether it wakes and sleeps its paired acquisition module, and that module's ID
// and data tag. The ID and the tag are hexadecimal: they are read, shown and written by this
// page itself, never through a field's numeric value, which would take "1A2B" for the decimal 1.
class CHILD_GEN_R58COMMS : public PageBase {
    Q_OBJECT

public:
    explicit CHILD_GEN_R58COMMS(MainFrm& window);

    QString ChildFormClass_HelpText() const override;
    void ChildFormClass_TimedRefresh(RefreshBatch& batch) override;
    void ChildFormClass_Activated() override;

    // Channels 1 to 16, without an empty entry (which would write channel 0, and SAVE keep it).
    static QString ChannelList();

    QKBtn* pbRadioChannel;
    QKBtn* pbDoWake;
    QKBtn* pbBoundID;
    QKBtn* pbDataTag;

private:
    // Queues a write of the page's own on the device thread; refused, like a field's write,
    // while the device reports a link failure or the program is closing.
    bool write(std::function<void(ZEX&)> work);
    void pbRadioChannel_Changed();
    void pbBoundID_Changed();
    void pbDataTag_Changed();
};
