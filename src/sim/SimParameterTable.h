#pragma once

#include <QString>
#include <QtGlobal>

// What a ZEX module knows about each of its Zarnbus 2 numbers: its name, how it may be used,
// from which firmware on it exists, and the values it accepts. The module model answers by
// number (the serial bus) or by name (a radio front end) through this one table.
namespace SimParameterTable {

enum class Access { Read, Write, ReadWrite, Command };

struct Entry {
    quint8 number;
    const char* name;
    Access access;
    int sinceFirmware; // firmware version × 100 (410 for 4.1); 0 for every firmware
    bool wholeNumber;  // written values are rounded to whole numbers
    double minimum;    // accepted range of a written value
    double maximum;
};

// The entry for a parameter or command number, or nullptr when the module has no such number.
const Entry* Find(int number);
// The same by name, without regard to case ("damp" finds Damp); nullptr when unknown.
const Entry* FindByName(const QString& name);

bool IsReadable(const Entry& entry);
bool IsWritable(const Entry& entry);
// Firmware versions travel as singles (4.1 is 4.0999999); compared as hundredths.
int FirmwareHundredths(double firmware);

} // namespace SimParameterTable
