#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

QByteArray ReadBytes(const QString& path);
// Records a test failure when the file cannot be written.
void WriteBytes(const QString& path, const QByteArray& bytes);

// A temporary folder for file tests, emptied between cases (read-only files included).
class ScratchFolder {
public:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString folder() const { return m_dir.path(); }
    void removeFiles();

private:
    QTemporaryDir m_dir;
};

// "Section/Key" for every key of an INI file, in file order.
QStringList IniKeys(const QString& path);
