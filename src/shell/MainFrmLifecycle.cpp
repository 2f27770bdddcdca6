// The main window's start-up, branding and shutdown sequences.
#include "controls/ButtonBar.h"
#include "controls/ColourModule.h"
#include "controls/FontsModule.h"
#include "controls/QKBtn.h"
#include "controls/Themes.h"
#include "controls/TwipsModule.h"
#include "device/CurrentDevice.h"
#include "device/DeviceThread.h"
#include "device/ZEX.h"
#include "pages/PageCatalogue.h"
#include "radio/RadioSupport.h"
#include "radio/RadioUi.h"
#include "radio/SocketRadioFactory.h"
#include "serial/Zarnbus2Module.h"
#include "shell/LinkLogFrm.h"
#include "shell/MainFrm.h"
#include "shell/MessageFrm.h"
#include "shell/PageRegistry.h"
#include "shell/ProgramLinks.h"
#include "shell/ShellModule.h"
#include "shell/WindowUi.h"
#include "store/ApplicationSettings.h"
#include "store/BrandValues.h"
#include "store/BrandingModule.h"
#include "store/ResourceFolder.h"
#include "util/ApplicationState.h"
#include "util/MonotonicClock.h"
#include "util/ZexVersion.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

namespace {

ColourValue background(const QWidget* widget) {
    return ColourModule::FromQColor(widget->palette().color(QPalette::Window));
}

} // namespace

ProgramEnvironment ProgramEnvironment::System() {
    ProgramEnvironment environment;
    environment.programFolder = ResourceFolder::OfThisProgram();
    environment.ctrlAndShiftHeld = [] {
        const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
        return held.testFlag(Qt::ControlModifier) && held.testFlag(Qt::ShiftModifier);
    };
    environment.clock = &systemClock();
    environment.radioFactory = [](MonotonicClock& clock) -> std::unique_ptr<RadioFactory> {
        return std::make_unique<SocketRadioFactory>(clock);
    };
    environment.criticalBox = [](const QString& title, const QString& message) {
        QMessageBox::critical(nullptr, title, message);
    };
    environment.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return environment;
}

// Resources compiled into the widgets library are not registered on their own.
static void initialiseResources() {
    Q_INIT_RESOURCE(app);
}

bool MainFrm::Load() {
    initialiseResources();
    const ProgramEnvironment& environment = m_environment;
    FontsModule::RegisterPrivateFonts(environment.programFolder);
    // No single-instance lock: a second instance may start; settings writes are atomic.
    AppState().FactoryMode = environment.ctrlAndShiftHeld && environment.ctrlAndShiftHeld();
    if (const QScreen* screen = this->screen()) {
        AppState().TwipsPerPixel = ShellModule::TwipsPerScreenPixel(screen->logicalDotsPerInchY(),
                                                                    screen->devicePixelRatio());
    }
    if (!HandleBranding()) {
        return false;
    }
    // From here on a step that fails is skipped and start-up goes on.
    if (environment.configBase.isEmpty() || environment.documentsBase.isEmpty()) {
        ApplicationSettings::SetUpUserFolders(AppState());
    } else {
        ApplicationSettings::SetUpUserFolders(AppState(), environment.configBase,
                                              environment.documentsBase);
    }
    Versionlabel->setText(
        ShellModule::VersionText(ZexVersion::Major, ZexVersion::Minor, ZexVersion::Patch));
    setWindowIcon(QIcon(QStringLiteral(":/app/zex-toolkit.svg")));
    roundCorners();
    TipModule::SetTipSink(this);
    SetMessageOwner(this);

    m_registry = new PageRegistry(
        *m_device,
        PageRegistryWindow{ButtonBar1,
                           [this] {
                               PageRefreshTimer->setInterval(InitialRefreshMs);
                               PageRefreshTimer->stop();
                               PageRefreshTimer->start();
                           },
                           [this](const QString& help) { Help->setText(help); },
                           [this] {
                               btnErrorReset->Enabled(false);
                               ShowStatus(QString(), false);
                           },
                           [this](const QString& tip) { TipOn(tip); }, [this] { TipOff(); },
                           [this](bool locked) { setUpdatesEnabled(!locked); }},
        this);
    connect(ButtonBar1, &ButtonBar::ButtonHover, this, [this](int index) {
        if (const ::Device* entry = m_registry->CurrentDeviceEntry();
            entry && index >= 1 && index <= entry->ButtonTooltipCollection.size()) {
            TipOn(entry->ButtonToolTip(qint16(index)));
        }
    });
    connect(ButtonBar1, &ButtonBar::ButtonLeave, this, [this] { TipOff(); });
    connect(ButtonBar1, &ButtonBar::ButtonClick, this,
            [this](int index) { m_registry->NavigateTo(index); });
    PageCatalogue::RegisterPages(*this);

    startRadio();
    m_registry->SetPageHost(this, MainFrame);
    m_registry->BuildDeviceTable();
    m_registry->SelectDevice(QLatin1String(PageRegistry::HomeModel));
    m_registry->BuildMenu();
    if (!Brand().BrandURL.isEmpty()) {
        LargeLogo->setCursor(Qt::PointingHandCursor);
    }
    PageRefreshTimer->start();
    m_loaded = true;
    return true;
}

void MainFrm::startRadio() {
    // The links are made on the device thread, which they belong to; the radio probe runs there
    // too and reports in the status line while the window is already up.
    MonotonicClock* clock = m_environment.clock;
    auto factory = m_environment.radioFactory;
    const RadioUi ui = WindowUi::ForRadio(*this);
    auto present = std::make_shared<bool>(false);
    m_device->post(
        [this, clock, factory, ui, present] {
            std::unique_ptr<RadioFactory> radio = factory ? factory(*clock) : nullptr;
            if (!radio) {
                radio = std::make_unique<SocketRadioFactory>(*clock);
            }
            m_links = std::make_unique<ProgramLinks>(*clock, std::move(radio), *m_linkLog);
            *present = m_links->radio().StartRadio(ui) == RadioSupport::StartOutcome::Connected;
        },
        this,
        [this, present] {
            m_baseStationPresent = *present;
            m_radioProbed = true;
            if (AppState().Closing) {
                m_afterRadioProbe.clear();
                return;
            }
            const auto calls = std::move(m_afterRadioProbe);
            m_afterRadioProbe.clear();
            for (const auto& call : calls) {
                call();
            }
        });
}

void MainFrm::WhenRadioProbed(std::function<void()> call) {
    if (m_radioProbed) {
        call();
    } else {
        m_afterRadioProbe.push_back(std::move(call));
    }
}

bool MainFrm::HandleBranding() {
    const QString path = BrandingModule::BrandFilePath(m_environment.programFolder);
    const BrandingModule::BrandLoadResult result = BrandingModule::LoadBranding(path, Brand());
    if (result.ok()) {
        applyBrandToWindow();
        SmallLogo->setPixmap(QPixmap::fromImage(Brand().BrandLogoSmall));
        if (!Brand().BrandLogoSmall.isNull()) {
            // The small logo carries the name; the title would only repeat it.
            const QSize logo = Brand().BrandLogoSmall.size();
            SmallLogo->setGeometry(SmallLogo->x(), (TitleLabel->height() - logo.height()) / 2,
                                   logo.width(), logo.height());
            TitleLabel->hide();
            Versionlabel->move(SmallLogo->geometry().right() + px(300), Versionlabel->y());
        }
        LargeLogo->setPixmap(QPixmap::fromImage(Brand().BrandLogo));
        LargeLogo->resize(Brand().BrandLogo.size());
        ArrangeLogoframe();
        return true;
    }
    if (m_environment.criticalBox) {
        m_environment.criticalBox(
            QStringLiteral("Warning"),
            QStringLiteral("The integrity of the branding resource data cannot be verified! "
                           "Reinstalling this software may fix this issue.\n"
                           "If after reinstalling you still see this message please contact "
                           "the software supplier."));
    }
    if (!m_environment.ctrlAndShiftHeld || !m_environment.ctrlAndShiftHeld()) {
        return false;
    }
    useBuiltInLook();
    ArrangeLogoframe();
    return true;
}

void MainFrm::useBuiltInLook() {
    BrandValues& brand = Brand();
    brand.DisplayBack = background(MainFrame);
    brand.Text = Themes->BField1->ForeColor();
    brand.FieldBack = Themes->BField->BackColor();
    brand.HelpBack = background(MainHelp);
}

void MainFrm::applyBrandToWindow() {
    const BrandValues& brand = Brand();
    ColourModule::FillBackground(this, brand.Back);
    ColourModule::FillBackground(Divider, brand.Back);
    QKBtn* frameButton = Themes->BFrmButton;
    frameButton->BackColor(brand.Back);
    frameButton->BackColorHover(brand.Back);
    frameButton->BackColorDown(brand.Back);
    frameButton->BackColorDisabled(brand.Back);
    frameButton->ForeColor(brand.FieldBack);
    frameButton->ForeColorHover(brand.FieldBackHover);
    frameButton->ForeColorDown(brand.FieldBackDown);
    frameButton->ForeColorDisabled(brand.FieldBackDisabled);
    for (QWidget* panel : {static_cast<QWidget*>(MainFrame), static_cast<QWidget*>(LogoFrame),
                           static_cast<QWidget*>(FrameExt), static_cast<QWidget*>(InfoFrame),
                           static_cast<QWidget*>(Themes)}) {
        ColourModule::FillBackground(panel, brand.DisplayBack);
    }
    ButtonBar1->MenuBackcolor(brand.DisplayBack);
    ButtonBar1->MenuForecolor(brand.MenuFore);
    ButtonBar1->MenuForecolorHover(brand.MenuHover);
    ButtonBar1->MenuForecolorDown(brand.MenuDown);
    ButtonBar1->MenuForecolorDisabled(brand.MenuDisabled);
    ColourModule::SetTextColour(InfoLabel, brand.Title);
    ColourModule::SetTextColour(TitleLabel, brand.Title);
    ColourModule::SetTextColour(Versionlabel, brand.Text);
    ColourModule::FillBackground(MainHelp, brand.HelpBack);
    for (QLabel* label : {Help, IconHelp}) {
        ColourModule::SetTextColour(label, brand.HelpFore);
        ColourModule::FillBackground(label, brand.HelpBack);
    }
    ColourModule::SetTextColour(HelpTitleLabel, brand.HelpFore);
    // The masters' colours, then each master passes its look on to its style.
    Themes->ApplyBrand(brand);
}

void MainFrm::ArrangeLogoframe() {
    const int frameHeight = LargeLogo->height() + px(160);
    LogoFrame->resize(LogoFrame->width(), frameHeight);
    LargeLogo->move(px(120), px(80));
    const int logoTop = MainHelp->geometry().bottom() + 1 - frameHeight;
    LogoFrame->move(LogoFrame->x(), logoTop);
    MainFrame->resize(MainFrame->width(), logoTop - MainFrame->y() + px(160));
    LogoFrame->raise();
    roundCorners();
}

void MainFrm::closeEvent(QCloseEvent* event) {
    if (m_shutdownDone) {
        event->accept();
        return;
    }
    if (AppState().Closing) {
        // Shutdown is already under way; it closes the window when it is done.
        event->ignore();
        return;
    }
    runShutdown();
    event->accept();
}

void MainFrm::waitForDevice(qint64 timeoutMs) {
    m_device->waitIdle(Clock(), timeoutMs);
}

void MainFrm::runShutdown() {
    if (m_shutdownDone || AppState().Closing) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    AppState().Closing = true;
    HideTip->stop();
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    PageRefreshTimer->stop();
    QCoreApplication::processEvents();

    MonotonicClock& clock = Clock();
    if (m_registry && m_registry->IsRefreshBusy()) {
        ShowMessage(QStringLiteral("Waiting for current page refresh to complete..."),
                    QStringLiteral("Closing..."), false, MessageFrm::ModeNotice);
        const qint64 end = clock.nowMs() + ShutdownWaitMs;
        while (m_registry->IsRefreshBusy() && clock.nowMs() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            clock.waitMs(5);
        }
        UnloadMessageFrm();
        if (m_registry->IsRefreshBusy() && m_environment.criticalBox) {
            m_environment.criticalBox(
                QStringLiteral("Error Closing"),
                QStringLiteral("Tried to shut down but events still being executed in child "
                               "page refresh!"));
        }
    }
    UnloadMessageFrm();
    if (m_linkLogFrm) {
        m_linkLogFrm->close();
    }
    if (m_registry) {
        m_registry->SetPageHost(nullptr, nullptr);
        m_registry->UnloadAllPages();
        m_registry->ReleaseDevices();
        // The pages go now, not after shutdown: what they leave to the device (a calibration
        // put back) is queued before the links close.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The links are closed on their own thread, in order; each step's failure is skipped.
    m_device->post([] {
        if (ZEX* device = CurrentDevice::Get()) {
            device->CloseInterface();
        }
    });
    m_device->post([this] {
        if (m_links) {
            Zarnbus2Module::ClosePort(m_links->serial());
        }
    });
    m_device->post([] { CurrentDevice::Release(); });
    m_device->post([this] {
        if (m_links) {
            m_links->radio().StopRadio();
        }
    });
    m_device->post([this] { m_links.reset(); });
    // The port's last bytes and the radio link each take up to a second to wind down; a device
    // still blocked in the refresh that did not finish gets a few seconds more.
    waitForDevice(8000);
    QApplication::restoreOverrideCursor();
    if (m_busyPointer) {
        SetBusyPointer(false);
    }
    TipModule::SetTipSink(nullptr);
    SetMessageOwner(nullptr);
    FontsModule::UnregisterPrivateFonts();
    m_device->stop(2000);
    m_shutdownDone = true;
    Q_EMIT ShutDown();
}
