#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <set>

#include "calculation_sheet.h"
#include "result_table.h"
#include "torva.h"

namespace {

using ui::kAreaRatingCol;
using ui::kCountCol;
namespace op = core::op;
namespace op1 = core::op1;

class WindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ui::useChineseTexts(); }

    void SetUp() override {
        ASSERT_TRUE(settingsDir.isValid());
        ui::useSettingsFolder(settingsDir.path());
        open();
    }

    // Loads and shows a new window, as start-up does.
    void open() {
        window = std::make_unique<torva>();
        window->Form_Load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void closeAndReopen() {
        window->close();
        window.reset();
        open();
    }

    [[nodiscard]] QString iniText() const {
        QFile file(settingsDir.filePath(QStringLiteral("narwe.ini")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void writeIni(const QByteArray& text) {
        QFile file(settingsDir.filePath(QStringLiteral("narwe.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    // A click on the button's indicator, as a user makes it.
    static void click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    [[nodiscard]] std::string text(int row, int col) const {
        return window->fa->store().TextMatrix(row, col);
    }

    [[nodiscard]] QPoint cellCentre(int row, int col) const {
        window->fa->refresh();
        return window->fa->visualRect(window->fa->model()->index(row, col)).center();
    }

    [[nodiscard]] std::vector<std::int16_t> checkedOptions(
        const std::map<std::int16_t, QRadioButton*>& buttons) const {
        std::vector<std::int16_t> checked;
        for (const auto& [index, button] : buttons) {
            if (button->isChecked()) {
                checked.push_back(index);
            }
        }
        return checked;
    }

    QTemporaryDir settingsDir;
    std::unique_ptr<torva> window;
};

TEST_F(WindowTest, FirstStartShowsThePhosphatePowderTable) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("灭火器配置计算(新规)") +
                                         QString(16, QLatin1Char(' ')) +
                                         QStringLiteral("[依据GB 50140-2005编制]"));
    EXPECT_EQ(window->windowTitle().section(QLatin1Char('['), 1).size(), 18);
    EXPECT_EQ(checkedOptions(window->Op1), (std::vector<std::int16_t>{0, 4, 7}));
    EXPECT_EQ(checkedOptions(window->Op), (std::vector<std::int16_t>{4, 7}));
    EXPECT_FALSE(window->Op[op::kCarbonDioxide]->isEnabled());
    EXPECT_FALSE(window->Op[op::kSodiumPowder]->isEnabled());
    EXPECT_TRUE(window->Check1->isChecked());
    EXPECT_EQ(window->tx->text(), QStringLiteral("1000"));
    EXPECT_EQ(text(0, 3), "灭火级别 (A类 )");
    EXPECT_EQ(text(1, 2), "MF/ABC1");
    EXPECT_EQ(text(1, kAreaRatingCol), "12(12)");
    EXPECT_EQ(text(5, kCountCol), "4");

    // The picture, for a look by eye; the shading of an adequate model is in it.
    const QImage shot = window->grab().toImage();
    EXPECT_TRUE(shot.save(QStringLiteral("torva.png")));
    const QRect adequate = window->fa->visualRect(window->fa->model()->index(4, 1));
    const QPoint inside = window->fa->viewport()->mapTo(window.get(), adequate.topLeft());
    EXPECT_EQ(shot.pixelColor(inside + QPoint(3, 3)), QColor(255, 224, 224));
}

TEST_F(WindowTest, ClickOnClassBFollowsTheRoadOfOneEvent) {
    click(window->Op1[op1::kClassB]);
    EXPECT_TRUE(window->Op1[op1::kClassB]->isChecked());
    EXPECT_TRUE(window->Op[op::kCarbonDioxide]->isEnabled());
    EXPECT_TRUE(window->Op[op::kSodiumPowder]->isEnabled());
    EXPECT_EQ(text(0, 3), "灭火级别 (B类 )");
    EXPECT_EQ(text(12, 3), "297B");
    EXPECT_EQ(text(1, kAreaRatingCol), "900(900)");
    EXPECT_EQ(text(12, kCountCol), "3.03");
    EXPECT_EQ(window->fa->store().cell(4, 1).backColor, ui::kLightRed);

    // Gas fires: foam and water become unavailable.
    click(window->Op[op::kFoam]);
    click(window->Op1[op1::kClassC]);
    EXPECT_TRUE(window->Op[op::kPhosphatePowder]->isChecked());
    EXPECT_FALSE(window->Op[op::kFoam]->isEnabled() || window->Op[op::kWater]->isEnabled());
    EXPECT_EQ(text(0, 3), "灭火级别 (C类 )");
}

TEST_F(WindowTest, ClassDShowsItsMessageThenReturnsToClassA) {
    click(window->Op1[op1::kClassB]);
    click(window->Op[op::kCarbonDioxide]);
    QString title;
    QString message;
    QString button;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        message = box->text();
        button = box->buttons().value(0)->text();
        EXPECT_EQ(box->buttons().size(), 1);
        box->buttons().value(0)->click();
    });
    click(window->Op1[op1::kClassD]);

    EXPECT_EQ(title, QStringLiteral("提示"));
    EXPECT_EQ(message, QStringLiteral("    D类火灾场所的灭火器最低配置基准应根据\n"
                                      "金属的种类、物态及其特性等研究确定。"));
    EXPECT_EQ(button, QStringLiteral("确定"));
    EXPECT_EQ(checkedOptions(window->Op1), (std::vector<std::int16_t>{0, 4, 7}));
    EXPECT_TRUE(window->Op[op::kPhosphatePowder]->isChecked());
    EXPECT_FALSE(window->Op[op::kCarbonDioxide]->isEnabled());
    EXPECT_EQ(text(0, 3), "灭火级别 (A类 )");
    EXPECT_EQ(text(1, 3), "1A");
    EXPECT_EQ(text(1, kAreaRatingCol), "12(12)");
}

TEST_F(WindowTest, TypingChangesNothingUntilTheFocusLeavesTheAreaBox) {
    window->activateWindow();
    window->tx->setFocus(Qt::MouseFocusReason);
    window->tx->selectAll();
    QTest::keyClicks(window->tx, QStringLiteral("2000"));
    EXPECT_EQ(text(1, kAreaRatingCol), "12(12)");
    window->Check1->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(text(1, kAreaRatingCol), "24(24)");

    window->tx->setFocus(Qt::MouseFocusReason);
    window->tx->selectAll();
    QTest::keyClicks(window->tx, QStringLiteral("123456789"));
    EXPECT_EQ(window->tx->text(), QStringLiteral("12345678"));

    QTest::mouseMove(window->tx, QPoint(5, 5));
    EXPECT_EQ(window->tx->toolTip(), QStringLiteral("12345678"));

    // The box's context menu takes the focus for a while: the edit is not finished.
    const int shown = window->resultsShown();
    QTimer::singleShot(0, [] { QApplication::activePopupWidget()->close(); });
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(5, 5),
                           window->tx->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(window->tx, &menu);
    EXPECT_TRUE(window->tx->hasFocus());
    EXPECT_EQ(window->resultsShown(), shown);
    window->Check1->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(window->resultsShown(), shown + 1);
}

TEST_F(WindowTest, ChoicesSurviveARestartWhenTheBoxIsTicked) {
    click(window->Op1[op1::kClassB]);
    click(window->Op1[op1::kSerious]);
    click(window->Op1[op1::kFactor03]);
    click(window->Op[op::kFoam]);
    click(window->Op[op::kEntertainment]);
    window->tx->setText(QStringLiteral("2500"));
    closeAndReopen();

    EXPECT_EQ(checkedOptions(window->Op1), (std::vector<std::int16_t>{1, 5, 12}));
    EXPECT_EQ(checkedOptions(window->Op), (std::vector<std::int16_t>{3, 6}));
    EXPECT_EQ(window->tx->text(), QStringLiteral("2500"));
    EXPECT_EQ(text(1, 2), "MP3、MP/AR3");
    EXPECT_EQ(text(1, kAreaRatingCol), "1950(1950)");
    const QString ini = iniText();
    for (const char* line : {"op22=True", "op16=False", "op3=True", "op1=False", "check=1"}) {
        EXPECT_TRUE(ini.contains(QString::fromLatin1(line))) << line;
    }
    EXPECT_TRUE(ini.contains(QStringLiteral("[tool]")));
}

TEST_F(WindowTest, AnUntickedBoxSavesOnlyItsOwnState) {
    click(window->Op1[op1::kClassB]);
    closeAndReopen();  // saved: class B
    click(window->Check1);
    click(window->Op1[op1::kClassC]);
    closeAndReopen();

    EXPECT_FALSE(window->Check1->isChecked());
    EXPECT_TRUE(window->Op1[op1::kClassB]->isChecked());
    EXPECT_TRUE(iniText().contains(QStringLiteral("check=0")));
}

TEST_F(WindowTest, DamagedSavedValuesAreSkipped) {
    window->close();
    window.reset();
    writeIni(
        "[tool]\ntorva\\op10=maybe\ntorva\\op11=true\ntorva\\op14=0\ntorva\\op15=-1\n"
        "torva\\op4=\ntorva\\op5=1\ntorva\\check=7\ntorva\\tx=1,5\n");
    open();
    EXPECT_EQ(checkedOptions(window->Op1), (std::vector<std::int16_t>{1, 5, 7}));
    EXPECT_EQ(checkedOptions(window->Op), (std::vector<std::int16_t>{5, 7}));
    EXPECT_TRUE(window->Check1->isChecked());
    EXPECT_EQ(window->tx->text(), QStringLiteral("1,5"));

    window->close();
    const QString ini = iniText();
    for (const char* line : {"op10=False", "op11=True", "op4=False", "check=1"}) {
        EXPECT_TRUE(ini.contains(QString::fromLatin1(line))) << line;
    }
}

TEST_F(WindowTest, CurrentCellIsFramedWithBoldHeadings) {
    QWidget* viewport = window->fa->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellCentre(3, 2));
    ASSERT_EQ(window->fa->Row(), 3);
    ASSERT_EQ(window->fa->Col(), 2);
    EXPECT_TRUE(window->fa->store().cell(3, 0).bold);
    EXPECT_TRUE(window->fa->store().cell(0, 2).bold);
    EXPECT_EQ(window->fa->HighLight(), 0) << "released over the pressed cell";

    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellCentre(5, 4));
    EXPECT_FALSE(window->fa->store().cell(3, 0).bold);
    EXPECT_FALSE(window->fa->store().cell(0, 2).bold);
    EXPECT_TRUE(window->fa->store().cell(5, 0).bold);
    EXPECT_TRUE(window->fa->store().cell(0, 4).bold);

    // A drag across cells ends with the selection highlighted.
    QTest::mousePress(viewport, Qt::LeftButton, {}, cellCentre(5, 4));
    QTest::mouseMove(viewport, cellCentre(6, 3));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cellCentre(6, 3));
    EXPECT_EQ(window->fa->HighLight(), 2);

    QTest::mouseMove(viewport, cellCentre(2, 2));
    EXPECT_EQ(window->fa->toolTip(), QStringLiteral("MF/ABC2"));
}

TEST_F(WindowTest, EverythingIsNamedForAssistiveTechnology) {
    EXPECT_EQ(window->tx->accessibleName(), QStringLiteral("建筑面积"));
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(window->fa);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->text(QAccessible::Name), QStringLiteral("计算结果"));
    bool found = false;
    for (int i = 0; i < grid->childCount() && !found; ++i) {
        found = grid->child(i)->text(QAccessible::Name) == QStringLiteral("MF/ABC1");
    }
    EXPECT_TRUE(found) << "cells are exposed with their texts";
    QAccessibleInterface* option = QAccessible::queryAccessibleInterface(window->Op1[op1::kClassA]);
    EXPECT_EQ(option->text(QAccessible::Name), QStringLiteral("A类"));

    std::unique_ptr<QMenu> menu(window->tx->createStandardContextMenu());
    EXPECT_TRUE(menu->actions().value(0)->text().contains(QStringLiteral("撤")))
        << menu->actions().value(0)->text().toStdString();
}

// Every event ends in exactly one calculation drawn into the grid as one change of its store.
TEST_F(WindowTest, EachEventCalculatesAndDrawsOnce) {
    EXPECT_EQ(window->resultsShown(), 1) << "start-up";
    window->activateWindow();
    struct Step {
        const char* name;
        std::function<void()> event;
    };
    const auto typeArea = [this](const QString& area, Qt::Key finish) {
        window->tx->setFocus(Qt::TabFocusReason);
        window->tx->selectAll();
        QTest::keyClicks(window->tx, area);
        QTest::keyClick(window->tx, finish);
    };
    const Step steps[] = {
        {"class B", [this] { click(window->Op1[op1::kClassB]); }},
        {"carbon dioxide", [this] { click(window->Op[op::kCarbonDioxide]); }},
        {"another agent after focus", [this] { click(window->Op[op::kSodiumPowder]); }},
        {"class A moves the agent", [this] { click(window->Op1[op1::kClassA]); }},
        {"K", [this] { click(window->Op1[op1::kFactor05]); }},
        {"arrow key in a frame",
         [this] { QTest::keyClick(window->Op1[op1::kFactor05], Qt::Key_Down); }},
        {"building", [this] { click(window->Op[op::kEntertainment]); }},
        {"area, Enter", [&] { typeArea(QStringLiteral("2000"), Qt::Key_Return); }},
        {"area, Tab", [&] { typeArea(QStringLiteral("300"), Qt::Key_Tab); }},
    };
    for (const auto& step : steps) {
        const int shown = window->resultsShown();
        const auto revision = window->fa->store().revision();
        step.event();
        EXPECT_EQ(window->resultsShown() - shown, 1) << step.name;
        EXPECT_EQ(window->fa->store().revision() - revision, 1U) << step.name;
    }
    EXPECT_TRUE(window->Op[op::kPhosphatePowder]->isChecked());
    EXPECT_TRUE(window->Op1[op1::kFactor03]->isChecked()) << "the arrow key chose the next K";
    EXPECT_EQ(text(1, kAreaRatingCol), "2(1.56)");  // 0.3 x 1.3 x 300 / 75

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    const int shown = window->resultsShown();
    click(window->Op1[op1::kClassD]);
    EXPECT_EQ(window->resultsShown() - shown, 1) << "class D and its return to class A";
}

TEST_F(WindowTest, ContradictingSavedChoicesFallBackToOneChoicePerGroup) {
    struct Case {
        const char* name;
        QByteArray ini;
        std::vector<std::int16_t> op1, op;
    };
    const Case cases[] = {
        {"every agent false",
         "op0=False\nop1=False\nop2=False\nop3=False\nop4=False\nop5=False\nop11=True",
         {1, 4, 7},
         {4, 7}},
        {"carbon dioxide under class A", "op10=True\nop0=True\nop4=False", {0, 4, 7}, {4, 7}},
        {"no hazard, no building",
         "op13=False\nop14=False\nop15=False\nop6=0\nop7=0",
         {0, 4, 7},
         {4, 7}},
        {"class D never stays", "op10=False\nop20=True\nop5=True", {0, 4, 7}, {5, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window->close();
        window.reset();
        QByteArray ini = "[tool]\n";
        for (const QByteArray& line : c.ini.split('\n')) {
            ini += "torva\\" + line + "\n";
        }
        writeIni(ini);
        QTimer::singleShot(0, [] {
            if (QApplication::activeModalWidget() != nullptr) {
                ADD_FAILURE() << "a message box was shown";
                QApplication::activeModalWidget()->close();
            }
        });
        open();
        EXPECT_EQ(checkedOptions(window->Op1), c.op1);
        EXPECT_EQ(checkedOptions(window->Op), c.op);
        EXPECT_EQ(window->resultsShown(), 1);
        EXPECT_FALSE(window->fa->store().rowHidden(1));
    }
}

TEST_F(WindowTest, DisabledOptionsLookDisabledWhateverTheirCaptionColour) {
    click(window->Op1[op1::kClassC]);
    ASSERT_FALSE(window->Op[op::kWater]->isEnabled());
    const auto disabledText = [](QWidget* w) {
        return w->palette().color(QPalette::Disabled, QPalette::WindowText);
    };
    EXPECT_EQ(disabledText(window->Op[op::kWater]), disabledText(window->Op[op::kFoam]));
    EXPECT_EQ(disabledText(window->Op[op::kHalon]), disabledText(window->Op[op::kFoam]));
    EXPECT_EQ(window->Op[op::kHalon]->palette().color(QPalette::Active, QPalette::WindowText),
              QColor(255, 0, 0));
}

TEST_F(WindowTest, APressAndReleaseOnOneCellLeavesTheHighlightOff) {
    QWidget* viewport = window->fa->viewport();
    const QPoint insideBlock = cellCentre(3, 5);  // column 5 is one block over rows 1 to 12
    const QPoint heading = cellCentre(0, 2);
    for (const QPoint at : {insideBlock, heading}) {
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        EXPECT_EQ(window->fa->HighLight(), 0) << at.x() << "," << at.y();
    }
}

// Closes the window while a message box about the save is answered with the given button.
struct SaveAnswer {
    QString button;
    QString informative;
};

TEST_F(WindowTest, AFailedSaveIsToldAndCancelKeepsTheWindow) {
    const QString file = settingsDir.filePath(QStringLiteral("narwe.ini"));
    ASSERT_TRUE(QDir().mkdir(file));  // a folder in the file's place: even root cannot write
    const auto closeAnswering = [this](const QString& button) {
        SaveAnswer seen;
        QTimer::singleShot(0, [&seen, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr) << "no message box";
            seen.informative = box->informativeText();
            EXPECT_EQ(box->windowTitle(), QStringLiteral("提示"));
            for (QAbstractButton* b : box->buttons()) {
                seen.button += b->text() + QLatin1Char('|');
                if (b->text() == button) {
                    b->click();
                }
            }
        });
        window->close();
        return seen;
    };
    const SaveAnswer cancelled = closeAnswering(QStringLiteral("取消"));
    EXPECT_TRUE(window->isVisible());
    for (const QString& button :
         {QStringLiteral("重试|"), QStringLiteral("不保存退出|"), QStringLiteral("取消|")}) {
        EXPECT_TRUE(cancelled.button.contains(button)) << cancelled.button.toStdString();
    }
    EXPECT_TRUE(cancelled.informative.contains(QDir::toNativeSeparators(file)));
    EXPECT_TRUE(cancelled.informative.contains(QStringLiteral("该位置是一个文件夹")));

    ASSERT_TRUE(QDir().rmdir(file));
    click(window->Op1[op1::kClassB]);
    QTimer::singleShot(0, [] {
        ASSERT_EQ(QApplication::activeModalWidget(), nullptr) << "the retry was told a failure";
    });
    window->close();  // the store is writable again: closes at once
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(iniText().contains(QStringLiteral("op11=True")));
}

TEST_F(WindowTest, ASaveAfterADamagedFileIsNoFailure) {
    window->close();
    window.reset();
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 7919 + 13) % 256);
    }
    writeIni(noise);
    open();
    bool told = false;
    QTimer::singleShot(0, [&told] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            told = true;
            box->close();
        }
    });
    window->close();
    EXPECT_FALSE(told);
    EXPECT_TRUE(iniText().contains(QStringLiteral("op10=True")));
}

TEST_F(WindowTest, AreasFromAChineseInputMethodOrAPasteReadAsTyped) {
    window->activateWindow();
    const std::pair<const char16_t*, bool> cases[] = {
        {u"１５００", false},   // typed in full-width mode
        {u"\u00A01500", true},  // pasted behind a no-break space
        {u"\u200B1500", true},  // behind a zero-width space
        {u"\u200E1500", true},  // behind a direction mark
    };
    for (const auto& [input, pasted] : cases) {
        window->tx->setFocus(Qt::TabFocusReason);
        window->tx->clear();
        if (pasted) {
            QApplication::clipboard()->setText(QString::fromUtf16(input));
            window->tx->paste();
        } else {
            QInputMethodEvent committed;  // what an input method hands the box
            committed.setCommitString(QString::fromUtf16(input));
            QApplication::sendEvent(window->tx, &committed);
        }
        QTest::keyClick(window->tx, Qt::Key_Return);
        EXPECT_EQ(window->tx->text(), QStringLiteral("1500"));
        EXPECT_EQ(text(1, kAreaRatingCol), "18(18)");
    }
}

TEST_F(WindowTest, APartlyReadAreaLooksLikeAWarningAndSaysHowItIsRead) {
    const QColor plain = window->tx->palette().color(QPalette::Base);
    window->tx->setText(QStringLiteral("1,000"));
    EXPECT_NE(window->tx->palette().color(QPalette::Base), plain);
    QTest::mouseMove(window->tx, QPoint(6, 6));
    EXPECT_EQ(window->tx->toolTip(), QStringLiteral("按 1 m² 计算：只有开头的“1”是数字"));
    window->tx->setText(QStringLiteral("1000m2"));
    EXPECT_EQ(window->tx->palette().color(QPalette::Base), plain);
    QTest::mouseMove(window->tx, QPoint(5, 5));
    EXPECT_EQ(window->tx->toolTip(), QStringLiteral("1000m2"));
}

TEST_F(WindowTest, TheSheetButtonSaysWhyItCannotBeUsed) {
    struct Case {
        const char* area;
        std::int16_t agent;
        bool enabled;
        const char* why;
    };
    const Case cases[] = {
        {"1500", op::kPhosphatePowder, true, "按当前的计算结果"},
        {"-5", op::kPhosphatePowder, false, "面积无法计算"},
        {"0", op::kPhosphatePowder, false, "需配灭火级别为 0"},
        {"1500", op::kHalon, false, "没有满足最低配置基准"},  // halon, class A, medium hazard
    };
    for (const auto& c : cases) {
        click(window->Op[c.agent]);
        window->tx->setText(QString::fromLatin1(c.area));
        QTest::keyClick(window->tx, Qt::Key_Return);
        EXPECT_EQ(window->sheetButton->isEnabled(), c.enabled) << c.area;
        EXPECT_EQ(window->sheetAction->isEnabled(), c.enabled) << c.area;
        EXPECT_TRUE(window->sheetButton->toolTip().contains(QString::fromUtf8(c.why)))
            << window->sheetButton->toolTip().toStdString();
    }
    click(window->Op[op::kPhosphatePowder]);
    click(window->sheetButton);
    auto* dialog = window->findChild<ui::CalculationSheetDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(dialog->sheet().plainText().contains(QStringLiteral("选用灭火器：MF/ABC3 (2A)")));
    dialog->close();
}

TEST_F(WindowTest, CopiesGoToTheClipboardAsTabSeparatedTextAndHtml) {
    click(window->Op[op::kWater]);  // seven models: rows 8 to 12 hidden
    window->copyTableAction->trigger();
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    const QStringList lines = copied->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], QStringLiteral("    \t灭火剂充装量(L)/(kg)\t灭火器类型规格代码\t"
                                       "灭火级别 (A类 )\t灭火器数量\t场所灭火级别"));
    EXPECT_EQ(lines[1], QStringLiteral("手提式\t3L\tMS/T3\t1A\t12\t12(12)"));
    EXPECT_EQ(lines[2].section(QLatin1Char('\t'), 0, 0), QStringLiteral("手提式"))
        << "a merged block repeats its text";
    EXPECT_TRUE(copied->html().contains(QStringLiteral("<td>MS/T3</td>")));

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget* viewport = window->fa->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cellCentre(2, 1));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, cellCentre(3, 2));
    QTest::keyClick(window->fa, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("6L\tMS/T6\n9L\tMS/T9\n"));
}

// What a screen-reader user meets: choices made through accessibility actions act as clicks.
TEST_F(WindowTest, AccessibilityActionsChooseAsClicksDo) {
    const auto toggle = [](QWidget* button) {
        QAccessibleInterface* option = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(option->actionInterface(), nullptr);
        option->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    const auto snapshot = [](const torva& w) {
        QStringList all;
        for (int r = 0; r < ui::kGridRows; ++r) {
            for (int c = 0; c < ui::kGridCols; ++c) {
                all << QString::fromStdString(w.fa->store().TextMatrix(r, c));
            }
        }
        for (const auto* options : {&w.Op1, &w.Op}) {
            for (const auto& [index, button] : *options) {
                all << QStringLiteral("%1%2").arg(button->isChecked()).arg(button->isEnabled());
            }
        }
        return all;
    };
    torva byMouse;
    byMouse.Form_Load();
    byMouse.show();
    struct Step {
        bool fireArray;
        std::int16_t index;
    };
    const Step steps[] = {
        {false, op::kFoam},          {true, op1::kFactor10}, {true, op1::kClassC},
        {false, op::kCarbonDioxide}, {true, op1::kSerious},  {false, op::kEntertainment},
        {true, op1::kClassB},        {false, op::kWater},    {true, op1::kClassA},
    };
    for (const auto& step : steps) {
        toggle((step.fireArray ? window->Op1 : window->Op).at(step.index));
        click((step.fireArray ? byMouse.Op1 : byMouse.Op).at(step.index));
        EXPECT_EQ(snapshot(*window), snapshot(byMouse)) << step.index;
    }
    toggle(window->Check1);
    click(byMouse.Check1);
    EXPECT_FALSE(window->Check1->isChecked());

    window->close();
    const QString throughActions = iniText();
    ASSERT_TRUE(QFile::remove(settingsDir.filePath(QStringLiteral("narwe.ini"))));
    byMouse.close();
    EXPECT_EQ(iniText(), throughActions);
    EXPECT_TRUE(throughActions.contains(QStringLiteral("check=0")));
}

TEST_F(WindowTest, AScreenReaderMeetsOnlyTheRowsOnScreenWithHeadingsAndSpans) {
    click(window->Op[op::kWater]);  // seven models: rows 8 to 12 hidden
    window->fa->refresh();
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(window->fa);
    QAccessibleTableInterface* table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 7);
    EXPECT_EQ(table->columnCount(), ui::kGridCols);
    for (int i = 0; i < grid->childCount(); ++i) {
        QAccessibleInterface* cell = grid->child(i);
        EXPECT_FALSE(cell->state().invisible) << i;
        EXPECT_GT(cell->rect().height(), 0) << i;
        EXPECT_EQ(grid->indexOfChild(cell), i);
    }
    const auto cell = [table](int row, int col) { return table->cellAt(row, col); };
    // Water's rating of row 3 ("MS/T9", "2A"), headed as a screen reader reads it.
    QAccessibleTableCellInterface* rating = cell(2, ui::kRatingCol)->tableCellInterface();
    EXPECT_EQ(cell(2, ui::kRatingCol)->text(QAccessible::Name), QStringLiteral("2A"));
    ASSERT_EQ(rating->columnHeaderCells().size(), 1);
    EXPECT_EQ(rating->columnHeaderCells()[0]->text(QAccessible::Name),
              QStringLiteral("灭火级别 (A类 )"));
    EXPECT_EQ(rating->columnHeaderCells()[0]->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(rating->rowHeaderCells()[0]->text(QAccessible::Name), QStringLiteral("手提式"));
    EXPECT_EQ(table->columnDescription(ui::kCodeCol), QStringLiteral("灭火器类型规格代码"));

    struct Span {
        int row, col, rows;
        const char* text;
    };
    const Span spans[] = {
        {0, ui::kMountCol, 3, "手提式"},  // read once for rows 1 to 3
        {2, ui::kMountCol, 3, "手提式"},  // a covered cell answers with its block
        {3, ui::kMountCol, 4, "推车式"}, {6, ui::kAreaRatingCol, 7, "12(12)"},
        {2, ui::kCodeCol, 1, "MS/T9"},
    };
    for (const auto& s : spans) {
        QAccessibleInterface* at = cell(s.row, s.col);
        EXPECT_EQ(at->text(QAccessible::Name), QString::fromUtf8(s.text));
        EXPECT_EQ(at->tableCellInterface()->rowExtent(), s.rows) << s.text;
    }
    EXPECT_EQ(cell(0, ui::kMountCol), cell(2, ui::kMountCol));
    EXPECT_EQ(cell(7, 0), nullptr) << "no eighth row";
}

// Tab stops once in each frame of options (the arrow keys then move within it and choose, as Qt
// does) and at every other control, in the window's designed order, and comes round again.
TEST_F(WindowTest, TabReachesEveryFrameAndControlInTheDesignedOrder) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->Op[op::kPhosphatePowder]->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> controls;
    std::set<QWidget*> frames;
    for (int i = 0; i < 9; ++i) {
        QWidget* at = QApplication::focusWidget();
        if (qobject_cast<QRadioButton*>(at) != nullptr) {
            frames.insert(at->parentWidget());
        } else {
            controls.push_back(at);
        }
        QTest::keyClick(at, Qt::Key_Tab);
    }
    EXPECT_EQ(QApplication::focusWidget(), window->Op[op::kPhosphatePowder]) << "round again";
    EXPECT_EQ(frames.size(), window->Frame1.size());
    EXPECT_EQ(controls,
              (std::vector<QWidget*>{window->Check1, window->tx, window->fa, window->sheetButton}));
}

}  // namespace
