#pragma once

// What a field's member can hold, for the checks a field makes before it commits a typed value
// (QKBtn::SetValueCheck): a value the member would store as something else is refused with the
// beep, instead of reaching the module changed or being dropped on the way.
namespace FieldLimits {

// True when a single float, the form every module parameter travels in, gives the number back
// with all the digits it has: 16777216 and 0.1 pass, 123456789 (stored as 123456792) and
// 16777217 do not.
bool SingleKeeps(double value);

// True for a whole number from lowest to highest: what a counter holds.
bool WholeWithin(double value, double lowest, double highest);

} // namespace FieldLimits
