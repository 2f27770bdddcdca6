#pragma once

// A module weighs in metric tonnes and shows the weight in the unit chosen on it: kilograms,
// kilonewtons, pounds, or tons of the chosen ton type.
namespace DisplayUnits {

enum class Unit { Kilogram = 0, Kilonewton = 1, Ton = 2, Pound = 3 };
enum class TonType { Metric = 0, Imperial = 1, US = 2 };

double FromTonnes(double tonnes, Unit unit, TonType tonType);
// How many of the unit make one metric tonne.
inline double PerTonne(Unit unit, TonType tonType) {
    return FromTonnes(1.0, unit, tonType);
}

} // namespace DisplayUnits
