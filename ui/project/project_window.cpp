#include "project_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>
#include <set>
#include <variant>

#include "background_task.h"
#include "combined_units.h"
#include "file_export.h"
#include "plan_import.h"
#include "plan_import_dialog.h"
#include "plan_view.h"
#include "project_commands.h"
#include "project_file.h"
#include "project_file_life.h"
#include "project_info_dialog.h"
#include "project_model.h"
#include "saved_choices_file.h"
#include "unit_delegate.h"
#include "unit_placing.h"
#include "unit_table.h"
#include "unit_texts.h"

namespace ui {

namespace {

constexpr char kTitle[] = "灭火器配置工程";
// Whether 查看 → 平面图 is ticked.
constexpr char kPlanShownKey[] = "project/planShown";
// The window's place and size, the split between table and plan, and the table's column widths,
// as the window was last closed.
constexpr char kGeometryKey[] = "project/geometry";
constexpr char kSplitterKey[] = "project/splitter";
constexpr char kColumnsKey[] = "project/columns";
// How long the status bar says why a cell's value was not taken.
constexpr int kRefusalMs = 10000;
// How long the status bar says what placing did.
constexpr int kPlacedMs = 15000;

QString fileFilter() {
    return QStringLiteral("灭火器配置工程 (*.%1)").arg(QLatin1String(io::kProjectSuffix));
}

// The first ten names, then how many there are in all.
QString listedNames(const QStringList& names) {
    constexpr qsizetype kNamed = 10;
    QString text = names.mid(0, kNamed).join(QStringLiteral("、"));
    return names.size() > kNamed ? text + QStringLiteral(" 等 %1 个").arg(names.size()) : text;
}

}  // namespace

ProjectWindow::ProjectWindow(QWidget* parent)
    : QMainWindow(parent),
      undoStack_(new QUndoStack(this)),
      model_(new ProjectModel(undoStack_, this)),
      table_(new UnitTable(ProjectModel::Name + 1, this)),
      delegate_(new UnitDelegate(this)),
      emptyHint_(new QLabel(QStringLiteral("按 Insert 键或“编辑 → 添加计算单元”添加计算单元"))),
      status_(new QLabel(this)),
      file_(std::make_unique<ProjectFileLife>(model_, undoStack_, this)) {
    askProjectDetails = [this](const ProjectDetails& current) -> std::optional<ProjectDetails> {
        ProjectInfoDialog dialog(current, this);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.details();
    };
    askSaveChanges = [this] {
        QMessageBox box(QMessageBox::Question, QString::fromUtf8(kTitle),
                        QStringLiteral("工程已修改，是否保存？"), QMessageBox::NoButton, this);
        QPushButton* saveButton = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
        QPushButton* discardButton =
            box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
        box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.setDefaultButton(saveButton);
        box.exec();
        if (box.clickedButton() == saveButton) {
            return SaveAnswer::Save;
        }
        return box.clickedButton() == discardButton ? SaveAnswer::Discard : SaveAnswer::Cancel;
    };
    askPlanFileName = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("导入平面图"),
                                            dialogFolder(fileName()),
                                            QStringLiteral("DXF 图纸 (*.dxf)"));
    };
    askPlanImport = [this](const QString& fileName, const io::DxfDrawing& drawing,
                           const QString& floor) -> std::optional<io::PlanImportInput> {
        PlanImportDialog dialog(fileName, drawing, floor, this);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.input();
    };
    askUpdateUnits = [this](const QString& text) {
        return QMessageBox::question(this, QStringLiteral("导入平面图"), text) == QMessageBox::Yes;
    };
    askReplace = askUpdateUnits;
    askPlaceAfresh = [this](const QString& text) {
        return QMessageBox::question(this, QStringLiteral("重新布置"), text) == QMessageBox::Yes;
    };
    showNotice = [this](const QString& text) {
        QMessageBox::information(dialogParent(), QStringLiteral("提示"), text);
    };
    askOpenFileName = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("打开工程"),
                                            dialogFolder(fileName()), fileFilter());
    };
    askSaveFileName = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("工程另存为"), suggested,
                                            fileFilter());
    };
    askOpenReadOnly = [this](const QString& text) {
        return QMessageBox::question(this, QStringLiteral("提示"),
                                     text + QStringLiteral("\n是否以只读方式打开？")) ==
               QMessageBox::Yes;
    };
    askRestore = [this](const io::RecoveryCopy::Orphan& orphan) {
        const QString what =
            orphan.fileName.isEmpty()
                ? QStringLiteral("一个未保存的工程")
                : QStringLiteral("工程“%1”").arg(QDir::toNativeSeparators(orphan.fileName));
        QMessageBox box(QMessageBox::Question, QString::fromUtf8(kTitle),
                        QStringLiteral("程序上次未正常关闭，%1有未保存的修改（%2）。")
                            .arg(what, orphan.written.toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
                        QMessageBox::NoButton, dialogParent());
        QPushButton* restore = box.addButton(QStringLiteral("恢复"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("放弃"), QMessageBox::DestructiveRole);
        box.setDefaultButton(restore);
        box.exec();
        return box.clickedButton() == restore;
    };

    // A choice made in one of the selected rows goes to all of them, as one step.
    delegate_->takeChoice = [this](const QModelIndex& index, const QVariant& value,
                                   const QString& text) {
        const std::vector<int> rows = selectedRows();
        if (rows.size() < 2 || !std::ranges::binary_search(rows, index.row())) {
            model_->setData(index, value, Qt::EditRole);
            return;
        }
        const QStringList refused = model_->setDataOfRows(rows, index.column(), value);
        if (!refused.isEmpty()) {
            statusBar()->showMessage(
                QStringLiteral("计算单元%1不能选用“%2”，未修改。").arg(listedNames(refused), text),
                kRefusalMs);
        }
    };
    table_->setAccessibleName(QStringLiteral("计算单元"));
    table_->setModel(model_);
    table_->setDelegates(delegate_, new UnitDelegate(this));
    const int widths[ProjectModel::ColumnCount] = {40, 80,  100, 60, 76, 72, 118, 92, 108,
                                                   48, 108, 124, 60, 60, 72, 86,  90};
    for (int column = 0; column < ProjectModel::ColumnCount; ++column) {
        table_->setColumnWidth(column, widths[column]);
    }
    table_->setRowHeight(table_->fontMetrics().height() + 10);

    // The hint lies over the empty table, which keeps the focus, so that Insert still adds a unit.
    emptyHint_->setAlignment(Qt::AlignCenter);
    emptyHint_->setAttribute(Qt::WA_TransparentForMouseEvents);
    emptyHint_->setForegroundRole(QPalette::PlaceholderText);
    auto* hintLayout = new QVBoxLayout(table_->viewport());
    hintLayout->addWidget(emptyHint_);

    planView_ = new PlanView(model_, table_->selectionModel(), this);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->addWidget(table_);
    splitter_->addWidget(planView_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 1);
    splitter_->setChildrenCollapsible(false);
    setCentralWidget(splitter_);
    statusBar()->addWidget(status_);

    buildMenus();

    file_->commitEdit = [this] { return commitEdit(); };
    connect(file_.get(), &ProjectFileLife::taken, this, &ProjectWindow::setReadOnly);
    connect(file_.get(), &ProjectFileLife::modifiedChanged, this, &QWidget::setWindowModified);
    connect(file_.get(), &ProjectFileLife::told, statusBar(), &QStatusBar::showMessage);
    connect(model_, &ProjectModel::detailsChanged, this, &ProjectWindow::updateTitle);
    connect(model_, &QAbstractItemModel::dataChanged, this, &ProjectWindow::updateStatus);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &ProjectWindow::updateStatus);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &ProjectWindow::updateStatus);
    connect(model_, &QAbstractItemModel::modelReset, this, &ProjectWindow::updateStatus);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ProjectWindow::updateActions);
    connect(table_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ProjectWindow::updateActions);
    connect(planView_, &PlanView::hasRoomsChanged, this, &ProjectWindow::updatePlanPane);
    planView_->setUndoStack(undoStack_);
    connect(planView_, &PlanView::told, statusBar(), &QStatusBar::showMessage);
    // A double click in a placed unit's 设置点数 picks its points on the plan.
    connect(table_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() == ProjectModel::Points &&
            !model_->unit(index.row()).setPoints.empty()) {
            planView_->pickPoints(index.row());
        }
    });

    restoreLayout();
    updatePlanPane();
    updateTitle();
    updateStatus();
}

ProjectWindow::~ProjectWindow() {
    // A change not yet in the recovery copy goes there before the window goes.
    file_.reset();
    // The plan follows the model and the table's selection: it goes before them.
    delete planView_;
    // The children go after this class's part of the window: they must not call back into it.
    disconnect(model_, nullptr, this, nullptr);
    disconnect(table_->selectionModel(), nullptr, this, nullptr);
}

const core::Project& ProjectWindow::project() const {
    return model_->project();
}

void ProjectWindow::buildMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    QAction* newAction =
        fileMenu_->addAction(QStringLiteral("新建(&N)"), file_.get(), &ProjectFileLife::newProject);
    newAction->setShortcut(QKeySequence::New);
    fileMenu_->addAction(QStringLiteral("打开(&O)…"), file_.get(), &ProjectFileLife::chooseAndOpen)
        ->setShortcut(QKeySequence::Open);
    recentMenu_ = fileMenu_->addMenu(QStringLiteral("最近打开(&R)"));
    file_->followRecentFiles(recentMenu_);
    fileMenu_->addSeparator();
    importPlanAction_ = fileMenu_->addAction(QStringLiteral("导入平面图(DXF)(&I)…"), this,
                                             &ProjectWindow::importPlan);
    importPlanAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    fileMenu_->addSeparator();
    fileMenu_->addAction(QStringLiteral("保存(&S)"), file_.get(), &ProjectFileLife::save)
        ->setShortcut(QKeySequence::Save);
    fileMenu_->addAction(QStringLiteral("另存为(&A)…"), file_.get(), &ProjectFileLife::saveAs)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    closeSeparator_ = fileMenu_->addSeparator();
    QAction* closeAction = fileMenu_->addAction(QStringLiteral("关闭(&C)"), this, &QWidget::close);
    closeAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));

    editMenu_ = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    QAction* undo = undoStack_->createUndoAction(this, QStringLiteral("撤销"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = undoStack_->createRedoAction(this, QStringLiteral("重做"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    editMenu_->addAction(undo);
    editMenu_->addAction(redo);
    editMenu_->addSeparator();
    addAction_ =
        editMenu_->addAction(QStringLiteral("添加计算单元(&A)"), this, &ProjectWindow::addNewUnit);
    addAction_->setShortcut(QKeySequence(Qt::Key_Insert));
    duplicateAction_ = editMenu_->addAction(QStringLiteral("复制计算单元(&C)"), this,
                                            &ProjectWindow::duplicateUnits);
    removeAction_ =
        editMenu_->addAction(QStringLiteral("删除计算单元(&D)"), this, &ProjectWindow::removeUnits);
    removeAction_->setShortcut(QKeySequence::Delete);
    upAction_ = editMenu_->addAction(QStringLiteral("上移"), this, [this] { moveUnits(-1); });
    upAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    downAction_ = editMenu_->addAction(QStringLiteral("下移"), this, [this] { moveUnits(1); });
    downAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    editMenu_->addSeparator();
    combineAction_ = editMenu_->addAction(QStringLiteral("合并为组合单元(&H)"), this,
                                          &ProjectWindow::combineUnits);
    splitAction_ =
        editMenu_->addAction(QStringLiteral("拆分组合单元(&F)"), this, &ProjectWindow::splitUnits);
    editMenu_->addSeparator();
    detailsAction_ =
        editMenu_->addAction(QStringLiteral("工程信息(&I)…"), this, &ProjectWindow::editDetails);
    detailsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    // Keys that an open cell editor also uses act only while the table itself has the focus,
    // so that Delete, Insert and Ctrl+arrows edit the cell's text while it is being edited.
    for (QAction* action : {addAction_, removeAction_, upAction_, downAction_}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        table_->addAction(action);
    }
    tableMenu_ = new QMenu(this);
    tableMenu_->addActions({addAction_, duplicateAction_, removeAction_});
    tableMenu_->addSeparator();
    tableMenu_->addActions({combineAction_, splitAction_});
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(table_),
                                    static_cast<QAbstractItemView*>(table_->frozenView())}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](QPoint pos) { showTableMenu(view, pos); });
    }

    viewMenu_ = menuBar()->addMenu(QStringLiteral("查看(&V)"));
    planAction_ = viewMenu_->addAction(QStringLiteral("平面图(&P)"));
    planAction_->setCheckable(true);
    planAction_->setChecked(
        io::openSettings()->value(QString::fromUtf8(kPlanShownKey), true).toBool());
    connect(planAction_, &QAction::toggled, this, &ProjectWindow::showPlan);
    viewMenu_->addAction(planView_->fitAction());

    toolsMenu_ = menuBar()->addMenu(QStringLiteral("工具(&T)"));
    toolsMenu_->addAction(QStringLiteral("单元计算器(&C)"), this, [this] {
        if (openUnitCalculator) {
            openUnitCalculator();
        }
    });
    toolsMenu_->addSeparator();
    placeAction_ = toolsMenu_->addAction(QStringLiteral("布置设置点(&P)"), this,
                                         &ProjectWindow::placeSettingPoints);
    // Ctrl+P prints.
    placeAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    placeAction_->setToolTip(QStringLiteral("按最大保护距离在所选计算单元的平面轮廓内布置设置点"));
    planView_->addMenuAction(placeAction_);
    placeAfreshAction_ = new QAction(QStringLiteral("重新布置"), this);
    connect(placeAfreshAction_, &QAction::triggered, this, &ProjectWindow::placeAfresh);
    planView_->addMenuAction(placeAfreshAction_);
    connect(planView_->menu(), &QMenu::aboutToShow, this,
            [this] { placeAfreshAction_->setEnabled(!readOnly_ && planView_->menuRow() >= 0); });
    updateActions();
}

void ProjectWindow::updateTitle() {
    QString name = documents::qs(model_->project().name);
    if (name.isEmpty()) {
        name = fileName().isEmpty() ? QStringLiteral("未命名") : QFileInfo(fileName()).fileName();
    }
    if (readOnly_) {
        name += QStringLiteral("（只读）");
    }
    setWindowTitle(QString::fromUtf8(kTitle) + QStringLiteral(" - ") + name +
                   QStringLiteral("[*]"));
}

QString ProjectWindow::statusText() const {
    const ProjectModel::Summary s = model_->summary();
    return QStringLiteral("计算单元：%1　灭火器：%2具　不满足校核：%3　不能配置：%4")
        .arg(s.units)
        .arg(s.extinguishers)
        .arg(s.breaching)
        .arg(s.unconfigurable);
}

void ProjectWindow::updateStatus() {
    status_->setText(statusText());
    emptyHint_->setVisible(model_->rowCount() == 0);
    updateActions();
}

std::vector<int> ProjectWindow::selectedRows() const {
    // By the selection's ranges, not cell by cell: thousands of rows may be selected.
    std::set<int> rows;
    for (const QItemSelectionRange& range : table_->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.insert(row);
        }
    }
    if (rows.empty() && table_->currentIndex().isValid()) {
        rows.insert(table_->currentIndex().row());
    }
    return {rows.begin(), rows.end()};
}

void ProjectWindow::selectRows(const std::vector<int>& rows) {
    // One range for each run of consecutive rows.
    QItemSelection selection;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1) {
            ++end;
        }
        selection.select(model_->index(rows[i], 0),
                         model_->index(rows[end - 1], ProjectModel::ColumnCount - 1));
        i = end;
    }
    if (!rows.empty()) {
        const int column = std::max(table_->currentIndex().column(), 0);
        table_->selectionModel()->setCurrentIndex(model_->index(rows.back(), column),
                                                  QItemSelectionModel::NoUpdate);
        table_->scrollTo(model_->index(rows.back(), column));
    }
    table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void ProjectWindow::updateActions() {
    if (detailsAction_ == nullptr) {
        return;
    }
    // A read-only project changes only by being saved under another name.
    const bool writable = !readOnly_;
    const std::vector<int> rows = selectedRows();
    addAction_->setEnabled(writable);
    detailsAction_->setEnabled(writable);
    importPlanAction_->setEnabled(writable);
    placeAction_->setEnabled(writable && std::ranges::any_of(rows, [this](int row) {
                                 return core::hasPlan(model_->unit(row));
                             }));
    combineAction_->setEnabled(writable && rows.size() >= 2);
    splitAction_->setEnabled(writable && std::ranges::any_of(rows, [this](int row) {
                                 return model_->unit(row).combined();
                             }));
    removeAction_->setEnabled(writable && !rows.empty());
    duplicateAction_->setEnabled(writable && !rows.empty());
    upAction_->setEnabled(writable && !rows.empty() && rows.front() > 0);
    downAction_->setEnabled(writable && !rows.empty() && rows.back() < model_->rowCount() - 1);
}

void ProjectWindow::showPlan(bool shown) {
    // A choice that could not be written is the same again at the next start.
    (void)io::changeSettings([shown](QSettings& settings) {
        settings.setValue(QString::fromUtf8(kPlanShownKey), shown);
    });
    updatePlanPane();
}

void ProjectWindow::restoreLayout() {
    const auto settings = io::openSettings();
    if (!restoreGeometry(settings->value(QString::fromUtf8(kGeometryKey)).toByteArray())) {
        // Wide enough for the table and the plan side by side, within the screen's free area
        // and a window frame.
        const QRect free = screen()->availableGeometry();
        const QSize size = QSize(1400, 760).boundedTo(free.size() - QSize(16, 48));
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, free));
    }
    if (!splitter_->restoreState(settings->value(QString::fromUtf8(kSplitterKey)).toByteArray())) {
        // The table takes three fifths of the width; its leading columns stay in view.
        splitter_->setSizes({width() * 3 / 5, width() * 2 / 5});
    }
    if (table_->horizontalHeader()->restoreState(
            settings->value(QString::fromUtf8(kColumnsKey)).toByteArray())) {
        table_->followColumnWidths();
    }
}

void ProjectWindow::saveLayout() {
    // A layout that could not be written is the default one at the next start.
    (void)io::changeSettings([this](QSettings& settings) {
        settings.setValue(QString::fromUtf8(kGeometryKey), saveGeometry());
        settings.setValue(QString::fromUtf8(kSplitterKey), splitter_->saveState());
        settings.setValue(QString::fromUtf8(kColumnsKey), table_->horizontalHeader()->saveState());
    });
}

void ProjectWindow::updatePlanPane() {
    const bool rooms = planView_->hasRooms();
    planAction_->setEnabled(rooms);
    planView_->setVisible(rooms && planAction_->isChecked());
    planView_->fitAction()->setEnabled(planView_->isVisibleTo(this));
}

void ProjectWindow::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    model_->setReadOnly(readOnly);
    emptyHint_->setText(readOnly
                            ? QStringLiteral("只读：“文件 → 另存为…”后可以编辑")
                            : QStringLiteral("按 Insert 键或“编辑 → 添加计算单元”添加计算单元"));
    updateTitle();
    updateActions();
}

QWidget* ProjectWindow::dialogParent() {
    return isVisible() ? this : nullptr;
}

bool ProjectWindow::commitEdit() {
    QWidget* editor = table_->currentEditor();
    if (editor == nullptr) {
        return true;
    }
    // Told beside the editor and in the status bar, not in a box: a window taking the focus
    // would end the edit and drop the text.
    if (const QString problem = UnitDelegate::showRefusal(editor); !problem.isEmpty()) {
        editor->setFocus();
        statusBar()->showMessage(problem + QStringLiteral("。请改正，或按 Esc 放弃这次修改。"),
                                 kRefusalMs);
        return false;
    }
    table_->closeCurrentEditor();
    return true;
}

int ProjectWindow::addUnit(const core::Unit& unit) {
    if (readOnly_) {
        showNotice(QStringLiteral("工程是只读的，请先“另存为”一个新文件，再加入计算单元。"));
        return -1;
    }
    if (documents::qs(unit.name).size() > core::kMaxNameLength ||
        documents::qs(unit.location).size() > core::kMaxNameLength) {
        showNotice(QStringLiteral("计算单元的名称和位置最多 %1 个字。").arg(core::kMaxNameLength));
        return -1;
    }
    const int row = model_->rowCount();
    // A unit the project's file could not keep (class D, an area out of range, ...) is refused.
    if (const auto fault = io::unitFault(unit, row + 1)) {
        showNotice(*fault);
        return -1;
    }
    undoStack_->push(new UnitRowsCommand(model_, UnitRowsCommand::Kind::Insert, {{row, unit}},
                                         QStringLiteral("添加计算单元")));
    selectRows({row});
    return row;
}

void ProjectWindow::addNewUnit() {
    if (readOnly_) {
        return;
    }
    core::Unit unit;
    unit.name = core::nextUnitName(model_->project());
    const int row = addUnit(unit);
    table_->setCurrentIndex(model_->index(row, ProjectModel::Location));
}

void ProjectWindow::duplicateUnits() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        return;
    }
    // The copies follow the last unit copied, in their order.
    std::vector<std::pair<int, core::Unit>> copies;
    std::vector<int> copyRows;
    int at = rows.back() + 1;
    for (const int row : rows) {
        core::Unit copy = model_->unit(row);
        copy.name += " 副本";
        copyRows.push_back(at);
        copies.emplace_back(at++, std::move(copy));
    }
    undoStack_->push(new UnitRowsCommand(model_, UnitRowsCommand::Kind::Insert, std::move(copies),
                                         QStringLiteral("复制计算单元")));
    selectRows(copyRows);
}

void ProjectWindow::removeUnits() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        return;
    }
    std::vector<std::pair<int, core::Unit>> removed;
    for (const int row : rows) {
        removed.emplace_back(row, model_->unit(row));
    }
    undoStack_->push(new UnitRowsCommand(model_, UnitRowsCommand::Kind::Remove, std::move(removed),
                                         QStringLiteral("删除计算单元")));
    if (model_->rowCount() > 0) {
        selectRows({std::min(rows.front(), model_->rowCount() - 1)});
    }
}

void ProjectWindow::moveUnits(int delta) {
    const std::vector<int> rows = selectedRows();
    if (rows.empty() || rows.front() + delta < 0 || rows.back() + delta >= model_->rowCount()) {
        return;
    }
    undoStack_->push(new MoveUnitsCommand(
        model_, rows, delta,
        delta < 0 ? QStringLiteral("上移计算单元") : QStringLiteral("下移计算单元")));
    std::vector<int> moved;
    for (const int row : rows) {
        moved.push_back(row + delta);
    }
    selectRows(moved);
}

void ProjectWindow::showTableMenu(const QAbstractItemView* view, QPoint pos) {
    tableMenu_->popup(view->viewport()->mapToGlobal(pos));
}

void ProjectWindow::combineUnits() {
    const std::vector<int> rows = selectedRows();
    if (readOnly_ || !commitEdit()) {
        return;
    }
    const core::Project& before = model_->project();
    const auto combined =
        core::combineUnits(before, std::vector<std::size_t>(rows.begin(), rows.end()));
    if (const auto* refusal = std::get_if<core::CombineRefusal>(&combined)) {
        QMessageBox::warning(dialogParent(), QStringLiteral("合并为组合单元"),
                             documents::combineRefusalText(before, *refusal));
        return;
    }
    // The combined unit takes the first unit's row; the others go.
    const int first = rows.front();
    auto* step = new QUndoCommand(QStringLiteral("合并为组合单元"));
    new ReplaceUnitCommand(model_, first, before.units[static_cast<std::size_t>(first)],
                           std::get<core::Project>(combined).units[static_cast<std::size_t>(first)],
                           QString(), step);
    std::vector<std::pair<int, core::Unit>> removed;
    for (auto row = rows.begin() + 1; row != rows.end(); ++row) {
        removed.emplace_back(*row, before.units[static_cast<std::size_t>(*row)]);
    }
    new UnitRowsCommand(model_, UnitRowsCommand::Kind::Remove, std::move(removed), QString(), step);
    undoStack_->push(step);
    selectRows({first});
}

void ProjectWindow::splitUnits() {
    if (readOnly_ || !commitEdit()) {
        return;
    }
    std::vector<int> rows = selectedRows();
    std::erase_if(rows, [this](int row) { return !model_->unit(row).combined(); });
    if (rows.empty()) {
        return;
    }
    // From the last, so that the rows of those before stay; each unit's rooms take its row and
    // those after it.
    auto* step = new QUndoCommand(QStringLiteral("拆分组合单元"));
    core::Project project = model_->project();
    std::vector<int> selected;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const auto index = static_cast<std::size_t>(*row);
        const core::Project split = core::splitUnit(project, index);
        const std::size_t count = split.units.size() - project.units.size() + 1;
        new ReplaceUnitCommand(model_, *row, project.units[index], split.units[index], QString(),
                               step);
        std::vector<std::pair<int, core::Unit>> added;
        for (std::size_t i = 1; i < count; ++i) {
            added.emplace_back(*row + static_cast<int>(i), split.units[index + i]);
        }
        new UnitRowsCommand(model_, UnitRowsCommand::Kind::Insert, std::move(added), QString(),
                            step);
        for (int& earlier : selected) {
            earlier += static_cast<int>(count) - 1;
        }
        for (std::size_t i = 0; i < count; ++i) {
            selected.push_back(*row + static_cast<int>(i));
        }
        project = split;
    }
    undoStack_->push(step);
    std::ranges::sort(selected);
    selectRows(selected);
}

void ProjectWindow::editDetails() {
    if (readOnly_) {
        return;
    }
    ProjectDetails before = model_->details();
    std::optional<ProjectDetails> after = askProjectDetails(before);
    if (after && *after != before) {
        undoStack_->push(new ProjectDetailsCommand(model_, std::move(before), std::move(*after)));
    }
}

void ProjectWindow::importPlan() {
    if (readOnly_ || !commitEdit()) {
        return;
    }
    const QString fileName = askPlanFileName();
    if (fileName.isEmpty()) {
        return;
    }
    // Read away from the window; a drawing that takes more than a moment shows that it is being
    // read, and 取消 abandons it.
    QFutureWatcher<std::variant<io::DxfDrawing, QString>> reading;
    QEventLoop waiting;
    connect(&reading, &QFutureWatcherBase::finished, &waiting, &QEventLoop::quit);
    reading.setFuture(runInBackground([fileName] { return io::readDxf(fileName); }));
    if (!reading.isFinished()) {
        QProgressDialog progress(QStringLiteral("正在读取图纸…"), QStringLiteral("取消"), 0, 0,
                                 dialogParent());
        progress.setWindowTitle(QStringLiteral("导入平面图"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(readingProgressAfterMs);
        QTimer::singleShot(readingProgressAfterMs, &progress, &QProgressDialog::show);
        connect(&progress, &QProgressDialog::canceled, &waiting, &QEventLoop::quit);
        waiting.exec();
        if (!reading.isFinished()) {
            return;
        }
    }
    const auto read = reading.result();
    if (const auto* fault = std::get_if<QString>(&read)) {
        showNotice(*fault);
        return;
    }
    // A drawing imported before goes to the floor it went to last.
    const std::vector<std::string> floors =
        core::importedFloors(model_->project(), QFileInfo(fileName).fileName().toStdString());
    const std::optional<io::PlanImportInput> input =
        askPlanImport(fileName, std::get<io::DxfDrawing>(read),
                      floors.empty() ? QString() : documents::qs(floors.back()));
    if (!input) {
        return;
    }
    const core::Project& before = model_->project();
    const core::PlanImportResult result = core::importPlan(before, input->plan);
    const core::PlanChanges& changes = result.changes;
    if (!changes.changesProject()) {
        showNotice(QStringLiteral("平面图“%1”中的房间都已导入，且没有变化。")
                       .arg(QFileInfo(fileName).fileName()));
        return;
    }
    if (!changes.updated.empty()) {
        QStringList names;
        for (const std::size_t i : changes.updated) {
            names << documents::qs(before.units[i].name);
        }
        constexpr qsizetype kNamed = 10;
        QString listed = names.mid(0, kNamed).join(QStringLiteral("、"));
        if (names.size() > kNamed) {
            listed += QStringLiteral(" 等");
        }
        const QString text = QStringLiteral(
                                 "已从此图纸导入的 %1 个计算单元（%2）的轮廓或面积将按图纸更新，"
                                 "名称、位置和其他选项不变。是否继续？")
                                 .arg(names.size())
                                 .arg(listed);
        if (!askUpdateUnits(text)) {
            return;
        }
    }
    // One step: the units brought up to date, then the new ones after the last unit.
    auto* step = new QUndoCommand(QStringLiteral("导入平面图"));
    for (const std::size_t i : changes.updated) {
        new ReplaceUnitCommand(model_, static_cast<int>(i), before.units[i],
                               result.project.units[i], QString(), step);
    }
    std::vector<std::pair<int, core::Unit>> added;
    std::vector<int> rows;
    for (const std::size_t i : changes.added) {
        added.emplace_back(static_cast<int>(i), result.project.units[i]);
        rows.push_back(static_cast<int>(i));
    }
    if (!added.empty()) {
        new UnitRowsCommand(model_, UnitRowsCommand::Kind::Insert, std::move(added), QString(),
                            step);
    }
    if (changes.doorsChanged || changes.floorsChanged) {
        new DoorsCommand(model_, before, result.project, step);
    }
    undoStack_->push(step);
    // Units placed before whose points no longer reach the whole of the new outline.
    std::vector<int> stale;
    for (const std::size_t i : changes.updated) {
        rows.push_back(static_cast<int>(i));
        const core::Unit& unit = model_->unit(static_cast<int>(i));
        if (const auto& cover = model_->unitDesign(static_cast<int>(i)).cover;
            !unit.setPoints.empty() && cover && !cover->proven) {
            stale.push_back(static_cast<int>(i));
        }
    }
    std::sort(rows.begin(), rows.end());
    selectRows(rows);
    std::sort(stale.begin(), stale.end());
    if (!stale.empty() &&
        askReplace(QStringLiteral("导入改变了 %1 个已布置设置点的计算单元，其设置点已不能覆盖"
                                  "全部平面。是否重新布置？")
                       .arg(stale.size()))) {
        placeRows(stale);
        selectRows(rows);
    }
}

void ProjectWindow::placeSettingPoints() {
    if (readOnly_ || !commitEdit()) {
        return;
    }
    std::vector<int> rows;
    for (const int row : selectedRows()) {
        if (core::hasPlan(model_->unit(row))) {
            rows.push_back(row);
        }
    }
    if (rows.empty()) {
        showNotice(QStringLiteral("所选计算单元没有平面轮廓，请先导入平面图。"));
        return;
    }
    placeRows(rows);
}

void ProjectWindow::placeAfresh() {
    const int row = planView_->menuRow();
    if (readOnly_ || row < 0 || !commitEdit()) {
        return;
    }
    const core::Unit& unit = model_->unit(row);
    const QString text = unit.setPoints.empty()
                             ? QStringLiteral("将在计算单元“%1”中重新布置设置点。是否继续？")
                                   .arg(documents::qs(unit.name))
                             : QStringLiteral(
                                   "将清除计算单元“%1”的全部 %2 个设置点（包括手动设置点），"
                                   "并重新布置。是否继续？")
                                   .arg(documents::qs(unit.name))
                                   .arg(static_cast<qulonglong>(unit.setPoints.size()));
    if (askPlaceAfresh(text)) {
        placeRows({row}, true);
    }
}

void ProjectWindow::placeRows(const std::vector<int>& rows, bool afresh) {
    const auto total = static_cast<int>(rows.size());
    // The bar moves within a unit too, and 取消 stops a unit that takes long.
    constexpr int kStepsPerUnit = 100;
    QProgressDialog progress(QStringLiteral("正在布置设置点…"), QStringLiteral("取消"), 0,
                             total * kStepsPerUnit, dialogParent());
    progress.setWindowTitle(QStringLiteral("布置设置点"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(placingProgressAfterMs);
    // Placed afresh, the units are placed as copies without their points.
    std::vector<core::Unit> cleared;
    std::vector<std::size_t> which(rows.begin(), rows.end());
    if (afresh) {
        for (const int row : rows) {
            core::Unit& unit = cleared.emplace_back(model_->unit(row));
            unit.setPoints.clear();
            unit.handSet.clear();
        }
        std::iota(which.begin(), which.end(), std::size_t{0});
    }
    const core::UnitsPlaced outcome =
        core::placeUnits(afresh ? cleared : model_->project().units, which,
                         core::PlaceAgain::Always, [&progress](std::size_t position, double done) {
                             // setValue() alone lets events through only when the value changes.
                             const int value = static_cast<int>(position) * kStepsPerUnit +
                                               static_cast<int>(done * (kStepsPerUnit - 1));
                             if (value != progress.value()) {
                                 progress.setValue(value);
                             }
                             QCoreApplication::processEvents();
                             return !progress.wasCanceled();
                         });
    if (outcome.stopped) {
        return;  // nothing changes
    }
    progress.setValue(total * kStepsPerUnit);
    QStringList unconfigurable;
    QStringList tooMany;
    QStringList uncovered;
    QStringList handSetShort;
    std::vector<std::pair<int, core::Unit>> placed;
    int placedUnits = 0;
    std::size_t placedPoints = 0;
    for (const core::UnitPlaced& result : outcome.units) {
        const int row = afresh ? rows[result.unit] : static_cast<int>(result.unit);
        const QString name = documents::qs(model_->unit(row).name);
        switch (result.outcome) {
            case core::UnitPlacing::Kept:
            case core::UnitPlacing::KeptStale:
                break;  // every unit is placed again
            case core::UnitPlacing::TooLarge:
            case core::UnitPlacing::TooIntricate:
            case core::UnitPlacing::TooManyPoints:
                tooMany << name;
                break;
            case core::UnitPlacing::Unconfigurable:
                unconfigurable << name;
                break;
            case core::UnitPlacing::HandSetShort:
                handSetShort << name;
                break;
            case core::UnitPlacing::NotCovered:
                uncovered << name;
                [[fallthrough]];
            case core::UnitPlacing::Proven:
                ++placedUnits;
                placedPoints += result.points.size();
                if (afresh ? result.points != model_->unit(row).setPoints ||
                                 result.handSet != model_->unit(row).handSet
                           : result.changed) {
                    core::Unit after = model_->unit(row);
                    after.setPoints = result.points;
                    after.handSet = result.handSet;
                    placed.emplace_back(row, std::move(after));
                }
                break;
        }
    }
    if (!placed.empty()) {
        auto* step =
            new QUndoCommand(afresh ? QStringLiteral("重新布置") : QStringLiteral("布置设置点"));
        for (auto& [row, after] : placed) {
            new ReplaceUnitCommand(model_, row, model_->unit(row), std::move(after), QString(),
                                   step);
        }
        undoStack_->push(step);
    }
    QStringList notes;
    if (!unconfigurable.isEmpty()) {
        notes << QStringLiteral("计算单元%1不能配置，未布置设置点。")
                     .arg(listedNames(unconfigurable));
    }
    if (!tooMany.isEmpty()) {
        notes << QStringLiteral(
                     "计算单元%1过大或轮廓过于复杂（面积超过 %2 m²、轮廓超过 %3 个顶点"
                     "或需要超过 %4 个设置点），未布置，应划分为多个计算单元。")
                     .arg(listedNames(tooMany))
                     .arg(core::kMaxPlacedArea)
                     .arg(core::kMaxPlacedVertices)
                     .arg(core::kMaxPoints);
    }
    if (!uncovered.isEmpty()) {
        notes << QStringLiteral("计算单元%1的").arg(listedNames(uncovered)) +
                     documents::notCoveredText() + u'。';
    }
    if (!handSetShort.isEmpty()) {
        notes << QStringLiteral(
                     "计算单元%1的手动设置点补充设置点后仍未能覆盖全部平面，"
                     "已保留原设置点，请在平面图上检查。")
                     .arg(listedNames(handSetShort));
    }
    QString said = QStringLiteral("已布置 %1 个计算单元，共 %2 个设置点")
                       .arg(placedUnits)
                       .arg(static_cast<qulonglong>(placedPoints));
    if (!uncovered.isEmpty()) {
        said += QStringLiteral("；%1 个未能完全覆盖").arg(uncovered.size());
    }
    if (const auto skipped = unconfigurable.size() + tooMany.size() + handSetShort.size();
        skipped > 0) {
        said += QStringLiteral("；%1 个未布置").arg(skipped);
    }
    statusBar()->showMessage(said, kPlacedMs);
    if (!notes.isEmpty()) {
        showNotice(notes.join(u'\n'));
    }
}

bool ProjectWindow::openFile(const QString& fileName) {
    return file_->open(fileName);
}

void ProjectWindow::addFileActions(const QList<QAction*>& actions) {
    fileMenu_->insertActions(closeSeparator_, actions);
}

bool ProjectWindow::offerRecoveryCopies() {
    return file_->offerRecoveryCopies();
}

void ProjectWindow::closeEvent(QCloseEvent* event) {
    if (!file_->settleChanges()) {
        event->ignore();
        return;
    }
    saveLayout();
    file_->close();
    event->accept();
}

}  // namespace ui
