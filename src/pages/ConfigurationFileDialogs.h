#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

// What a configuration file dialog is asked for: its title, filters, default extension and the
// folder and file name it starts with.
struct FileDialogRequest {
    QString title;
    QStringList filters;
    QString defaultSuffix;
    QString folder;
    QString fileName;
};

// The save and open dialogs of the Save & Restore page, behind an interface so that tests answer
// them. Both return the chosen path, or "" when cancelled.
class ConfigurationFileDialogs {
public:
    virtual ~ConfigurationFileDialogs() = default;
    // Asks before an existing file is overwritten.
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // Takes only a file that exists.
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;

    static constexpr char ConfigurationFilter[] = "Configuration Files (*.zcf)";
    // Shown as it stands, and it shows every file: names without a dot as well.
    static constexpr char AllFilesFilter[] = "All Files (*.*)";
    static constexpr char DefaultSuffix[] = "zcf";
    static QStringList Filters();
};

// The dialogs as the program shows them.
class QtConfigurationFileDialogs : public ConfigurationFileDialogs {
public:
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;

    // Sets a dialog up for a request, as a save dialog or as an open dialog. "*.*" matches only
    // names with a dot on most systems, so "All Files (*.*)" is given the pattern "*" and keeps
    // its caption.
    static void Configure(QFileDialog& dialog, const FileDialogRequest& request, bool save);
};
