#include "store/ResourceFolder.h"

#include "store/BrandingModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

bool holdsBrandFile(const QDir& folder) {
    return QFileInfo(folder.filePath(QLatin1String(BrandingModule::BrandFileName))).isFile() ||
           QFileInfo(folder.filePath(QLatin1String(BrandingModule::DefaultBrandFileName))).isFile();
}

} // namespace

namespace ResourceFolder {

QString For(const QString& programFolder) {
    const QDir program(programFolder);
    if (holdsBrandFile(program)) {
        return program.path();
    }
    const QDir installed(QDir::cleanPath(program.filePath(QLatin1String(InstalledRelativePath))));
    if (holdsBrandFile(installed)) {
        return installed.path();
    }
    return program.path();
}

QString OfThisProgram() {
    return For(QCoreApplication::applicationDirPath());
}

} // namespace ResourceFolder
