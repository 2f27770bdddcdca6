#include "store/ConfigurationFileLayout.h"

namespace ConfigurationFileLayout {
namespace {

// Builds a step list in the order the calls come.
class Steps {
public:
    Steps& keys(const QString& section, std::initializer_list<const char*> names) {
        return keysFrom(QStringList{section}, names);
    }
    Steps& keysFrom(const QStringList& sections, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            m_steps.append(Step{QString::fromLatin1(name), sections, 0});
        }
        return *this;
    }
    Steps& progress(int percent) {
        m_steps.append(Step{QString(), {}, percent});
        return *this;
    }
    QList<Step> take() { return std::move(m_steps); }

private:
    QList<Step> m_steps;
};

const QString ReadOnly = QString::fromUtf16(ReadOnlySection);
const QString Factory = QString::fromUtf16(FactorySection);
const QString ReadWrite = QString::fromUtf16(ReadWriteSection);
const QString Dynamic = QString::fromUtf16(DynamicSection);

bool AtLeast(float firmwareVersion, float version) {
    return firmwareVersion >= version;
}

} // namespace

QStringList OwnedSections() {
    return {QString::fromUtf16(DataSection), ReadOnly, Factory, ReadWrite, Dynamic};
}

QList<Step> SaveSteps(float firmwareVersion, bool isRadio) {
    const bool fw3 = AtLeast(firmwareVersion, 3.0f);
    const bool fw4 = AtLeast(firmwareVersion, 4.0f);
    Steps steps;
    steps.keys(ReadOnly, {"VERS"});
    if (fw3) {
        steps.keys(ReadOnly, {"SERIALNUMBER"}).keys(ReadWrite, {"PTARE"});
    }
    if (!isRadio) {
        steps.keys(ReadOnly, {"RMVV", "UMVV", "MVV"});
    }
    steps.keys(ReadOnly, {"GROSS", "NET", "PEAKG", "PEAKN", "TARE"}).progress(20);
    if (!isRadio) {
        steps.keys(Factory, {"FGAIN", "FOFFS"});
        if (fw3) {
            steps.keys(Factory, {"FGB3", "FGB9"});
        }
    }
    steps
        .keys(ReadWrite, {"SYSZERO", "ALARM", "TTYPE", "DP", "ZERO", "DAMP", "THRESH", "RESOL",
                          "OFFAUTO", "SENS", "POZ", "OVRLOD", "OVRRNG"})
        .progress(40);
    if (!isRadio) {
        steps.keys(ReadWrite, {"GAIN", "OFFS", "CMVVLO", "CMVVHI", "CENGLO", "CENGHI", "CALCNT",
                               "LINP", "LINX1", "LINX2", "LINX3", "LINX4", "STAT"});
    }
    steps.progress(60);
    if (!isRadio) {
        steps.keys(ReadWrite, {"LINX5", "LINX6", "LINK1", "LINK2", "LINK3", "LINK4", "LINK5",
                               "LINK6", "BAUD"});
    }
    steps.progress(80);
    if (!isRadio) {
        steps.keys(Dynamic, {"REM1", "REM2", "REM3", "REM4", "REM5"}).keys(ReadWrite, {"SLAVE"});
    }
    steps.keys(Dynamic, {"Status", "VALUE", "NetMode", "HoldMode", "UnitMode"});
    if (fw3) {
        steps.keys(Dynamic, {"BATTV"});
    }
    if (fw4) {
        steps.keys(Dynamic, {"OVERLOAD"});
    }
    return steps.progress(100).take();
}

QList<Step> RestoreSteps(float firmwareVersion, bool isRadio) {
    // FGAIN and FOFFS (and FGB3, FGB9) are left out on purpose: they are the calibration of one
    // module's own hardware, and the save keeps them apart in "Factory" for that reason.
    // OVERLOAD is looked for where the save puts it ("Dynamic") when "ReadWrite" lacks it, so a
    // clone keeps its overload level.
    Steps steps;
    steps.keys(ReadWrite, {"SYSZERO", "ALARM", "TTYPE", "DP", "ZERO"}).progress(20);
    steps.keys(ReadWrite, {"Damp", "THRESH", "RESOL", "OFFAUTO", "SENS", "POZ"}).progress(40);
    if (!isRadio) {
        steps.keys(ReadWrite, {"GAIN", "OFFS", "CMVVLO", "CMVVHI", "CENGLO", "CENGHI", "CALCNT",
                               "STAT", "LINP"});
    }
    steps.progress(60);
    if (!isRadio) {
        steps.keys(ReadWrite, {"LINX1", "LINX2", "LINX3", "LINX4", "LINX5", "LINX6", "LINK1",
                               "LINK2", "LINK3"});
    }
    steps.progress(80);
    if (!isRadio) {
        steps.keys(ReadWrite, {"LINK4", "LINK5", "LINK6", "BAUD", "SLAVE"});
    }
    steps.keys(ReadWrite, {"OVRLOD", "OVRRNG"});
    if (AtLeast(firmwareVersion, 3.0f)) {
        steps.keys(ReadWrite, {"PTARE"});
    }
    if (AtLeast(firmwareVersion, 4.0f)) {
        steps.keysFrom({ReadWrite, Dynamic}, {"OVERLOAD"});
    }
    return steps.progress(100).take();
}

} // namespace ConfigurationFileLayout
