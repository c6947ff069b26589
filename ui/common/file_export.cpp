#include "file_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "saved_choices_file.h"

namespace ui {

namespace {

const QString kLastFolderKey = QStringLiteral("export/lastFolder");
// The project file the last export was made from; empty for the calculator's sheet.
const QString kLastProjectKey = QStringLiteral("export/lastProject");

bool lineBreakOrTab(char16_t c) {
    switch (c) {
        case u'\t':
        case u'\n':
        case u'\v':
        case u'\f':
        case u'\r':
        case u'\u0085':  // next line
        case u'\u2028':  // line separator
        case u'\u2029':  // paragraph separator
            return true;
        default:
            return false;
    }
}

}  // namespace

QString oneLineText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;  // the line feed that follows makes the blank
        }
        if (lineBreakOrTab(c.unicode())) {
            out += u' ';
        } else if (c.category() != QChar::Other_Control) {
            out += c;
        }
    }
    return out;
}

QString suggestedFileName(const QString& name, const ExportKind& kind) {
    const QString end = kind.title + u'.' + kind.suffix;
    const qsizetype room = io::kMaxFileNameBytes - (end.toUtf8().size() + 1);  // 1: the "-"
    const QString clean = io::fileNamePart(name, room);
    return clean.isEmpty() ? end : clean + u'-' + end;
}

QString withSuffix(const QString& fileName, const QString& suffix) {
    // "综合楼方案1.2" has a dot but not the suffix: only the chosen type's own suffix is kept.
    if (QFileInfo(fileName).suffix().compare(suffix, Qt::CaseInsensitive) == 0) {
        return fileName;
    }
    return fileName + (fileName.endsWith(u'.') ? QString() : QStringLiteral(".")) + suffix;
}

QString exportFolder(const QString& projectFile) {
    const auto settings = io::openSettings();
    const QString last = settings->value(kLastFolderKey).toString();
    const bool lastExists = !last.isEmpty() && QFileInfo(last).isDir();
    if (!projectFile.isEmpty()) {
        if (lastExists && settings->value(kLastProjectKey).toString() == projectFile) {
            return last;
        }
        if (const QString folder = QFileInfo(projectFile).absolutePath();
            QFileInfo(folder).isDir()) {
            return folder;
        }
    }
    if (lastExists) {
        return last;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
void rememberExportFolder(const QString& fileName, const QString& projectFile) {
    // A folder that could not be remembered costs the user one step next time, nothing more:
    // the failure is not told, and the settings file stays as it was.
    const QString folder = QFileInfo(fileName).absolutePath();
    (void)io::changeSettings([&folder, &projectFile](QSettings& settings) {
        settings.setValue(kLastFolderKey, folder);
        settings.setValue(kLastProjectKey, projectFile);
    });
}

}  // namespace ui
