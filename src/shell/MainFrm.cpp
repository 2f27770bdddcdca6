#include "shell/MainFrm.h"

#include "controls/ButtonBar.h"
#include "controls/ButtonGlyphs.h"
#include "controls/ColourModule.h"
#include "controls/QKBtn.h"
#include "controls/Themes.h"
#include "controls/TwipsModule.h"
#include "device/CurrentDevice.h"
#include "device/DeviceThread.h"
#include "device/ZEX.h"
#include "linklog/LinkLogTap.h"
#include "shell/EscapeLatch.h"
#include "shell/LinkLogFrm.h"
#include "shell/MessageFrm.h"
#include "shell/PageRegistry.h"
#include "shell/ProgramLinks.h"
#include "shell/RefreshBatch.h"
#include "shell/ShellModule.h"
#include "store/BrandValues.h"
#include "util/ApplicationState.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QSvgRenderer>
#include <QTimer>
#include <QWindow>

namespace {

// The window's design, in twips (15 to a pixel on an ordinary screen): a title bar that holds
// the logo, the version, the navigation bar and the window buttons; below it the page area with
// the help panel beside it, and the status line across the bottom.
constexpr double WindowWidth = 16200;
constexpr double Margin = 210;
constexpr double TitleBarHeight = 960;
constexpr double TitleButtonWidth = 540;
constexpr double TitleButtonHeight = 420;
constexpr double PageTop = TitleBarHeight + 60;
constexpr double HelpWidth = 4080;
constexpr double PageAreaHeight = 8100;
constexpr double InfoHeight = 600;
constexpr double Gap = 150;

// The look the window has before a brand is applied, and keeps when the brand file cannot be
// verified and the built-in look is asked for: dark panels with light text.
constexpr ColourValue DesignBack = ColourModule::Rgb(0x27, 0x27, 0x27);
constexpr ColourValue DesignPanel = ColourModule::Rgb(0x35, 0x35, 0x35);
constexpr ColourValue DesignHelpBack = ColourModule::Rgb(0x2E, 0x2E, 0x2E);
constexpr ColourValue DesignHelpFore = ColourModule::Rgb(0xE0, 0xE0, 0xE0);
constexpr ColourValue StatusGrey = ColourModule::Rgb(0xA0, 0xA0, 0xA0);

QFont humanist(double points, bool bold = false) {
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QPixmap activityPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/glyphs/arrow-repeat.svg"));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), QColor(0x80, 0xC0, 0xFF));
    return pixmap;
}

} // namespace

MainFrm::MainFrm(ProgramEnvironment environment, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_environment(std::move(environment))
    , m_device(std::make_unique<DeviceThread>())
    , m_linkLog(std::make_unique<LinkLogTap>()) {
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("ZEX Toolkit"));
    // A new window is a new run of the program.
    AppState().Closing = false;
    m_escape = new EscapeLatch(this);
    qApp->installEventFilter(m_escape);
    qApp->installEventFilter(this);
    m_device->setFailureHandler(
        [](const QString& reason) { qWarning("A device job failed: %s", qPrintable(reason)); });
    CurrentDevice::SetDeviceThread(m_device.get());
    buildParts();
    layoutParts();
}

MainFrm::~MainFrm() {
    qApp->removeEventFilter(this);
    if (!m_shutdownDone) {
        runShutdown();
    }
    CurrentDevice::SetDeviceThread(nullptr);
    TipModule::SetTipSink(nullptr);
}

int MainFrm::px(double twips) const {
    return TwipsModule::ToPixels(twips, this);
}

void MainFrm::buildParts() {
    ColourModule::FillBackground(this, DesignBack);

    // The masters come first, so every later control of a style takes their look.
    Themes = new ::Themes(this);
    Themes->setObjectName(QStringLiteral("Themes"));
    Themes->hide();

    SmallLogo = new QLabel(this);
    SmallLogo->setObjectName(QStringLiteral("SmallLogo"));
    TitleLabel = new QLabel(QStringLiteral("ZEX Toolkit"), this);
    TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
    TitleLabel->setFont(humanist(13, true));
    Versionlabel = new QLabel(this);
    Versionlabel->setObjectName(QStringLiteral("Versionlabel"));
    Versionlabel->setFont(humanist(9));
    ColourModule::SetTextColour(TitleLabel, DesignHelpFore);
    ColourModule::SetTextColour(Versionlabel, StatusGrey);

    auto titleButton = [this](const char* name, QChar glyph, const char* tip) {
        auto* button = new QKBtn(this);
        button->setObjectName(QLatin1String(name));
        button->Style(QStringLiteral("FrmButtons"));
        QFont font = button->Font();
        font.setFamily(QLatin1String(ButtonGlyphs::FontFamily));
        font.setPointSizeF(13.5);
        button->Font(font);
        button->Caption(QString(glyph));
        const QString tipText = QLatin1String(tip);
        connect(button, &QKBtn::MouseIn, this, [this, tipText] { TipOn(tipText); });
        connect(button, &QKBtn::MouseOut, this, [this] { TipOff(); });
        return button;
    };
    ButtonHelp =
        titleButton("ButtonHelp", ButtonGlyphs::Help, "Show Help*Select a help file to display.");
    ButtonMin = titleButton("ButtonMin", ButtonGlyphs::Minimise, "Minimise*Minimise this window.");
    ButtonClose = titleButton("ButtonClose", ButtonGlyphs::Close, "Close*Close this application.");

    mnuHelp = new QMenu(this);
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuStdHelp = mnuHelp->addAction(QStringLiteral("Standard Manual"));
    mnuStdHelp->setObjectName(QStringLiteral("mnuStdHelp"));
    mnuAdvHelp = mnuHelp->addAction(QStringLiteral("Advanced Manual"));
    mnuAdvHelp->setObjectName(QStringLiteral("mnuAdvHelp"));
    mnuHelp->addSeparator();
    mnuLinkLog = mnuHelp->addAction(QStringLiteral("Link Log\tCtrl+L"));
    mnuLinkLog->setObjectName(QStringLiteral("mnuLinkLog"));
    connect(mnuLinkLog, &QAction::triggered, this, [this] { ShowLinkLog(); });
    auto* linkLogKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    linkLogKey->setContext(Qt::ApplicationShortcut);
    connect(linkLogKey, &QShortcut::activated, this, [this] { ShowLinkLog(); });
    connect(mnuStdHelp, &QAction::triggered, this, [this] { openManual(StandardManual); });
    connect(mnuAdvHelp, &QAction::triggered, this, [this] { openManual(AdvancedManual); });
    connect(ButtonHelp, &QKBtn::Click, this, [this] {
        ButtonHelp->State(false);
        mnuHelp->popup(QCursor::pos());
    });
    connect(ButtonMin, &QKBtn::Click, this, [this] {
        ButtonMin->State(false);
        showMinimized();
    });
    connect(ButtonClose, &QKBtn::Click, this, [this] {
        if (QWidget* grabber = QWidget::mouseGrabber()) {
            grabber->releaseMouse();
        }
        UnloadMessageFrm();
        close();
    });

    Divider = new QFrame(this);
    Divider->setObjectName(QStringLiteral("Divider"));
    ColourModule::FillBackground(Divider, DesignBack);

    FrameExt = new QFrame(this);
    FrameExt->setObjectName(QStringLiteral("FrameExt"));
    ColourModule::FillBackground(FrameExt, DesignPanel);
    // The bar keeps its right edge as it grows; the panel behind it follows its size.
    ButtonBar1 = new ::ButtonBar(this);
    ButtonBar1->setObjectName(QStringLiteral("ButtonBar1"));
    ButtonBar1->installEventFilter(this);

    MainFrame = new QFrame(this);
    MainFrame->setObjectName(QStringLiteral("MainFrame"));
    ColourModule::FillBackground(MainFrame, DesignPanel);

    MainHelp = new QFrame(this);
    MainHelp->setObjectName(QStringLiteral("MainHelp"));
    ColourModule::FillBackground(MainHelp, DesignHelpBack);
    HelpTitleLabel = new QLabel(QStringLiteral("Help"), MainHelp);
    HelpTitleLabel->setObjectName(QStringLiteral("HelpTitleLabel"));
    HelpTitleLabel->setFont(humanist(12, true));
    Help = new QLabel(MainHelp);
    Help->setObjectName(QStringLiteral("Help"));
    IconHelp = new QLabel(MainHelp);
    IconHelp->setObjectName(QStringLiteral("IconHelp"));
    for (QLabel* text : {Help, IconHelp}) {
        text->setFont(humanist(10));
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        text->setTextFormat(Qt::PlainText);
        ColourModule::FillBackground(text, DesignHelpBack);
        ColourModule::SetTextColour(text, DesignHelpFore);
    }
    ColourModule::SetTextColour(HelpTitleLabel, DesignHelpFore);
    IconHelp->hide();

    LogoFrame = new QFrame(this);
    LogoFrame->setObjectName(QStringLiteral("LogoFrame"));
    ColourModule::FillBackground(LogoFrame, DesignPanel);
    LargeLogo = new QLabel(LogoFrame);
    LargeLogo->setObjectName(QStringLiteral("LargeLogo"));

    InfoFrame = new QFrame(this);
    InfoFrame->setObjectName(QStringLiteral("InfoFrame"));
    ColourModule::FillBackground(InfoFrame, DesignPanel);
    InfoLabel = new QLabel(InfoFrame);
    InfoLabel->setObjectName(QStringLiteral("InfoLabel"));
    InfoLabel->setFont(humanist(10));
    InfoLabel->setTextFormat(Qt::PlainText);
    ColourModule::SetTextColour(InfoLabel, StatusGrey);
    // A long port failure (which program holds the port) must stay readable in full.
    InfoLabel->setWordWrap(true);
    Comms = new QLabel(InfoFrame);
    Comms->setObjectName(QStringLiteral("Comms"));
    Comms->hide();
    btnErrorReset = new QKBtn(InfoFrame);
    btnErrorReset->setObjectName(QStringLiteral("btnErrorReset"));
    btnErrorReset->Style(QStringLiteral("Button"));
    btnErrorReset->Caption(QStringLiteral("Retry"));
    btnErrorReset->Enabled(false);
    btnErrorReset->SetToolTip(
        QStringLiteral("Retry*Clear the communication failure and try the module again."));
    connect(btnErrorReset, &QKBtn::Click, this, [this] {
        if (!AppState().Closing) {
            DoErrorReset();
        }
    });

    PageRefreshTimer = new QTimer(this);
    PageRefreshTimer->setObjectName(QStringLiteral("PageRefreshTimer"));
    PageRefreshTimer->setTimerType(Qt::PreciseTimer);
    PageRefreshTimer->setInterval(InitialRefreshMs);
    connect(PageRefreshTimer, &QTimer::timeout, this, &MainFrm::onRefreshTick);
    HideTip = new QTimer(this);
    HideTip->setObjectName(QStringLiteral("HideTip"));
    HideTip->setInterval(200);
    connect(HideTip, &QTimer::timeout, this, &MainFrm::onHideTip);
}

void MainFrm::layoutParts() {
    const int width = px(WindowWidth);
    const int margin = px(Margin);
    const int buttonWidth = px(TitleButtonWidth);
    const int buttonHeight = px(TitleButtonHeight);
    const int buttonTop = (px(TitleBarHeight) - buttonHeight) / 2;
    int x = width - margin - buttonWidth;
    for (QKBtn* button : {ButtonClose, ButtonMin, ButtonHelp}) {
        button->setGeometry(x, buttonTop, buttonWidth, buttonHeight);
        x -= buttonWidth + px(60);
    }
    const int titleBar = px(TitleBarHeight);
    const int logoHeight = px(480);
    SmallLogo->setGeometry(margin + px(60), (titleBar - logoHeight) / 2, px(1800), logoHeight);
    TitleLabel->setGeometry(SmallLogo->geometry().right() + px(180), 0, px(2000), titleBar);
    Versionlabel->setGeometry(TitleLabel->geometry().right() + px(60), 0, px(2200), titleBar);
    Divider->setGeometry(margin, titleBar, width - 2 * margin, 1);

    const int barRight = ButtonHelp->x() - px(240);
    ButtonBar1->move(barRight - ButtonBar1->width(), (titleBar - ButtonBar1->height()) / 2);
    fitFrameExt();

    const int pageWidth = width - 2 * margin - px(HelpWidth) - px(Gap);
    MainFrame->setGeometry(margin, px(PageTop), pageWidth, px(PageAreaHeight));
    MainHelp->setGeometry(MainFrame->geometry().right() + 1 + px(Gap), px(PageTop), px(HelpWidth),
                          px(PageAreaHeight));
    const int inner = px(180);
    HelpTitleLabel->setGeometry(inner, inner, MainHelp->width() - 2 * inner, px(420));
    const QRect helpText(inner, HelpTitleLabel->geometry().bottom() + px(120),
                         MainHelp->width() - 2 * inner,
                         MainHelp->height() - HelpTitleLabel->geometry().bottom() - px(300));
    Help->setGeometry(helpText);
    IconHelp->setGeometry(helpText);

    LogoFrame->setGeometry(margin, MainFrame->geometry().bottom(), pageWidth, px(1240));
    m_barRight = barRight;
    const int infoTop = MainHelp->geometry().bottom() + 1 + px(Gap);
    InfoFrame->setGeometry(margin, infoTop, width - 2 * margin, px(InfoHeight));
    const int retryWidth = px(1200);
    const int retryHeight = InfoFrame->height() - px(150);
    btnErrorReset->setGeometry(InfoFrame->width() - retryWidth - px(120),
                               (InfoFrame->height() - retryHeight) / 2, retryWidth, retryHeight);
    const int commsSize = px(300);
    Comms->setGeometry(btnErrorReset->x() - commsSize - px(180),
                       (InfoFrame->height() - commsSize) / 2, commsSize, commsSize);
    Comms->setPixmap(activityPixmap(commsSize));
    InfoLabel->setGeometry(px(180), 0, Comms->x() - px(360), InfoFrame->height());
    setFixedSize(width, InfoFrame->geometry().bottom() + 1 + margin);
}

void MainFrm::fitFrameExt() {
    // The bar grows to the left when buttons are added; it keeps its right edge by the window
    // buttons, and the rounded panel behind it follows.
    if (m_barRight > 0 && ButtonBar1->geometry().right() + 1 != m_barRight) {
        ButtonBar1->move(m_barRight - ButtonBar1->width(), ButtonBar1->y());
    }
    FrameExt->setGeometry(ButtonBar1->geometry().adjusted(-px(60), 0, px(60), 0));
    FrameExt->lower();
    QPainterPath path;
    path.addRoundedRect(QRectF(FrameExt->rect()), 12, 12);
    FrameExt->setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void MainFrm::roundCorners() {
    auto round = [](QWidget* widget, int radius) {
        QPainterPath path;
        path.addRoundedRect(QRectF(widget->rect()), radius, radius);
        widget->setMask(QRegion(path.toFillPolygon().toPolygon()));
    };
    round(this, 15);
    for (QWidget* part : {static_cast<QWidget*>(MainFrame), static_cast<QWidget*>(MainHelp),
                          static_cast<QWidget*>(LogoFrame)}) {
        round(part, 12);
    }
    round(InfoFrame, 7);
}

void MainFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    roundCorners();
}

void MainFrm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The rounded outline in the help panel's colour around the whole window.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(
        QPen(ColourModule::ToQColor(Brand().HelpBack ? Brand().HelpBack : DesignHelpBack), 1.5));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 8, 8);
}

void MainFrm::ShowStatus(const QString& text, bool error) {
    if (InfoLabel->text() == text) {
        return;
    }
    QFont font = InfoLabel->font();
    font.setBold(error);
    InfoLabel->setFont(font);
    InfoLabel->setText(error ? QLatin1String(FailurePrefix) + text : text);
    ColourModule::SetTextColour(InfoLabel, StatusGrey);
    InfoLabel->repaint();
}

void MainFrm::DoErrorReset() {
    ++m_resetGeneration;
    btnErrorReset->Enabled(false);
    InfoLabel->clear();
    if (AppState().Closing) {
        return;
    }
    m_device->post([] {
        if (ZEX* device = CurrentDevice::Get()) {
            device->ResetError();
        }
    });
}

void MainFrm::TipOn(const QString& text) {
    const int star = int(text.indexOf(QLatin1Char('*')));
    if (star >= 0) {
        HelpTitleLabel->setText(text.left(star));
        IconHelp->setText(text.mid(star + 1));
    } else {
        IconHelp->setText(QStringLiteral("No information available!"));
    }
    IconHelp->raise();
    IconHelp->show();
    HideTip->stop();
}

void MainFrm::TipOff() {
    HideTip->start();
}

void MainFrm::onHideTip() {
    if (AppState().Closing) {
        return;
    }
    HideTip->stop();
    IconHelp->clear();
    IconHelp->hide();
    HelpTitleLabel->setText(QStringLiteral("Help"));
}

void MainFrm::SetRefreshInterval(int intervalMs) {
    PageRefreshTimer->setInterval(intervalMs);
}

void MainFrm::RefreshNow() {
    if (AppState().Closing) {
        return;
    }
    if (m_registry && m_registry->IsRefreshBusy()) {
        m_refreshMissed = true;
        return;
    }
    onRefreshTick();
}

void MainFrm::onRefreshTick() {
    if (AppState().Closing || !m_registry) {
        return;
    }
    if (m_inputBlocked) {
        // A connection is being made: the device it leaves behind is not refreshed until then.
        return;
    }
    if (m_registry->IsRefreshBusy()) {
        // Ticks do not queue behind a slow refresh: one more starts as soon as it has ended.
        m_refreshMissed = true;
        return;
    }
    Comms->show();
    Comms->repaint();
    m_registry->RefreshCurrentPage([this](RefreshBatch& batch) { communicationCheck(batch); },
                                   [this] {
                                       if (AppState().Closing) {
                                           return;
                                       }
                                       Comms->hide();
                                       Q_EMIT RefreshShown();
                                       if (m_refreshMissed) {
                                           // The missed tick's refresh starts now, and the
                                           // next tick is a whole interval after it.
                                           m_refreshMissed = false;
                                           PageRefreshTimer->start();
                                           QTimer::singleShot(0, this, &MainFrm::onRefreshTick);
                                       }
                                   });
}

void MainFrm::communicationCheck(RefreshBatch& batch) {
    batch.value(
        this,
        [](ZEX& device) {
            return std::make_tuple(device.ErrorDescription(), device.IsR58(),
                                   AppState().StatusText);
        },
        [this, generation = m_resetGeneration](const std::tuple<QString, bool, QString>& state) {
            // A refresh that read the device before "Retry" was pressed would show the failure
            // that was just cleared.
            if (generation == m_resetGeneration) {
                showCommunicationState(std::get<0>(state), std::get<1>(state), std::get<2>(state));
            }
        });
}

void MainFrm::showCommunicationState(const QString& description, bool radio,
                                     const QString& status) {
    if (AppState().Closing) {
        return;
    }
    if (description.isEmpty()) {
        ShowStatus(status, false);
        return;
    }
    ShowStatus(description, true);
    if (!radio) {
        btnErrorReset->Enabled(true);
    }
}

void MainFrm::SetBusyPointer(bool busy) {
    if (busy == m_busyPointer) {
        return;
    }
    m_busyPointer = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void MainFrm::BlockInput(bool blocked) {
    m_inputBlocked = blocked;
}

void MainFrm::startMove() {
    if (QWindow* handle = windowHandle()) {
        handle->startSystemMove();
    }
}

void MainFrm::mousePressEvent(QMouseEvent* event) {
    // Only a press on the window's own background moves it; a press that a page or control
    // left unhandled (a label, an inactive field) does not.
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint())) {
        m_movePress = event->globalPosition().toPoint();
        m_moveArmed = true;
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void MainFrm::mouseMoveEvent(QMouseEvent* event) {
    if (moveOnDrag(event)) {
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void MainFrm::mouseReleaseEvent(QMouseEvent* event) {
    m_moveArmed = false;
    QWidget::mouseReleaseEvent(event);
}

bool MainFrm::moveOnDrag(QMouseEvent* event) {
    // The move starts once the pointer is dragged, not on the press: a plain click must never
    // leave the window manager moving the window.
    if (!m_moveArmed || !(event->buttons() & Qt::LeftButton)) {
        m_moveArmed = false;
        return false;
    }
    if ((event->globalPosition().toPoint() - m_movePress).manhattanLength() <
        QApplication::startDragDistance()) {
        return true;
    }
    m_moveArmed = false;
    startMove();
    return true;
}

bool MainFrm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == ButtonBar1 && (type == QEvent::Resize || type == QEvent::Move)) {
        fitFrameExt();
    }
    const bool input = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                       type == QEvent::MouseButtonDblClick || type == QEvent::KeyPress ||
                       type == QEvent::KeyRelease || type == QEvent::Wheel;
    if (input && m_inputBlocked && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this) {
            return true;
        }
    }
    if ((watched == TitleLabel || watched == Versionlabel || watched == SmallLogo) &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseMove)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            m_movePress = mouse->globalPosition().toPoint();
            m_moveArmed = true;
            return true;
        }
        if (type == QEvent::MouseMove && moveOnDrag(mouse)) {
            return true;
        }
    }
    if (type == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == LargeLogo && !Brand().BrandURL.isEmpty()) {
            openBrandAddress();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainFrm::openManual(const char* fileName) {
    const QString path = m_environment.programFolder + QLatin1Char('/') + QLatin1String(fileName);
    if (!ShellModule::OpenDocument(path, m_environment.openUrl)) {
        ShowStatus(QStringLiteral("Cannot open %1").arg(QLatin1String(fileName)), false);
    }
}

LinkLogFrm* MainFrm::ShowLinkLog() {
    if (AppState().Closing) {
        return m_linkLogFrm;
    }
    if (!m_linkLogFrm) {
        m_linkLogFrm = new LinkLogFrm(*m_linkLog, this);
    }
    m_linkLogFrm->show();
    m_linkLogFrm->raise();
    m_linkLogFrm->activateWindow();
    return m_linkLogFrm;
}

void MainFrm::openBrandAddress() {
    ShellModule::OpenWebAddress(Brand().BrandURL, m_environment.openUrl);
}
