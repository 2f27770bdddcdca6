#pragma once

#include "sim/SimulatedBus.h"
#include "sim/SimulatedModule.h"
#include "sim/SimulatorServer.h"
#include "support/ScopedEnvironment.h"
#include "util/MonotonicClock.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

class CHILD_GEN_HOME;
class QKBtn;
class QWidget;
class MainFrm;
class MessageFrm;
class RadioSimulation;
class SimulatorServer;

// The whole program on the offscreen platform against the simulator: a scratch program folder
// holding the brand file, scratch per-user folders (settings, ports, the wake ID), a simulated
// bus on a pseudo-terminal offered as a COM port, and optionally a simulated base station on a
// socket of its own. Dialogs that wait for the user are answered by the fixture and recorded.
class ProgramFixture {
public:
    struct Options {
        QList<ModuleConfig> modules;
        bool timing = false; // real line timing on the simulated bus
        // Arguments for the simulated base station ("--radio-module" ...); none: no base station.
        QStringList radioArguments;
        bool withBaseStation = false;
        bool ctrlShiftHeld = false;
        // The brand file is altered after signing, so it fails verification.
        bool tamperedBrand = false;
        MonotonicClock* clock = nullptr; // the system clock unless given
    };

    ProgramFixture();
    static Options WithModule(const ModuleConfig& module) {
        Options options;
        options.modules = {module};
        return options;
    }
    // A simulated base station started with `arguments` ("--base-station", "--radio-module" ...).
    static Options WithRadio(QStringList arguments) {
        Options options;
        options.withBaseStation = true;
        options.radioArguments = std::move(arguments);
        return options;
    }
    explicit ProgramFixture(Options options);
    ~ProgramFixture();
    ProgramFixture(const ProgramFixture&) = delete;
    ProgramFixture& operator=(const ProgramFixture&) = delete;

    // Starts the simulators and the window (Load). False with failure() when anything did not
    // start; Load's own result is loadResult().
    bool start();
    QString failure() const { return m_failure; }
    bool loadResult() const { return m_loadResult; }

    MainFrm& window() { return *m_window; }
    CHILD_GEN_HOME* home() const;
    int port() const { return m_port; }
    // Where Config.ini will be, known before start() (to prepare stored settings).
    QString userConfigFile() const;
    SimulatorServer& bus() { return *m_bus; }
    RadioSimulation* radio() { return m_radio.get(); }
    QString programFolder() const { return m_program.path(); }

    // Selects the simulator's port, station and baud on Home and clicks Connect; waits until the
    // procedure has ended. True when the module's pages are offered.
    bool connectSerial(int station = 1, int baudIndex = 1);
    // Types `id` on the "Wireless" tab and clicks its Connect; waits until the procedure has
    // ended. True when the module's pages are offered.
    bool connectRadio(const QString& id);
    // Clicks the navigation bar's button and waits for its page, whose class names it.
    template <typename Page>
    Page* openPage(int button) {
        return qobject_cast<Page*>(
            openPage(button, QLatin1String(Page::staticMetaObject.className())));
    }
    QWidget* openPage(int button, const QString& pageName);
    // Runs function(module) on the simulated bus's thread and returns what it returns.
    template <typename Function>
    auto onModule(Function function, int index = 0) {
        return bus().withBus([&](SimulatedBus& bus) { return function(bus.module(index)); });
    }
    // The value the simulated module holds for a member, as its by-name access reads it.
    float stored(const char* member, int index = 0);
    // Types into the field's editor key by key, as the keyboard would, and commits with Enter.
    static void TypeInto(QKBtn* field, const QString& text);
    // Waits until the named page is current.
    bool waitForPage(const QString& pageName, int timeoutMs = 10000);
    // Waits for a refresh of the current page to be shown (one that started after the call).
    bool waitForRefresh(int timeoutMs = 10000);

    // Every modal dialog shown ("title: text") and system box ("box title: text").
    QStringList dialogs;
    QStringList notices;
    QStringList criticalBoxes;
    // The system's question boxes ("title: text"), answered as modal questions are.
    QStringList questionBoxes;
    QStringList openedUrls;
    // How modal questions are answered: true Yes/OK, false No.
    bool answerYes = true;

private:
    void answerDialogs();
    Options m_options;
    QTemporaryDir m_program;
    QTemporaryDir m_user;
    // Ports, the wake ID and every other per-user setting go to the scratch folder.
    ScopedEnvironment m_configHome;
    std::unique_ptr<SimulatorServer> m_bus;
    std::unique_ptr<RadioSimulation> m_radio;
    SteadyClock m_moduleClock;
    std::unique_ptr<MainFrm> m_window;
    QTimer m_answerer;
    int m_port = 0;
    QString m_socketName;
    bool m_loadResult = false;
    QString m_failure;
};
