#include "pages/NotAvailablePage.h"

#include "controls/QKBtn.h"

NotAvailablePage::NotAvailablePage(MainFrm& window, const QString& title, const QString& helpText)
    : PageBase(window, title)
    , m_helpText(helpText) {
    bodyLabel(QStringLiteral("Not available yet"), 240, 900, 6000, 360)
        ->setObjectName(QStringLiteral("lbNotAvailable"));
}
