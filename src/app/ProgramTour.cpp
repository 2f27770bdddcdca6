#include "app/ProgramTour.h"

#include "controls/QKBtn.h"
#include "controls/TextFrame.h"
#include "device/Device.h"
#include "pages/CHILD_GEN_HOME.h"
#include "pages/CHILD_GEN_INFO.h"
#include "serial/COMDetectModule.h"
#include "shell/MainFrm.h"
#include "shell/MessageFrm.h"
#include "shell/PageRegistry.h"
#include "shell/ProgramEnvironment.h"
#include "store/ApplicationSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QTabWidget>
#include <QTextStream>
#include <QTime>

namespace {

constexpr char InformationPage[] = "CHILD_GEN_INFO";

} // namespace

ProgramTour::ProgramTour(MainFrm& window, Plan plan, QTextStream& out, QTextStream& err)
    : QObject(&window)
    , m_window(window)
    , m_plan(std::move(plan))
    , m_out(out)
    , m_err(err) {
    m_dialogs.setInterval(20);
    connect(&m_dialogs, &QTimer::timeout, this, &ProgramTour::answerDialogs);
    m_deadline.setSingleShot(true);
    m_ticks.setInterval(1000);
    m_ticks.setTimerType(Qt::PreciseTimer);
    connect(&m_ticks, &QTimer::timeout, this, [this] {
        if (m_printed >= m_plan.seconds) {
            finish();
        } else {
            printLine();
        }
    });
}

void ProgramTour::IsolateSettings(ProgramEnvironment& environment, const QString& scratchFolder,
                                  QTextStream& err) {
    const QDir scratch(scratchFolder);
    environment.configBase = scratch.filePath(QStringLiteral("config"));
    environment.documentsBase = scratch.filePath(QStringLiteral("documents"));
    const QString settings = QLatin1String(ApplicationSettings::FolderName) + QLatin1Char('/') +
                             QLatin1String(ApplicationSettings::ConfigFileName);
    const QString stored = QDir(ApplicationSettings::PlatformConfigBase()).filePath(settings);
    const QString copy = QDir(environment.configBase).filePath(settings);
    if (QFileInfo(stored).isFile() &&
        (!QDir().mkpath(QFileInfo(copy).path()) || !QFile::copy(stored, copy))) {
        err << "zex-toolkit: could not copy " << stored
            << "; the tour uses the default station and baud rate\n";
        err.flush();
    }
    QTextStream* stream = &err;
    environment.criticalBox = [stream](const QString& title, const QString& text) {
        *stream << "zex-toolkit: " << title << ": " << text << "\n";
        stream->flush();
    };
    environment.openUrl = [](const QUrl&) { return false; };
}

void ProgramTour::start() {
    m_window.WhenRadioProbed([this] { connectToModule(); });
}

QString ProgramTour::portName() const {
    const int port = m_window.Environment().preselectedPort;
    if (port > 0) {
        return COMDetectModule::PortName(port);
    }
    const auto* home = qobject_cast<CHILD_GEN_HOME*>(
        m_window.Registry().LoadedPage(QLatin1String(PageRegistry::HomePage)));
    return home ? home->PortList->Caption() : QString();
}

void ProgramTour::connectToModule() {
    auto* home = qobject_cast<CHILD_GEN_HOME*>(
        m_window.Registry().LoadedPage(QLatin1String(PageRegistry::HomePage)));
    if (!home || m_window.Registry().CurrentPageName() != QLatin1String(PageRegistry::HomePage)) {
        fail(QStringLiteral("the Home page is not shown"));
        return;
    }
    const int port = m_window.Environment().preselectedPort;
    home->RefreshPortList(qint16(port));
    const QString chosen = home->PortList->Caption();
    if (port > 0 && chosen != COMDetectModule::PortName(port)) {
        QStringList ports;
        for (const int present : COMDetectModule::EnumSerialPorts()) {
            ports.append(COMDetectModule::PortName(present));
        }
        fail(QStringLiteral("%1 is not a serial port of this computer (%2)")
                 .arg(COMDetectModule::PortName(port),
                      ports.isEmpty() ? QStringLiteral("none found")
                                      : QStringLiteral("found: ") + ports.join(QLatin1Char(' '))));
        return;
    }
    if (chosen.isEmpty() || !home->BtnConnect->Enabled()) {
        fail(QStringLiteral("no serial port found to connect to"));
        return;
    }
    home->XTab1->setCurrentIndex(0);
    if (!m_plan.homeScreenshot.isEmpty() && !saveScreenshot(m_plan.homeScreenshot, "Home")) {
        return;
    }
    m_out << "Connecting on " << chosen << " to station " << home->STATION->Caption() << " at "
          << home->BAUD->Caption() << " baud...\n";
    m_out.flush();
    connect(home, &CHILD_GEN_HOME::ConnectFinished, this, &ProgramTour::onConnectFinished,
            Qt::SingleShotConnection);
    m_deadline.disconnect();
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("the connection did not finish within %1 s")
                 .arg(ConnectTimeoutMs / 1000));
    });
    m_deadline.start(ConnectTimeoutMs);
    m_dialogs.start();
    home->BtnConnect->HandleClick();
}

void ProgramTour::answerDialogs() {
    MessageFrm* frm = LoadedMessageFrm();
    if (!frm || !frm->isVisible() ||
        (frm->mode() != MessageFrm::ModeOK && frm->mode() != MessageFrm::ModeYesNo)) {
        return;
    }
    m_messages.append(frm->Title->text() + QStringLiteral(": ") + frm->messageText());
    frm->btnOK->HandleClick();
}

void ProgramTour::onConnectFinished() {
    if (m_done) {
        return;
    }
    m_deadline.stop();
    m_dialogs.stop();
    answerDialogs();
    const ::Device* entry = m_window.Registry().CurrentDeviceEntry();
    if (!entry ||
        entry->Model.compare(QLatin1String(PageRegistry::ZexModel), Qt::CaseInsensitive) != 0) {
        QStringList reasons = m_messages;
        const QString status = m_window.InfoLabel->text();
        if (!status.isEmpty()) {
            reasons.append(status);
        }
        fail(QStringLiteral("could not connect on %1: %2")
                 .arg(portName(), reasons.isEmpty() ? QStringLiteral("no module answered")
                                                    : reasons.join(QStringLiteral("; "))));
        return;
    }
    connect(&m_window, &MainFrm::RefreshShown, this, &ProgramTour::onRefreshShown);
    m_deadline.disconnect();
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("the Information page was not shown within %1 s")
                 .arg(PageTimeoutMs / 1000));
    });
    m_deadline.start(PageTimeoutMs);
}

void ProgramTour::onRefreshShown() {
    if (m_finishing) {
        conclude();
        return;
    }
    if (m_showing || m_done ||
        m_window.Registry().CurrentPageName() != QLatin1String(InformationPage)) {
        return;
    }
    m_showing = true;
    m_deadline.stop();
    if (const auto* info = qobject_cast<CHILD_GEN_INFO*>(
            m_window.Registry().LoadedPage(QLatin1String(InformationPage)))) {
        m_out << "Connected. Information page: firmware " << info->pbFirmware->Caption();
        if (!info->pbSerialNumber->isHidden()) {
            m_out << ", serial number " << info->pbSerialNumber->Caption();
        }
        m_out << "\n";
    }
    printLine();
    m_ticks.start();
}

void ProgramTour::printLine() {
    const auto* info = qobject_cast<CHILD_GEN_INFO*>(
        m_window.Registry().LoadedPage(QLatin1String(InformationPage)));
    if (!info) {
        fail(QStringLiteral("the Information page was closed"));
        return;
    }
    ++m_printed;
    QStringList annunciators;
    for (const QKBtn* part : {info->LCDNet, info->LCDPeak, info->LCDBatt}) {
        if (!part->isHidden()) {
            annunciators.append(part->Caption());
        }
    }
    m_out << QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) << "  display "
          << info->LCD1->Caption().trimmed();
    if (!info->LCDUnits->Caption().isEmpty()) {
        m_out << " " << info->LCDUnits->Caption();
    }
    if (!annunciators.isEmpty()) {
        m_out << "  " << annunciators.join(QStringLiteral(", "));
    }
    if (!info->ErrorMessage->isHidden()) {
        m_out << "  (" << info->ErrorMessage->Caption().simplified() << ")";
    }
    const QString status = m_window.InfoLabel->text();
    if (!status.isEmpty()) {
        m_out << "  status: " << status;
    }
    m_out << "\n";
    m_out.flush();
}

void ProgramTour::finish() {
    if (m_done || m_finishing) {
        return;
    }
    // The verdict and the picture come from a refresh that ends after the tour's time, so a
    // module that stopped answering near the end is not taken for one that answered.
    m_ticks.stop();
    m_finishing = true;
    m_deadline.disconnect();
    connect(&m_deadline, &QTimer::timeout, this, &ProgramTour::conclude);
    m_deadline.start(PageTimeoutMs);
}

void ProgramTour::conclude() {
    if (m_done) {
        return;
    }
    m_deadline.stop();
    if (!m_plan.screenshot.isEmpty() && !saveScreenshot(m_plan.screenshot, "Information")) {
        return;
    }
    const QString status = m_window.InfoLabel->text();
    if (status.startsWith(QLatin1String(MainFrm::FailurePrefix))) {
        fail(QStringLiteral("the module stopped answering: ") +
             status.mid(int(qstrlen(MainFrm::FailurePrefix))));
        return;
    }
    m_done = true;
    Q_EMIT finished(0);
}

bool ProgramTour::saveScreenshot(const QString& path, const QString& what) {
    const QFileInfo file(path);
    const QPixmap picture = m_window.grab();
    const char* format = file.suffix().isEmpty() ? "PNG" : nullptr;
    if (picture.isNull() || !picture.save(path, format)) {
        fail(QStringLiteral("could not write the screenshot %1").arg(file.absoluteFilePath()));
        return false;
    }
    m_out << "Screenshot of the " << what << " page: " << file.absoluteFilePath() << " ("
          << picture.width() << " x " << picture.height() << ")\n";
    m_out.flush();
    return true;
}

void ProgramTour::fail(const QString& reason) {
    if (m_done) {
        return;
    }
    m_done = true;
    m_ticks.stop();
    m_deadline.stop();
    m_dialogs.stop();
    m_err << "zex-toolkit: " << reason << "\n";
    m_err.flush();
    Q_EMIT finished(1);
}
