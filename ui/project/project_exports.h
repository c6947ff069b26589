#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "file_export.h"
#include "write_outcome.h"

class QAction;
class QPrintPreviewDialog;
class QPrinter;

namespace ui {

class ProjectWindow;

// The project window's outputs: 文件 → 导出计算书PDF…, 打印预览…, 打印…, 导出Excel…,
// 导出平面布置图(DXF)…, and 编辑 → 复制配置表, 复制材料表. A child of the window, whose menus it
// adds its actions to; they are disabled while the project has no units. An export suggests
// "<project>-<title>.<suffix>" in the folder exportFolder() gives for the project's file, tells a
// failure in a box titled 提示 and a success in the status bar, and shows a progress dialog with
// 取消 when it takes more than half a second. A book or workbook of a project whose units fail
// their check is exported only when the designer says so.
class ProjectExports : public QObject {
    Q_OBJECT

  public:
    explicit ProjectExports(ProjectWindow* window);

    void exportBook();
    void previewBook();
    void printBook();
    void exportWorkbook();
    // The layout drawing of one floor, or of each floor to its own file (documents::floorFiles()):
    // with several floors that have setting points, asks which, proposing the plan's floor.
    void exportLayout();
    void copySchedule();
    void copyMaterials();

    // What the exports ask through other windows; tests replace them.
    // The file to write, given the suggested one; an empty string when cancelled.
    std::function<QString(const QString& suggested)> askExportFileName;
    // The print dialog; false when cancelled.
    std::function<bool(QPrinter& printer)> askPrinter;
    // Shows the print preview, its pages painted on request; by default modal.
    std::function<void(QPrintPreviewDialog& preview)> showPreview;
    // Whether to export a book or workbook with units that fail their check, asked with
    // "有 N 个计算单元不满足校核，仍然导出？"; false when declined.
    std::function<bool(const QString& question)> askExportAnyway;
    // Which floor's layout drawing to export, given the floors that have setting points and the
    // one proposed: its index, floors.size() for every floor; empty when cancelled.
    std::function<std::optional<qsizetype>(const QStringList& floors, qsizetype proposed)>
        askLayoutFloor;
    // When set, told the progress instead of the progress dialog.
    documents::Progress progressOverride;

    QAction* bookAction = nullptr;
    QAction* previewAction = nullptr;
    QAction* printAction = nullptr;
    QAction* workbookAction = nullptr;
    QAction* layoutAction = nullptr;
    QAction* copyScheduleAction = nullptr;
    QAction* copyMaterialsAction = nullptr;

  private:
    void updateActions();
    // Paints the book on the printer, with the progress dialog; false, after telling so where it
    // failed, when it was not painted whole.
    bool paintOn(QPrinter& printer);
    // Ends the edit of an open cell; false, after telling so, when its value cannot be taken or
    // the project has no units.
    [[nodiscard]] bool ready() const;
    // The project's name for file names: its own, else its file's, else "工程".
    [[nodiscard]] QString projectName() const;
    using Writer = std::function<documents::WriteOutcome(const QString& fileName,
                                                         const documents::Progress& progress)>;
    // Asks for the file, suggesting "<project>-<title>.<suffix>", and writes it with `write`.
    void exportFile(const ExportKind& kind, const Writer& write);

    ProjectWindow* window_;
};

}  // namespace ui
