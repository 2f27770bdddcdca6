#include "controls/ButtonGlyphs.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>

// Resources of a static library are registered by hand; the macro must stand outside any
// namespace.
static void ensureGlyphResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(glyphs);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace ButtonGlyphs {

namespace {

QString resourceFor(QChar letter) {
    switch (letter.unicode()) {
    case u'B':
        return QStringLiteral(":/glyphs/house-door-fill.svg");
    case u'P':
        return QStringLiteral(":/glyphs/info-circle-fill.svg");
    case u'C':
        return QStringLiteral(":/glyphs/save-fill.svg");
    case u'U':
        return QStringLiteral(":/glyphs/speedometer2.svg");
    case u'S':
        return QStringLiteral(":/glyphs/broadcast.svg");
    case u'G':
        return QStringLiteral(":/glyphs/sliders.svg");
    case u'I':
        return QStringLiteral(":/glyphs/tools.svg");
    case u'X':
        return QStringLiteral(":/glyphs/x-lg.svg");
    case u'M':
        return QStringLiteral(":/glyphs/dash-lg.svg");
    case u'H':
        return QStringLiteral(":/glyphs/question-lg.svg");
    case u'R':
        return QStringLiteral(":/glyphs/arrow-repeat.svg");
    case u'Z':
        return QStringLiteral(":/glyphs/zoom-in.svg");
    case u'O':
        return QStringLiteral(":/glyphs/zoom-out.svg");
    default:
        return QString();
    }
}

} // namespace

bool IsGlyphFont(const QFont& font) {
    return font.family().compare(QLatin1String(FontFamily), Qt::CaseInsensitive) == 0;
}

bool HasGlyph(const QString& caption) {
    return caption.size() == 1 && !resourceFor(caption.at(0)).isEmpty();
}

bool PaintGlyph(QPainter& painter, const QRectF& rect, const QString& caption, const QColor& colour,
                const QFont& font, Qt::Alignment alignment) {
    if (!HasGlyph(caption)) {
        return false;
    }
    ensureGlyphResources();
    QSvgRenderer renderer(resourceFor(caption.at(0)));
    if (!renderer.isValid()) {
        return false;
    }
    // A glyph is as tall as the font's capitals and a little more, like a symbol font's picture.
    const double lineHeight = QFontMetricsF(font, painter.device()).height();
    const double side = std::floor(qMin(qMin(lineHeight * 0.8, rect.height()), rect.width()));
    if (side < 1.0) {
        return true;
    }
    double x = rect.left() + (rect.width() - side) / 2.0;
    if (alignment & Qt::AlignLeft) {
        x = rect.left();
    } else if (alignment & Qt::AlignRight) {
        x = rect.right() - side;
    }
    const double y = rect.top() + (rect.height() - side) / 2.0;

    const qreal ratio = painter.device()->devicePixelRatioF();
    const int pixels = int(std::ceil(side * ratio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter imagePainter(&image);
        imagePainter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&imagePainter, QRectF(0, 0, pixels, pixels));
        // The pictures are drawn in one colour; tint them with the caption's colour.
        imagePainter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        imagePainter.fillRect(image.rect(), colour);
    }
    image.setDevicePixelRatio(ratio);
    painter.drawImage(QPointF(std::round(x), std::round(y)), image);
    return true;
}

} // namespace ButtonGlyphs
