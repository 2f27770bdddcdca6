#pragma once

#include <QChar>
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// The button-glyph set "QKTKButtons": a caption of one letter in this font is drawn as a
// picture. The letters are the ones the navigation bar and the title bar use.
namespace ButtonGlyphs {

inline constexpr char FontFamily[] = "QKTKButtons";

// Navigation pages.
inline constexpr QChar Home = u'B';
inline constexpr QChar Information = u'P';
inline constexpr QChar SaveRestore = u'C';
inline constexpr QChar Measurement = u'U';
inline constexpr QChar Communications = u'S';
inline constexpr QChar Calibration = u'G';
inline constexpr QChar Factory = u'I';
// Title bar.
inline constexpr QChar Close = u'X';
inline constexpr QChar Minimise = u'M';
inline constexpr QChar Help = u'H';
// Chart buttons.
inline constexpr QChar Restart = u'R';
inline constexpr QChar ZoomIn = u'Z';
inline constexpr QChar ZoomOut = u'O';

// True for a font of the glyph set (family compared without regard to case).
bool IsGlyphFont(const QFont& font);
// True when the caption is one letter of the set.
bool HasGlyph(const QString& caption);
// Draws the letter's picture in the colour, as large as fits the height of one line of the font
// and the rectangle, placed by the alignment flags. Returns false (drawing nothing) for a letter
// outside the set.
bool PaintGlyph(QPainter& painter, const QRectF& rect, const QString& caption, const QColor& colour,
                const QFont& font, Qt::Alignment alignment);

} // namespace ButtonGlyphs
