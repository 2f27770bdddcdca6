#pragma once

#include <QString>
#include <QtGlobal>

class RefreshBatch;

// The contract every page fulfils. The page registry calls it on the window thread.
class ChildFormClass {
public:
    virtual ~ChildFormClass() = default;

    // A title, "*", then the body; further "*" are line breaks in the help panel.
    virtual QString ChildFormClass_HelpText() const = 0;
    // Lists what the page reads from the device on this tick and how each result is shown. The
    // reads run on the device thread afterwards, in the order listed; the window never waits.
    virtual void ChildFormClass_TimedRefresh(RefreshBatch& batch) = 0;
    // After the page has become visible and current.
    virtual void ChildFormClass_Activated() = 0;
    // When the user leaves the page by the navigation bar.
    virtual void ChildFormClass_DeActivated() = 0;
    virtual qint32 ChildFormClass_PageType() const { return 0; }
};
