#pragma once

#include "device/Device.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class ButtonBar;
class ChildFormClass;
class DeviceThread;
class RefreshBatch;

// The window parts the registry works with, supplied by the main window.
struct PageRegistryWindow {
    ButtonBar* bar = nullptr;
    // Interval 1000 ms, stopped and started again.
    std::function<void()> restartRefreshTimer;
    // The page's help, "*" already turned into line breaks.
    std::function<void(const QString& help)> showHelp;
    // Going Home: "Retry" disabled and the status line cleared.
    std::function<void()> clearStatusForHome;
    std::function<void(const QString& tip)> tipOn;
    std::function<void()> tipOff;
    // Suspends and resumes drawing of the main window while the navigation is rebuilt.
    std::function<void(bool locked)> lockRedraw;
};

// The device table (which pages a model offers, with their glyphs and tips), the navigation bar
// built from it, and the page host: loading, showing, refreshing and unloading pages. Pages are
// made by name through factories, so the registry does not know the page classes.
class PageRegistry : public QObject {
    Q_OBJECT

public:
    // A page is a widget that also implements ChildFormClass; its object name is its page name.
    using PageFactory = std::function<QWidget*()>;

    static constexpr char HomePage[] = "CHILD_GEN_HOME";
    static constexpr char HomeModel[] = "HOME";
    static constexpr char ZexModel[] = "ZEX";

    PageRegistry(DeviceThread& device, PageRegistryWindow window, QObject* parent = nullptr);
    ~PageRegistry() override;

    void RegisterPage(const QString& pageName, PageFactory factory);

    void SetPageHost(QWidget* owner, QWidget* host);
    void BuildDeviceTable();
    void SelectDevice(const QString& model);
    bool HasDevice(const QString& model) const;
    void BuildMenu();
    void NavigateTo(int index);
    void ShowPage(const QString& pageName);
    void UnloadPages();
    // Also unloads the Home page (shutdown).
    void UnloadAllPages();
    void ReleaseDevices();

    // Starts a refresh of the current page: the page lists its reads, then tail (the main
    // window's communication check) is appended, and the reads run on the device thread.
    // finished runs on the window thread once every result is shown. False, with nothing started,
    // while a refresh is still running.
    bool RefreshCurrentPage(const std::function<void(RefreshBatch&)>& tail,
                            std::function<void()> finished);
    bool IsRefreshBusy() const { return m_refreshBusy; }
    static bool LinkIsR58();

    QWidget* CurrentPage() const { return m_currentPage; }
    QString CurrentPageName() const;
    // Loaded pages in load order (the Home page included while loaded).
    QList<QWidget*> LoadedPages() const;
    QWidget* LoadedPage(const QString& pageName) const;
    const Device* CurrentDeviceEntry() const { return m_currentDeviceEntry.get(); }

    // The help text as the help box shows it: every "*" a line break.
    static QString HelpForDisplay(const QString& helpText);
    // Focuses the first control of a page that takes the focus by tab.
    static void FocusFirstControl(QWidget* page);

private:
    static ChildFormClass* contract(QWidget* page);
    QWidget* loadPage(const QString& pageName);
    void unloadPage(QWidget* page);

    DeviceThread& m_device;
    PageRegistryWindow m_window;
    QMap<QString, PageFactory> m_factories;
    QMap<QString, std::shared_ptr<Device>> m_devices;
    std::shared_ptr<Device> m_currentDeviceEntry;
    QPointer<QWidget> m_currentPage;
    QList<QPair<QString, QPointer<QWidget>>> m_loadedPages;
    QPointer<QWidget> m_pageHost;
    QPointer<QWidget> m_pageOwner;
    bool m_refreshBusy = false;
};
