#include "sheet_dialog.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "file_export.h"
#include "unit_sheet.h"
#include "unit_texts.h"
#include "utf8_text.h"
#include "warning_look.h"

namespace ui {

namespace {

using documents::kSheetTitle;
const QString kPdfSuffix = QStringLiteral("pdf");

// The sheet as it is shown: a page's width of text when the screen has room for it, else
// smaller, scrolled then; its lines wrap to its width.
class SheetView : public QTextEdit {
  public:
    explicit SheetView(QWidget* parent) : QTextEdit(parent) {
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged,
                this, &SheetView::scrollOnlyWhatOverflows);
    }

    [[nodiscard]] QSize sizeHint() const override { return {620, 460}; }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QTextEdit::resizeEvent(event);
        scrollOnlyWhatOverflows();
    }

  private:
    // At some widths Qt lays a table 100 % wide out a pixel wider than the lines around it; a
    // horizontal scroll bar for that pixel is left out.
    void scrollOnlyWhatOverflows() {
        const double overflow = document()->size().width() - viewport()->width();
        setHorizontalScrollBarPolicy(overflow > 1 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    }
};

}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width() - 2 * margin());
}

QSize ElidedLabel::sizeHint() const {
    return minimumSizeHint();
}

QSize ElidedLabel::minimumSizeHint() const {
    const QMargins around = contentsMargins();
    return {around.left() + around.right() + 2 * margin(),
            around.top() + around.bottom() + 2 * margin() + fontMetrics().height()};
}

void ElidedLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect inside =
        contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
    style()->drawItemText(
        &painter, inside,
        static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment()).toInt()),
        palette(), isEnabled(), shownText(), foregroundRole());
}

CalculationSheetDialog::CalculationSheetDialog(core::UnitConditions unit, QWidget* parent)
    : QDialog(parent), unit_(std::move(unit)) {
    setWindowTitle(documents::kSheetTitle);
    setWindowModality(Qt::WindowModal);

    askFileName = [this](const QString& suggested) {
        const QFileInfo file(suggested);
        QFileDialog dialog(this, QStringLiteral("导出PDF"), file.path(),
                           QStringLiteral("PDF 文件 (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(kPdfSuffix);
        dialog.selectFile(file.fileName());
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    askPrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    showPreview = [](QPrintPreviewDialog& preview) { preview.exec(); };
    tell = [this](const QString& message) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("提示"), message, QMessageBox::Ok,
                        this);
        box.exec();
    };

    unitName = new QLineEdit(QStringLiteral("计算单元1"), this);
    unitName->setMaxLength(core::kMaxNameLength);  // what a project keeps
    points = new QSpinBox(this);
    points->setRange(1, core::kMaxPoints);
    points->setToolTip(QStringLiteral("设置点数：1～%1").arg(core::kMaxPoints));
    // A keystroke the box refuses (a fourth digit, say) shows for a moment.
    if (auto* digits = points->findChild<QLineEdit*>()) {
        connect(digits, &QLineEdit::inputRejected, points, [this] { flashWarningLook(points); });
    }
    model = new QComboBox(this);
    for (const core::CandidateModel& m : unit_.candidates) {
        model->addItem(documents::modelText(m));
    }
    model->setEnabled(!unit_.candidates.empty());
    points->setEnabled(!unit_.candidates.empty());

    auto* form = new QFormLayout;
    const auto addRow = [form](const QString& label, QWidget* field) {
        field->setAccessibleName(label);
        form->addRow(label, field);
    };
    addRow(QStringLiteral("计算单元名称"), unitName);
    addRow(QStringLiteral("设置点数"), points);
    addRow(QStringLiteral("选用规格"), model);

    sheetView = new SheetView(this);
    sheetView->setReadOnly(true);
    sheetView->setAccessibleName(QStringLiteral("计算书"));
    status = new ElidedLabel(this);
    status->setAccessibleName(QStringLiteral("状态"));

    const auto button = [this](const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setAccessibleName(text);
        b->setAutoDefault(false);
        return b;
    };
    copyButton = button(QStringLiteral("复制"));
    pdfButton = button(QStringLiteral("导出PDF…"));
    previewButton = button(QStringLiteral("打印预览…"));
    printButton = button(QStringLiteral("打印…"));
    closeButton = button(QStringLiteral("关闭"));
    projectButton = button(QStringLiteral("加入工程"));
    projectButton->setToolTip(QStringLiteral("将本计算单元加入灭火器配置工程"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status, 1);
    for (QPushButton* b :
         {projectButton, copyButton, pdfButton, previewButton, printButton, closeButton}) {
        buttons->addWidget(b);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(sheetView, 1);
    layout->addLayout(buttons);

    if (const auto chosen = core::defaultModel(unit_)) {
        model->setCurrentIndex(static_cast<int>(*chosen));
    }
    modelChanged();

    connect(unitName, &QLineEdit::textEdited, this, &CalculationSheetDialog::nameEdited);
    connect(unitName, &QLineEdit::textChanged, this, &CalculationSheetDialog::showSheet);
    connect(points, &QSpinBox::valueChanged, this, [this] {
        pointsEdited_ = true;
        showSheet();
    });
    connect(model, &QComboBox::currentIndexChanged, this, [this] {
        modelChosen_ = true;
        modelChanged();
    });
    connect(copyButton, &QPushButton::clicked, this, &CalculationSheetDialog::copySheet);
    connect(pdfButton, &QPushButton::clicked, this, &CalculationSheetDialog::exportPdf);
    connect(previewButton, &QPushButton::clicked, this, &CalculationSheetDialog::previewSheet);
    connect(printButton, &QPushButton::clicked, this, &CalculationSheetDialog::printSheet);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(projectButton, &QPushButton::clicked, this, &CalculationSheetDialog::addSheetToProject);
}

core::Unit CalculationSheetDialog::projectUnit() const {
    core::Unit unit;
    unit.name = io::utf8(unitName->text());
    unit.choices = unit_.choices;
    const auto index = static_cast<std::size_t>(model->currentIndex());
    if (modelChosen_ && index < unit_.candidates.size()) {
        unit.model = unit_.candidates[index].code;
    }
    if (pointsEdited_) {
        unit.points = points->value();
    }
    return unit;
}

void CalculationSheetDialog::addSheetToProject() {
    if (!addToProject) {
        return;
    }
    const bool again = placeInProject && placeInProject(projectUnit()) > 0;
    const int place = addToProject(projectUnit());
    showStatus(place <= 0 ? QStringLiteral("未能加入工程")
               : again ? QStringLiteral("已再次加入工程：第%1个计算单元").arg(place)
                       : QStringLiteral("已加入工程：第%1个计算单元").arg(place));
    showPlaceInProject();
}

// A unit that the project already holds is named with its place; the button then adds a copy
// only as a deliberate second choice.
void CalculationSheetDialog::showPlaceInProject() {
    const int place = placeInProject ? placeInProject(projectUnit()) : 0;
    projectButton->setText(place > 0 ? QStringLiteral("再次加入") : QStringLiteral("加入工程"));
    projectButton->setAccessibleName(projectButton->text());
    projectButton->setToolTip(
        place > 0
            ? QStringLiteral("本计算单元已在工程中（第%1个计算单元）；再次加入将增加一个相同的"
                             "计算单元")
                  .arg(place)
            : QStringLiteral("将本计算单元加入灭火器配置工程"));
}

// Typed or pasted, the name stays on one line.
void CalculationSheetDialog::nameEdited(const QString& text) {
    const QString clean = oneLineText(text);
    if (clean != text) {
        const auto cursor = unitName->cursorPosition() - (text.size() - clean.size());
        unitName->selectAll();
        unitName->insert(clean);  // an edit like typing
        unitName->setCursorPosition(static_cast<int>(std::max<qsizetype>(cursor, 0)));
    }
}

void CalculationSheetDialog::modelChanged() {
    // The number of points follows the model's protection distance until the user sets it.
    const auto index = static_cast<std::size_t>(model->currentIndex());
    if (!pointsEdited_ && index < unit_.candidates.size()) {
        const QSignalBlocker quiet(points);
        points->setValue(core::configureAtEstimate(unit_, unit_.candidates[index]).points);
    }
    showSheet();
}

documents::CalculationSheet CalculationSheetDialog::sheet() const {
    return {unitName->text(), today(), unit_, static_cast<std::size_t>(model->currentIndex()),
            points->value()};
}

void CalculationSheetDialog::showEvent(QShowEvent* event) {
    projectButton->setVisible(static_cast<bool>(addToProject));
    if (!fitted_ && !event->spontaneous()) {
        fitted_ = true;
        fitToScreen();
    }
    showSheet();
    QDialog::showEvent(event);  // places the dialog, inside the screen
}

// The size the dialog asks for (or was given before it was shown), made smaller where the
// screen's free area (without its panels, and less the window's frame) is smaller; the sheet
// scrolls then.
void CalculationSheetDialog::fitToScreen() {
    const QScreen* where = parentWidget() != nullptr ? parentWidget()->screen() : screen();
    if (where == nullptr) {
        return;
    }
    // The frame as the window system draws it round this window, or, before it has, round the
    // window the dialog belongs to.
    QSize frame;
    if (const QWindow* window = windowHandle()) {
        const QMargins margins = window->frameMargins();
        frame = QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
    }
    if (parentWidget() != nullptr) {
        const QWidget* owner = parentWidget()->window();
        frame = frame.expandedTo(owner->frameGeometry().size() - owner->size());
    }
    const QSize room = where->availableGeometry().size() - frame;
    const QSize wanted = testAttribute(Qt::WA_Resized) ? size() : sizeHint();
    resize(wanted.boundedTo(room).expandedTo(minimumSizeHint()));
}

void CalculationSheetDialog::showSheet() {
    if (!isVisible()) {
        return;  // showing the dialog draws the sheet, dated that day
    }
    showPlaceInProject();
    QScrollBar* bar = sheetView->verticalScrollBar();
    const int scrolled = bar->value();
    sheetView->setHtml(sheet().html());
    bar->setValue(scrolled);
}

void CalculationSheetDialog::showStatus(const QString& text) {
    status->setText(text);
    status->setToolTip({});
}

// The exported file's path may be elided in the status line; its tool tip holds it whole.
void CalculationSheetDialog::showExported(const QString& path) {
    status->setText(QStringLiteral("已导出：") + path);
    status->setToolTip(path);
}

void CalculationSheetDialog::copySheet() {
    const documents::CalculationSheet current = sheet();
    auto* mime = new QMimeData;
    mime->setText(current.plainText());
    mime->setHtml(current.html());
    QApplication::clipboard()->setMimeData(mime);
    showStatus(QStringLiteral("计算书已复制。"));
}

void CalculationSheetDialog::exportPdf() {
    const QString suggested =
        QDir(exportFolder())
            .filePath(suggestedFileName(unitName->text(), {documents::kSheetTitle, kPdfSuffix}));
    const QString chosen = askFileName(suggested);
    if (chosen.isEmpty()) {
        return;
    }
    const QString fileName = withSuffix(chosen, kPdfSuffix);
    const QString shown = QDir::toNativeSeparators(fileName);
    if (const auto why = documents::writeSheetPdf(sheet(), fileName)) {
        showStatus({});
        tell(QStringLiteral("计算书未能导出。\n位置：%1\n原因：%2").arg(shown, *why));
        return;
    }
    rememberExportFolder(fileName);
    showExported(shown);
}

namespace {

void setUpSheetPrinter(QPrinter& printer) {
    printer.setPageLayout(documents::sheetPageLayout());
    printer.setDocName(documents::kSheetTitle);
}

}  // namespace

void CalculationSheetDialog::printSheet() {
    QPrinter printer(QPrinter::HighResolution);
    setUpSheetPrinter(printer);
    if (!askPrinter(printer)) {
        return;
    }
    QTextDocument document;
    document.setHtml(sheet().html());
    document.print(&printer);
    if (printer.printerState() == QPrinter::Error) {
        tell(QStringLiteral("计算书未能打印。"));
    }
}

void CalculationSheetDialog::previewSheet() {
    QPrinter printer(QPrinter::HighResolution);
    setUpSheetPrinter(printer);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("打印预览 - ") + documents::kSheetTitle);
    // The sheet as it stands when the preview opens; printing from it prints that.
    QTextDocument document;
    document.setHtml(sheet().html());
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&document](QPrinter* target) { document.print(target); });
    showPreview(preview);
}

}  // namespace ui
