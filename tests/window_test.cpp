// The calculator window offscreen, driven as a user drives it: clicks, keys, an input method,
// the clipboard and accessibility actions. Its saved choices go to a temporary folder.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>

#include "app_identity.h"
#include "area_input.h"
#include "result_table.h"
#include "test_support.h"
#include "torva.h"

using namespace Qt::StringLiterals;

namespace {

using ui::kAreaRatingCol;
namespace op = ui::op;
namespace op1 = ui::op1;
using Indices = std::vector<std::int16_t>;
using Cell = std::pair<int, int>;

// A click on the button's indicator, as a user makes it.
void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// The checked options of an array, in index order.
Indices checked(const torva::Options& buttons) {
    Indices indices;
    for (const auto& [index, button] : buttons) {
        if (button->isChecked()) {
            indices.push_back(index);
        }
    }
    return indices;
}

// While it lives, answers every modal message box with the button of the given text, or closes it;
// keeps what the first box showed (its texts and buttons', each followed by "|") and how many came.
struct BoxAnswerer {
    explicit BoxAnswerer(const QString& answer = {}) {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            auto* message = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (message == nullptr) {
                return;
            }
            QAbstractButton* chosen = nullptr;
            for (QAbstractButton* b : message->buttons()) {
                seen += shown == 0 ? b->text() + u'|' : QString();
                chosen = b->text() == answer ? b : chosen;
            }
            seen += shown++ == 0 ? message->text() + u'|' + message->informativeText() : QString();
            chosen != nullptr ? chosen->click() : void(message->close());
        });
        timer.start(10);
    }
    int shown = 0;
    QString seen;
    QTimer timer;
};

class WindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { app::useChineseTexts(); }

    void SetUp() override {
        ASSERT_TRUE(settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        open();
    }

    // Loads and shows a new window, as start-up does.
    void open() {
        window = std::make_unique<torva>();
        resultSpy = std::make_unique<QSignalSpy>(window.get(), &torva::resultShown);
        window->Form_Load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // Closes the window and opens a new one over what it saved, or over the file given.
    void reopen(const std::optional<QByteArray>& ini = std::nullopt) {
        window->close();
        window.reset();
        if (ini) {
            tests::writeFile(iniPath, *ini);
        }
        open();
    }

    // How many results the window has calculated and drawn.
    [[nodiscard]] int resultsShown() const { return static_cast<int>(resultSpy->count()); }
    [[nodiscard]] bool saved(const char* l) const { return tests::readFile(iniPath).contains(l); }

    // The options by the window's names for their arrays.
    [[nodiscard]] QRadioButton* Op1(std::int16_t index) const { return window->Op1.at(index); }
    [[nodiscard]] QRadioButton* Op(std::int16_t index) const { return window->Op.at(index); }

    [[nodiscard]] std::string text(int r, int c) const {
        return window->fa->store().TextMatrix(r, c);
    }

    [[nodiscard]] QPoint cellCentre(int row, int col) const {
        window->fa->refresh();
        return window->fa->visualRect(window->fa->model()->index(row, col)).center();
    }

    void clickCell(int row, int col, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(window->fa->viewport(), Qt::LeftButton, modifiers, cellCentre(row, col));
    }

    // Types into the area box as a user does; the edit is finished only by the key given, if any.
    void typeArea(const char* area, Qt::Key finish = Qt::Key_unknown) {
        window->tx->setFocus(Qt::TabFocusReason);
        window->tx->selectAll();
        QTest::keyClicks(window->tx, QString::fromUtf8(area));
        if (finish != Qt::Key_unknown) {
            QTest::keyClick(window->tx, finish);
        }
    }

    QTemporaryDir settingsDir;
    const QString iniPath = settingsDir.filePath(u"narwe.ini"_s);
    std::unique_ptr<torva> window;
    std::unique_ptr<QSignalSpy> resultSpy;
};

const Indices kFirstStartOp1 = {op1::kClassA, op1::kMedium, op1::kFactor09};

// Qt's own texts are Chinese and QLocale() is zh_CN. Outside Windows the time locale, which the
// file dialog's dates follow, becomes Chinese before the application starts, the other categories
// staying as they were.
TEST_F(WindowTest, QtsOwnTextsAndDatesAreChinese) {
    EXPECT_EQ(QLocale().name(), u"zh_CN"_s);
    const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), u"取消"_s);
#ifndef Q_OS_WIN
    const char* const names[] = {"LC_ALL", "LC_TIME", "LANG"};
    // The three variables before and after.
    using Values = std::array<QByteArray, 3>;
    const std::pair<Values, Values> cases[] = {
        {{"C.UTF-8", "", "en_US.UTF-8"}, {"", "zh_CN.UTF-8", "C.UTF-8"}},
        {{"", "", "C.UTF-8"}, {"", "zh_CN.UTF-8", "C.UTF-8"}},
        {{"", "en_GB.UTF-8", "zh_CN.UTF-8"}, {"", "zh_CN.UTF-8", "zh_CN.UTF-8"}},
        {{"", "", "zh_CN.UTF-8"}, {"", "", "zh_CN.UTF-8"}},
    };
    const Values kept{qgetenv(names[0]), qgetenv(names[1]), qgetenv(names[2])};
    const auto set = [&names](const Values& values) {
        for (std::size_t i = 0; i < 3; ++i) {
            values[i].isEmpty() ? qunsetenv(names[i]) : qputenv(names[i], values[i]);
        }
    };
    for (const auto& [before, after] : cases) {
        SCOPED_TRACE((before[0] + "/" + before[1] + "/" + before[2]).toStdString());
        set(before);
        app::useChineseDates();
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(qgetenv(names[i]).toStdString(), after[i].toStdString()) << names[i];
        }
    }
    set(kept);
#endif
}

// The first start shows the phosphate powder's table. A fire class enables the agents it allows
// and moves a chosen agent it does not (class D: AccessibilityActionsChooseAsClicksDo).
TEST_F(WindowTest, FirstStartAndFireClassesEnableTheirAgents) {
    EXPECT_EQ(checked(window->Op1), kFirstStartOp1);
    EXPECT_EQ(checked(window->Op), (Indices{op::kPhosphatePowder, op::kAboveGround}));
    EXPECT_FALSE(Op(op::kCarbonDioxide)->isEnabled() || Op(op::kSodiumPowder)->isEnabled());
    // The shading of an adequate model.
    const QImage shot = window->grab().toImage();
    if (const QString folder = qEnvironmentVariable("PREVIEW_PICTURES"); !folder.isEmpty()) {
        shot.save(QDir(folder).filePath(u"calculator.png"_s));  // to be looked at
    }
    const QRect adequate = window->fa->visualRect(window->fa->model()->index(4, 1));
    const QPoint inside = window->fa->viewport()->mapTo(window.get(), adequate.topLeft());
    EXPECT_EQ(shot.pixelColor(inside + QPoint(3, 3)), QColor(255, 224, 224));

    click(Op1(op1::kClassB));
    EXPECT_TRUE(Op(op::kCarbonDioxide)->isEnabled() && Op(op::kSodiumPowder)->isEnabled());
    click(Op(op::kFoam));
    click(Op1(op1::kClassC));
    EXPECT_TRUE(Op(op::kPhosphatePowder)->isChecked());
    EXPECT_FALSE(Op(op::kFoam)->isEnabled() || Op(op::kWater)->isEnabled());
    // Water's and halon's captions have colours of their own; disabled, they grey as foam's does.
    const auto grey = [this](std::int16_t a) {
        return Op(a)->palette().color(QPalette::Disabled, QPalette::WindowText);
    };
    EXPECT_TRUE(grey(op::kWater) == grey(op::kFoam) && grey(op::kHalon) == grey(op::kFoam));
}

// Ticked, the box keeps every choice over a restart, each option under "op" and its index (Op1's
// from 10); unticked, it saves only its own state.
TEST_F(WindowTest, ChoicesSurviveARestartOnlyWhenTheBoxIsTicked) {
    click(Op1(op1::kClassB));  // which allows every agent
    window->tx->setText(u"2500"_s);
    for (const auto& [array, first, count] :
         {std::tuple{&torva::Op, 0, 8}, {&torva::Op1, 10, 13}}) {
        for (std::int16_t i = 0; i < count; ++i) {
            if (first == 0 || i != op1::kClassD) {
                click(((*window).*array).at(i));
                reopen();
                EXPECT_TRUE(((*window).*array).at(i)->isChecked() &&
                            saved(("op" + QByteArray::number(first + i) + "=True").constData()))
                    << first + i;
            }
        }
    }
    EXPECT_EQ(window->tx->text(), u"2500"_s);
    EXPECT_EQ(text(1, kAreaRatingCol), "1500(1500)");

    click(window->Check1);
    click(Op1(op1::kClassC));
    reopen();
    EXPECT_FALSE(window->Check1->isChecked());
    EXPECT_TRUE(Op1(op1::kClassE)->isChecked());
    EXPECT_TRUE(saved("check=0"));
}

// Damaged saved values are skipped; saved choices that contradict each other or leave a group
// empty fall back to one choice per group, without a message.
TEST_F(WindowTest, DamagedOrContradictingSavedChoicesFallBackToOneChoicePerGroup) {
    using namespace op1;
    using namespace op;
    struct Case {
        const char* name;
        QByteArray ini;  // keys of the window's section, separated by blanks; else the whole file
        Indices op1, op;
    };
    QByteArray noise;
    for (int i = 0; i < 4096; ++i) {
        noise += static_cast<char>((i * 7919 + 13) % 256);
    }
    // clang-format off
    const Case cases[] = {
        {"noise", noise, kFirstStartOp1, {kPhosphatePowder, kAboveGround}},
        {"every agent false", "op0=False op1=False op2=False op3=False op4=False op5=False op11=True", {kClassB, kMedium, kFactor09}, {kPhosphatePowder, kAboveGround}},
        {"carbon dioxide under class A", "op10=True op0=True op4=False", kFirstStartOp1, {kPhosphatePowder, kAboveGround}},
        {"no hazard, no building", "op13=False op14=False op15=False op6=0 op7=0", kFirstStartOp1, {kPhosphatePowder, kAboveGround}},
        {"class D never stays", "op10=False op20=True op5=True", kFirstStartOp1, {kHalon, kAboveGround}},
        {"damaged values", "op10=maybe op11=true op14=0 op15=-1 op4= op5=1 check=7 tx=1,5", {kClassB, kSerious, kFactor09}, {kHalon, kAboveGround}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray ini = "[tool]\n";
        for (const QByteArray& key : c.ini.split(' ')) {
            ini += "torva\\" + key + "\n";
        }
        const BoxAnswerer box;  // nor has the window before, closed over the file, told a failure
        reopen(c.ini.startsWith("op") ? ini : c.ini);
        EXPECT_EQ(box.shown, 0);
        EXPECT_EQ(checked(window->Op1), c.op1);
        EXPECT_EQ(checked(window->Op), c.op);
        EXPECT_EQ(resultsShown(), 1);
        EXPECT_FALSE(window->fa->store().rowHidden(1));
    }
    // The damaged file leaves the box ticked and the area as written; the close writes it whole.
    EXPECT_TRUE(window->Check1->isChecked());
    EXPECT_EQ(window->tx->text(), u"1,5"_s);
    window->close();
    for (const char* line : {"op10=False", "op11=True", "op4=False", "check=1"}) {
        EXPECT_TRUE(saved(line)) << line;
    }
}

TEST_F(WindowTest, AFailedSaveIsToldAndCancelKeepsTheWindow) {
    ASSERT_TRUE(QDir().mkdir(iniPath));  // a folder in the file's place: even root cannot write
    const BoxAnswerer box(u"取消"_s);
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(box.shown, 1);
    for (const QString& seen : {u"重试|"_s, u"不保存退出|"_s, u"取消|"_s, u"该位置是一个文件夹"_s,
                                QDir::toNativeSeparators(iniPath)}) {
        EXPECT_TRUE(box.seen.contains(seen)) << seen.toStdString();
    }

    ASSERT_TRUE(QDir().rmdir(iniPath));
    click(Op1(op1::kClassB));
    const BoxAnswerer retry;
    window->close();  // the store is writable again: closes at once
    EXPECT_EQ(retry.shown, 0) << "the retry was told a failure";
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(saved("op11=True"));
}

// A click or a key moves the current cell and its bold headings with it.
TEST_F(WindowTest, ClicksFrameTheCellBoldenItsHeadingsAndLeaveTheHighlightOff) {
    const auto bold = [this](int row, int col) { return window->fa->store().cell(row, col).bold; };
    clickCell(3, 2);
    ASSERT_EQ(Cell(window->fa->Row(), window->fa->Col()), Cell(3, 2));
    EXPECT_TRUE(bold(3, 0) && bold(0, 2));
    clickCell(5, 4);
    EXPECT_FALSE(bold(3, 0) || bold(0, 2));
    EXPECT_TRUE(bold(5, 0) && bold(0, 4));
    QTest::keyClick(window->fa, Qt::Key_Down);
    const int below = window->fa->Row();
    EXPECT_TRUE(below > 5 && !bold(5, 0) && bold(below, 0) && bold(0, 4)) << below;

    // A press and release on one cell, inside column 5's block over rows 1 to 12 or on a heading.
    for (const auto& [row, col] : {Cell{3, 2}, Cell{3, kAreaRatingCol}, Cell{0, 2}}) {
        clickCell(row, col);
        EXPECT_EQ(window->fa->HighLight(), 0) << row << "," << col;
    }
    // A drag across cells ends with the selection highlighted.
    QWidget* viewport = window->fa->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, cellCentre(5, 4));
    QTest::mouseMove(viewport, cellCentre(6, 3));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellCentre(6, 3));
    EXPECT_EQ(window->fa->HighLight(), 2);
    QTest::mouseMove(viewport, cellCentre(2, 2));
    EXPECT_EQ(window->fa->toolTip(), u"MF/ABC2"_s);
}

// Every event ends in exactly one calculation drawn into the grid as one change of its store.
TEST_F(WindowTest, EachEventCalculatesAndDrawsOnce) {
    EXPECT_EQ(resultsShown(), 1) << "start-up";
    window->activateWindow();
    const auto once = [this](const std::string& name, const std::function<void()>& event) {
        const int shown = resultsShown();
        const QSignalSpy changes(window->fa, &grid::GridWidget::storeChanged);
        event();
        EXPECT_EQ(resultsShown() - shown, 1) << name;
        EXPECT_EQ(changes.count(), 1) << name;
    };
    // Class B, carbon dioxide, another agent after the focus, class A that moves the agent, K.
    for (QRadioButton* option : {Op1(op1::kClassB), Op(op::kCarbonDioxide), Op(op::kSodiumPowder),
                                 Op1(op1::kClassA), Op1(op1::kFactor05)}) {
        once(option->text().toStdString(), [option] { click(option); });
    }
    once("arrow key", [this] { QTest::keyClick(Op1(op1::kFactor05), Qt::Key_Down); });
    once("building", [this] { click(Op(op::kEntertainment)); });
    once("area, Enter", [this] { typeArea("2000", Qt::Key_Return); });
    once("area, Tab", [this] { typeArea("300", Qt::Key_Tab); });
    EXPECT_TRUE(Op(op::kPhosphatePowder)->isChecked());
    EXPECT_TRUE(Op1(op1::kFactor03)->isChecked()) << "the arrow key chose the next K";
    EXPECT_EQ(text(1, kAreaRatingCol), "2(1.56)");  // 0.3 x 1.3 x 300 / 75
    // Typing calculates nothing until the focus leaves the area box; its context menu, in
    // Chinese, takes the focus for a while, and the edit is not finished.
    once("area, its menu, then the focus elsewhere", [this] {
        typeArea("3000");
        const int typed = resultsShown();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(5, 5),
                               window->tx->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(window->tx, &menu);
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        EXPECT_TRUE(popup->actions().value(0)->text().contains(u"撤"_s));
        popup->close();
        EXPECT_TRUE(window->tx->hasFocus() && resultsShown() == typed);
        window->Check1->setFocus(Qt::TabFocusReason);
    });
    once("class D and its return to class A", [this] {
        const BoxAnswerer box;
        click(Op1(op1::kClassD));
        QTRY_COMPARE(box.shown, 1);
    });
}

// The sheet button says why it cannot be used. An area only partly read looks like a warning and
// its tool tip says how it is read (else it shows the text); one typed through a Chinese input
// method reads as typed.
TEST_F(WindowTest, TheSheetButtonSaysWhyItCannotBeUsedAndAPartlyReadAreaWarns) {
    const std::tuple<const char*, std::int16_t, bool, const char*> cases[] = {
        {"1500", op::kPhosphatePowder, true, "按当前的计算结果"},
        {"-5", op::kPhosphatePowder, false, "面积无法计算"},
        {"0", op::kPhosphatePowder, false, "需配灭火级别为 0"},
        {"1500", op::kHalon, false, "没有满足最低配置基准"},  // halon, class A, medium hazard
        // The grid shows 0(0), but the exact requirement is 1A.
        {"0.001", op::kPhosphatePowder, true, "按当前的计算结果"},
        // A partly read area is not documented (a trailing unit is no fault: AreaInput).
        {"1,500", op::kPhosphatePowder, false, "建筑面积只有开头的“1”是数字，请改正后再编制计算书"},
        {"1000m2", op::kPhosphatePowder, true, "按当前的计算结果"},
    };
    window->activateWindow();
    const QColor plain = window->tx->palette().color(QPalette::Base);
    int x = 0;  // where the mouse moves onto the area box, each time elsewhere
    for (const auto& [area, agent, enabled, why] : cases) {
        SCOPED_TRACE(area);
        click(Op(agent));
        window->tx->setText(QString::fromUtf8(area));
        QTest::keyClick(window->tx, Qt::Key_Return);
        EXPECT_EQ(window->sheetButton->isEnabled(), enabled);
        EXPECT_EQ(window->sheetAction->isEnabled(), enabled);
        EXPECT_TRUE(window->sheetButton->toolTip().contains(QString::fromUtf8(why))) << why;
        const QString note = ui::areaReadingNote(QString::fromUtf8(area));
        EXPECT_EQ(window->tx->palette().color(QPalette::Base) != plain, !note.isEmpty());
        QTest::mouseMove(window->tx, QPoint(5 + (x++ % 2), 5));
        EXPECT_EQ(window->tx->toolTip(), note.isEmpty() ? QString::fromUtf8(area) : note);
    }

    // Full width behind a zero-width space, as an input method hands it over (AreaInput reads the
    // characters).
    window->tx->setFocus(Qt::TabFocusReason);
    window->tx->clear();
    QInputMethodEvent committed;
    committed.setCommitString(u"\u200B１５００"_s);
    QApplication::sendEvent(window->tx, &committed);
    QTest::keyClick(window->tx, Qt::Key_Return);
    EXPECT_EQ(window->tx->text(), u"1500"_s);
    EXPECT_EQ(text(1, kAreaRatingCol), "18(18)");
}

// Water's seven models: the table goes to the clipboard as tab-separated text and HTML, Ctrl+C
// copies the selection, and a screen reader meets the seven rows.
TEST_F(WindowTest, SevenModelsCopiedAndReadOutAsShown) {
    click(Op(op::kWater));  // seven models: rows 8 to 12 hidden
    window->copyTableAction->trigger();
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    const QStringList lines = copied->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8) << "the headings and seven models";
    EXPECT_TRUE(lines[0].startsWith(u"\t灭火剂充装量"_s)) << "no blanks in the corner";
    EXPECT_EQ(lines[1], u"手提式\t3L\tMS/T3\t1A\t12\t12(12)"_s);
    EXPECT_TRUE(lines[2].startsWith(u"手提式\t"_s)) << "a block repeats its text";
    EXPECT_TRUE(copied->html().contains(u"<td>MS/T3</td>"_s));

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    clickCell(2, 1);
    clickCell(3, 2, Qt::ShiftModifier);
    QTest::keyClick(window->fa, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), u"6L\tMS/T6\n9L\tMS/T9\n"_s);

    // A screen reader meets only the rows on screen, with their headings and spans.
    window->fa->refresh();
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(window->fa);
    QAccessibleTableInterface* table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 7);
    EXPECT_EQ(table->cellAt(7, 0), nullptr) << "no eighth row";
    for (int i = 0; i < grid->childCount(); ++i) {
        QAccessibleInterface* cell = grid->child(i);
        EXPECT_FALSE(cell->state().invisible || cell->rect().height() <= 0) << i;
        EXPECT_EQ(grid->indexOfChild(cell), i);
    }
    // Water's rating of row 3 ("MS/T9", "2A"), headed.
    QAccessibleTableCellInterface* rating = table->cellAt(2, ui::kRatingCol)->tableCellInterface();
    ASSERT_EQ(rating->columnHeaderCells().size(), 1);
    EXPECT_EQ(rating->columnHeaderCells()[0]->text(QAccessible::Name), u"灭火级别 (A类 )"_s);
    EXPECT_EQ(rating->rowHeaderCells()[0]->text(QAccessible::Name), u"手提式"_s);

    const std::tuple<int, int, int, const char*> spans[] = {
        // row, column, rows, text; a covered cell answers with its block
        {0, ui::kMountCol, 3, "手提式"},
        {2, ui::kMountCol, 3, "手提式"},
        {3, ui::kMountCol, 4, "推车式"},
        {6, kAreaRatingCol, 7, "12(12)"}};
    for (const auto& [row, col, rows, name] : spans) {
        QAccessibleInterface* at = table->cellAt(row, col);
        EXPECT_EQ(at->text(QAccessible::Name), QString::fromUtf8(name));
        EXPECT_EQ(at->tableCellInterface()->rowExtent(), rows) << name;
    }
    EXPECT_EQ(table->cellAt(0, ui::kMountCol), table->cellAt(2, ui::kMountCol));
}

// What a screen-reader user meets: choices made through accessibility actions act as clicks.
TEST_F(WindowTest, AccessibilityActionsChooseAsClicksDo) {
    const auto toggle = [](QWidget* button) {
        QAccessibleInterface* option = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(option->actionInterface(), nullptr);
        option->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    torva byMouse;
    const QSignalSpy byMouseShown(&byMouse, &torva::resultShown);
    byMouse.Form_Load();
    byMouse.show();
    const std::pair<bool, std::int16_t> steps[] = {
        // in the fire array?, option
        {false, op::kFoam},    {true, op1::kClassC},        {false, op::kCarbonDioxide},
        {true, op1::kSerious}, {false, op::kEntertainment}, {true, op1::kClassA}};
    for (const auto& [fireArray, index] : steps) {
        toggle((fireArray ? window->Op1 : window->Op).at(index));
        click((fireArray ? byMouse.Op1 : byMouse.Op).at(index));
        EXPECT_TRUE(window->choices() == byMouse.choices()) << index;
        EXPECT_EQ(resultsShown(), byMouseShown.count()) << index;
    }
    // Class D: the action returns while the message is open, so that the assistive tool is not
    // held up; closing the message returns to class A.
    const int shown = resultsShown();
    const BoxAnswerer box(u"确定"_s);
    toggle(Op1(op1::kClassD));
    EXPECT_EQ(box.shown, 0) << "the action waited for the message to be closed";
    EXPECT_TRUE(Op1(op1::kClassD)->isChecked());
    QTRY_COMPARE(box.shown, 1);
    EXPECT_TRUE(box.seen.contains(u"D类火灾场所的灭火器最低配置基准"_s)) << box.seen.toStdString();
    EXPECT_EQ(checked(window->Op1), (Indices{op1::kClassA, op1::kSerious, op1::kFactor09}));
    EXPECT_EQ(resultsShown(), shown + 1);
}

// The area box's text, read as typed.
TEST(AreaInput, FullWidthFormsBecomeAsciiAndInvisibleCharactersGo) {
    // clang-format off
    const std::pair<const char16_t*, const char16_t*> cases[] = {  // full width; invisible spaces
        {u"１０００", u"1000"}, {u"１２．５", u"12.5"}, {u"－１Ｅ３", u"-1E3"}, {u"＋５　ｍ２", u"+5 m2"},
        {u"１，０００", u"1,000"}, {u"平方米", u"平方米"}, {u"\u00A01000", u"1000"}, {u"\u200B1000", u"1000"},
        {u"\u200E1000", u"1000"}, {u"1\u202F000", u"1000"}};  // left-to-right mark, narrow no-break
    // clang-format on
    for (const auto& [typed, shown] : cases) {
        EXPECT_EQ(ui::normalizedArea(QString::fromUtf16(typed)), QString::fromUtf16(shown))
            << QString::fromUtf16(typed).toStdString();
    }
}

TEST(AreaInput, TellsHowAPartlyReadAreaIsRead) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"1,000", "按 1 m² 计算：只有开头的“1”是数字"}, {"0x10", "按 0 m² 计算：只有开头的“0”是数字"},
        {"12.5.3", "按 12.5 m² 计算：只有开头的“12.5”是数字"}, {"1 000x", "按 1000 m² 计算：只有开头的“1 000”是数字"},
        {"abc", "不是数字，按 0 m² 计算"}, {"NaN", "不是数字，按 0 m² 计算"},
        {"inf", "不是数字，按 0 m² 计算"}, {"-", "不是数字，按 0 m² 计算"},
        {"1000", ""}, {" 1000 ", ""}, {"1000m2", ""}, {"1000 m²", ""}, {"1000㎡", ""}, {"1000平方米", ""},
        {"1E400", ""},  // the grid says the area is out of range
        {"", ""}, {"   ", ""},
    };
    // clang-format on
    for (const auto& [text, note] : cases) {
        EXPECT_EQ(ui::areaReadingNote(QString::fromUtf8(text)), QString::fromUtf8(note)) << text;
    }
}

}  // namespace
