#pragma once

#include <QFileDevice>
#include <QString>

// What every export needs, whatever it writes (the calculation sheet's PDF, a spreadsheet): the
// name it suggests, its suffix, the folder it opens in, and why a file could not be written,
// told in Chinese.
namespace ui {

// The longest file name the usual file systems take, in bytes (UTF-8 on Linux).
inline constexpr int kMaxFileNameBytes = 255;

// A text typed on one line, as the name fields keep it: line breaks (CR LF counts as one) and
// tabs become blanks, other control characters are dropped.
[[nodiscard]] QString oneLineText(const QString& text);

// "<name>-<title>.<suffix>", or "<title>.<suffix>" without a name. The name's characters that a
// file name may not hold (\ / : * ? " < > | and control characters) become "_", and the name is
// shortened, by whole characters, so that the file name fits in kMaxFileNameBytes bytes of
// UTF-8; "-<title>.<suffix>" is kept whole.
[[nodiscard]] QString suggestedFileName(const QString& name, const QString& title,
                                        const QString& suffix);

// The file name, with ".<suffix>" added when it has none ("noext" gives "noext.pdf").
[[nodiscard]] QString withSuffix(const QString& fileName, const QString& suffix);

// Why a file could not be written, in Chinese. What the file system shows comes first (a folder
// in the file's place, a name that is too long, a read-only file, a folder that is missing, is a
// file or may not be written); then what the system said (`systemError`, an errno value), then
// what Qt said (`error`); "无法写入文件" when none of them tells more.
[[nodiscard]] QString writeFailureReason(const QString& fileName,
                                         QFileDevice::FileError error = QFileDevice::NoError,
                                         int systemError = 0);

// The folder an export's file dialog opens in: that of the last export, while it exists; else
// the user's documents folder.
[[nodiscard]] QString exportFolder();
// Remembers the folder of an exported file, in the settings' group "export" (key "lastFolder"),
// apart from the saved choices and whether or not they are saved.
void rememberExportFolder(const QString& fileName);

}  // namespace ui
