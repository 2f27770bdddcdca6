#include "support/RecordingRadioUi.h"

RadioUi RecordingRadioUi::ui() {
    RadioUi ui;
    ui.showStatus = [this](const QString& text, bool isError) {
        events << (isError ? QStringLiteral("error status: ") : QStringLiteral("status: ")) + text;
    };
    ui.showMessage = [this](const QString& title, const QString& text, bool isError,
                            RadioUi::MessageMode mode) {
        const QString kind =
            mode == RadioUi::MessageMode::Notice
                ? QStringLiteral("notice")
                : QStringLiteral("message OK") + (isError ? QStringLiteral(" error") : QString());
        events << kind + QStringLiteral(": ") + title + QStringLiteral(" | ") + text;
    };
    ui.closeMessage = [this] { events << QStringLiteral("close"); };
    ui.setBusyPointer = [this](bool busy) {
        events << (busy ? QStringLiteral("busy") : QStringLiteral("normal"));
    };
    ui.setWindowEnabled = [this](bool enabled) {
        events << (enabled ? QStringLiteral("enable") : QStringLiteral("disable"));
    };
    ui.escapePressed = [this] {
        ++escapePolls;
        return escapeAfterPolls >= 0 && escapePolls >= escapeAfterPolls;
    };
    ui.hasDevice = [this](const QString& model) {
        return supportedModels.contains(model, Qt::CaseInsensitive);
    };
    ui.unloadPages = [this] { events << QStringLiteral("unload"); };
    ui.showModelPages = [this](const QString& model) {
        events << QStringLiteral("pages: ") + model;
    };
    return ui;
}

QStringList RecordingRadioUi::messages() const {
    QStringList result;
    for (const QString& event : events) {
        if (event.startsWith(QLatin1String("message")) ||
            event.startsWith(QLatin1String("notice"))) {
            result << event;
        }
    }
    return result;
}

QString RecordingRadioUi::lastStatus() const {
    for (qsizetype i = events.size() - 1; i >= 0; --i) {
        const qsizetype colon = events[i].indexOf(QLatin1String("status: "));
        if (colon >= 0) {
            return events[i].mid(colon + 8);
        }
    }
    return QString();
}
