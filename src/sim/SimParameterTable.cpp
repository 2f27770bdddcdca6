#include "sim/SimParameterTable.h"

#include "serial/ZarnbusNumbers.h"

#include <array>
#include <cmath>
#include <limits>

namespace SimParameterTable {
namespace {

using enum Access;
namespace N = ZarnbusNumber;

constexpr double Any = std::numeric_limits<double>::max();

constexpr Entry number(quint8 n, const char* name, Access access, int since = 0) {
    return Entry{n, name, access, since, false, -Any, Any};
}
constexpr Entry ranged(quint8 n, const char* name, double minimum, double maximum, int since = 0) {
    return Entry{n, name, ReadWrite, since, false, minimum, maximum};
}
constexpr Entry whole(quint8 n, const char* name, double minimum, double maximum, int since = 0) {
    return Entry{n, name, ReadWrite, since, true, minimum, maximum};
}

// Firmware history: system zero came with 1.08; the battery reading, its calibration, the serial
// number and the pre-tare with 3.0; the overload level with 4.0; the peak hold mode with 4.1.
const std::array kEntries = {
    number(N::BATTV, "BATTV", Read, 300),
    number(N::SERL, "SERL", Read, 300),
    number(N::SERH, "SERH", Read, 300),
    number(N::VERS, "VERS", Read),
    number(N::RMVV, "RMVV", Read),
    number(N::UMVV, "UMVV", Read),
    number(N::MVV, "MVV", Read),
    number(N::GROSS, "GROSS", Read),
    number(N::NET, "NET", Read),
    number(N::PEAKG, "PEAKG", Read),
    number(N::PEAKN, "PEAKN", Read),
    number(N::TARE, "TARE", Read),
    number(N::SYSZERO, "SYSZERO", ReadWrite, 108),
    number(N::FGAIN, "FGAIN", ReadWrite),
    number(N::FOFFS, "FOFFS", ReadWrite),
    whole(N::ALARM, "ALARM", 0, 999),
    whole(N::TTYPE, "TTYPE", 0, 2),
    whole(N::DP, "DP", 0, 6),
    ranged(N::ZERO, "ZERO", 0, 100),
    whole(N::Damp, "Damp", 0, 254),
    ranged(N::THRESH, "THRESH", 0, Any),
    whole(N::RESOL, "RESOL", 0, 2),
    whole(N::OFFAUTO, "OFFAUTO", 0, 255),
    ranged(N::SENS, "SENS", 0, Any),
    whole(N::STAT, "STAT", 1, 254),
    number(N::Gain, "Gain", ReadWrite),
    number(N::OFFS, "OFFS", ReadWrite),
    number(N::CMVVLO, "CMVVLO", ReadWrite),
    number(N::CMVVHI, "CMVVHI", ReadWrite),
    number(N::CENGLO, "CENGLO", ReadWrite),
    number(N::CENGHI, "CENGHI", ReadWrite),
    whole(N::CALCNT, "CALCNT", 0, 65535),
    ranged(N::POZ, "POZ", 0, Any),
    whole(N::LINP, "LINP", 0, 6),
    number(N::LINX1, "LINX1", ReadWrite),
    number(N::LINX1 + 1, "LINX2", ReadWrite),
    number(N::LINX1 + 2, "LINX3", ReadWrite),
    number(N::LINX1 + 3, "LINX4", ReadWrite),
    number(N::LINX1 + 4, "LINX5", ReadWrite),
    number(N::LINX1 + 5, "LINX6", ReadWrite),
    number(N::LINK1, "LINK1", ReadWrite),
    number(N::LINK1 + 1, "LINK2", ReadWrite),
    number(N::LINK1 + 2, "LINK3", ReadWrite),
    number(N::LINK1 + 3, "LINK4", ReadWrite),
    number(N::LINK1 + 4, "LINK5", ReadWrite),
    number(N::LINK1 + 5, "LINK6", ReadWrite),
    whole(N::OVRLOD, "OVRLOD", 0, 65535),
    whole(N::OVRRNG, "OVRRNG", 0, 65535),
    number(N::REM1, "REM1", Read),
    number(N::REM1 + 1, "REM2", Read),
    number(N::REM1 + 2, "REM3", Read),
    number(N::REM1 + 3, "REM4", Read),
    number(N::REM1 + 4, "REM5", Read),
    Entry{N::REMK, "REMK", Write, 0, true, 1, 4},
    whole(N::SLAVE, "SLAVE", 0, 1),
    number(N::Status, "Status", Read),
    number(N::VALUE, "VALUE", Read),
    whole(N::BAUD, "BAUD", 0, 1),
    number(N::PTARE, "PTARE", ReadWrite, 300),
    whole(N::OVERLOAD, "OVERLOAD", 0, 999, 400),
    whole(N::PeakMode, "PeakMode", 0, 1, 410),
    ranged(N::FGB9, "FGB9", 0, Any, 300),
    ranged(N::FGB3, "FGB3", 0, Any, 300),
    Entry{N::FSNL, "FSNL", Write, 300, true, -32768, 65535},
    Entry{N::FSNH, "FSNH", Write, 300, true, -32768, 65535},
    number(N::RST, "RST", Command),
    number(N::DOCALLO, "DOCALLO", Command),
    number(N::DOCALHI, "DOCALHI", Command),
    number(N::DOKEYPWR, "DOKEYPWR", Command),
    number(N::DOKEYTAR, "DOKEYTAR", Command),
    number(N::DOKEYUNI, "DOKEYUNI", Command),
    number(N::DOKEYHLD, "DOKEYHLD", Command),
    number(N::DOOFF, "DOOFF", Command),
};

} // namespace

const Entry* Find(int number) {
    for (const Entry& entry : kEntries) {
        if (entry.number == number) {
            return &entry;
        }
    }
    return nullptr;
}

const Entry* FindByName(const QString& name) {
    for (const Entry& entry : kEntries) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

bool IsReadable(const Entry& entry) {
    return entry.access == Access::Read || entry.access == Access::ReadWrite;
}

bool IsWritable(const Entry& entry) {
    return entry.access == Access::Write || entry.access == Access::ReadWrite;
}

int FirmwareHundredths(double firmware) {
    return int(std::lround(firmware * 100.0));
}

} // namespace SimParameterTable
