#pragma once

#include <QString>
#include <QtGlobal>

// The module's names for Zarnbus 2 parameter and command numbers, as the serial driver uses them
// ("DP" for 24, "DOKEYTAR" for 104, the driver's own "SERL" for 8), so a frame can be shown by
// what it asks for rather than by its number.
namespace ZarnbusNames {

// "parameter 29" for a number the driver does not use.
QString ParameterName(quint8 number);
// "command 110" for a number the driver does not use.
QString CommandName(quint8 number);

} // namespace ZarnbusNames
