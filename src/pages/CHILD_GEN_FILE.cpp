#include "pages/CHILD_GEN_FILE.h"

#include "controls/QKBtn.h"
#include "device/CurrentDevice.h"
#include "device/DeviceThread.h"
#include "device/ZEX.h"
#include "pages/CompareFrm.h"
#include "pages/ConfigurationFileDialogs.h"
#include "shell/MainFrm.h"
#include "shell/MessageFrm.h"
#include "store/ConfigurationFileNames.h"
#include "util/ApplicationState.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <exception>

using namespace ConfigurationFileModule;
using ConfigurationCompareModule::CompareOutcome;
using ConfigurationCompareModule::CompareResult;
using ConfigurationFileNames::FileChoice;

namespace {

constexpr double TextLeft = 240;
constexpr double TextWidth = 7600;
constexpr double ButtonLeft = 8200;
constexpr double ButtonWidth = 2400;

// Carries the engine's progress, reported on the device thread, to the Progress dialog. The
// dialog opens with the first value: a file the engine refuses before it reports anything (one
// that cannot be read, or of another type) goes straight to its message, without a flash of
// progress. Queued, not waited for, so the exchange with the module never waits on painting.
class ProgressRelay {
public:
    ProgressRelay(MainFrm* window, QString title, QString text)
        : m_window(window)
        , m_title(std::move(title))
        , m_text(std::move(text)) {}

    // Device thread.
    static void Report(const std::shared_ptr<ProgressRelay>& relay, int percent) {
        if (MainFrm* window = relay->m_window) {
            QMetaObject::invokeMethod(
                window, [relay, percent] { relay->show(percent); }, Qt::QueuedConnection);
        }
    }

    // Window thread: the operation has ended; a value still on its way is not shown.
    void finish() {
        m_finished = true;
        if (m_open) {
            UnloadMessageFrm();
        }
    }

private:
    void show(int percent) {
        if (m_finished) {
            return;
        }
        if (!m_open) {
            // Set first: ShowMessage lets window events run until the dialog is on screen, and
            // the next progress report may arrive meanwhile; it must not open a second dialog.
            m_open = true;
            ShowMessage(m_text, m_title, false, MessageFrm::ModeProgress);
        }
        SetMessageProgress(float(percent));
    }

    QPointer<MainFrm> m_window;
    QString m_title;
    QString m_text;
    bool m_open = false;
    bool m_finished = false;
};

void ShowReport(const std::optional<Report>& report) {
    if (report) {
        ShowMessage(report->text, report->title, report->isError, MessageFrm::ModeOK);
    }
}

} // namespace

struct CHILD_GEN_FILE::Outcome {
    bool completed = false; // the engine returned (it did not raise)
    QString failure;        // what it raised
    SaveResult saved;
    RestoreResult restored;
    CompareResult compared;
};

CHILD_GEN_FILE::CHILD_GEN_FILE(MainFrm& window)
    : PageBase(window, QStringLiteral("Save && Restore"))
    , m_dialogs(std::make_unique<QtConfigurationFileDialogs>()) {
    bodyLabel(QStringLiteral("Query the device for its parameters and save these to a "
                             "configuration file on your computer or network location."),
              TextLeft, 1000, TextWidth, 700);
    btnSave =
        button(QStringLiteral("Save"), ButtonLeft, 1060, ButtonWidth, QStringLiteral("btnSave"));
    bodyLabel(QStringLiteral("Load a previously saved configuration file into the currently "
                             "connected device. **NOTE: As all parameters are restored you will "
                             "overwrite the existing device calibration information."),
              TextLeft, 2100, TextWidth, 1000);
    btnRestore = button(QStringLiteral("Restore"), ButtonLeft, 2160, ButtonWidth,
                        QStringLiteral("btnRestore"));
    bodyLabel(QStringLiteral("Compare the connected device with a configuration file and list "
                             "every value a restore of the file would change. Nothing is written "
                             "to the device."),
              TextLeft, 3500, TextWidth, 700);
    btnCompare = button(QStringLiteral("Compare"), ButtonLeft, 3560, ButtonWidth,
                        QStringLiteral("btnCompare"));
    connect(btnSave, &QKBtn::Click, this, &CHILD_GEN_FILE::SaveZEX);
    connect(btnRestore, &QKBtn::Click, this, &CHILD_GEN_FILE::RestoreZEX);
    connect(btnCompare, &QKBtn::Click, this, &CHILD_GEN_FILE::CompareZEX);
}

CHILD_GEN_FILE::~CHILD_GEN_FILE() = default;

QString CHILD_GEN_FILE::ChildFormClass_HelpText() const {
    return QStringLiteral("This page allows you to save the configuration of the connected "
                          "module to a disk file on your computer.*This file may then be used to "
                          "restore the configuration to the same module or to clone the "
                          "configuration onto another module.");
}

void CHILD_GEN_FILE::ChildFormClass_Activated() {
    window().RefreshNow();
}

void CHILD_GEN_FILE::SetFileDialogs(std::unique_ptr<ConfigurationFileDialogs> dialogs) {
    if (dialogs) {
        m_dialogs = std::move(dialogs);
    }
}

QString CHILD_GEN_FILE::chooseSaveFile() {
    const QString configFile = AppState().ConfigFile;
    const QString serial = CurrentDevice::Connection().serialNumberText;
    const FileChoice proposal =
        ConfigurationFileNames::ProposeSaveFile(configFile, serial, AppState().UserDataFolder);
    const QString path = m_dialogs->saveFileName(
        &window(),
        FileDialogRequest{QString::fromUtf16(SaveTitle), ConfigurationFileDialogs::Filters(),
                          QLatin1String(ConfigurationFileDialogs::DefaultSuffix), proposal.folder,
                          proposal.fileName});
    ConfigurationFileNames::RememberSaveFile(
        configFile, serial, path.isEmpty() ? proposal : FileChoice::fromPath(path));
    return path;
}

QString CHILD_GEN_FILE::chooseRestoreFile(const QString& title) {
    const QString configFile = AppState().ConfigFile;
    const FileChoice proposal =
        ConfigurationFileNames::ProposeRestoreFile(configFile, AppState().UserDataFolder);
    const QString path = m_dialogs->openFileName(
        &window(), FileDialogRequest{title, ConfigurationFileDialogs::Filters(),
                                     QLatin1String(ConfigurationFileDialogs::DefaultSuffix),
                                     proposal.folder, proposal.fileName});
    ConfigurationFileNames::RememberRestoreFile(
        configFile, path.isEmpty() ? proposal : FileChoice::fromPath(path));
    return path;
}

void CHILD_GEN_FILE::SaveZEX() {
    if (m_busy || AppState().Closing) {
        return;
    }
    const QString path = chooseSaveFile();
    QCoreApplication::processEvents();
    if (path.isEmpty() || AppState().Closing) {
        return;
    }
    run(
        QString::fromUtf16(SaveTitle), QString::fromUtf16(SaveProgressText),
        [path](ZEX& device, Options& options, Outcome& outcome) {
            outcome.saved = ConfigurationFileModule::SaveZEX(device, path, options);
        },
        [](const Outcome& outcome) { ShowReport(SaveReport(outcome.saved)); });
}

void CHILD_GEN_FILE::RestoreZEX() {
    if (m_busy || AppState().Closing) {
        return;
    }
    const QString path = chooseRestoreFile(QString::fromUtf16(RestoreTitle));
    QCoreApplication::processEvents();
    if (path.isEmpty() || AppState().Closing) {
        return;
    }
    run(
        QString::fromUtf16(RestoreTitle), QString::fromUtf16(RestoreProgressText),
        [path](ZEX& device, Options& options, Outcome& outcome) {
            outcome.restored = ConfigurationFileModule::RestoreZEX(device, path, options);
        },
        [](const Outcome& outcome) { ShowReport(RestoreReport(outcome.restored)); });
}

void CHILD_GEN_FILE::CompareZEX() {
    if (m_busy || AppState().Closing) {
        return;
    }
    const QString title = QLatin1String(CompareTitle);
    const QString path = chooseRestoreFile(title);
    QCoreApplication::processEvents();
    if (path.isEmpty() || AppState().Closing) {
        return;
    }
    QPointer<CHILD_GEN_FILE> self(this);
    run(
        title,
        QStringLiteral("Now reading configuration data from module and comparing it with "
                       "the file..."),
        [path](ZEX& device, Options& options, Outcome& outcome) {
            outcome.compared = ConfigurationCompareModule::CompareZEX(device, path, options);
        },
        [self, path](const Outcome& outcome) {
            if (self) {
                self->showComparison(path, outcome.compared);
            }
        });
}

void CHILD_GEN_FILE::run(const QString& title, const QString& progressText,
                         std::function<void(ZEX&, Options&, Outcome&)> work,
                         std::function<void(const Outcome&)> report) {
    m_busy = true;
    MainFrm* owner = &window();
    owner->BlockInput(true);
    owner->SetBusyPointer(true);
    auto relay = std::make_shared<ProgressRelay>(owner, title, progressText);
    auto outcome = std::make_shared<Outcome>();
    Options options;
    options.firmwareVersion = CurrentDevice::Connection().firmwareVersion;
    options.decimalSeparator = AppState().DecimalSeparator;
    options.progress = [relay](int percent) { ProgressRelay::Report(relay, percent); };
    QPointer<CHILD_GEN_FILE> self(this);
    owner->Device().post(
        [work = std::move(work), options, outcome]() mutable {
            ZEX* device = CurrentDevice::Get();
            if (!device) {
                outcome->failure = QStringLiteral("No module is connected.");
                return;
            }
            try {
                options.isRadio = device->IsR58();
                work(*device, options, *outcome);
                outcome->completed = true;
            } catch (const std::exception& failure) {
                outcome->failure = QString::fromLocal8Bit(failure.what());
            }
        },
        owner,
        [owner, self, relay, outcome, title, report = std::move(report)] {
            relay->finish();
            owner->SetBusyPointer(false);
            owner->BlockInput(false);
            if (self) {
                self->m_busy = false;
            }
            if (!AppState().Closing) {
                if (outcome->completed) {
                    report(*outcome);
                } else {
                    // Never a silent end that could pass for success.
                    ShowMessage(QStringLiteral("The operation did not finish: ") + outcome->failure,
                                title, true, MessageFrm::ModeOK);
                }
            }
            if (self) {
                Q_EMIT self->OperationFinished();
            }
        });
}

void CHILD_GEN_FILE::showComparison(const QString& path, const CompareResult& result) {
    m_lastComparison = result;
    const QString title = QLatin1String(CompareTitle);
    const QString fileName = QFileInfo(path).fileName();
    switch (result.outcome) {
    case CompareOutcome::InvalidFile: {
        RestoreResult refused;
        refused.outcome = RestoreOutcome::InvalidFile;
        ShowReport(RestoreReport(refused));
        return;
    }
    case CompareOutcome::Unreadable:
        ShowMessage(result.fileError, title, true, MessageFrm::ModeOK);
        return;
    case CompareOutcome::LinkFailed:
        ShowMessage(QStringLiteral("%1 could not be read from the module; the comparison stopped "
                                   "there.")
                        .arg(result.failedKey),
                    title, true, MessageFrm::ModeOK);
        return;
    case CompareOutcome::Compared:
        break;
    }
    if (result.differences.isEmpty()) {
        ShowMessage(QStringLiteral("The module agrees with %1 (%2 values compared).")
                        .arg(fileName)
                        .arg(result.valuesCompared),
                    title, false, MessageFrm::ModeOK);
        return;
    }
    QStringList lines;
    for (const ConfigurationCompareModule::Difference& difference : result.differences) {
        lines.append(ConfigurationCompareModule::DescribeDifference(difference));
    }
    const QString summary =
        QStringLiteral("%1 of %2 values differ from %3. A restore of the file would change them:")
            .arg(result.differences.size())
            .arg(result.valuesCompared)
            .arg(fileName);
    CompareFrm dialog(title, summary, lines, CurrentMessageColours(), &window());
    dialog.exec();
}
