#include "serial/ZarnbusNames.h"

#include "serial/ZarnbusNumbers.h"

#include <iterator>

namespace ZarnbusNames {
namespace {

namespace N = ZarnbusNumber;

struct Named {
    quint8 number;
    const char* name;
};

constexpr Named kParameters[] = {
    {N::BATTV, "BATTV"},       {N::SERL, "SERL"},         {N::SERH, "SERH"},
    {N::VERS, "VERS"},         {N::RMVV, "RMVV"},         {N::UMVV, "UMVV"},
    {N::MVV, "MVV"},           {N::GROSS, "GROSS"},       {N::NET, "NET"},
    {N::PEAKG, "PEAKG"},       {N::PEAKN, "PEAKN"},       {N::TARE, "TARE"},
    {N::SYSZERO, "SYSZERO"},   {N::FGAIN, "FGAIN"},       {N::FOFFS, "FOFFS"},
    {N::ALARM, "ALARM"},       {N::TTYPE, "TTYPE"},       {N::DP, "DP"},
    {N::ZERO, "ZERO"},         {N::Damp, "Damp"},         {N::THRESH, "THRESH"},
    {N::RESOL, "RESOL"},       {N::OFFAUTO, "OFFAUTO"},   {N::SENS, "SENS"},
    {N::STAT, "STAT"},         {N::Gain, "Gain"},         {N::OFFS, "OFFS"},
    {N::CMVVLO, "CMVVLO"},     {N::CMVVHI, "CMVVHI"},     {N::CENGLO, "CENGLO"},
    {N::CENGHI, "CENGHI"},     {N::CALCNT, "CALCNT"},     {N::POZ, "POZ"},
    {N::LINP, "LINP"},         {N::OVRLOD, "OVRLOD"},     {N::OVRRNG, "OVRRNG"},
    {N::REMK, "REMK"},         {N::SLAVE, "SLAVE"},       {N::Status, "Status"},
    {N::VALUE, "VALUE"},       {N::BAUD, "BAUD"},         {N::PTARE, "PTARE"},
    {N::OVERLOAD, "OVERLOAD"}, {N::PeakMode, "PeakMode"}, {N::FGB9, "FGB9"},
    {N::FGB3, "FGB3"},         {N::FSNL, "FSNL"},         {N::FSNH, "FSNH"},
};

constexpr Named kCommands[] = {
    {N::RST, "RST"},           {N::DOCALLO, "DOCALLO"},   {N::DOCALHI, "DOCALHI"},
    {N::DOKEYPWR, "DOKEYPWR"}, {N::DOKEYTAR, "DOKEYTAR"}, {N::DOKEYUNI, "DOKEYUNI"},
    {N::DOKEYHLD, "DOKEYHLD"}, {N::DOOFF, "DOOFF"},
};

const char* Find(const Named* table, std::size_t count, quint8 number) {
    for (std::size_t i = 0; i < count; ++i) {
        if (table[i].number == number) {
            return table[i].name;
        }
    }
    return nullptr;
}

// A numbered member: LINX1 ... LINX6, LINK1 ... LINK6, REM1 ... REM5.
QString NumberedName(quint8 number) {
    struct Range {
        quint8 first;
        int count;
        const char* stem;
    };
    static constexpr Range ranges[] = {
        {N::LINX1, N::LinearisationPoints, "LINX"},
        {N::LINK1, N::LinearisationPoints, "LINK"},
        {N::REM1, N::DisplayRegisters, "REM"},
    };
    for (const Range& range : ranges) {
        if (number >= range.first && number < range.first + range.count) {
            return QLatin1String(range.stem) + QString::number(number - range.first + 1);
        }
    }
    return QString();
}

} // namespace

QString ParameterName(quint8 number) {
    if (const char* name = Find(kParameters, std::size(kParameters), number)) {
        return QLatin1String(name);
    }
    const QString numbered = NumberedName(number);
    return numbered.isEmpty() ? QStringLiteral("parameter %1").arg(number) : numbered;
}

QString CommandName(quint8 number) {
    if (const char* name = Find(kCommands, std::size(kCommands), number)) {
        return QLatin1String(name);
    }
    return QStringLiteral("command %1").arg(number);
}

} // namespace ZarnbusNames
