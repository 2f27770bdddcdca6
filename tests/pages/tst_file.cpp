// The Save & Restore page against the simulator: the file dialogs it asks for and the settings it
// keeps, the progress and the engine's reports, a file of another type refused, a configuration
// cloned from one module to another, and the comparison of a module with a file.
#include "controls/QKBtn.h"
#include "pages/CHILD_GEN_FILE.h"
#include "pages/CompareFrm.h"
#include "pages/ConfigurationFileDialogs.h"
#include "shell/MainFrm.h"
#include "shell/MessageFrm.h"
#include "shell/PageRegistry.h"
#include "store/IniModule.h"
#include "support/ProgramFixture.h"
#include "support/SimulatedLink.h"
#include "util/ApplicationState.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

constexpr int FileButton = 3;

// Answers the page's file dialogs with a path and records what each was asked.
struct DialogAnswers {
    struct Asked {
        bool save = false;
        FileDialogRequest request;
    };
    QList<Asked> asked;
    QString answer;
};

class AnsweringDialogs : public ConfigurationFileDialogs {
public:
    explicit AnsweringDialogs(std::shared_ptr<DialogAnswers> answers)
        : m_answers(std::move(answers)) {}
    QString saveFileName(QWidget*, const FileDialogRequest& request) override {
        m_answers->asked.append({true, request});
        return m_answers->answer;
    }
    QString openFileName(QWidget*, const FileDialogRequest& request) override {
        m_answers->asked.append({false, request});
        return m_answers->answer;
    }

private:
    std::shared_ptr<DialogAnswers> m_answers;
};

CHILD_GEN_FILE* filePage(ProgramFixture& program, std::shared_ptr<DialogAnswers> answers) {
    auto* page = program.openPage<CHILD_GEN_FILE>(FileButton);
    if (!page) {
        return nullptr;
    }
    page->SetFileDialogs(std::make_unique<AnsweringDialogs>(std::move(answers)));
    return page;
}

// Starts the program, connects to the module at station 1 and opens the page.
CHILD_GEN_FILE* connectedFilePage(ProgramFixture& program, std::shared_ptr<DialogAnswers> answers) {
    if (!program.start() || !program.connectSerial()) {
        return nullptr;
    }
    return filePage(program, std::move(answers));
}

// Clicks the button and waits until the page has shown the operation's report.
bool runOperation(CHILD_GEN_FILE* page, QKBtn* button) {
    QSignalSpy finished(page, &CHILD_GEN_FILE::OperationFinished);
    button->HandleClick();
    return finished.wait(20000) || finished.count() > 0;
}

void setStored(ProgramFixture& program, int index, const char* name, double value) {
    program.bus().withBus([&](SimulatedBus& bus) {
        return bus.module(index).writeByName(QLatin1String(name), value);
    });
}

QString files(const QString& key) {
    return IniModule::ReadIniValue(AppState().ConfigFile, QStringLiteral("Files"), key,
                                   QStringLiteral("<missing>"));
}

// Every Notice and Progress dialog shown, however briefly ("title: text").
class ShownProgress : public QObject {
public:
    ShownProgress() { qApp->installEventFilter(this); }
    ~ShownProgress() override { qApp->removeEventFilter(this); }
    QStringList shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* frm = qobject_cast<MessageFrm*>(watched);
        if (frm && event->type() == QEvent::Show && frm->mode() == MessageFrm::ModeProgress) {
            shown.append(frm->Title->text() + QStringLiteral(": ") + frm->messageText());
        }
        return false;
    }
};

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

class TestFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

private Q_SLOTS:
    // A folder kept from before that has gone gives way to the user's data folder. The saved file,
    // compared with the module as it has then become, lists the keys that differ.
    void aSaveProposesTheSerialNameAndKeepsTheFilesSettings() {
        ProgramFixture program(ProgramFixture::WithModule(ModuleAt(1, 4.1, 1000001)));
        QVERIFY(QDir().mkpath(QFileInfo(program.userConfigFile()).path()));
        QVERIFY(IniModule::WriteIniValue(program.userConfigFile(), "Files", "InitDir",
                                         m_folder.filePath(QStringLiteral("removed stick"))));
        auto answers = std::make_shared<DialogAnswers>();
        CHILD_GEN_FILE* page = connectedFilePage(program, answers);
        QVERIFY2(page, qPrintable(program.failure()));
        page->btnRestore->HandleClick(); // cancelled: nothing happens beyond the dialog
        QCOMPARE(answers->asked.size(), 1);
        QCOMPARE(answers->asked.constFirst().request.title,
                 QStringLiteral("Restore Configuration"));
        QCOMPARE(answers->asked.constFirst().request.folder, AppState().UserDataFolder);
        QCOMPARE(QDir::fromNativeSeparators(files("InitDir")), AppState().UserDataFolder);
        QVERIFY(program.notices.isEmpty());
        QVERIFY(program.dialogs.isEmpty());

        const QString path = m_folder.filePath(QStringLiteral("crane 7.zcf"));
        answers->answer = path;
        setStored(program, 0, "ALARM", 90);
        setStored(program, 0, "Damp", 200);
        ShownProgress progress;
        QVERIFY(runOperation(page, page->btnSave));

        QCOMPARE(answers->asked.size(), 2);
        const DialogAnswers::Asked& asked = answers->asked.last();
        QVERIFY(asked.save);
        QCOMPARE(asked.request.fileName, QStringLiteral("ZEX 0001000001.zcf"));
        QCOMPARE(asked.request.folder, AppState().UserDataFolder);

        QCOMPARE(IniModule::ReadIniValue(path, "Data", "Type", "?"), QStringLiteral("ZEX"));
        QCOMPARE(IniModule::ReadIniValue(path, "ReadOnly", "SERIALNUMBER", "?"),
                 QStringLiteral("0001000001"));
        QCOMPARE(files("LastSerial"), QStringLiteral("0001000001"));
        QCOMPARE(files("InitFile"), QStringLiteral("crane 7.zcf"));
        QCOMPARE(QDir::fromNativeSeparators(files("InitDir")), m_folder.path());
        QCOMPARE(progress.shown,
                 QStringList({QStringLiteral("Save Configuration: Now retrieving configuration "
                                             "data from module and writing to file...")}));
        QVERIFY2(program.dialogs.isEmpty(), qPrintable(program.dialogs.join('\n')));

        // The same module again: the file used last, where it was.
        answers->answer.clear();
        page->btnSave->HandleClick();
        QCOMPARE(answers->asked.size(), 3);
        QCOMPARE(answers->asked.last().request.fileName, QStringLiteral("crane 7.zcf"));
        QCOMPARE(answers->asked.last().request.folder, m_folder.path());

        setStored(program, 0, "ALARM", 85);
        setStored(program, 0, "Damp", 100);
        answers->answer = path;
        QStringList listed;
        QTimer closer;
        closer.setInterval(10);
        connect(&closer, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* frm = qobject_cast<CompareFrm*>(widget);
                if (frm && frm->isVisible()) {
                    listed = frm->lines();
                    frm->btnOK->HandleClick();
                }
            }
        });
        closer.start();
        QVERIFY(runOperation(page, page->btnCompare));
        QCOMPARE(answers->asked.last().request.title, QStringLiteral("Compare Configuration"));
        QCOMPARE(listed, QStringList({QStringLiteral("ALARM: 90 in the file, 85 in the module"),
                                      QStringLiteral("Damp: 200 in the file, 100 in the module")}));
        QCOMPARE(page->LastComparison().differences.size(), 2);
        // Nothing was written.
        QCOMPARE(program.stored("ALARM", 0), 85.0f);
        QVERIFY(program.dialogs.isEmpty());
    }

    void aConfigurationIsClonedOntoASecondModule() {
        ProgramFixture::Options options;
        options.modules = {ModuleAt(1, 4.1, 1000001), ModuleAt(2, 4.1, 1000002)};
        ProgramFixture program(options);
        QVERIFY2(program.start(), qPrintable(program.failure()));
        const QList<std::pair<const char*, double>> settings = {
            {"ALARM", 85},    {"Damp", 40},     {"DP", 2},        {"ZERO", 0.5},   {"THRESH", 0.02},
            {"SENS", 2.75},   {"POZ", 1.5},     {"Gain", 12.345}, {"OFFS", -0.25}, {"CMVVHI", 1.75},
            {"CENGHI", 30},   {"LINP", 3},      {"LINX1", 0.1},   {"LINK1", -2.5}, {"OVRLOD", 7},
            {"PTARE", 0.125}, {"OVERLOAD", 120}};
        for (const auto& [name, value] : settings) {
            setStored(program, 0, name, value);
            QVERIFY(program.stored(name, 0) != program.stored(name, 1));
        }
        QVERIFY(program.connectSerial(1));
        auto answers = std::make_shared<DialogAnswers>();
        answers->answer = m_folder.filePath(QStringLiteral("clone.zcf"));
        CHILD_GEN_FILE* page = filePage(program, answers);
        QVERIFY(page);
        QVERIFY(runOperation(page, page->btnSave));
        QVERIFY2(program.dialogs.isEmpty(), qPrintable(program.dialogs.join('\n')));

        program.window().Registry().NavigateTo(1);
        QVERIFY(program.connectSerial(2));
        page = filePage(program, answers);
        QVERIFY(page);
        ShownProgress progress;
        QVERIFY(runOperation(page, page->btnRestore));
        QVERIFY2(program.dialogs.isEmpty(), qPrintable(program.dialogs.join('\n')));
        QCOMPARE(progress.shown, QStringList({QStringLiteral(
                                     "Restore Configuration: Now retrieving configuration data "
                                     "from file and writing to module...")}));
        for (const auto& [name, value] : settings) {
            QCOMPARE(program.stored(name, 1), program.stored(name, 0));
        }
    }

    void refusalsAndTheEnginesFailuresAreShown() {
        ProgramFixture program;
        auto answers = std::make_shared<DialogAnswers>();
        CHILD_GEN_FILE* page = connectedFilePage(program, answers);
        QVERIFY2(page, qPrintable(program.failure()));

        // A file of another type is refused before any progress is shown.
        setStored(program, 0, "ALARM", 85);
        answers->answer = m_folder.filePath(QStringLiteral("other.zcf"));
        writeFile(answers->answer, "[Data]\r\nType=QX9\r\n[ReadWrite]\r\nALARM=55\r\n");
        ShownProgress progress;
        QVERIFY(runOperation(page, page->btnRestore));
        QVERIFY2(progress.shown.isEmpty(), qPrintable(progress.shown.join('\n')));
        QCOMPARE(program.dialogs,
                 QStringList({QStringLiteral("Invalid File: The selected file is not an ZEX "
                                             "configuration file!")}));
        QCOMPARE(program.stored("ALARM", 0), 85.0f);

        // A file that cannot be written: no report of a save.
        const QString unwritable = m_folder.filePath(QStringLiteral("no such folder/a.zcf"));
        answers->answer = unwritable;
        QVERIFY(runOperation(page, page->btnSave));
        QCOMPARE(program.dialogs.size(), 2);
        QVERIFY2(program.dialogs.last().startsWith(QStringLiteral("Save Configuration: ")),
                 qPrintable(program.dialogs.last()));
        QVERIFY(program.dialogs.last().contains(QStringLiteral("a.zcf")));
        QVERIFY(!QFile::exists(unwritable));

        // A value that is no number is skipped, and said so.
        const QString spoiled = m_folder.filePath(QStringLiteral("spoiled.zcf"));
        writeFile(spoiled, "[Data]\r\nType=ZEX\r\n[ReadWrite]\r\nALARM=abc\r\nDAMP=30\r\n");
        answers->answer = spoiled;
        QVERIFY(runOperation(page, page->btnRestore));
        QCOMPARE(program.dialogs.size(), 3);
        QCOMPARE(program.dialogs.last(),
                 QStringLiteral("Restore Configuration: Error(s) occurred while restoring the "
                                "configuration data to the module!\r\n\r\nThe value \"abc\" of "
                                "ALARM in the file is not a number; ALARM was not restored.\r\n"));
        QCOMPARE(program.stored("ALARM", 0), 85.0f);
        QCOMPARE(program.stored("Damp", 0), 30.0f);
    }

    void theRealDialogShowsEveryFileUnderAllFiles() {
        QTemporaryDir folder;
        for (const char* name : {"a.zcf", "b.txt", "noext"}) {
            writeFile(folder.filePath(QLatin1String(name)), "x");
        }
        const auto configure = [&](QFileDialog& dialog, const char* title, const QString& name) {
            QtConfigurationFileDialogs::Configure(
                dialog,
                FileDialogRequest{QLatin1String(title), ConfigurationFileDialogs::Filters(),
                                  QStringLiteral("zcf"), folder.path(), name},
                !name.isEmpty());
        };
        QFileDialog dialog;
        configure(dialog, "Restore Configuration", QString());
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(dialog.defaultSuffix(), QStringLiteral("zcf"));
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(combo);
        dialog.show();
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        const auto shown = [&] {
            QStringList names;
            const QModelIndex root = model->index(folder.path());
            for (int i = 0; i < model->rowCount(root); ++i) {
                const QModelIndex index = model->index(i, 0, root);
                if (model->flags(index) & Qt::ItemIsEnabled) {
                    names.append(index.data().toString());
                }
            }
            names.sort();
            return names;
        };
        QTRY_COMPARE(shown(), QStringList({QStringLiteral("a.zcf")}));
        combo->setCurrentIndex(1);
        Q_EMIT combo->activated(1);
        QTRY_COMPARE(shown(), QStringList({QStringLiteral("a.zcf"), QStringLiteral("b.txt"),
                                           QStringLiteral("noext")}));

        QFileDialog save;
        configure(save, "Save Configuration", QStringLiteral("ZEX 0001000001.zcf"));
        QCOMPARE(save.acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!save.testOption(QFileDialog::DontConfirmOverwrite));
    }
};

QTEST_MAIN(TestFile)
#include "tst_file.moc"
