#pragma once

#include <QtGlobal>

// The Zarnbus 2 parameter and command numbers of a ZEX module. The serial driver uses exactly
// these; the simulator answers them.
namespace ZarnbusNumber {

enum Parameter : quint8 {
    BATTV = 7,
    SERL = 8, // serial number, low 16 bits (read)
    SERH = 9, // serial number, high 16 bits (read)
    VERS = 10,
    RMVV = 11,
    UMVV = 12,
    MVV = 13,
    GROSS = 14,
    NET = 15,
    PEAKG = 16,
    PEAKN = 17,
    TARE = 18,
    SYSZERO = 19,
    FGAIN = 20,
    FOFFS = 21,
    ALARM = 22,
    TTYPE = 23,
    DP = 24,
    ZERO = 25,
    Damp = 26,
    THRESH = 27,
    RESOL = 28,
    OFFAUTO = 30,
    SENS = 31,
    STAT = 32,
    Gain = 33,
    OFFS = 34,
    CMVVLO = 35,
    CMVVHI = 36,
    CENGLO = 37,
    CENGHI = 38,
    CALCNT = 39,
    POZ = 40,
    LINP = 50,
    LINX1 = 51, // LINX1 ... LINX6 are 51 ... 56
    LINK1 = 57, // LINK1 ... LINK6 are 57 ... 62
    OVRLOD = 63,
    OVRRNG = 64,
    REM1 = 65, // REM1 ... REM5 are 65 ... 69
    REMK = 70,
    SLAVE = 72,
    Status = 73,
    VALUE = 74,
    BAUD = 75,
    PTARE = 76,
    OVERLOAD = 77,
    PeakMode = 78,
    FGB9 = 90,
    FGB3 = 91,
    FSNL = 92, // serial number, low 16 bits (write)
    FSNH = 93, // serial number, high 16 bits (write)
};

enum Command : quint8 {
    RST = 100,
    DOCALLO = 101,
    DOCALHI = 102,
    DOKEYPWR = 103,
    DOKEYTAR = 104,
    DOKEYUNI = 105,
    DOKEYHLD = 106,
    DOOFF = 107,
};

inline constexpr int LinearisationPoints = 6;
inline constexpr int DisplayRegisters = 5;

} // namespace ZarnbusNumber
