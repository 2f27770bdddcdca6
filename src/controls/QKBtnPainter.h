#pragma once

#include <QSize>
#include <QtGlobal>

class QKBtn;
class QPainter;

// Draws a field control as its last DrawMe left it: the border shape with the fill colour, the
// caption (text or button glyph), and the drop arrow of a list field.
namespace QKBtnPainter {

inline constexpr double DropArrowInsetTwips = 60.0;

void Paint(QPainter& painter, const QKBtn& control);

// Rounded shapes (styles 2 and 4) use a corner ellipse of a fifth of the smaller side.
double CornerRadius(qint32 shapeStyle, QSize size);
// Alignment 0 left, 1 right, anything else centred.
Qt::Alignment HorizontalAlignment(qint32 alignment);

} // namespace QKBtnPainter
