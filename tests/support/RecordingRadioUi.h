#pragma once

#include "radio/RadioUi.h"

#include <QStringList>

// A RadioUi that writes down everything the procedures tell the user, one line per event:
// "status: text", "error status: text", "message OK error: Title | text", "notice: Title | text",
// "close", "busy", "normal", "disable", "enable", "unload", "pages: Model".
struct RecordingRadioUi {
    QStringList events;
    int escapeAfterPolls = -1; // the Escape key goes down on this poll (-1: never)
    int escapePolls = 0;
    QStringList supportedModels{QStringLiteral("ZEX")};

    RadioUi ui();
    QStringList messages() const; // only the "message" and "notice" lines
    QString lastStatus() const;   // the text of the last status line
};
