#include "calibration/CalibrationLoads.h"

#include <QRegularExpression>

namespace CalibrationLoads {

double iVal(const QString& expression, QChar decimalSeparator) {
    QString text = expression;
    text.replace(decimalSeparator, QLatin1Char('.'));
    static const QRegularExpression leadingNumber(
        QStringLiteral("^\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = leadingNumber.match(text);
    if (!match.hasMatch()) {
        return 0.0;
    }
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    return ok ? value : 0.0;
}

bool IsBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

std::optional<QString> Problem(const Texts& texts, QChar decimalSeparator) {
    if (IsBlank(texts[Low]) || IsBlank(texts[High])) {
        return QStringLiteral("You must enter the Low Cal Point and the High Cal Point!");
    }
    for (int i = 4; i >= 2; --i) {
        if (!IsBlank(texts[i]) && IsBlank(texts[i - 1])) {
            return QStringLiteral("You cannot enter a value in one of the linearisation fields "
                                  "if a preceeding field is blank!\r\nEnter the linearisation "
                                  "values from the left and just enter as many as required.");
        }
    }
    // Compared as the single floats the calibration is computed in, so two loads that differ
    // only beyond single precision cannot make a span of zero.
    float previous = float(iVal(texts[Low], decimalSeparator));
    for (int i = 1; i < Count; ++i) {
        if (IsBlank(texts[i])) {
            continue;
        }
        const float value = float(iVal(texts[i], decimalSeparator));
        if (!(value > previous)) {
            return QStringLiteral(
                "The values entered in the fields must be ascending from left to right!");
        }
        previous = value;
    }
    return std::nullopt;
}

} // namespace CalibrationLoads
