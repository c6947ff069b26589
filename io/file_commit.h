#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QSaveFile;

// Putting a written file on the disk whole. QSaveFile::commit() (Qt 6.4) takes no notice when
// the flush it makes on closing fails, which is where a small file that sat whole in the write
// buffer meets a full disk: the target would be replaced by an empty or short file and the write
// reported as done. Every writer of a file the user keeps commits through commitWhole().
namespace io {

// The name without Windows' long-path prefix: "\\?\C:\x" gives "C:\x", "\\?\UNC\server\share\x"
// gives "\\server\share\x"; other names, and every name elsewhere, stay as they are. QSaveFile
// takes the colon after the prefix's drive letter for an alternate data stream's and refuses the
// name; Qt adds the prefix itself where a path is too long for the system without it. Every
// writer of a file the user keeps or hands in writes to the name this gives.
[[nodiscard]] QString withoutLongPathPrefix(const QString& fileName);

// Flushes the file and checks the flush, makes the system put the bytes on the disk (fsync on
// Unix) and checks that too, and only then commits. On a failure the writing is cancelled, the
// target stays as it was, and errno holds the system's reason (0 when it gave none) for
// writeFailureReason().
[[nodiscard]] bool commitWhole(QSaveFile& file);

// Writes `bytes` as the whole of the file through a QSaveFile and commitWhole(): the file is
// replaced whole or not at all. Why it could not be written (writeFailureReason()) when it failed.
[[nodiscard]] std::optional<QString> writeWhole(const QString& fileName, const QByteArray& bytes);

// Puts the bytes of a written file on the disk (fsync on Unix). False with errno set when the
// system reports that they cannot be written.
[[nodiscard]] bool syncToDisk(const QString& fileName);

// Moves the complete file `from` into the place of `to`, replacing a file there in one step
// (rename on Unix, MoveFileEx on Windows, whose C library's rename refuses an existing target and
// takes names only in the ANSI code page). False with errno set when it cannot.
[[nodiscard]] bool replaceFile(const QString& from, const QString& to);

// Why writing `bytes` bytes into `folder` fails, as an errno value, found out by writing a
// scratch file there (and removing it): for a writer that saw its file come out short without
// being told why. 0 when the scratch file could be written.
[[nodiscard]] int writeErrorIn(const QString& folder, qint64 bytes);

}  // namespace io
