#pragma once

#include <QString>

#include "file_errors.h"

// What every export needs, whatever it writes (the calculation sheet's PDF, a spreadsheet): the
// name it suggests, its suffix, the folder it opens in, and why a file could not be written,
// told in Chinese.
namespace ui {

// A text typed on one line, as the name fields keep it: line breaks (CR LF counts as one) and
// tabs become blanks, other control characters are dropped.
[[nodiscard]] QString oneLineText(const QString& text);

// What an export writes: the title its file's name ends with, and the file's suffix.
struct ExportKind {
    QString title;   // "灭火器配置计算书"
    QString suffix;  // "pdf"
};

// "<name>-<title>.<suffix>", or "<title>.<suffix>" without a name. The name's characters that a
// file name may not hold (\ / : * ? " < > | and control characters) become "_", and the name is
// shortened, by whole characters, so that the file name fits in io::kMaxFileNameBytes bytes of
// UTF-8; "-<title>.<suffix>" is kept whole.
[[nodiscard]] QString suggestedFileName(const QString& name, const ExportKind& kind);

// The file name, with ".<suffix>" added unless it already ends in it, in any letter case
// ("noext" gives "noext.pdf", "综合楼 v2.0" gives "综合楼 v2.0.pdf", "a.PDF" stays).
[[nodiscard]] QString withSuffix(const QString& fileName, const QString& suffix);

// The folder an export's file dialog opens in, the first that exists of: the folder of the last
// export made from the project file `projectFile`; that project file's own folder; the folder of
// the last export; the user's documents folder.
[[nodiscard]] QString exportFolder(const QString& projectFile = {});
// Remembers the folder of an exported file, and the project file it was made from, in the
// settings' group "export" (keys "lastFolder" and "lastProject"), apart from the saved choices and
// whether or not they are saved.
void rememberExportFolder(const QString& fileName, const QString& projectFile = {});

}  // namespace ui
