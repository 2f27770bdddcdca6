#include "support/ScratchFiles.h"

#include "store/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

void ScratchFolder::removeFiles() {
    for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files)) {
        QFile file(m_dir.filePath(name));
        file.setPermissions(file.permissions() | QFile::WriteOwner);
        file.remove();
    }
}

QStringList IniKeys(const QString& path) {
    IniFile file;
    file.load(path);
    QStringList keys;
    for (const QString& section : file.sections()) {
        for (const QString& key : file.keys(section)) {
            keys.append(section + u'/' + key);
        }
    }
    return keys;
}
