#include "sim/ModuleDisplay.h"

namespace ModuleDisplay {
namespace {

constexpr int Digits = 6;

} // namespace

QString ValueText(double value, int decimalPlaces) {
    QString text = QString::number(value, 'f', decimalPlaces);
    if (text.startsWith(QLatin1Char('-')) &&
        text.count(QLatin1Char('0')) + text.count(QLatin1Char('.')) + 1 == text.size()) {
        text.remove(0, 1); // a value that rounds to zero shows no sign
    }
    const int digitCount = int(text.size()) - (text.contains(QLatin1Char('.')) ? 1 : 0);
    if (digitCount > Digits) {
        return QString(Digits, QLatin1Char('-'));
    }
    return text;
}

QString OverrangeText() {
    return QStringLiteral("-OL-");
}

std::array<float, RegisterCount> Registers(const QString& text) {
    std::array<quint8, RegisterCount * 2> codes{};
    const QString shown = text.right(Width);
    const int start = Width - int(shown.size());
    for (int i = 0; i < shown.size(); ++i) {
        const char16_t c = shown[i].unicode();
        codes[start + i] = c < 256 ? quint8(c) : quint8('?');
    }
    std::array<float, RegisterCount> registers{};
    for (int r = 0; r < RegisterCount; ++r) {
        registers[r] = float(codes[2 * r] * 256 + codes[2 * r + 1]);
    }
    return registers;
}

} // namespace ModuleDisplay
