#include "pages/PageCatalogue.h"

#include "pages/CHILD_GEN_COMMS.h"
#include "pages/CHILD_GEN_FILE.h"
#include "pages/CHILD_GEN_HOME.h"
#include "pages/CHILD_GEN_INFO.h"
#include "pages/CHILD_GEN_MEASURE.h"
#include "pages/CHILD_GEN_R58COMMS.h"
#include "pages/NotAvailablePage.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"

namespace PageCatalogue {

void RegisterPages(MainFrm &window) {
  PageRegistry &registry = window.Registry();
  MainFrm *owner = &window;
  registry.RegisterPage(QStringLiteral("CHILD_GEN_HOME"),
                        [owner] { return new CHILD_GEN_HOME(*owner); });
  registry.RegisterPage(QStringLiteral("CHILD_GEN_INFO"),
                        [owner] { return new CHILD_GEN_INFO(*owner); });
  registry.RegisterPage(QStringLiteral("CHILD_GEN_MEASURE"),
                        [owner] { return new CHILD_GEN_MEASURE(*owner); });
  registry.RegisterPage(QStringLiteral("CHILD_GEN_FILE"),
                        [owner] { return new CHILD_GEN_FILE(*owner); });
  registry.RegisterPage(QStringLiteral("CHILD_GEN_COMMS"),
                        [owner] { return new CHILD_GEN_COMMS(*owner); });
  registry.RegisterPage(QStringLiteral("CHILD_GEN_R58COMMS"),
                        [owner] { return new CHILD_GEN_R58COMMS(*owner); });
  struct Pending {
    const char *page;
    const char *title;
    const char *help;
  };
  // Pages still to come show their title and a note until their own class
  // exists.
  const Pending pending[] = {
      {"CHILD_GEN_CALIBRATION", "Calibration",
       "This page allows you to calibrate the module.*Calibration can be "
       "achieved by "
       "applying known weights."},
      {"CHILD_GEN_FACTORY", "Factory Calibration",
       "Factory Access*This page gives access to protected factory level "
       "parameters and "
       "calibration."},
  };
  for (const Pending &page : pending) {
    const QString title = QString::fromUtf8(page.title);
    const QString help = QString::fromUtf8(page.help);
    registry.RegisterPage(QLatin1String(page.page), [owner, title, help] {
      return new NotAvailablePage(*owner, title, help);
    });
  }
}

} // namespace PageCatalogue
