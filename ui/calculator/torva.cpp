#include "torva.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QtDebug>

#include "area_input.h"
#include "calculation.h"
#include "number_text.h"
#include "result_table.h"
#include "saved_choices_file.h"
#include "setting_points.h"
#include "sheet_dialog.h"
#include "table_clipboard.h"
#include "table_copy.h"
#include "unit_texts.h"
#include "warning_look.h"

namespace op = ui::op;
namespace op1 = ui::op1;
using ui::GroupChoices;
using ui::OptionSpec;

namespace {

// A control's place in twips: left, top, width, height, relative to its container.
struct Place {
    int left;
    int top;
    int width;
    int height;
};

constexpr Place kClientArea{0, 0, 8010, 5880};
constexpr std::array<Place, 5> kFramePlaces = {{
    {60, 75, 1365, 1455},      // fire class
    {1500, 75, 1410, 1455},    // hazard level
    {2985, 75, 2700, 1455},    // correction factor K
    {5775, 75, 2190, 2070},    // agent type
    {5760, 2220, 2190, 1230},  // building
}};

struct OptionPlace {
    std::int16_t index;
    Place place;
};

constexpr std::array<OptionPlace, 13> kOp1Places = {{
    {0, {75, 240, 600, 195}},
    {1, {75, 540, 600, 195}},
    {2, {75, 840, 600, 195}},
    {10, {75, 1140, 600, 195}},
    {11, {720, 240, 600, 195}},
    {3, {75, 1140, 1290, 225}},
    {4, {75, 720, 1290, 240}},
    {5, {75, 300, 1290, 240}},
    {6, {75, 225, 2520, 195}},
    {7, {75, 450, 2040, 195}},
    {8, {75, 690, 2040, 195}},
    {9, {75, 945, 2490, 210}},
    {12, {75, 1200, 2550, 210}},
}};

constexpr std::array<OptionPlace, 8> kOpPlaces = {{
    {0, {150, 1740, 1890, 240}},
    {1, {150, 240, 1890, 240}},
    {2, {150, 825, 1890, 240}},
    {3, {150, 525, 1890, 240}},
    {4, {150, 1125, 1890, 240}},
    {5, {150, 1425, 1890, 240}},
    {6, {150, 540, 2010, 240}},
    {7, {150, 225, 1890, 240}},
}};

constexpr Place kCheckPlace{5760, 3540, 1890, 315};
constexpr Place kAreaLabelPlace{225, 900, 765, 255};
constexpr Place kAreaPlace{1050, 840, 840, 315};
constexpr Place kUnitLabelPlace{1950, 900, 165, 195};
constexpr Place kGridPlace{60, 1560, 5625, 4275};
constexpr Place kSheetButtonPlace{5775, 3960, 2190, 375};    // below the check box, frame-wide
constexpr Place kProjectButtonPlace{5775, 4425, 2190, 375};  // below the sheet's button
// Below the grid, across the window: the line that says when GB 55036-2022 10.0.3 sizes the
// configuration above the grid's Q. The window is taller by this line; nothing else moves.
constexpr Place kAreaRuleLinePlace{60, 5880, 7890, 300};

// Frame colour of the current cell: black.
constexpr grid::Color kCellFrameColor = 0;

// Gives a caption a colour of its own while enabled; disabled it greys like every other.
void setCaptionColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, color);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, color);
    widget->setPalette(palette);
}

// Why the choices cannot go on a calculation sheet; empty when they can. A partly read area is
// not documented until it is corrected.
QString sheetUnavailableReason(const core::Choices& choices, const QString& areaText) {
    if (choices.fireClass == core::FireClass::D) {
        return documents::unconfigurableReason(core::Unconfigurable::ClassD);
    }
    if (QString warning = ui::areaSheetWarning(areaText); !warning.isEmpty()) {
        return warning;
    }
    const std::optional<core::UnitConditions> unit = core::conditionsOf(choices);
    if (!unit) {
        return documents::unconfigurableReason(core::Unconfigurable::AreaInvalid);
    }
    if (unit->required.design() == 0) {
        return documents::unconfigurableReason(core::Unconfigurable::NothingRequired);
    }
    if (unit->candidates.empty()) {
        return documents::unconfigurableReason(core::Unconfigurable::NoAdequateModel);
    }
    return {};
}

// The area as typed, while the box still holds the text that gave the shown area: the sheet
// computes with the digits the designer typed, beyond what a double holds.
std::optional<core::DecimalNumber> typedArea(const QString& text, double shownArea) {
    const QByteArray area = text.toUtf8();
    const std::string_view typed(area.constData(), static_cast<std::size_t>(area.size()));
    if (core::leadingNumber(typed) != shownArea) {
        return std::nullopt;
    }
    return core::decimalFromText(typed);
}

}  // namespace

const QString torva::kCaption = QStringLiteral("灭火器配置计算(新规)") +
                                QString(16, QLatin1Char(' ')) +
                                QStringLiteral("[依据GB 50140-2005编制]");

torva::torva(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("torva"));
    buildControls();
}

torva::~torva() {
    // The area box loses the focus while the window's children go; no handler runs then.
    disconnect(tx, nullptr, this, nullptr);
}

void torva::buildControls() {
    const double dpi = screen() != nullptr ? screen()->logicalDotsPerInch() : 96.0;
    const auto px = [dpi](int twips) { return grid::twipsToPixels(twips, dpi); };
    const auto place = [&px](QWidget* w, const Place& p) {
        w->setGeometry(px(p.left), px(p.top), px(p.width), px(p.height));
    };
    // Buttons and labels are at least as large as their text needs, centred vertically on
    // their designed place: the platform's font may be larger than the design's.
    const auto placeText = [&px](QWidget* w, const Place& p) {
        const int height = std::max(px(p.height), w->sizeHint().height());
        const int top = px(p.top) + (px(p.height) - height) / 2;
        w->setGeometry(px(p.left), top, std::max(px(p.width), w->sizeHint().width()), height);
    };

    setFixedSize(px(kClientArea.width),
                 px(kAreaRuleLinePlace.top + kAreaRuleLinePlace.height + kAreaRuleLinePlace.left));

    for (std::size_t i = 0; i < Frame1.size(); ++i) {
        Frame1[i] = new QGroupBox(QString::fromUtf8(ui::kGroupCaptions.at(i)), this);
        place(Frame1[i], kFramePlaces[i]);
    }

    for (QButtonGroup*& group : groups_) {
        group = new QButtonGroup(this);
    }
    makeOptions(ui::kOp1Options.data(), ui::kOp1Options.size(), Op1, true);
    makeOptions(ui::kOpOptions.data(), ui::kOpOptions.size(), Op, false);
    for (const auto& [index, where] : kOp1Places) {
        placeText(Op1.at(index), where);
    }
    for (const auto& [index, where] : kOpPlaces) {
        placeText(Op.at(index), where);
    }
    setCaptionColor(Op[op::kHalon], QColor(255, 0, 0));
    setCaptionColor(Op[op::kWater], Qt::black);

    QGroupBox* building = Frame1[ui::kBuildingGroup];
    Label1[0] = new QLabel(QStringLiteral("建筑面积"), building);
    placeText(Label1[0], kAreaLabelPlace);
    tx = new QLineEdit(QStringLiteral("1000"), building);
    tx->setMaxLength(8);
    tx->setAccessibleName(QStringLiteral("建筑面积"));
    tx->setMouseTracking(true);
    tx->installEventFilter(this);  // tx_MouseMove
    place(tx, kAreaPlace);
    Label1[0]->setBuddy(tx);
    Label1[1] = new QLabel(QStringLiteral("m2"), building);
    placeText(Label1[1], kUnitLabelPlace);
    // Kept inside the frame when the unit is wider than designed.
    Label1[1]->move(std::min(Label1[1]->x(), building->width() - Label1[1]->width() - 3),
                    Label1[1]->y());
    // Tab, Enter or a click elsewhere finish the edit; the box's context menu does not.
    connect(tx, &QLineEdit::editingFinished, this, &torva::tx_LostFocus);
    connect(tx, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString clean = ui::normalizedArea(text);
        if (clean != text) {
            const int cursor = tx->cursorPosition() - static_cast<int>(text.size() - clean.size());
            tx->selectAll();
            tx->insert(clean);  // an edit like typing, so it is finished like one
            tx->setCursorPosition(std::max(cursor, 0));
        }
    });
    connect(tx, &QLineEdit::textChanged, this, &torva::showAreaReading);

    Check1 = new QCheckBox(QStringLiteral("保存当前数据退出"), this);
    Check1->setChecked(true);
    placeText(Check1, kCheckPlace);

    fa = new grid::GridWidget(ui::kGridRows, ui::kGridCols, this);
    fa->setAccessibleName(QStringLiteral("计算结果"));
    place(fa, kGridPlace);
    connect(fa, &grid::GridWidget::EnterCell, this, &torva::fa_EnterCell);
    connect(fa, &grid::GridWidget::LeaveCell, this, &torva::fa_LeaveCell);
    connect(fa, &grid::GridWidget::MouseDown, this, &torva::fa_MouseDown);
    connect(fa, &grid::GridWidget::MouseUp, this, &torva::fa_MouseUp);
    connect(fa, &grid::GridWidget::MouseMove, this, &torva::fa_MouseMove);

    areaRuleLine = new QLabel(this);
    areaRuleLine->setAccessibleName(QStringLiteral("配置依据提示"));
    areaRuleLine->setAutoFillBackground(true);
    place(areaRuleLine, kAreaRuleLinePlace);

    sheetButton = new QPushButton(QStringLiteral("计算书…"), this);
    placeText(sheetButton, kSheetButtonPlace);
    connect(sheetButton, &QPushButton::clicked, this, &torva::openCalculationSheet);
    projectButton = new QPushButton(QStringLiteral("工程…"), this);
    projectButton->setToolTip(QStringLiteral("打开灭火器配置工程：一座建筑的全部计算单元"));
    placeText(projectButton, kProjectButtonPlace);
    connect(projectButton, &QPushButton::clicked, this, [this] {
        if (openProject) {
            openProject();
        }
    });
    copyTableAction = new QAction(QStringLiteral("复制表格"), fa);
    connect(copyTableAction, &QAction::triggered, this,
            [this] { copyCells(0, 0, ui::kGridRows - 1, ui::kGridCols - 1); });
    sheetAction = new QAction(QStringLiteral("计算书…"), fa);
    connect(sheetAction, &QAction::triggered, this, &torva::openCalculationSheet);
    copyCellsAction = new QAction(fa);
    copyCellsAction->setShortcut(QKeySequence::Copy);
    copyCellsAction->setShortcutContext(Qt::WidgetShortcut);
    fa->addAction(copyCellsAction);
    connect(copyCellsAction, &QAction::triggered, this, &torva::copySelection);
    fa->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(fa, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(fa);
        menu.addAction(copyTableAction);
        menu.addAction(sheetAction);
        menu.exec(fa->viewport()->mapToGlobal(at));
    });

    // Focus order of the window's design; the buttons of the sheet and the project, added later,
    // come last.
    const std::vector<QWidget*> tabOrder = {
        Op[2],   Op[3],  Op[4],  Op[5],  Op[1],  Check1, Op1[0],      Op1[1],       Op1[2],
        Op1[3],  Op1[4], Op1[5], Op[0],  Op[6],  Op[7],  tx,          Op1[10],      Op1[11],
        Op1[12], Op1[9], Op1[8], Op1[7], Op1[6], fa,     sheetButton, projectButton};
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
    bringAgentsIntoLine(core::FireClass::A);
}

// One radio button per option, in the frame of its group. A user's choice raises its array's
// handler once; the program sets buttons with their group's signals blocked.
void torva::makeOptions(const OptionSpec* options, std::size_t count, Options& buttons,
                        bool fireArray) {
    const GroupChoices firstStart = ui::optionsOf({});
    for (std::size_t i = 0; i < count; ++i) {
        const OptionSpec& option = options[i];
        auto* button = new QRadioButton(QString::fromUtf8(option.caption),
                                        Frame1.at(static_cast<std::size_t>(option.group)));
        button->setToolTip(QString::fromUtf8(option.toolTip));
        button->setChecked(firstStart.at(static_cast<std::size_t>(option.group)) == option.index);
        groups_.at(static_cast<std::size_t>(option.group))->addButton(button, option.index);
        if (!fireArray) {
            button->installEventFilter(this);  // Op_LostFocus
        }
        buttons[option.index] = button;
    }
    // The frames of this array: fire class, hazard and K, or agent and building.
    const auto [first, last] = fireArray ? std::pair(ui::kFireClassGroup, ui::kFactorGroup)
                                         : std::pair(ui::kAgentGroup, ui::kBuildingGroup);
    for (int group = first; group <= last; ++group) {
        connect(groups_.at(static_cast<std::size_t>(group)), &QButtonGroup::idToggled, this,
                [this, fireArray](int id, bool checked) {
                    if (checked) {
                        const auto index = static_cast<std::int16_t>(id);
                        fireArray ? Op1_Click(index) : Op_Click(index);
                    }
                });
    }
}

GroupChoices torva::selectedOptions() const {
    GroupChoices selected{};
    for (std::size_t group = 0; group < groups_.size(); ++group) {
        selected.at(group) = static_cast<std::int16_t>(groups_.at(group)->checkedId());
    }
    return selected;
}

core::Choices torva::choices() const {
    const QByteArray area = tx->text().toUtf8();
    return ui::choicesOf(selectedOptions(),
                         core::leadingNumber(std::string_view(area.constData(), area.size()))
                             .value_or(std::numeric_limits<double>::infinity()));
}

// Selects a button without raising a handler: the program's own changes are shown by the handler
// that makes them.
void torva::selectQuietly(QRadioButton* button) {
    const QSignalBlocker quiet(button->group());
    button->setChecked(true);
}

bool torva::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Focus that leaves with the window or for a context menu has not left the control.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (const auto& [index, button] : Op) {
                if (watched == button) {
                    Op_LostFocus(index);
                }
            }
        }
    } else if (event->type() == QEvent::MouseMove && watched == tx) {
        tx_MouseMove();
    }
    return QWidget::eventFilter(watched, event);
}

void torva::Form_Load() {
    setWindowTitle(kCaption);

    const io::SavedChoices saved = io::loadSavedChoices();
    const GroupChoices selected = ui::optionsOf(saved.choices);
    for (const core::ChoiceKind kind : saved.unchosen) {
        const auto group = static_cast<std::size_t>(kind);
        qWarning("Saved choices select nothing in %s; option %d is selected",
                 ui::kGroupCaptions.at(group), selected.at(group));
    }
    tx->setText(saved.area);
    const auto restore = [this, &selected](const auto& options, Options& buttons) {
        for (const OptionSpec& option : options) {
            if (selected.at(static_cast<std::size_t>(option.group)) == option.index) {
                selectQuietly(buttons.at(option.index));
            }
        }
    };
    restore(ui::kOp1Options, Op1);
    restore(ui::kOpOptions, Op);
    Check1->setChecked(saved.keep);

    ui::setLoadedGridLayout(fa->store());
    // The restored fire class brings the restored agent into line and shows the first result.
    Op1_Click(selected[ui::kFireClassGroup]);
    // The grid starts on its first cell; frame it so that keyboard users see where they are.
    fa_EnterCell();
    fa->refresh();
}

void torva::Form_Unload(bool& Cancel) {
    io::SavedChoices now{ui::choicesOf(selectedOptions(), 0), tx->text(), Check1->isChecked(), {}};
    while (const auto failure = io::saveChoices(now)) {
        qWarning("The choices could not be saved to %s", qPrintable(failure->where));
        QMessageBox box(QMessageBox::Warning, QStringLiteral("提示"),
                        QStringLiteral("当前数据未能保存。"), QMessageBox::NoButton, this);
        box.setInformativeText(QStringLiteral("位置：%1\n原因：%2")
                                   .arg(QDir::toNativeSeparators(failure->where), failure->reason));
        QPushButton* retry = box.addButton(QStringLiteral("重试"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("不保存退出"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.setDefaultButton(retry);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == cancel) {
            Cancel = true;
            return;
        }
        if (box.clickedButton() != retry) {
            return;
        }
    }
}

void torva::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        bool cancel = false;
        Form_Unload(cancel);
        if (cancel) {
            event->ignore();
            return;
        }
        unloaded_ = true;
    }
    event->accept();
}

void torva::Op1_Click(std::int16_t /*Index*/) {
    if (choices().fireClass == core::FireClass::D) {
        showClassDMessage();  // which returns to class A when it is closed
        return;
    }
    bringAgentsIntoLine(choices().fireClass);
    showResult();
}

// The agents follow the fire class; a selected agent that the class rules out moves to
// ammonium-phosphate powder. It moves before it is disabled: a disabled button gives up the
// focus, and the choice it then leaves behind is already the new one.
void torva::bringAgentsIntoLine(core::FireClass fireClass) {
    if (!core::agentAllowed(fireClass, choices().agent)) {
        selectQuietly(Op.at(op::kPhosphatePowder));
    }
    for (const core::Agent agent : core::kAgents) {
        Op.at(ui::agentOption(agent))->setEnabled(core::agentAllowed(fireClass, agent));
    }
}

void torva::Op_Click(std::int16_t /*Index*/) {
    showResult();
}

void torva::Op_LostFocus(std::int16_t Index) {
    if (Op.at(Index)->isChecked() && shown_ != choices()) {
        showResult();
    }
}

void torva::tx_LostFocus() {
    showResult();
}

// Pointing at the area box shows its text, or how it is read when only its start is a number.
void torva::tx_MouseMove() {
    tx->setToolTip(areaNote_.isEmpty() ? tx->text() : areaNote_);
}

void torva::showAreaReading(const QString& text) {
    areaNote_ = ui::areaReadingNote(text);
    ui::setWarningLook(tx, !areaNote_.isEmpty());
    updateSheetButton();
}

// Calculates the result of the choices and draws it into the grid, once per event.
void torva::showResult() {
    core::Choices now = choices();
    ui::drawResult(core::calculate(now), fa->store());
    shown_ = now;
    updateSheetButton();
    emit resultShown();
}

void torva::updateSheetButton() {
    if (sheetButton == nullptr) {
        return;  // the area box is filled while the window is built
    }
    const QString unavailable = shown_ ? sheetUnavailableReason(*shown_, tx->text()) : QString();
    showAreaRule(unavailable.isEmpty() ? shown_ : std::nullopt);
    sheetButton->setEnabled(shown_ && unavailable.isEmpty());
    sheetAction->setEnabled(shown_ && unavailable.isEmpty());
    sheetButton->setToolTip(unavailable.isEmpty()
                                ? QStringLiteral("按当前的计算结果编制灭火器配置计算书")
                                : unavailable);
}

// The grid shows GB 50140's Q; where S/U rounded up exceeds it, GB 55036-2022 10.0.3 sizes the
// configuration, and the line under the grid says so in the warning colour.
void torva::showAreaRule(const std::optional<core::Choices>& choices) {
    const std::optional<core::UnitConditions> unit =
        choices ? core::conditionsOf(*choices, typedArea(tx->text(), choices->area)) : std::nullopt;
    const bool governs = unit && unit->required.areaGoverns();
    areaRuleLine->setText(
        governs ? QStringLiteral("按 GB 55036-2022 第10.0.3条，灭火级别之和不应小于 S/U = %1，"
                                 "配置数量以计算书为准")
                      .arg(documents::ratingText(unit->required.perUnitAreaWhole,
                                                 unit->choices.fireClass))
                : QString());
    QPalette palette = this->palette();
    if (governs) {
        palette.setColor(QPalette::Window, ui::kWarningColor);
    }
    areaRuleLine->setPalette(palette);
}

void torva::openCalculationSheet() {
    const std::optional<core::UnitConditions> unit =
        shown_ ? core::conditionsOf(*shown_, typedArea(tx->text(), shown_->area)) : std::nullopt;
    if (!unit || !sheetButton->isEnabled()) {
        return;
    }
    auto* dialog = new ui::CalculationSheetDialog(*unit, this);
    dialog->addToProject = addToProject;
    dialog->placeInProject = placeInProject;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

// The copy has the cells' texts without the blanks that place them, and the heading row, when
// it is copied, as headings.
void torva::copyCells(int row1, int col1, int row2, int col2) {
    std::vector<QStringList> rows = ui::visibleCells(fa->store(), {row1, col1, row2, col2});
    for (QStringList& row : rows) {
        for (QString& cell : row) {
            cell = cell.trimmed();
        }
    }
    QApplication::clipboard()->setMimeData(documents::tableMimeData(rows, row1 == 0).release());
}

// As spreadsheets do: the selected block, or the current cell.
void torva::copySelection() {
    const QItemSelection selected = fa->selectionModel()->selection();
    if (selected.isEmpty()) {
        copyCells(fa->Row(), fa->Col(), fa->Row(), fa->Col());
        return;
    }
    // Merged blocks add ranges of their own; the block copied is the one that holds them all.
    int top = ui::kGridRows;
    int left = ui::kGridCols;
    int bottom = 0;
    int right = 0;
    for (const QItemSelectionRange& range : selected) {
        top = std::min(top, range.top());
        left = std::min(left, range.left());
        bottom = std::max(bottom, range.bottom());
        right = std::max(right, range.right());
    }
    copyCells(top, left, bottom, right);
}

// Opened, not run: the click or accessibility action that chose class D returns at once.
// Closing the message selects class A, unless another class was chosen meanwhile.
// The message opens without waiting for its answer, so that an assistive tool's action that chose
// class D returns at once; closing it returns to class A.
void torva::showClassDMessage() {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("提示"),
                                QStringLiteral("    D类火灾场所的灭火器最低配置基准应根据\n"
                                               "金属的种类、物态及其特性等研究确定。"),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QDialog::finished, this, [this] {
        if (Op1.at(op1::kClassD)->isChecked()) {
            selectQuietly(Op1.at(op1::kClassA));
            Op1_Click(op1::kClassA);
        }
    });
    box->open();
}

void torva::fa_EnterCell() {
    fa->CellBorder(kCellFrameColor, 1, 1, 2, 2);
    const int r = fa->Row();
    const int c = fa->Col();
    fa->store().setCellFontBold(r, 0, true);
    fa->store().setCellFontBold(0, c, true);
}

void torva::fa_LeaveCell() {
    fa->CellBorder(kCellFrameColor, 0, 0, 0, 0);
    const int r = fa->Row();
    const int c = fa->Col();
    fa->store().setCellFontBold(r, 0, false);
    fa->store().setCellFontBold(0, c, false);
}

// The press and the release both take the cell under the pointer, so a press and release on
// one cell (of a merged block too, or a heading) leaves the highlight off.
void torva::fa_MouseDown() {
    pressed_ = {fa->MouseRow(), fa->MouseCol()};
}

void torva::fa_MouseUp() {
    released_ = {fa->MouseRow(), fa->MouseCol()};
    fa->setHighLight(released_ == pressed_ ? 0 : 2);
}

void torva::fa_MouseMove() {
    const Cell now{fa->MouseRow(), fa->MouseCol()};
    if (now == hovered_) {
        return;
    }
    hovered_ = now;
    // Off the cells there is no text to show: the tooltip keeps its text.
    if (fa->store().contains(now.row, now.col)) {
        fa->setToolTip(documents::qs(fa->store().TextMatrix(now.row, now.col)));
    }
}
