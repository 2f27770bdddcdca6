#include "device/DisplayUnits.h"

namespace DisplayUnits {
namespace {

constexpr double KilogramsPerTonne = 1000.0;
constexpr double KilonewtonsPerTonne = 9.80665;
constexpr double PoundsPerTonne = 2204.62262;
constexpr double TonnesPerLongTon = 1.0160469;
constexpr double TonnesPerShortTon = 0.90718474;

} // namespace

double FromTonnes(double tonnes, Unit unit, TonType tonType) {
    switch (unit) {
    case Unit::Kilogram:
        return tonnes * KilogramsPerTonne;
    case Unit::Kilonewton:
        return tonnes * KilonewtonsPerTonne;
    case Unit::Pound:
        return tonnes * PoundsPerTonne;
    case Unit::Ton:
        break;
    }
    switch (tonType) {
    case TonType::Imperial:
        return tonnes / TonnesPerLongTon;
    case TonType::US:
        return tonnes / TonnesPerShortTon;
    case TonType::Metric:
        break;
    }
    return tonnes;
}

} // namespace DisplayUnits
