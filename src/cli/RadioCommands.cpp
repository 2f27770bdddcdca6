#include "cli/RadioCommands.h"

#include "cli/ZexCtlCommand.h"
#include "device/CurrentDevice.h"
#include "device/DeviceErrors.h"
#include "radio/LoggedRadioFactory.h"
#include "radio/RadioIdModule.h"
#include "radio/RadioProcedures.h"
#include "radio/RadioSupport.h"
#include "radio/RadioUi.h"
#include "radio/SocketRadioFactory.h"
#include "util/MonotonicClock.h"

#include <QTextStream>

namespace RadioCommands {
namespace {

// Progress and errors go to err; only results go to out, so scripts can read them.
RadioUi consoleUi(QTextStream& err) {
    RadioUi ui;
    ui.showMessage = [&err](const QString& title, const QString& text, bool, RadioUi::MessageMode) {
        err << title << ": " << text << Qt::endl;
    };
    return ui;
}

int usage(QTextStream& err, const QString& problem) {
    err << "zexctl radio: " << problem << Qt::endl
        << "Usage: zexctl radio status | radio pair | radio channel N (N from 1 to 16)" << Qt::endl;
    return ExitUsage;
}

int status(RadioSupport& radio, QTextStream& out, QTextStream& err) {
    RadioUi ui;
    QString last;
    ui.showStatus = [&last](const QString& text, bool) { last = text; };
    const RadioSupport::StartOutcome outcome = radio.StartRadio(ui);
    if (outcome != RadioSupport::StartOutcome::Connected) {
        err << last << Qt::endl;
        return ExitLinkFailed;
    }
    out << last << Qt::endl;
    return ExitSuccess;
}

int pair(RadioSupport& radio, QTextStream& out, QTextStream& err) {
    if (status(radio, err, err) != ExitSuccess) {
        return ExitLinkFailed;
    }
    RadioUi ui = consoleUi(err);
    const RadioProcedures::Result result = RadioProcedures::Pair(radio, ui);
    if (result.outcome != RadioProcedures::Outcome::Connected) {
        return ExitLinkFailed; // the procedure has said why
    }
    out << "ID " << QString::number(result.moduleId, 16).toUpper() << " model " << result.model
        << Qt::endl;
    return ExitSuccess;
}

int channel(RadioSupport& radio, const QString& text, QTextStream& out, QTextStream& err) {
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (!isNumber) {
        return usage(err, QStringLiteral("\"%1\" is not a channel number").arg(text));
    }
    if (number < RadioProcedures::LowestChannel || number > RadioProcedures::HighestChannel) {
        return usage(err, QStringLiteral("channel %1 is outside 1 to 16").arg(number));
    }
    const RadioProcedures::ChannelResult result =
        RadioProcedures::SetBaseStationChannel(radio, RadioUi(), number);
    if (!result.succeeded) {
        err << result.problem << Qt::endl;
        return ExitLinkFailed;
    }
    out << "Base station channel " << number << Qt::endl;
    return ExitSuccess;
}

} // namespace

int run(const QStringList& words, QTextStream& out, QTextStream& err, RadioFactory& factory,
        MonotonicClock& clock) {
    const QString command = words.value(0);
    const qsizetype expected = command == QLatin1String("channel") ? 2 : 1;
    if (command.isEmpty()) {
        return usage(err, QStringLiteral("say what to do"));
    }
    if (command != QLatin1String("status") && command != QLatin1String("pair") &&
        command != QLatin1String("channel")) {
        return usage(err, QStringLiteral("unknown radio command \"%1\"").arg(command));
    }
    if (words.size() != expected) {
        return usage(err,
                     QStringLiteral("wrong number of arguments for \"radio %1\"").arg(command));
    }
    RadioSupport radio(factory, clock);
    int exitStatus = ExitSuccess;
    if (command == QLatin1String("status")) {
        exitStatus = status(radio, out, err);
    } else if (command == QLatin1String("pair")) {
        exitStatus = pair(radio, out, err);
    } else {
        exitStatus = channel(radio, words[1], out, err);
    }
    CurrentDevice::Release();
    radio.StopRadio();
    return exitStatus;
}

Connection::Connection(RadioFactory& factory, MonotonicClock& clock)
    : m_radio(std::make_unique<RadioSupport>(factory, clock)) {}

Connection::~Connection() {
    if (CurrentDevice::Get() == m_device.get()) {
        CurrentDevice::Release();
    }
    m_device.reset();
    m_radio->StopRadio();
}

int Connection::open(const QString& typedId, QTextStream& err) {
    RadioUi ui;
    ui.showMessage = [&err](const QString&, const QString& text, bool isError,
                            RadioUi::MessageMode) {
        if (isError) {
            err << text << Qt::endl; // the progress notice would only clutter a script's output
        }
    };
    QString startStatus;
    RadioUi startUi;
    startUi.showStatus = [&startStatus](const QString& text, bool) { startStatus = text; };
    const RadioIdModule::ParsedId parsed = RadioIdModule::ParseTypedId(typedId);
    if (!parsed.id) {
        err << "zexctl: " << parsed.problem << Qt::endl;
        return ExitUsage;
    }
    if (m_radio->StartRadio(startUi) != RadioSupport::StartOutcome::Connected) {
        err << startStatus << Qt::endl;
        return ExitLinkFailed;
    }
    const RadioProcedures::Result result =
        RadioProcedures::DoManualConnection(*m_radio, ui, typedId);
    if (result.outcome != RadioProcedures::Outcome::Connected) {
        return ExitLinkFailed;
    }
    m_device = CurrentDevice::Connection().device;
    return ExitSuccess;
}

ZEX* Connection::device() const {
    return m_device.get();
}

int Radio(ZexCtlSession& session) {
    const std::unique_ptr<RadioFactory> factory =
        MakeFactory(systemClock(), session.options.radioSocket, session.linkLog);
    return run(session.arguments, session.out, session.err, *factory, systemClock());
}

int RunOverRadio(int (*runCommand)(ZexCtlSession&), ZexCtlSession& session, MonotonicClock& clock) {
    const std::unique_ptr<RadioFactory> factory =
        MakeFactory(clock, session.options.radioSocket, session.linkLog);
    Connection connection(*factory, clock);
    if (const int opened = connection.open(session.options.radioId, session.err);
        opened != ExitSuccess) {
        return opened;
    }
    session.portLabel = QStringLiteral("radio ID ") + session.options.radioId.toUpper();
    int outcome = ExitSuccess;
    try {
        session.device = connection.device();
        outcome = runCommand(session);
    } catch (const DeviceError& failure) {
        session.err << "zexctl: " << failure.message() << '\n';
        outcome = ExitUsage;
    }
    session.device = nullptr;
    return outcome;
}

std::unique_ptr<RadioFactory> MakeFactory(MonotonicClock& clock, const QString& socketName,
                                          LinkLogTap* linkLog) {
    std::unique_ptr<RadioFactory> factory;
    if (socketName.isEmpty()) {
        factory = std::make_unique<SocketRadioFactory>(clock);
    } else {
        RadioSocketConnection::Options options;
        options.socketName = socketName;
        factory = std::make_unique<SocketRadioFactory>(options, clock);
    }
    if (linkLog) {
        factory = std::make_unique<LoggedRadioFactory>(std::move(factory), *linkLog, clock);
    }
    return factory;
}

} // namespace RadioCommands
