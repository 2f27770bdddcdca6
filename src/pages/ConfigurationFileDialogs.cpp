#include "pages/ConfigurationFileDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

constexpr char AllFilesPattern[] = "All Files (*)";

QString Run(QWidget* parent, const FileDialogRequest& request, bool save) {
    QFileDialog dialog(parent);
    QtConfigurationFileDialogs::Configure(dialog, request, save);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

QStringList ConfigurationFileDialogs::Filters() {
    return {QLatin1String(ConfigurationFilter), QLatin1String(AllFilesFilter)};
}

QString QtConfigurationFileDialogs::saveFileName(QWidget* parent,
                                                 const FileDialogRequest& request) {
    return Run(parent, request, true);
}

QString QtConfigurationFileDialogs::openFileName(QWidget* parent,
                                                 const FileDialogRequest& request) {
    return Run(parent, request, false);
}

void QtConfigurationFileDialogs::Configure(QFileDialog& dialog, const FileDialogRequest& request,
                                           bool save) {
    // The dialog of this program on every system, so the filters behave as described.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Asking before an overwrite is the dialog's default; stated, since the page relies on it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setDefaultSuffix(request.defaultSuffix);

    QStringList patterns;
    for (const QString& filter : request.filters) {
        patterns.append(filter == QLatin1String(AllFilesFilter) ? QLatin1String(AllFilesPattern)
                                                                : filter);
    }
    dialog.setNameFilters(patterns);
    if (auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
        for (int i = 0; i < combo->count() && i < request.filters.size(); ++i) {
            combo->setItemText(i, request.filters.at(i));
        }
    }

    const QString folder = request.folder.isEmpty() ? QDir::homePath() : request.folder;
    dialog.setDirectory(folder);
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(QDir(folder).filePath(request.fileName));
    }
}
