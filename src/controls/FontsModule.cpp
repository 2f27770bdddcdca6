#include "controls/FontsModule.h"

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QList>
#include <QStringList>

namespace FontsModule {

namespace {

struct Registration {
    bool done = false;
    QList<int> fontIds;
    QString ledFamily;
};

Registration& registration() {
    static Registration state;
    return state;
}

// Humanist sans faces close to the one the styles name, in order of likeness.
const QStringList& humanistStandIns() {
    static const QStringList families{QStringLiteral("PT Sans"), QStringLiteral("Open Sans"),
                                      QStringLiteral("DejaVu Sans")};
    return families;
}

int addFont(const QString& path, QString* family) {
    const int id = QFontDatabase::addApplicationFont(path);
    if (id >= 0 && family) {
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        *family = families.value(0);
    }
    return id;
}

} // namespace

int RegisterPrivateFonts(const QString& folder) {
    Registration& state = registration();
    if (state.done) {
        return 0;
    }
    state.done = true;
    const QDir dir(folder);
    int registered = 0;

    QString ledFamily;
    const int ledId = addFont(dir.filePath(QLatin1String(LedFontFile)), &ledFamily);
    if (ledId >= 0) {
        state.fontIds.append(ledId);
        state.ledFamily = ledFamily;
        // Text set in "QK-LED" reaches the file's own family, whatever its name inside.
        QFont::insertSubstitution(QLatin1String(LedFamily), ledFamily);
        ++registered;
    }
    const int buttonId = addFont(dir.filePath(QLatin1String(ButtonFontFile)), nullptr);
    if (buttonId >= 0) {
        state.fontIds.append(buttonId);
        ++registered;
    }
    if (!QFontDatabase::hasFamily(QLatin1String(HumanistFamily))) {
        QFont::insertSubstitutions(QLatin1String(HumanistFamily), humanistStandIns());
    }
    return registered;
}

void UnregisterPrivateFonts() {
    Registration& state = registration();
    for (const int id : std::as_const(state.fontIds)) {
        QFontDatabase::removeApplicationFont(id);
    }
    QFont::removeSubstitutions(QLatin1String(LedFamily));
    state = Registration();
}

QString LedFontFamily() {
    return registration().ledFamily;
}

} // namespace FontsModule
