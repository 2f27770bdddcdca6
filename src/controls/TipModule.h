#pragma once

#include <QString>

// Hover tips: a title, "*", then the body. The main window shows them in its help panel; the
// controls and pages reach it only through this narrow hook, so they do not depend on the shell.
class TipSink {
public:
    virtual ~TipSink() = default;
    virtual void TipOn(const QString& text) = 0;
    virtual void TipOff() = 0;
};

namespace TipModule {

// The shell installs its sink at start-up and removes it (nullptr) at shutdown. Without a sink
// the calls do nothing.
void SetTipSink(TipSink* sink);
TipSink* CurrentTipSink();
void TipOn(const QString& text);
void TipOff();

// The part before the first "*", or "" when there is none.
QString TipTitle(const QString& text);
// The part after the first "*", or the whole text when there is none.
QString TipBody(const QString& text);
// Rich text for a tool tip: the title in bold on its own line above the body.
QString ToolTipHtml(const QString& text);

} // namespace TipModule
