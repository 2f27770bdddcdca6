#include "pages/FieldLimits.h"

#include <QLocale>
#include <QString>
#include <cfloat>
#include <cmath>

namespace FieldLimits {
namespace {

// The significant digits of the shortest text that reads back as the value ("1.5e+07" has 2).
int SignificantDigits(double value) {
    const QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    int digits = 0;
    bool leading = true;
    for (const QChar c : text) {
        if (c == u'e' || c == u'E') {
            break;
        }
        if (!c.isDigit()) {
            continue;
        }
        if (leading && c == u'0') {
            continue;
        }
        leading = false;
        ++digits;
    }
    return digits > 0 ? digits : 1;
}

} // namespace

bool SingleKeeps(double value) {
    if (!std::isfinite(value) || std::fabs(value) > double(FLT_MAX)) {
        return false;
    }
    const double stored = double(float(value));
    const int digits = SignificantDigits(value);
    return QString::number(stored, 'g', digits).toDouble() == value;
}

bool WholeWithin(double value, double lowest, double highest) {
    return std::isfinite(value) && value == std::floor(value) && value >= lowest &&
           value <= highest;
}

} // namespace FieldLimits
