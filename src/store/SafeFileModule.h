#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Whole-file reads and writes for settings and brand files: reads never block on a device or
// swallow an unbounded file, writes never leave half a file behind.
namespace SafeFileModule {

// The file's bytes, or nothing (with the reason) when it is missing, not a plain file, larger
// than maxSize or unreadable.
std::optional<QByteArray> ReadWholeFile(const QString& path, qint64 maxSize,
                                        QString* errorText = nullptr);

// Writes a temporary file in the same folder and renames it over the target. False with a reason
// that names the file and says what the user can do when nothing could be written; a file
// without any write permission is treated as read-only and left alone.
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* errorText = nullptr);

} // namespace SafeFileModule
