#include "cli/RadioCommands.h"

#include "device/CurrentDevice.h"
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
    return Usage;
}

int status(RadioSupport& radio, QTextStream& out, QTextStream& err) {
    RadioUi ui;
    QString last;
    ui.showStatus = [&last](const QString& text, bool) { last = text; };
    const RadioSupport::StartOutcome outcome = radio.StartRadio(ui);
    if (outcome != RadioSupport::StartOutcome::Connected) {
        err << last << Qt::endl;
        return LinkFailed;
    }
    out << last << Qt::endl;
    return Success;
}

int pair(RadioSupport& radio, QTextStream& out, QTextStream& err) {
    if (status(radio, err, err) != Success) {
        return LinkFailed;
    }
    RadioUi ui = consoleUi(err);
    const RadioProcedures::Result result = RadioProcedures::Pair(radio, ui);
    if (result.outcome != RadioProcedures::Outcome::Connected) {
        return LinkFailed; // the procedure has said why
    }
    out << "ID " << QString::number(result.moduleId, 16).toUpper() << " model " << result.model
        << Qt::endl;
    return Success;
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
        return LinkFailed;
    }
    out << "Base station channel " << number << Qt::endl;
    return Success;
}

} // namespace

int run(const QStringList& words, QTextStream& out, QTextStream& err) {
    const std::unique_ptr<RadioFactory> factory = MakeFactory(systemClock());
    return run(words, out, err, *factory, systemClock());
}

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
    int exitStatus = Success;
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
        return Usage;
    }
    if (m_radio->StartRadio(startUi) != RadioSupport::StartOutcome::Connected) {
        err << startStatus << Qt::endl;
        return LinkFailed;
    }
    const RadioProcedures::Result result =
        RadioProcedures::DoManualConnection(*m_radio, ui, typedId);
    if (result.outcome != RadioProcedures::Outcome::Connected) {
        return LinkFailed;
    }
    m_device = CurrentDevice::Connection().device;
    return Success;
}

ZEX* Connection::device() const {
    return m_device.get();
}

std::unique_ptr<RadioFactory> MakeFactory(MonotonicClock& clock) {
    return std::make_unique<SocketRadioFactory>(clock);
}

} // namespace RadioCommands
