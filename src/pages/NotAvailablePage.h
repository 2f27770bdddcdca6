#pragma once

#include "pages/PageBase.h"

// A page whose work is not in this build yet: its title and a plain note, nothing else.
class NotAvailablePage : public PageBase {
    Q_OBJECT

public:
    NotAvailablePage(MainFrm& window, const QString& title, const QString& helpText);

    QString ChildFormClass_HelpText() const override { return m_helpText; }
    void ChildFormClass_TimedRefresh(RefreshBatch&) override {}
    void ChildFormClass_Activated() override {}

private:
    QString m_helpText;
};
