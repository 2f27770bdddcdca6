#pragma once

#include "pages/PageBase.h"
#include "store/ConfigurationCompareModule.h"

#include <functional>
#include <memory>

class ConfigurationFileDialogs;
class QKBtn;

// The Save & Restore page: the module's configuration saved to a .zcf file, restored from one
// (onto the same module or a clone), and compared with one, to see what a restore would change.
// The page chooses the file and shows progress and reports; the work is the core's
// (ConfigurationFileModule, ConfigurationCompareModule), run as a device job.
class CHILD_GEN_FILE : public PageBase {
    Q_OBJECT

public:
    explicit CHILD_GEN_FILE(MainFrm& window);
    ~CHILD_GEN_FILE() override;

    QString ChildFormClass_HelpText() const override;
    void ChildFormClass_TimedRefresh(RefreshBatch&) override {}
    void ChildFormClass_Activated() override;

    void SaveZEX();
    void RestoreZEX();
    void CompareZEX();

    // Tests answer the file dialogs through this.
    void SetFileDialogs(std::unique_ptr<ConfigurationFileDialogs> dialogs);
    bool IsBusy() const { return m_busy; }
    // The last comparison, as the dialog listed it.
    const ConfigurationCompareModule::CompareResult& LastComparison() const {
        return m_lastComparison;
    }

    static constexpr char CompareTitle[] = "Compare Configuration";

    QKBtn* btnSave;
    QKBtn* btnRestore;
    QKBtn* btnCompare;

Q_SIGNALS:
    // A save, restore or comparison started here has ended and its report has been shown.
    void OperationFinished();

private:
    struct Outcome;
    // Runs work on the device thread with the module, the busy pointer on and the window's input
    // blocked; progress reported by the work opens the Progress dialog with its first value.
    void run(const QString& title, const QString& progressText,
             std::function<void(ZEX&, ConfigurationFileModule::Options&, Outcome&)> work,
             std::function<void(const Outcome&)> report);
    QString chooseSaveFile();
    QString chooseRestoreFile(const QString& title);
    void showComparison(const QString& path,
                        const ConfigurationCompareModule::CompareResult& result);

    std::unique_ptr<ConfigurationFileDialogs> m_dialogs;
    ConfigurationCompareModule::CompareResult m_lastComparison;
    bool m_busy = false;
};
