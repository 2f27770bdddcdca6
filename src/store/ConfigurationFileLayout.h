#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What a module configuration file (.zcf) holds and in which order the module is read and
// written: the file's sections and keys, which of them depend on the firmware or the link, and
// the progress reached along the way. The format is a contract with every file already saved, so
// its spellings ("DAMP" saved, "Damp" restored) and sections stay as they are.
namespace ConfigurationFileLayout {

inline constexpr char16_t DataSection[] = u"Data";
inline constexpr char16_t ReadOnlySection[] = u"ReadOnly";
inline constexpr char16_t FactorySection[] = u"Factory";
inline constexpr char16_t ReadWriteSection[] = u"ReadWrite";
inline constexpr char16_t DynamicSection[] = u"Dynamic";

// The sections a save writes; a new save replaces them whole and leaves any other section be.
QStringList OwnedSections();

// One step of a save or restore: a key, or (key empty) the progress reached at that point.
struct Step {
    QString key;
    // Save: the one section the value goes to. Restore: the sections looked in, in order.
    QStringList sections;
    int progress = 0;

    bool isProgress() const { return key.isEmpty(); }
};

// firmwareVersion is VERS as read at Connect; isRadio is the driver's IsR58.
QList<Step> SaveSteps(float firmwareVersion, bool isRadio);
QList<Step> RestoreSteps(float firmwareVersion, bool isRadio);

} // namespace ConfigurationFileLayout
