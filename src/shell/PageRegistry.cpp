#include "shell/PageRegistry.h"

#include "controls/ButtonBar.h"
#include "controls/ColourModule.h"
#include "device/CurrentDevice.h"
#include "device/DeviceThread.h"
#include "device/ZEX.h"
#include "shell/ChildFormClass.h"
#include "shell/RefreshBatch.h"
#include "store/BrandValues.h"
#include "util/ApplicationState.h"

#include <QApplication>
#include <QCursor>

namespace {

struct PageEntry {
    const char* glyph;
    const char* page;
    const char* tip;
};

const PageEntry HomeEntry{"B", PageRegistry::HomePage,
                          "Home*Clicking this button will take you to the Home page where you can "
                          "select which module to configure."};

// The module's pages in navigation order; which of them a connection offers depends on the link
// kind and the factory mode.
std::shared_ptr<Device> zexDevice(bool radio, bool factoryMode) {
    auto device = std::make_shared<Device>();
    device->Model = QLatin1String(PageRegistry::ZexModel);
    device->iDescription = QStringLiteral("ZEX");
    device->Photo = 2;
    device->DefaultPage = 2;
    device->SaveDelay = 1.0f;
    auto add = [&](const PageEntry& entry) {
        device->ButtonImageCollection.append(QLatin1String(entry.glyph));
        device->FormCollection.append(QLatin1String(entry.page));
        device->ButtonTooltipCollection.append(QString::fromUtf8(entry.tip));
    };
    add(HomeEntry);
    add({"P", "CHILD_GEN_INFO",
         "Information*This page displays information regarding the connected module."});
    add({"C", "CHILD_GEN_FILE",
         "Save && Restore*This allows saving and restore of module configuration to and from a "
         "disk file."});
    add({"U", "CHILD_GEN_MEASURE",
         "Measurement*Displays the core measurement values and allows control over zeros."});
    if (radio) {
        add({"S", "CHILD_GEN_R58COMMS",
             "Communications*Allows configuration of the R58 communications settings."});
    } else {
        add({"S", "CHILD_GEN_COMMS",
             "Communications*Allows configuration of the serial communications settings."});
        add({"G", "CHILD_GEN_CALIBRATION",
             "Calibration*Clicking this button will let you calibrate the module."});
        if (factoryMode) {
            add({"I", "CHILD_GEN_FACTORY",
                 "Factory Only*Allows access to manufacture only parameters and calibration."});
        }
    }
    return device;
}

std::shared_ptr<Device> homeDevice() {
    auto device = std::make_shared<Device>();
    device->Model = QLatin1String(PageRegistry::HomeModel);
    device->DefaultPage = 1;
    device->SaveDelay = 0.0f;
    device->ButtonImageCollection.append(QLatin1String(HomeEntry.glyph));
    device->FormCollection.append(QLatin1String(HomeEntry.page));
    device->ButtonTooltipCollection.append(QString::fromUtf8(HomeEntry.tip));
    return device;
}

template <typename Call>
void swallow(Call call) {
    try {
        call();
    } catch (...) {
        // A page's own failure is the page's business; the window goes on.
    }
}

} // namespace

PageRegistry::PageRegistry(DeviceThread& device, PageRegistryWindow window, QObject* parent)
    : QObject(parent)
    , m_device(device)
    , m_window(std::move(window)) {}

PageRegistry::~PageRegistry() = default;

void PageRegistry::RegisterPage(const QString& pageName, PageFactory factory) {
    m_factories.insert(pageName, std::move(factory));
}

void PageRegistry::SetPageHost(QWidget* owner, QWidget* host) {
    m_pageOwner = owner;
    m_pageHost = host;
}

void PageRegistry::BuildDeviceTable() {
    m_devices.clear();
    m_devices.insert(QLatin1String(HomeModel), homeDevice());
    m_devices.insert(QLatin1String(ZexModel), zexDevice(LinkIsR58(), AppState().FactoryMode));
}

void PageRegistry::SelectDevice(const QString& model) {
    m_currentDeviceEntry.reset();
    for (auto it = m_devices.cbegin(); it != m_devices.cend(); ++it) {
        if (it.key().compare(model, Qt::CaseInsensitive) == 0) {
            m_currentDeviceEntry = it.value();
            return;
        }
    }
}

bool PageRegistry::HasDevice(const QString& model) const {
    for (const auto& device : m_devices) {
        if (device->Model.compare(model, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

bool PageRegistry::LinkIsR58() {
    ZEX* device = CurrentDevice::Get();
    return device && device->IsR58();
}

void PageRegistry::BuildMenu() {
    if (!m_currentDeviceEntry || !m_window.bar) {
        return;
    }
    const Device& entry = *m_currentDeviceEntry;
    ButtonBar& bar = *m_window.bar;
    bar.Clear();
    for (const QString& glyph : entry.ButtonImageCollection) {
        bar.AddButton(glyph);
    }
    if (m_window.lockRedraw) {
        m_window.lockRedraw(true);
    }
    bar.DrawMe();
    if (m_window.lockRedraw) {
        m_window.lockRedraw(false);
    }
    const int page = entry.DefaultPage;
    if (page >= 1 && page <= entry.FormCollection.size()) {
        bar.SetSelectedButton(page);
        ShowPage(entry.FormCollection.at(page - 1));
    }
}

void PageRegistry::NavigateTo(int index) {
    if (AppState().Closing || !m_currentDeviceEntry) {
        return;
    }
    if (m_window.restartRefreshTimer) {
        m_window.restartRefreshTimer();
    }
    if (m_window.tipOff) {
        m_window.tipOff();
    }
    if (ChildFormClass* page = contract(m_currentPage)) {
        swallow([page] {
            page->ChildFormClass_DeActivated();
            (void)page->ChildFormClass_PageType();
        });
    }
    if (index != 1) {
        if (QWidget* grabber = QWidget::mouseGrabber()) {
            grabber->releaseMouse();
        }
        if (index >= 1 && index <= m_currentDeviceEntry->FormCollection.size()) {
            ShowPage(m_currentDeviceEntry->FormCollection.at(index - 1));
        }
    } else {
        if (m_window.clearStatusForHome) {
            m_window.clearStatusForHome();
        }
        UnloadPages();
        SelectDevice(QLatin1String(HomeModel));
        BuildMenu();
    }
    if (m_window.tipOff) {
        m_window.tipOff();
    }
}

ChildFormClass* PageRegistry::contract(QWidget* page) {
    return dynamic_cast<ChildFormClass*>(page);
}

QWidget* PageRegistry::loadPage(const QString& pageName) {
    if (QWidget* loaded = LoadedPage(pageName)) {
        return loaded;
    }
    const auto factory = m_factories.constFind(pageName);
    if (factory == m_factories.cend()) {
        return nullptr;
    }
    QWidget* page = (*factory)();
    if (!page) {
        return nullptr;
    }
    page->setObjectName(pageName);
    m_loadedPages.append({pageName, QPointer<QWidget>(page)});
    return page;
}

void PageRegistry::ShowPage(const QString& pageName) {
    if (!m_pageHost) {
        return;
    }
    m_pageHost->hide();
    if (m_currentPage) {
        m_currentPage->setEnabled(false);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QWidget* page = nullptr;
    swallow([&] { page = loadPage(pageName); });
    if (page) {
        // Every page stands on the brand's display background.
        ColourModule::FillBackground(page, Brand().DisplayBack);
        page->setEnabled(true);
        if (page->parentWidget() != m_pageHost) {
            page->setParent(m_pageHost);
        }
        // The page's own border falls just outside the host.
        page->setGeometry(-1, -1, m_pageHost->width() + 2, m_pageHost->height() + 2);
        page->show();
        page->raise();
        if (m_currentPage && m_currentPage != page) {
            m_currentPage->hide();
        }
        m_currentPage = page;
        FocusFirstControl(page);
    }
    QApplication::restoreOverrideCursor();
    if (!page) {
        m_pageHost->show();
        return;
    }
    ChildFormClass* contractOfPage = contract(page);
    if (m_window.showHelp && contractOfPage) {
        m_window.showHelp(HelpForDisplay(contractOfPage->ChildFormClass_HelpText()));
    }
    if (contractOfPage) {
        swallow([contractOfPage] { contractOfPage->ChildFormClass_Activated(); });
    }
    m_pageHost->show();
    FocusFirstControl(page);
}

void PageRegistry::FocusFirstControl(QWidget* page) {
    if (!page) {
        return;
    }
    // Creation order is tab order for pages built in code.
    for (QWidget* child : page->findChildren<QWidget*>()) {
        if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled() &&
            child->isVisibleTo(page)) {
            child->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void PageRegistry::unloadPage(QWidget* page) {
    if (!page) {
        return;
    }
    page->hide();
    page->setParent(nullptr);
    // Deleted once control returns to the event loop: the handler that asked for the unload
    // (a field's Changed that goes Home) may still be running inside this page.
    page->deleteLater();
}

void PageRegistry::UnloadPages() {
    for (int i = int(m_loadedPages.size()) - 1; i >= 0; --i) {
        if (m_loadedPages[i].first != QLatin1String(HomePage)) {
            unloadPage(m_loadedPages[i].second);
            m_loadedPages.removeAt(i);
        }
    }
    m_currentPage = nullptr;
}

void PageRegistry::UnloadAllPages() {
    UnloadPages();
    for (auto& loaded : m_loadedPages) {
        unloadPage(loaded.second);
    }
    m_loadedPages.clear();
}

void PageRegistry::ReleaseDevices() {
    m_currentDeviceEntry.reset();
    m_devices.clear();
}

bool PageRegistry::RefreshCurrentPage(const std::function<void(RefreshBatch&)>& tail,
                                      std::function<void()> finished) {
    if (m_refreshBusy) {
        return false;
    }
    m_refreshBusy = true;
    auto batch = std::make_shared<RefreshBatch>();
    if (ChildFormClass* page = contract(m_currentPage)) {
        swallow([&] { page->ChildFormClass_TimedRefresh(*batch); });
    }
    if (tail) {
        tail(*batch);
    }
    auto shows = std::make_shared<QList<RefreshBatch::Show>>();
    m_device.post([batch, shows] { *shows = batch->run(CurrentDevice::Get()); }, this,
                  [this, shows, finished = std::move(finished)] {
                      for (const RefreshBatch::Show& show : *shows) {
                          swallow(show);
                      }
                      m_refreshBusy = false;
                      if (finished) {
                          finished();
                      }
                  });
    return true;
}

QString PageRegistry::CurrentPageName() const {
    return m_currentPage ? m_currentPage->objectName() : QString();
}

QList<QWidget*> PageRegistry::LoadedPages() const {
    QList<QWidget*> pages;
    for (const auto& loaded : m_loadedPages) {
        if (loaded.second) {
            pages.append(loaded.second);
        }
    }
    return pages;
}

QWidget* PageRegistry::LoadedPage(const QString& pageName) const {
    for (const auto& loaded : m_loadedPages) {
        if (loaded.first == pageName) {
            return loaded.second;
        }
    }
    return nullptr;
}

QString PageRegistry::HelpForDisplay(const QString& helpText) {
    QString help = helpText;
    help.replace(QLatin1Char('*'), QLatin1Char('\n'));
    return help;
}
