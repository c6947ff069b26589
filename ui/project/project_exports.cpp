#include "project_exports.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>
#include <memory>

#include "book_pdf.h"
#include "file_export.h"
#include "floor_layout.h"
#include "layout_files.h"
#include "plan_view.h"
#include "project_model.h"
#include "project_tables.h"
#include "project_window.h"
#include "unit_sheet.h"
#include "unit_texts.h"
#include "utf8_text.h"
#include "workbook.h"

namespace ui {

namespace {

const QString kBookTitle = QStringLiteral("灭火器配置计算书");
const QString kWorkbookTitle = QStringLiteral("灭火器配置表");
const QString kPdfSuffix = QStringLiteral("pdf");
const QString kWorkbookSuffix = QStringLiteral("xlsx");
const QString kLayoutTitle = QStringLiteral("平面布置图");
const QString kLayoutSuffix = QStringLiteral("dxf");
constexpr int kStatusMs = 5000;

void setUpBookPrinter(QPrinter& printer) {
    printer.setPageLayout(documents::bookPageLayout());
    printer.setDocName(kBookTitle);
}

// The progress of one export: the replacement when there is one, else a window-modal dialog
// with 取消 that shows once the export has taken half a second.
class ExportProgress {
  public:
    ExportProgress(QWidget* parent, const QString& label, const documents::Progress& replacement) {
        if (replacement) {
            progress_ = replacement;
            return;
        }
        dialog_ = std::make_unique<QProgressDialog>(label, QStringLiteral("取消"), 0, 1, parent);
        dialog_->setWindowTitle(QStringLiteral("灭火器配置工程"));
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(500);
        dialog_->setValue(0);  // starts the clock
        progress_ = [dialog = dialog_.get()](int done, int total) {
            if (dialog->maximum() != total) {
                dialog->setMaximum(total);
            }
            dialog->setValue(done);  // lets a window-modal dialog take its clicks
            return !dialog->wasCanceled();
        };
    }

    [[nodiscard]] const documents::Progress& operator*() const { return progress_; }

  private:
    std::unique_ptr<QProgressDialog> dialog_;
    documents::Progress progress_;
};

}  // namespace

ProjectExports::ProjectExports(ProjectWindow* window) : QObject(window), window_(window) {
    askExportFileName = [window](const QString& suggested) {
        const QFileInfo file(suggested);
        const bool pdf = file.suffix() == kPdfSuffix;
        const bool dxf = file.suffix() == kLayoutSuffix;
        QFileDialog dialog(window,
                           pdf   ? QStringLiteral("导出计算书PDF")
                           : dxf ? QStringLiteral("导出平面布置图(DXF)")
                                 : QStringLiteral("导出Excel"),
                           file.path(),
                           pdf   ? QStringLiteral("PDF 文件 (*.pdf)")
                           : dxf ? QStringLiteral("DXF 图纸 (*.dxf)")
                                 : QStringLiteral("Excel 工作簿 (*.xlsx)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(file.suffix());
        dialog.selectFile(file.fileName());
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    askPrinter = [window](QPrinter& printer) {
        QPrintDialog dialog(&printer, window);
        return dialog.exec() == QDialog::Accepted;
    };
    showPreview = [](QPrintPreviewDialog& preview) { preview.exec(); };
    askLayoutFloor = [window](const QStringList& floors, qsizetype proposed) {
        const QStringList items = floors + QStringList{QStringLiteral("全部楼层（每层一个文件）")};
        QInputDialog dialog(window);
        dialog.setWindowTitle(QStringLiteral("导出平面布置图(DXF)"));
        dialog.setLabelText(QStringLiteral("导出哪个楼层的平面布置图："));
        dialog.setComboBoxItems(items);
        dialog.setTextValue(items.value(proposed));
        dialog.setOkButtonText(QStringLiteral("确定"));
        dialog.setCancelButtonText(QStringLiteral("取消"));
        dialog.setMinimumWidth(320);
        if (dialog.exec() != QDialog::Accepted) {
            return std::optional<qsizetype>();
        }
        return std::optional(items.indexOf(dialog.textValue()));
    };
    askExportAnyway = [window](const QString& question) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("提示"), question,
                        QMessageBox::NoButton, window);
        QPushButton* go = box.addButton(QStringLiteral("导出"), QMessageBox::AcceptRole);
        box.setDefaultButton(box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole));
        box.exec();
        return box.clickedButton() == go;
    };

    bookAction = new QAction(QStringLiteral("导出计算书PDF(&E)…"), this);
    bookAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    previewAction = new QAction(QStringLiteral("打印预览(&V)…"), this);
    printAction = new QAction(QStringLiteral("打印(&P)…"), this);
    printAction->setShortcut(QKeySequence::Print);
    workbookAction = new QAction(QStringLiteral("导出Excel(&X)…"), this);
    workbookAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    layoutAction = new QAction(QStringLiteral("导出平面布置图(DXF)(&D)…"), this);
    copyScheduleAction = new QAction(QStringLiteral("复制配置表(&T)"), this);
    copyMaterialsAction = new QAction(QStringLiteral("复制材料表(&M)"), this);
    connect(bookAction, &QAction::triggered, this, &ProjectExports::exportBook);
    connect(previewAction, &QAction::triggered, this, &ProjectExports::previewBook);
    connect(printAction, &QAction::triggered, this, &ProjectExports::printBook);
    connect(workbookAction, &QAction::triggered, this, &ProjectExports::exportWorkbook);
    connect(layoutAction, &QAction::triggered, this, &ProjectExports::exportLayout);
    connect(copyScheduleAction, &QAction::triggered, this, &ProjectExports::copySchedule);
    connect(copyMaterialsAction, &QAction::triggered, this, &ProjectExports::copyMaterials);

    auto* separator = new QAction(this);
    separator->setSeparator(true);
    window->addFileActions(
        {separator, bookAction, previewAction, printAction, workbookAction, layoutAction});
    window->editMenu()->addSeparator();
    window->editMenu()->addAction(copyScheduleAction);
    window->editMenu()->addAction(copyMaterialsAction);

    const ProjectModel* model = window->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &ProjectExports::updateActions);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &ProjectExports::updateActions);
    connect(model, &QAbstractItemModel::modelReset, this, &ProjectExports::updateActions);
    updateActions();
}

void ProjectExports::updateActions() {
    const bool any = !window_->project().units.empty();
    for (QAction* action : {bookAction, previewAction, printAction, workbookAction, layoutAction,
                            copyScheduleAction, copyMaterialsAction}) {
        action->setEnabled(any);
    }
}

bool ProjectExports::ready() const {
    // A value still in a cell's editor belongs in what is handed out.
    if (!window_->commitEdit()) {
        return false;
    }
    if (window_->project().units.empty()) {
        window_->showNotice(QStringLiteral("工程中没有计算单元。"));
        return false;
    }
    return true;
}

QString ProjectExports::projectName() const {
    const QString name = documents::qs(window_->project().name).trimmed();
    if (!name.isEmpty()) {
        return name;
    }
    if (!window_->fileName().isEmpty()) {
        return QFileInfo(window_->fileName()).completeBaseName();
    }
    return QStringLiteral("工程");
}

void ProjectExports::exportFile(const ExportKind& kind, const Writer& write) {
    if (!ready()) {
        return;
    }
    if (const auto warning = documents::failingUnitsWarning(window_->project());
        warning && !askExportAnyway(*warning + QStringLiteral("，仍然导出？"))) {
        return;
    }
    const QString suggested =
        QDir(exportFolder(window_->fileName())).filePath(suggestedFileName(projectName(), kind));
    const QString chosen = askExportFileName(suggested);
    if (chosen.isEmpty()) {
        return;
    }
    const QString fileName = withSuffix(chosen, kind.suffix);
    documents::WriteOutcome outcome;
    {
        const ExportProgress progress(window_, QStringLiteral("正在导出%1…").arg(kind.title),
                                      progressOverride);
        outcome = write(fileName, *progress);
    }
    switch (outcome.status) {
        case documents::WriteStatus::Written:
            rememberExportFolder(fileName, window_->fileName());
            window_->statusBar()->showMessage(
                QStringLiteral("已导出：") + QDir::toNativeSeparators(fileName), kStatusMs);
            break;
        case documents::WriteStatus::Failed:
            window_->showNotice(outcome.error);
            break;
        case documents::WriteStatus::Cancelled:
            break;
    }
}

void ProjectExports::exportBook() {
    exportFile({kBookTitle, kPdfSuffix},
               [this](const QString& fileName, const documents::Progress& progress) {
                   return documents::writeBookPdf(window_->project(), fileName, progress);
               });
}

void ProjectExports::exportWorkbook() {
    exportFile({kWorkbookTitle, kWorkbookSuffix},
               [this](const QString& fileName, const documents::Progress& progress) {
                   return documents::writeWorkbook(window_->project(), fileName, progress);
               });
}

void ProjectExports::exportLayout() {
    if (!window_->commitEdit()) {
        return;
    }
    const core::Project& project = window_->project();
    if (const auto refusal = documents::layoutsRefusal(project)) {
        window_->showNotice(*refusal);
        return;
    }
    QStringList floors;  // those with setting points
    for (const core::FloorLayout& floor : core::floorLayouts(project)) {
        if (documents::hasLayout(floor)) {
            floors << io::qs(floor.floor);
        }
    }
    qsizetype chosen = 0;
    if (floors.size() > 1) {
        const auto answer = askLayoutFloor(
            floors, std::max<qsizetype>(0, floors.indexOf(window_->planView()->floor())));
        if (!answer) {
            return;
        }
        chosen = *answer;
    }
    const bool all = chosen >= floors.size();
    const QString name = all ? projectName() : projectName() + u'-' + floors.value(chosen);
    const QString suggested = QDir(exportFolder(window_->fileName()))
                                  .filePath(suggestedFileName(name, {kLayoutTitle, kLayoutSuffix}));
    const QString typed = askExportFileName(suggested);
    if (typed.isEmpty()) {
        return;
    }
    const QString out = withSuffix(typed, kLayoutSuffix);
    const std::vector<documents::FloorFile> files =
        all ? documents::floorFiles(project, out)
            : std::vector<documents::FloorFile>{{io::utf8(floors.value(chosen)), out}};
    documents::WriteOutcome outcome;
    {
        const ExportProgress progress(window_, QStringLiteral("正在导出%1…").arg(kLayoutTitle),
                                      progressOverride);
        outcome = documents::writeLayouts(project, files, *progress);
    }
    if (outcome.status == documents::WriteStatus::Failed) {
        window_->showNotice(outcome.error);
    }
    if (!outcome.written()) {
        return;
    }
    rememberExportFolder(out, window_->fileName());
    QStringList written;
    for (const documents::FloorFile& file : files) {
        written << QDir::toNativeSeparators(file.fileName);
    }
    window_->statusBar()->showMessage(
        QStringLiteral("已导出：") + written.join(QStringLiteral("、")), kStatusMs);
}

void ProjectExports::printBook() {
    if (!ready()) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setUpBookPrinter(printer);
    if (!askPrinter(printer) || !paintOn(printer)) {
        return;
    }
    window_->statusBar()->showMessage(QStringLiteral("计算书已送往打印机。"), kStatusMs);
}

void ProjectExports::previewBook() {
    if (!ready()) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setUpBookPrinter(printer);
    QPrintPreviewDialog preview(&printer, window_);
    preview.setWindowTitle(QStringLiteral("打印预览 - ") + kBookTitle);
    // Most of the screen, where a page reads at its size; Qt's own size shows it as a thumbnail.
    if (const QScreen* screen = window_->screen()) {
        constexpr double kScreenPart = 0.85;
        const QRect available = screen->availableGeometry();
        preview.resize(available.size() * kScreenPart);
    }
    // Printing from the preview paints on the chosen printer the same way.
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { paintOn(*target); });
    showPreview(preview);
}

bool ProjectExports::paintOn(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        window_->showNotice(QStringLiteral("计算书未能打印：无法使用所选的打印机。"));
        return false;
    }
    bool painted = false;
    {
        const ExportProgress progress(window_, QStringLiteral("正在打印计算书…"), progressOverride);
        painted = documents::paintBook(window_->project(), painter, printer, *progress);
    }
    if (!painted) {
        printer.abort();
        painter.end();
        return false;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        window_->showNotice(QStringLiteral("计算书未能打印。"));
        return false;
    }
    return true;
}

void ProjectExports::copySchedule() {
    if (!window_->commitEdit()) {
        return;
    }
    QApplication::clipboard()->setMimeData(
        documents::scheduleMimeData(window_->project()).release());
    window_->statusBar()->showMessage(QStringLiteral("配置表已复制。"), kStatusMs);
}

void ProjectExports::copyMaterials() {
    if (!window_->commitEdit()) {
        return;
    }
    QApplication::clipboard()->setMimeData(
        documents::materialMimeData(window_->project()).release());
    window_->statusBar()->showMessage(QStringLiteral("材料表已复制。"), kStatusMs);
}

}  // namespace ui
