#include "controls/QKBtnPainter.h"

#include "controls/ButtonGlyphs.h"
#include "controls/ColourModule.h"
#include "controls/QKBtn.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace QKBtnPainter {

namespace {

void paintShape(QPainter& painter, const QKBtn& control) {
    const QColor fill = ColourModule::ToQColor(control.ShownFillColor());
    const qint32 shape = control.ShapeStyle();
    const double radius = control.CornerRadius();
    const double penWidth = shape == 0 ? 0.0 : qMax<double>(1.0, control.BorderWidth());
    // The border shape covers the control less one pixel at the right and bottom.
    const QRectF outline =
        QRectF(0, 0, control.width() - 1, control.height() - 1)
            .adjusted(penWidth / 2.0, penWidth / 2.0, -penWidth / 2.0 + 1.0, -penWidth / 2.0 + 1.0);
    if (radius <= 0.0) {
        painter.fillRect(control.rect(), fill);
    }
    QPen pen(Qt::NoPen);
    if (shape != 0 && control.BorderWidth() > 0) {
        pen = QPen(ColourModule::ToQColor(control.ShownBorderColor()), penWidth,
                   (shape == 3 || shape == 4) ? Qt::DotLine : Qt::SolidLine);
    }
    painter.setPen(pen);
    painter.setBrush(fill);
    if (radius > 0.0) {
        painter.drawRoundedRect(outline, radius, radius);
    } else {
        painter.drawRect(outline);
    }
}

void paintCaption(QPainter& painter, const QKBtn& control, const QColor& fore) {
    const QRect captionRect = control.CaptionRect().translated(control.CaptionOffset());
    const Qt::Alignment alignment = HorizontalAlignment(control.Alignment()) | Qt::AlignVCenter;
    QFont captionFont = control.font();
    captionFont.setUnderline(control.ShownUnderline());
    const QString shown = control.ShownText();
    if (ButtonGlyphs::IsGlyphFont(captionFont) && ButtonGlyphs::HasGlyph(shown)) {
        ButtonGlyphs::PaintGlyph(painter, captionRect, shown, fore, captionFont, alignment);
        return;
    }
    QString text = shown;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    painter.setFont(captionFont);
    painter.setPen(fore);
    painter.drawText(captionRect, int(alignment) | Qt::TextShowMnemonic | Qt::TextWordWrap, text);
}

void paintDropArrow(QPainter& painter, const QKBtn& control, const QColor& fore) {
    const double arrowWidth = QFontMetricsF(control.font(), &control).height() * 0.45;
    const double right = control.width() - DropArrowInsetTwips / control.TwipsPerPixel();
    const double middle = control.height() / 2.0;
    QPainterPath arrow;
    arrow.moveTo(right - arrowWidth, middle - arrowWidth / 4.0);
    arrow.lineTo(right, middle - arrowWidth / 4.0);
    arrow.lineTo(right - arrowWidth / 2.0, middle + arrowWidth / 4.0);
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(fore);
    painter.drawPath(arrow);
}

} // namespace

void Paint(QPainter& painter, const QKBtn& control) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintShape(painter, control);
    const QColor fore = ColourModule::ToQColor(control.ShownForeColor());
    paintCaption(painter, control, fore);
    if (control.IsDropArrowVisible()) {
        paintDropArrow(painter, control, fore);
    }
}

double CornerRadius(qint32 shapeStyle, QSize size) {
    if (shapeStyle != 2 && shapeStyle != 4) {
        return 0.0;
    }
    return double(qMin(size.width(), size.height()) / 5) / 2.0;
}

Qt::Alignment HorizontalAlignment(qint32 alignment) {
    switch (alignment) {
    case QKBtn::AlignLeft:
        return Qt::AlignLeft;
    case QKBtn::AlignRight:
        return Qt::AlignRight;
    default:
        return Qt::AlignHCenter;
    }
}

} // namespace QKBtnPainter
