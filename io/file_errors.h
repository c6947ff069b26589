#pragma once

#include <QFileDevice>
#include <QString>
#include <optional>

// Why a file could not be written, told in Chinese: shared by everything that writes a file the
// user keeps or hands in (the project file, the sheet, the book, the workbook, the settings).
namespace io {

// The longest file name the usual file systems take, in bytes (UTF-8 on Linux).
inline constexpr int kMaxFileNameBytes = 255;

// The text as a part of a file name: each character that a file name may not hold (\ / : * ? " <
// > | and control characters) becomes "_", blanks at either end go, and what is left is cut, by
// whole characters, to at most `maxBytes` bytes of UTF-8.
[[nodiscard]] QString fileNamePart(const QString& text, qsizetype maxBytes);

// What the file system shows comes first (a folder in the file's place, a name that is too long,
// a read-only file, a folder that is missing, is a file or may not be written); then what the
// system said (`systemError`, an errno value), then what Qt said (`error`); "无法写入文件" when
// none of them tells more.
[[nodiscard]] QString writeFailureReason(const QString& fileName,
                                         QFileDevice::FileError error = QFileDevice::NoError,
                                         int systemError = 0);

// Why a document the program hands out (a PDF, a workbook) may not take the place of what stands
// at `fileName`: a link (never written through, nor replaced), something other than a plain file
// (a folder, a named pipe, a device), or a read-only file. Empty when nothing stands there or a
// plain file that may be written does. The writers write a new file beside it and rename it into
// its place.
[[nodiscard]] std::optional<QString> replaceFault(const QString& fileName);

}  // namespace io
