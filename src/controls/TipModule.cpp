#include "controls/TipModule.h"

namespace TipModule {

namespace {

TipSink*& sinkSlot() {
    static TipSink* sink = nullptr;
    return sink;
}

} // namespace

void SetTipSink(TipSink* sink) {
    sinkSlot() = sink;
}

TipSink* CurrentTipSink() {
    return sinkSlot();
}

void TipOn(const QString& text) {
    if (TipSink* sink = sinkSlot()) {
        sink->TipOn(text);
    }
}

void TipOff() {
    if (TipSink* sink = sinkSlot()) {
        sink->TipOff();
    }
}

QString TipTitle(const QString& text) {
    const int star = text.indexOf(QChar(u'*'));
    return star < 0 ? QString() : text.left(star);
}

QString TipBody(const QString& text) {
    const int star = text.indexOf(QChar(u'*'));
    return star < 0 ? text : text.mid(star + 1);
}

QString ToolTipHtml(const QString& text) {
    if (text.isEmpty()) {
        return QString();
    }
    // "&&" is how a caption shows one "&"; tips share their texts with captions.
    QString plain = text;
    plain.replace(QStringLiteral("&&"), QStringLiteral("&"));
    const QString body = TipBody(plain).toHtmlEscaped();
    const QString title = TipTitle(plain);
    if (title.isEmpty()) {
        return QStringLiteral("<p>%1</p>").arg(body);
    }
    return QStringLiteral("<p><b>%1</b><br>%2</p>").arg(title.toHtmlEscaped(), body);
}

} // namespace TipModule
