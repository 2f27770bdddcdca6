#include "support/ProgramFixture.h"

#include "controls/QKBtn.h"
#include "pages/CHILD_GEN_HOME.h"
#include "radio/RadioSocketConnection.h"
#include "radio/SocketRadioFactory.h"
#include "serial/COMDetectModule.h"
#include "shell/MainFrm.h"
#include "shell/MessageFrm.h"
#include "shell/PageRegistry.h"
#include "sim/RadioSimulation.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatorServer.h"
#include "store/BrandValues.h"
#include "util/ApplicationState.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QUuid>

namespace {

QString sourceBrandFile() {
    return QStringLiteral(ZEX_TEST_SOURCE_DIR "/resources/default.qkb");
}

} // namespace

ProgramFixture::ProgramFixture()
    : ProgramFixture(Options()) {}

ProgramFixture::ProgramFixture(Options options)
    : m_options(std::move(options))
    , m_configHome("XDG_CONFIG_HOME",
                   QFile::encodeName(m_user.filePath(QStringLiteral("config")))) {
    if (m_options.modules.isEmpty()) {
        ModuleConfig module;
        m_options.modules.append(module);
    }
    QDir().mkpath(m_user.filePath(QStringLiteral("config")));
    Brand() = BrandValues();
    AppState() = ApplicationState();
}

ProgramFixture::~ProgramFixture() {
    m_answerer.stop();
    if (m_window) {
        m_window->close();
        m_window.reset();
    }
    if (m_port) {
        COMDetectModule::WithdrawPort(m_port);
    }
    m_radio.reset();
    if (m_bus) {
        m_bus->stop();
    }
}

bool ProgramFixture::start() {
    QByteArray brand;
    QFile source(sourceBrandFile());
    if (!source.open(QIODevice::ReadOnly)) {
        m_failure = QStringLiteral("no brand file at %1").arg(sourceBrandFile());
        return false;
    }
    brand = source.readAll();
    if (m_options.tamperedBrand) {
        brand.replace("<mode>0</mode>", "<mode>1</mode>");
    }
    QFile target(m_program.filePath(QStringLiteral("default.qkb")));
    if (!target.open(QIODevice::WriteOnly) || target.write(brand) != brand.size()) {
        m_failure = QStringLiteral("cannot write the scratch brand file");
        return false;
    }
    target.close();

    auto bus = std::make_unique<SimulatedBus>(m_moduleClock, 4242);
    for (const ModuleConfig& module : m_options.modules) {
        bus->addModule(module);
    }
    bus->setTiming(m_options.timing);
    m_bus = std::make_unique<SimulatorServer>(std::move(bus));
    if (!m_bus->start(&m_failure)) {
        return false;
    }
    QString error;
    m_port = COMDetectModule::OfferDeviceOnFreePort(m_bus->linkTarget(),
                                                    COMDetectModule::FirstSimulatorPort,
                                                    COMDetectModule::LastSimulatorPort, &error);
    if (!m_port) {
        m_failure = error;
        return false;
    }

    m_socketName = QStringLiteral("zex-test-") + QUuid::createUuid().toString(QUuid::Id128);
    if (m_options.withBaseStation) {
        QStringList arguments{QStringLiteral("--radio-socket"), m_socketName};
        arguments += m_options.radioArguments;
        m_radio = RadioSimulation::FromArguments(arguments, m_moduleClock, &m_failure);
        if (!m_radio || !m_radio->start(&m_failure)) {
            return false;
        }
    }

    ProgramEnvironment environment;
    environment.programFolder = m_program.path();
    environment.configBase = m_user.filePath(QStringLiteral("config"));
    environment.documentsBase = m_user.filePath(QStringLiteral("documents"));
    const bool held = m_options.ctrlShiftHeld;
    environment.ctrlAndShiftHeld = [held] { return held; };
    environment.clock = m_options.clock ? m_options.clock : &systemClock();
    const QString socket = m_socketName;
    environment.radioFactory = [socket](MonotonicClock& clock) -> std::unique_ptr<RadioFactory> {
        RadioSocketConnection::Options options;
        options.socketName = socket;
        return std::make_unique<SocketRadioFactory>(options, clock);
    };
    environment.criticalBox = [this](const QString& title, const QString& text) {
        criticalBoxes.append(title + QStringLiteral(": ") + text);
    };
    environment.openUrl = [this](const QUrl& url) {
        openedUrls.append(url.toString());
        return true;
    };
    environment.preselectedPort = m_port;

    m_answerer.setInterval(10);
    QObject::connect(&m_answerer, &QTimer::timeout, [this] { answerDialogs(); });
    m_answerer.start();

    m_window = std::make_unique<MainFrm>(environment);
    m_loadResult = m_window->Load();
    if (m_loadResult) {
        m_window->show();
    }
    return true;
}

void ProgramFixture::answerDialogs() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box || !box->isVisible()) {
            continue;
        }
        questionBoxes.append(box->windowTitle() + QStringLiteral(": ") + box->text());
        QAbstractButton* answer = box->button(answerYes ? QMessageBox::Yes : QMessageBox::No);
        if (!answer) {
            answer = box->defaultButton();
        }
        if (answer) {
            answer->click();
        }
    }
    MessageFrm* frm = LoadedMessageFrm();
    if (!frm || !frm->isVisible()) {
        return;
    }
    const QString entry = frm->Title->text() + QStringLiteral(": ") + frm->messageText();
    if (frm->mode() == MessageFrm::ModeOK || frm->mode() == MessageFrm::ModeYesNo) {
        dialogs.append(entry);
        if (frm->mode() == MessageFrm::ModeYesNo && !answerYes) {
            frm->btnCancel->HandleClick();
        } else {
            frm->btnOK->HandleClick();
        }
    } else if (notices.isEmpty() || notices.last() != entry) {
        notices.append(entry);
    }
}

CHILD_GEN_HOME* ProgramFixture::home() const {
    if (!m_window) {
        return nullptr;
    }
    return qobject_cast<CHILD_GEN_HOME*>(
        m_window->Registry().LoadedPage(QLatin1String(PageRegistry::HomePage)));
}

QString ProgramFixture::userConfigFile() const {
    return m_user.filePath(QStringLiteral("config/ZEX Toolkit/Config.ini"));
}

bool ProgramFixture::waitForPage(const QString& pageName, int timeoutMs) {
    return QTest::qWaitFor(
        [&] { return m_window && m_window->Registry().CurrentPageName() == pageName; }, timeoutMs);
}

bool ProgramFixture::waitForRefresh(int timeoutMs) {
    QSignalSpy shown(m_window.get(), &MainFrm::RefreshShown);
    return shown.wait(timeoutMs) || shown.count() > 0;
}

bool ProgramFixture::connectSerial(int station, int baudIndex) {
    CHILD_GEN_HOME* page = home();
    if (!page || !waitForPage(QLatin1String(PageRegistry::HomePage))) {
        return false;
    }
    page->PortList->Caption(COMDetectModule::PortName(m_port));
    page->STATION->ListIndex(qint16(station));
    page->BAUD->ListIndex(qint16(baudIndex));
    QSignalSpy finished(page, &CHILD_GEN_HOME::ConnectFinished);
    page->BtnConnect->HandleClick();
    if (!finished.wait(15000)) {
        return false;
    }
    return m_window->Registry().CurrentDeviceEntry() &&
           m_window->Registry().CurrentDeviceEntry()->Model == QLatin1String("ZEX");
}

bool ProgramFixture::connectRadio(const QString& id) {
    CHILD_GEN_HOME* page = home();
    if (!page || !QTest::qWaitFor([page] { return page->XTab1->currentIndex() == 1; })) {
        return false;
    }
    page->pbID->Caption(id);
    page->QKBtn3->HandleClick();
    if (!QTest::qWaitFor([page] { return !page->IsConnecting(); }, 30000)) {
        return false;
    }
    return m_window->Registry().CurrentDeviceEntry() &&
           m_window->Registry().CurrentDeviceEntry()->Model == QLatin1String("ZEX");
}

QWidget* ProgramFixture::openPage(int button, const QString& pageName) {
    m_window->Registry().NavigateTo(button);
    return waitForPage(pageName) ? m_window->Registry().CurrentPage() : nullptr;
}

float ProgramFixture::stored(const char* member, int index) {
    return onModule(
        [member](SimulatedModule& module) {
            return module.readByName(QLatin1String(member)).value;
        },
        index);
}

void ProgramFixture::TypeInto(QKBtn* field, const QString& text) {
    field->HandleClick();
    QLineEdit* editor = field->TextEditor();
    QVERIFY(editor && editor->isVisible());
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
}
