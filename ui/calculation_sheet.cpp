#include "calculation_sheet.h"

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
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
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
#include <cerrno>
#include <cmath>
#include <concepts>

#include "file_export.h"
#include "number_text.h"
#include "result_table.h"
#include "table_clipboard.h"
#include "unit_texts.h"
#include "warning_look.h"

namespace ui {

namespace {

const QString kTitle = QStringLiteral("灭火器配置计算书");
const QString kPdfSuffix = QStringLiteral("pdf");
constexpr double kPageMarginMm = 20;

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

QString number(double x) {
    return qs(core::decimalText(x));
}

QString number(std::integral auto x) {
    return QString::number(x);
}

// " = c" for an exact value, " ≈ c" for a rounded one, then the whole number above it when it is
// not whole, with the clause that rounds up.
QString valueRoundedUp(double value, std::int64_t whole, const QString& clause = {}) {
    QString text = u' ' + qs(core::resultText(value));
    if (core::decimalForm(value).text != std::to_string(whole)) {
        text += QStringLiteral("，向上取整为 ") + number(whole) + clause;
    }
    return text;
}

// "a/b = c": the quotient as it is, then rounded up when it is not whole.
QString quotient(double a, double b) {
    const double q = a / b;
    return number(a) + u'/' + number(b) + valueRoundedUp(q, core::ceilDecimal(q));
}

}  // namespace

CalculationSheet::CalculationSheet(const QString& unitName, const QDate& date,
                                   const core::UnitConditions& unit, std::size_t model,
                                   int points) {
    const core::Choices& choices = unit.choices;
    const core::RatingClass ratingClass = core::ratingClassOf(choices.fireClass);
    const QChar letter = ratingLetter(choices.fireClass);
    const auto rating = [letter](auto x) { return number(x) + letter; };
    const double u = core::unitArea(ratingClass, choices.hazard);
    const double minimum = core::minimumRating(ratingClass, choices.hazard);

    add(Kind::Title, kTitle);
    value(QStringLiteral("日期"), date.toString(QStringLiteral("yyyy年M月d日")));
    value(QStringLiteral("依据"), kBasis);

    add(Kind::Heading, QStringLiteral("一、设计条件"));
    value(QStringLiteral("计算单元"), unitName);
    value(QStringLiteral("火灾种类"), fireClassName(choices.fireClass));
    value(QStringLiteral("危险等级"), hazardName(choices.hazard));
    value(QStringLiteral("修正系数 K"), factorText(choices.factor));
    value(QStringLiteral("场所类别"), buildingName(choices.building));
    value(QStringLiteral("保护面积 S"), number(choices.area) + QStringLiteral(" m²"));
    value(QStringLiteral("单位灭火级别最大保护面积 U"),
          number(u) + QStringLiteral(" m²/") + letter);
    value(QStringLiteral("单具灭火器最小配置灭火级别"), rating(minimum));
    value(QStringLiteral("灭火器类型"), agentName(choices.agent));
    if (choices.fireClass == core::FireClass::E) {
        line(QStringLiteral(
            "注：E类火灾按B类火灾的灭火级别计算，最大保护距离取B、C类火灾的数值；"
            "按5.2.4，E类火灾场所的灭火器最大保护距离不应低于该场所内A类或B类火灾的规定。"));
    }

    requirementLines(unit);

    if (model >= unit.candidates.size()) {
        add(Kind::Breach,
            QStringLiteral("所选灭火器类型中没有达到单具灭火器最小配置灭火级别的规格，"
                           "不能配置；请选用其他灭火器类型。"));
    } else {
        configurationLines(unit, unit.candidates[model], points);
    }
    notes(unit);
    modelTable(unit);
}

void CalculationSheet::requirementLines(const core::UnitConditions& unit) {
    const core::Choices& choices = unit.choices;
    const core::Requirement& required = unit.required;
    const auto rating = [&choices](std::int64_t x) { return ratingText(x, choices.fireClass); };
    const QString u =
        number(core::unitArea(core::ratingClassOf(choices.fireClass), choices.hazard));
    const QString s = number(choices.area);

    add(Kind::Heading, QStringLiteral("二、计算单元最小需配灭火级别"));
    const bool crowded = choices.building == core::Building::EntertainmentOrUnderground;
    line((crowded ? QStringLiteral("Q = 1.3K·S/U = 1.3×") : QStringLiteral("Q = K·S/U = ")) +
         factorText(choices.factor) + u'×' + s + u'/' + u +
         valueRoundedUp(required.exact, required.whole, QStringLiteral("（7.1.1）")));
    value(QStringLiteral("计算单元最小需配灭火级别 Q"), rating(required.whole));
    line(QStringLiteral("S/U = ") + s + u'/' + u +
         valueRoundedUp(required.perUnitArea, required.perUnitAreaWhole));
    if (required.areaGoverns()) {
        line(QStringLiteral("按 GB 55036-2022 第10.0.3条，灭火级别之和不应小于 S/U = %1，大于 Q，"
                            "按 %1 配置")
                 .arg(rating(required.perUnitAreaWhole)));
    } else {
        line(QStringLiteral("Q ≥ S/U，按 Q = %1 配置").arg(rating(required.whole)));
    }
    value(QStringLiteral("设计需配灭火级别"), rating(required.design()));
}

void CalculationSheet::configurationLines(const core::UnitConditions& unit,
                                          const core::CandidateModel& m, int points) {
    const core::Choices& choices = unit.choices;
    const QChar letter = ratingLetter(choices.fireClass);
    const auto rating = [letter](auto x) { return number(x) + letter; };
    const double minimum =
        core::minimumRating(core::ratingClassOf(choices.fireClass), choices.hazard);
    const core::PointConfiguration c = core::configure(unit, m, points);
    const double r = c.distance;
    const bool tooLarge = c.estimate > core::kMaxPoints;

    add(Kind::Heading, QStringLiteral("三、灭火器配置"));
    value(QStringLiteral("选用灭火器"), modelText(m));
    value(QStringLiteral("灭火器形式"),
          qs(core::mountLabel(m.mount)) + QStringLiteral("，充装量") + qs(m.charge));
    value(QStringLiteral("最大保护距离"), number(r) + QStringLiteral(" m"));
    line(QStringLiteral("设置点数估算：N₀ = S/(2R²) = ") + number(choices.area) +
         QStringLiteral("/(2×") + number(r) + QStringLiteral("²) ") +
         qs(core::resultText(c.coveredArea)) + QStringLiteral("，取 ") + number(c.estimate) +
         QStringLiteral("。每个设置点按保护半径 R 的圆的内接正方形估算；设置点在平面图上布置，"
                        "使计算单元内任一点至最近设置点的距离不大于 R（7.1.3）。"));
    if (tooLarge) {
        add(Kind::Breach,
            QStringLiteral("估算设置点数超过 %1 个，计算单元过大，应划分为多个计算单元"
                           "（7.2.1）。")
                .arg(core::kMaxPoints));
    }
    value(QStringLiteral("设置点数 N"), number(c.points));
    line((unit.required.areaGoverns() ? QStringLiteral("Qe = 设计需配灭火级别/N = ")
                                      : QStringLiteral("Qe = Q/N = ")) +
         quotient(static_cast<double>(unit.required.design()), c.points) +
         QStringLiteral("（7.3.4）"));
    value(QStringLiteral("每个设置点最小需配灭火级别 Qe"), rating(c.perPointRequired));
    line(QStringLiteral("n = Qe/单具灭火级别 = ") +
         quotient(static_cast<double>(c.perPointRequired), m.rating));
    if (c.raisedToTwo) {
        line(QStringLiteral(
            "一个计算单元内配置的灭火器数量不得少于2具（6.1.1），每个设置点配置数量增至2具。"));
    }
    value(QStringLiteral("每个设置点配置数量"), number(c.perPoint) + QStringLiteral("具"));
    line(QStringLiteral("N×n = ") + number(c.points) + u'×' + number(c.perPoint) +
         QStringLiteral(" = ") + number(c.total));
    value(QStringLiteral("灭火器总数"), number(c.total) + QStringLiteral("具"));
    line(QStringLiteral("灭火器总数×单具灭火级别 = ") + number(c.total) + u'×' + number(m.rating) +
         QStringLiteral(" = ") + number(c.provided));
    value(QStringLiteral("实配灭火级别合计"), rating(c.provided));

    const QString divide = QStringLiteral("应划分为多个计算单元（7.2.1）");
    add(Kind::Heading, QStringLiteral("四、校核"));
    check(QStringLiteral("6.1.1（GB 55036-2022 10.0.3）一个计算单元内配置的灭火器数量不得少于2具"),
          number(c.total) + QStringLiteral("具"), c.checks.atLeastTwo, {});
    check(QStringLiteral("6.1.2 每个设置点的灭火器配置数量不宜多于5具"),
          number(c.perPoint) + QStringLiteral("具"), c.checks.atMostFivePerPoint,
          tooLarge ? divide : QStringLiteral("应增加设置点数或选用灭火级别较大的灭火器"));
    check(QStringLiteral("6.2.1/6.2.2 单具灭火器不小于最小配置灭火级别 ") + rating(minimum),
          qs(m.ratingText), c.checks.reachesMinimum, QStringLiteral("应选用灭火级别较大的灭火器"));
    check(QStringLiteral("7.1.2 每个设置点实配灭火级别不小于 Qe = ") + rating(c.perPointRequired),
          rating(static_cast<double>(c.perPoint) * m.rating), c.checks.pointReachesQe, {});
    check(
        QStringLiteral("7.1.3 设置点数不少于估算值 N₀ = ") + number(c.estimate), number(c.points),
        c.checks.enoughPoints,
        tooLarge ? divide : QStringLiteral("应增加设置点数，或在平面图上复核每个设置点的保护范围"));
    check(QStringLiteral("GB 55036-2022 10.0.3 所有设置点灭火级别之和不小于 S/U = ") +
              rating(unit.required.perUnitAreaWhole),
          rating(c.provided), c.checks.reachesAreaRating, {});
}

void CalculationSheet::notes(const core::UnitConditions& unit) {
    const core::Choices& choices = unit.choices;
    line(
        QStringLiteral("注：灭火器设置点的位置和数量应根据被保护对象的情况和灭火器的最大保护距离"
                       "确定，并应保证最不利点至少在1具灭火器的保护范围内（GB 55036-2022 "
                       "第10.0.2条）。"));
    const QString extra = unitNote(choices);
    if (!extra.isEmpty()) {
        line(QStringLiteral("注：") + extra);
    }
}

void CalculationSheet::modelTable(const core::UnitConditions& unit) {
    const core::Result result = core::calculate(unit.choices);
    const std::vector<std::vector<std::string>> rows = resultRows(result);
    std::vector<QStringList> table;
    table.push_back({QString(), qs(rows[0][kChargeCol]), qs(rows[0][kCodeCol]),
                     QStringLiteral("单具灭火级别"), QStringLiteral("满足最低配置基准")});
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const std::vector<std::string>& cells = rows[i + 1];
        table.push_back({qs(cells[kMountCol]), qs(cells[kChargeCol]), qs(cells[kCodeCol]),
                         qs(cells[kRatingCol]),
                         result.rows[i].adequate ? QStringLiteral("是") : QStringLiteral("否")});
    }
    add(Kind::Heading, QStringLiteral("五、灭火器规格表"));
    parts_.push_back({Kind::Table, {}, table});
}

void CalculationSheet::check(const QString& clause, const QString& value, bool met,
                             const QString& otherwise) {
    QString text =
        clause + u'：' + value + u'，' + (met ? QStringLiteral("满足") : QStringLiteral("不满足"));
    if (!met && !otherwise.isEmpty()) {
        text += u'，' + otherwise;
    }
    add(met ? Kind::Line : Kind::Breach, text);
}

QString CalculationSheet::plainText() const {
    QStringList lines;
    for (const Part& part : parts_) {
        if (part.kind == Kind::Heading) {
            lines << QString();
        }
        if (part.kind == Kind::Table) {
            lines << tableText(part.rows).chopped(1);
        } else {
            lines << part.text;
        }
    }
    return lines.join(u'\n') + u'\n';
}

QString CalculationSheet::html() const {
    QString out = QStringLiteral(
                      "<html><head><meta charset=\"utf-8\"><title>%1</title><style>"
                      "p { margin: 3px 0; } h3 { margin: 12px 0 4px 0; } "
                      "p.breach { color: #c00000; } td, th { padding: 2px 6px; }"
                      "</style></head><body>\n")
                      .arg(kTitle);
    for (const Part& part : parts_) {
        const QString text = part.text.toHtmlEscaped();
        switch (part.kind) {
            case Kind::Title:
                out += QStringLiteral("<h2 align=\"center\">%1</h2>\n").arg(text);
                break;
            case Kind::Heading:
                out += QStringLiteral("<h3>%1</h3>\n").arg(text);
                break;
            case Kind::Line:
                out += QStringLiteral("<p>%1</p>\n").arg(text);
                break;
            case Kind::Breach:
                out += QStringLiteral("<p class=\"breach\">%1</p>\n").arg(text);
                break;
            case Kind::Table:
                out += tableHtml(part.rows, true);
                break;
        }
    }
    return out + QStringLiteral("</body></html>\n");
}

std::function<QString(const core::Unit&, const core::UnitDesign&)> unitSheetHtml(
    const QDate& date) {
    return [date](const core::Unit& unit, const core::UnitDesign& design) {
        return CalculationSheet(qs(unit.name), date, design.conditions.value(), design.model,
                                design.configuration.points)
            .html();
    };
}

std::optional<QString> writeSheetPdf(const CalculationSheet& sheet, const QString& fileName) {
    // The file replaces an old one only once it has been written whole.
    QSaveFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        return io::writeFailureReason(fileName, file.error(), errno);
    }
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                              QPageLayout::Millimeter);
        writer.setTitle(kTitle);
        QTextDocument document;
        document.setHtml(sheet.html());
        document.print(&writer);
    }
    errno = 0;
    if (!file.commit()) {
        return io::writeFailureReason(fileName, file.error(), errno);
    }
    return std::nullopt;
}

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
    setWindowTitle(kTitle);
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
    tell = [this](const QString& message) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("提示"), message, QMessageBox::Ok,
                        this);
        box.exec();
    };

    unitName = new QLineEdit(QStringLiteral("计算单元1"), this);
    points = new QSpinBox(this);
    points->setRange(1, core::kMaxPoints);
    points->setToolTip(QStringLiteral("设置点数：1～%1").arg(core::kMaxPoints));
    // A keystroke the box refuses (a fourth digit, say) shows for a moment.
    if (auto* digits = points->findChild<QLineEdit*>()) {
        connect(digits, &QLineEdit::inputRejected, points, [this] { flashWarningLook(points); });
    }
    model = new QComboBox(this);
    for (const core::CandidateModel& m : unit_.candidates) {
        model->addItem(modelText(m));
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
    printButton = button(QStringLiteral("打印…"));
    closeButton = button(QStringLiteral("关闭"));
    projectButton = button(QStringLiteral("加入工程"));
    projectButton->setToolTip(QStringLiteral("将本计算单元加入灭火器配置工程"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status, 1);
    for (QPushButton* b : {projectButton, copyButton, pdfButton, printButton, closeButton}) {
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
    connect(printButton, &QPushButton::clicked, this, &CalculationSheetDialog::printSheet);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(projectButton, &QPushButton::clicked, this, &CalculationSheetDialog::addSheetToProject);
}

core::Unit CalculationSheetDialog::projectUnit() const {
    core::Unit unit;
    unit.name = unitName->text().toStdString();
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
    const int place = addToProject(projectUnit());
    showStatus(place > 0 ? QStringLiteral("已加入工程：第%1个计算单元").arg(place)
                         : QStringLiteral("未能加入工程"));
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

CalculationSheet CalculationSheetDialog::sheet() const {
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
    const CalculationSheet current = sheet();
    auto* mime = new QMimeData;
    mime->setText(current.plainText());
    mime->setHtml(current.html());
    QApplication::clipboard()->setMimeData(mime);
    showStatus(QStringLiteral("计算书已复制。"));
}

void CalculationSheetDialog::exportPdf() {
    const QString suggested =
        QDir(exportFolder()).filePath(suggestedFileName(unitName->text(), {kTitle, kPdfSuffix}));
    const QString chosen = askFileName(suggested);
    if (chosen.isEmpty()) {
        return;
    }
    const QString fileName = withSuffix(chosen, kPdfSuffix);
    const QString shown = QDir::toNativeSeparators(fileName);
    if (const auto why = writeSheetPdf(sheet(), fileName)) {
        showStatus({});
        tell(QStringLiteral("计算书未能导出。\n位置：%1\n原因：%2").arg(shown, *why));
        return;
    }
    rememberExportFolder(fileName);
    showExported(shown);
}

void CalculationSheetDialog::printSheet() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                           QPageLayout::Millimeter);
    printer.setDocName(kTitle);
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

}  // namespace ui
