#include "store/SafeFileModule.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A file without any write permission bit is read-only even to an administrator, as the read-only
// attribute is on Windows; checking access alone would let root replace it.
bool IsReadOnly(const QFileInfo& info) {
    // WriteUser is not among them: it says whether we may write, which root always may.
    constexpr QFile::Permissions writeBits =
        QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !info.isWritable() || !(info.permissions() & writeBits);
}

QString SizeText(qint64 bytes) {
    return bytes % (1024 * 1024) == 0 ? QStringLiteral("%1 MB").arg(bytes / (1024 * 1024))
                                      : QStringLiteral("%1 bytes").arg(bytes);
}

} // namespace

namespace SafeFileModule {

std::optional<QByteArray> ReadWholeFile(const QString& path, qint64 maxSize, QString* errorText) {
    const auto fail = [&](const QString& text) -> std::optional<QByteArray> {
        if (errorText) {
            *errorText = text;
        }
        return std::nullopt;
    };
    // Only plain files: a FIFO or a device would block or never end.
    const QFileInfo info(path);
    if (!info.exists()) {
        return fail(QStringLiteral("File not found: %1").arg(path));
    }
    if (!info.isFile()) {
        return fail(QStringLiteral("%1 is not a file.").arg(path));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("Could not read %1: %2.").arg(path, file.errorString()));
    }
    QByteArray bytes = file.read(maxSize + 1);
    if (file.error() != QFileDevice::NoError) {
        return fail(QStringLiteral("Could not read %1: %2.").arg(path, file.errorString()));
    }
    if (bytes.size() > maxSize) {
        return fail(
            QStringLiteral("%1 is larger than %2 and is refused.").arg(path, SizeText(maxSize)));
    }
    return bytes;
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* errorText) {
    const QFileInfo info(path);
    QString reason;
    if (info.exists() && !info.isFile()) {
        reason = QStringLiteral("it is not a file");
    } else if (info.exists() && IsReadOnly(info)) {
        reason = QStringLiteral("the file is read-only");
    } else {
        QSaveFile file(path);
        // write() may only fill the buffer, and commit() renames the temporary file over the old
        // one even when writing out the rest of the buffer failed (a full disk): every byte must
        // have reached the file before it may replace the old one.
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
            file.error() == QFileDevice::NoError && file.commit()) {
            return true;
        }
        reason = file.errorString();
        file.cancelWriting();
    }
    if (errorText) {
        *errorText = QStringLiteral("Could not write %1: %2. Check that the folder exists and may "
                                    "be written to, that the file is not read-only and that the "
                                    "disk is not full.")
                         .arg(path, reason);
    }
    return false;
}

} // namespace SafeFileModule
