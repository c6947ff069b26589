#include "torva.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSettings>
#include <QTranslator>
#include <QtDebug>

#include "area_input.h"
#include "calculation.h"
#include "calculation_sheet.h"
#include "file_export.h"
#include "result_table.h"
#include "saved_choices.h"
#include "setting_points.h"
#include "table_copy.h"
#include "warning_look.h"

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
constexpr std::array<const char*, 5> kFrameCaptions = {"火灾类别", "火灾危险等级", "修正系数",
                                                       "灭火器类型", "建筑物参数"};

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
constexpr Place kSheetButtonPlace{5775, 3960, 2190, 375};  // below the check box, frame-wide

// Frame colour of the current cell: black.
constexpr grid::Color kCellFrameColor = 0;

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A setting's text; a hand-edited value with commas comes back from an INI file as a list.
QString settingText(const QSettings& settings, const QString& key, const QString& fallback) {
    const QVariant value = settings.value(key, fallback);
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

QString settingsGroup() {
    return qs(core::kSettingsSection).replace(QLatin1Char('\\'), '/');
}

// Unticks a radio button, which Qt's exclusive frames otherwise refuse: a restore may leave a
// frame without a choice until a later key selects one.
void untick(QRadioButton* button) {
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

// Gives a caption a colour of its own while enabled; disabled it greys like every other.
void setCaptionColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, color);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, color);
    widget->setPalette(palette);
}

QString settingsFolder;  // empty: the platform's own place

// Why the result cannot go on a calculation sheet; empty when it can.
QString sheetUnavailableReason(const core::Result& result) {
    if (result.fireClass == core::FireClass::D) {
        return QStringLiteral(
            "D类火灾场所的灭火器配置应根据金属的种类、物态及其特性等研究确定，"
            "不编制计算书");
    }
    if (!result.required) {
        return QStringLiteral("建筑面积无法计算，不能编制计算书");
    }
    if (result.required->whole == 0) {
        return QStringLiteral("需配灭火级别为 0，不需编制计算书");
    }
    if (std::none_of(result.rows.begin(), result.rows.end(),
                     [](const core::ModelResult& row) { return row.adequate; })) {
        return QStringLiteral("表中没有满足最低配置基准的灭火器规格，请另选灭火器类型");
    }
    return {};
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

    setFixedSize(px(kClientArea.width), px(kClientArea.height));

    for (std::size_t i = 0; i < Frame1.size(); ++i) {
        Frame1[i] = new QGroupBox(QString::fromUtf8(kFrameCaptions[i]), this);
        place(Frame1[i], kFramePlaces[i]);
    }

    const core::Selection firstStart;
    makeOptions(firstStart.Op1, Op1, true);
    makeOptions(firstStart.Op, Op, false);
    for (const auto& [index, where] : kOp1Places) {
        placeText(Op1.at(index), where);
    }
    for (const auto& [index, where] : kOpPlaces) {
        placeText(Op.at(index), where);
    }
    setCaptionColor(Op[core::op::kHalon], QColor(255, 0, 0));
    setCaptionColor(Op[core::op::kWater], Qt::black);

    QGroupBox* building = Frame1[core::kBuildingGroup];
    Label1[0] = new QLabel(QStringLiteral("建筑面积"), building);
    placeText(Label1[0], kAreaLabelPlace);
    tx = new QLineEdit(qs(firstStart.tx), building);
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

    sheetButton = new QPushButton(QStringLiteral("计算书…"), this);
    placeText(sheetButton, kSheetButtonPlace);
    connect(sheetButton, &QPushButton::clicked, this, &torva::openCalculationSheet);
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

    // Focus order of the window's design; the sheet's button, added later, comes last.
    const std::vector<QWidget*> tabOrder = {
        Op[2],   Op[3],  Op[4],  Op[5],  Op[1],  Check1, Op1[0],     Op1[1],  Op1[2],
        Op1[3],  Op1[4], Op1[5], Op[0],  Op[6],  Op[7],  tx,         Op1[10], Op1[11],
        Op1[12], Op1[9], Op1[8], Op1[7], Op1[6], fa,     sheetButton};
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

// One radio button per option, in its frame. However an option becomes checked by the user
// (mouse, Space, arrow keys, an accessibility action), its array's handler runs once.
void torva::makeOptions(const core::OptionArray& options, Options& buttons, bool fireArray) {
    for (const core::Option& option : options.options()) {
        auto* button =
            new QRadioButton(qs(option.caption), Frame1.at(static_cast<std::size_t>(option.group)));
        button->setToolTip(qs(option.toolTip));
        button->setChecked(option.selected);
        button->setEnabled(option.enabled);
        const std::int16_t index = option.index;
        connect(button, &QRadioButton::toggled, this, [this, index, fireArray](bool checked) {
            if (checked && !settingFromCode_) {
                fireArray ? Op1_Click(index) : Op_Click(index);
            }
        });
        if (!fireArray) {
            button->installEventFilter(this);  // Op_LostFocus
        }
        buttons[index] = button;
    }
}

// Selecting an option from code raises its handler at once, as a click does, also when the
// option is already selected.
void torva::selectFromCode(Options& array, std::int16_t index) {
    {
        const QScopedValueRollback fromCode(settingFromCode_, true);
        array.at(index)->setChecked(true);
    }
    if (&array == &Op1) {
        Op1_Click(index);
    } else {
        Op_Click(index);
    }
}

core::Selection torva::selection() const {
    core::Selection now;
    for (const auto& [index, button] : Op1) {
        now.Op1.setValue(index, button->isChecked());
        now.Op1.setEnabled(index, button->isEnabled());
    }
    for (const auto& [index, button] : Op) {
        now.Op.setValue(index, button->isChecked());
        now.Op.setEnabled(index, button->isEnabled());
    }
    now.tx = tx->text().toStdString();
    return now;
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

    auto settings = ui::openSettings();
    settings->beginGroup(settingsGroup());
    tx->setText(settingText(*settings, qs(core::kAreaKey), QStringLiteral("1000")));
    {
        // Restoring raises the handlers of the restored options; the result is shown once below.
        const QScopedValueRollback restoring(handlerDepth_, handlerDepth_ + 1);
        for (std::int16_t i = 0; i <= 7; ++i) {
            restoreOption(*settings, Op1, i, core::op1Key(i));
            restoreOption(*settings, Op, i, core::opKey(i));
        }
        for (std::int16_t i = 8; i <= 12; ++i) {
            restoreOption(*settings, Op1, i, core::op1Key(i));
        }
        fallBackWhereEmpty();
    }
    // An unreadable value leaves the box ticked, so the next close writes good values back.
    const auto check = core::checkFromText(
        settingText(*settings, qs(core::kCheckKey), QStringLiteral("1")).toStdString());
    Check1->setChecked(check.value_or(1) == 1);

    ui::setLoadedGridLayout(fa->store());
    // The restored fire class brings the restored agent into line and shows the first result.
    for (const std::int16_t index :
         {core::op1::kClassA, core::op1::kClassB, core::op1::kClassC, core::op1::kClassE}) {
        if (Op1.at(index)->isChecked()) {
            Op1_Click(index);
            break;
        }
    }
    // The grid starts on its first cell; frame it so that keyboard users see where they are.
    fa_EnterCell();
    fa->refresh();
}

void torva::restoreOption(QSettings& settings, Options& array, std::int16_t index,
                          const std::string& key) {
    QRadioButton* button = array.at(index);
    const QString fallback = qs(core::booleanText(button->isChecked()));
    const auto value =
        core::booleanFromText(settingText(settings, qs(key), fallback).toStdString());
    // Class D never stays selected, so a stored one was not written by the window.
    if (!value || (*value && &array == &Op1 && index == core::op1::kClassD)) {
        qWarning("Saved choice %s is unreadable and was skipped", key.c_str());
        return;
    }
    if (*value) {
        selectFromCode(array, index);
    } else {
        const QScopedValueRollback fromCode(settingFromCode_, true);
        untick(button);
    }
}

// Saved choices that leave a group without a choice (all its keys false, say) give that group
// its first-start choice again.
void torva::fallBackWhereEmpty() {
    const core::Selection firstStart;
    const auto check = [this](const core::OptionArray& options, Options& array, int group) {
        for (const core::Option& option : options.options()) {
            if (option.group == group && array.at(option.index)->isChecked()) {
                return;
            }
        }
        const std::int16_t choice = core::firstStartChoice(group);
        qWarning("Saved choices select nothing in %s; %s is selected",
                 kFrameCaptions.at(static_cast<std::size_t>(group)),
                 qPrintable(array.at(choice)->text()));
        selectFromCode(array, choice);
    };
    for (int group = core::kFireClassGroup; group <= core::kFactorGroup; ++group) {
        check(firstStart.Op1, Op1, group);
    }
    for (int group = core::kAgentGroup; group <= core::kBuildingGroup; ++group) {
        check(firstStart.Op, Op, group);
    }
}

void torva::Form_Unload(bool& Cancel) {
    QString where;
    while (!saveChoices(where)) {
        qWarning("The choices could not be saved to %s", qPrintable(where));
        QMessageBox box(QMessageBox::Warning, QStringLiteral("提示"),
                        QStringLiteral("当前数据未能保存。"), QMessageBox::NoButton, this);
        box.setInformativeText(
            QStringLiteral("位置：%1\n原因：%2")
                .arg(QDir::toNativeSeparators(where), ui::writeFailureReason(where)));
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

// Writes the choices; false when the store could not be written. Only a failed write counts:
// a damaged file read on the way is rewritten whole.
bool torva::saveChoices(QString& where) {
    auto settings = ui::openSettings();
    settings->beginGroup(settingsGroup());
    const auto save = [&settings](const std::string& key, const std::string& text) {
        settings->setValue(qs(key), qs(text));
    };
    const core::Selection now = selection();
    if (Check1->isChecked()) {
        save(std::string(core::kAreaKey), now.tx);
        for (std::int16_t i = 0; i <= 7; ++i) {
            save(core::op1Key(i), core::booleanText(now.Op1.selected(i)));
            save(core::opKey(i), core::booleanText(now.Op.selected(i)));
        }
        for (std::int16_t i = 8; i <= 12; ++i) {
            save(core::op1Key(i), core::booleanText(now.Op1.selected(i)));
        }
    }
    save(std::string(core::kCheckKey), Check1->isChecked() ? "1" : "0");
    settings->sync();
    where = settings->fileName();
    return settings->status() != QSettings::AccessError;
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
    const std::optional<core::FireClass> fireClass = selection().fireClass();
    if (!fireClass) {
        return;  // no fire class: nothing to bring into line, nothing to recalculate
    }
    {
        const QScopedValueRollback nested(handlerDepth_, handlerDepth_ + 1);
        if (*fireClass == core::FireClass::D) {
            showClassDMessage();  // which returns to class A when it is closed
            return;
        } else {
            for (std::int16_t agent = core::op::kCarbonDioxide; agent <= core::op::kHalon;
                 ++agent) {
                Op.at(agent)->setEnabled(core::agentAllowed(*fireClass, agent));
            }
            const std::optional<int> agent = selection().agentType();
            if (agent && !core::agentAllowed(*fireClass, static_cast<std::int16_t>(*agent))) {
                selectFromCode(Op, core::op::kPhosphatePowder);
            }
        }
    }
    showResult();
}

void torva::Op_Click(std::int16_t /*Index*/) {
    showResult();
}

void torva::Op_LostFocus(std::int16_t Index) {
    if (Op.at(Index)->isChecked() && shown_ != selection()) {
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
}

// Calculates the result of the choices and draws it into the grid, once per event: a handler
// raised from code inside another handler leaves it to the one that raised it.
void torva::showResult() {
    if (handlerDepth_ > 0) {
        return;
    }
    core::Selection now = selection();
    shownResult_ = core::calculate(now);
    ui::drawResult(shownResult_, fa->store());
    shown_ = std::move(now);
    ++resultsShown_;

    const QString unavailable = sheetUnavailableReason(shownResult_);
    sheetButton->setEnabled(unavailable.isEmpty());
    sheetAction->setEnabled(unavailable.isEmpty());
    sheetButton->setToolTip(unavailable.isEmpty()
                                ? QStringLiteral("按当前的计算结果编制灭火器配置计算书")
                                : unavailable);
}

void torva::openCalculationSheet() {
    const std::optional<core::UnitConditions> unit =
        shown_ ? core::conditionsFrom(*shown_, shownResult_) : std::nullopt;
    if (!unit || !sheetButton->isEnabled()) {
        return;
    }
    auto* dialog = new ui::CalculationSheetDialog(*unit, ui::visibleRows(fa->store()), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void torva::copyCells(int row1, int col1, int row2, int col2) {
    QApplication::clipboard()->setMimeData(
        ui::tableMimeData(ui::visibleCells(fa->store(), row1, col1, row2, col2)).release());
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
void torva::showClassDMessage() {
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("提示"),
                                QStringLiteral("    D类火灾场所的灭火器最低配置基准应根据\n"
                                               "金属的种类、物态及其特性等研究确定。"),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QDialog::finished, this, [this] {
        if (Op1.at(core::op1::kClassD)->isChecked()) {
            selectFromCode(Op1, core::op1::kClassA);
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
        fa->setToolTip(qs(fa->store().TextMatrix(now.row, now.col)));
    }
}

namespace ui {

void useSettingsFolder(const QString& folder) {
    settingsFolder = folder;
}

std::unique_ptr<QSettings> openSettings() {
    if (!settingsFolder.isEmpty()) {
        return std::make_unique<QSettings>(settingsFolder + QLatin1Char('/') +
                                               qs(core::kSettingsApplication) +
                                               QStringLiteral(".ini"),
                                           QSettings::IniFormat);
    }
#ifdef Q_OS_WIN
    const QSettings::Format format = QSettings::NativeFormat;
#else
    const QSettings::Format format = QSettings::IniFormat;
#endif
    return std::make_unique<QSettings>(format, QSettings::UserScope,
                                       qs(core::kSettingsApplication));
}

void useChineseTexts() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    // A window font that covers Chinese, so that the first text measured does not search the
    // system's fonts for one.
    QFont font = QApplication::font();
    font.setFamilies(
        {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"), font.family()});
    QApplication::setFont(font);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        QCoreApplication::installTranslator(translator);
    } else {
        qWarning("Qt's Chinese texts were not found in %s", qPrintable(folder));
        delete translator;
    }
}

}  // namespace ui
