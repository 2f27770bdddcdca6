#include "pages/PageCatalogue.h"

#include "pages/CHILD_GEN_CALIBRATION.h"
#include "pages/CHILD_GEN_COMMS.h"
#include "pages/CHILD_GEN_FACTORY.h"
#include "pages/CHILD_GEN_FILE.h"
#include "pages/CHILD_GEN_HOME.h"
#include "pages/CHILD_GEN_INFO.h"
#include "pages/CHILD_GEN_MEASURE.h"
#include "pages/CHILD_GEN_R58COMMS.h"
#include "shell/MainFrm.h"
#include "shell/PageRegistry.h"

namespace PageCatalogue {
namespace {

template <typename Page>
void add(PageRegistry& registry, const char* pageName, MainFrm* owner) {
    registry.RegisterPage(QLatin1String(pageName), [owner] { return new Page(*owner); });
}

} // namespace

void RegisterPages(MainFrm& window) {
    PageRegistry& registry = window.Registry();
    MainFrm* owner = &window;
    add<CHILD_GEN_HOME>(registry, "CHILD_GEN_HOME", owner);
    add<CHILD_GEN_INFO>(registry, "CHILD_GEN_INFO", owner);
    add<CHILD_GEN_MEASURE>(registry, "CHILD_GEN_MEASURE", owner);
    add<CHILD_GEN_FILE>(registry, "CHILD_GEN_FILE", owner);
    add<CHILD_GEN_COMMS>(registry, "CHILD_GEN_COMMS", owner);
    add<CHILD_GEN_R58COMMS>(registry, "CHILD_GEN_R58COMMS", owner);
    add<CHILD_GEN_CALIBRATION>(registry, "CHILD_GEN_CALIBRATION", owner);
    add<CHILD_GEN_FACTORY>(registry, "CHILD_GEN_FACTORY", owner);
}

} // namespace PageCatalogue
