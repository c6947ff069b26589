#include "calculation_sheet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <memory>

#include "result_table.h"
#include "unit_choice.h"

namespace {

namespace op = core::op;
namespace op1 = core::op1;
using tests::UnitChoice;

QString pdfText(const QString& fileName) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), fileName, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext could not read " << fileName.toStdString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

class SheetDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { open(tests::kWarehouse); }

    void TearDown() override {
        dialog.reset();
        for (QWidget* w : QApplication::topLevelWidgets()) {  // nothing else was opened
            EXPECT_FALSE(w->isVisible()) << w->metaObject()->className() << " left open";
        }
    }

    void open(const UnitChoice& choice) {
        const tests::CalculatedUnit calculated(choice);
        grid::GridStore table(ui::kGridRows, ui::kGridCols);
        ui::drawResult(calculated.result, table);
        dialog = std::make_unique<ui::CalculationSheetDialog>(calculated.unit.value(),
                                                              ui::visibleRows(table));
        // Nothing in a test opens another window.
        dialog->askFileName = [this](const QString& suggested) {
            suggestedName = suggested;
            return fileName;
        };
        dialog->askPrinter = [this](QPrinter& printer) {
            printer.setOutputFileName(fileName);
            return true;
        };
        dialog->tell = [this](const QString& message) { told << message; };
        dialog->today = [] { return QDate(2024, 5, 6); };
        dialog->open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    [[nodiscard]] QStringList lines() const { return dialog->sheet().plainText().split(u'\n'); }

    QTemporaryDir folder;
    std::unique_ptr<ui::CalculationSheetDialog> dialog;
    QString fileName;
    QString suggestedName;
    QStringList told;
};

const QStringList kWarehouseLines = {
    QStringLiteral("日期：2024年5月6日"),
    QStringLiteral("火灾种类：A类"),
    QStringLiteral("危险等级：中危险级"),
    QStringLiteral("修正系数 K：0.9"),
    QStringLiteral("保护面积 S：1500 m²"),
    QStringLiteral("单位灭火级别最大保护面积 U：75 m²/A"),
    QStringLiteral("单具灭火器最小配置灭火级别：2A"),
    QStringLiteral("Q = K·S/U = 0.9×1500/75 = 18"),
    QStringLiteral("计算单元最小需配灭火级别 Q：18A"),
    QStringLiteral("设置点数 N：2"),
    QStringLiteral("每个设置点最小需配灭火级别 Qe：9A"),
    QStringLiteral("选用灭火器：MF/ABC3 (2A)"),
    QStringLiteral("每个设置点配置数量：5具"),
    QStringLiteral("灭火器总数：10具"),
    QStringLiteral("实配灭火级别合计：20A"),
    QStringLiteral("最大保护距离：20 m"),
};

TEST_F(SheetDialogTest, PublishedExampleShownCopiedAndExported) {
    EXPECT_TRUE(dialog->sheetView->toPlainText().contains(QStringLiteral("日期：2024年5月6日")));
    EXPECT_TRUE(lines().contains(QStringLiteral("手提式\t3千克\tMF/ABC3\t2A\t9\t18(18)")));

    dialog->unitName->setText(QStringLiteral("仓库"));
    QTest::mouseClick(dialog->copyButton, Qt::LeftButton);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), dialog->sheet().plainText());
    EXPECT_TRUE(copied->html().contains(QStringLiteral("<p>计算单元：仓库</p>")));

    fileName = folder.filePath(QStringLiteral("sheet.pdf"));
    QTest::mouseClick(dialog->pdfButton, Qt::LeftButton);
    EXPECT_EQ(suggestedName, QStringLiteral("仓库-灭火器配置计算书.pdf"));
    EXPECT_TRUE(told.isEmpty()) << told.join(u'\n').toStdString();
    const QString pdf = pdfText(fileName);
    for (const QString& key : kWarehouseLines + QStringList{QStringLiteral("计算单元：仓库")}) {
        EXPECT_TRUE(lines().contains(key)) << key.toStdString();
        EXPECT_TRUE(pdf.contains(key)) << "PDF: " << key.toStdString();
        EXPECT_TRUE(copied->html().contains(key)) << "HTML: " << key.toStdString();
    }

    // The picture: the sheet's text is drawn in dark pixels inside its frame.
    const QImage picture = dialog->grab().toImage();
    ASSERT_TRUE(picture.save(QStringLiteral("calculation_sheet.png")));
    const QRect area(dialog->sheetView->mapTo(dialog.get(), QPoint(0, 0)),
                     dialog->sheetView->size());
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            dark += qGray(picture.pixel(x, y)) < 96 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 2000);
    QTest::mouseClick(dialog->closeButton, Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SheetDialogTest, PdfThatCannotBeWrittenIsToldAndPrintingUsesThePrinter) {
    fileName = folder.filePath(QStringLiteral("missing/sheet.pdf"));
    dialog->exportPdf();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.front().contains(QStringLiteral("未能导出")));
    EXPECT_FALSE(QFile::exists(fileName) || dialog->status->text().contains(u"已导出"));

    fileName = folder.filePath(QStringLiteral("printed.pdf"));
    QTest::mouseClick(dialog->printButton, Qt::LeftButton);
    EXPECT_TRUE(pdfText(fileName).contains(QStringLiteral("灭火器总数：10具")));
}

TEST_F(SheetDialogTest, PointsFollowTheModelUntilTheUserSetsThemAndBreachesAreMarked) {
    dialog->model->setCurrentText(QStringLiteral("MFT/ABC20 (6A)"));
    EXPECT_EQ(dialog->points->value(), 1) << "a wheeled model reaches 40 m";

    dialog->points->setFocus();
    dialog->points->selectAll();
    QTest::keyClicks(dialog->points, QStringLiteral("3"));
    dialog->model->setCurrentText(QStringLiteral("MF/ABC3 (2A)"));
    EXPECT_EQ(dialog->points->value(), 3);

    dialog->points->setValue(1);
    EXPECT_TRUE(
        lines().contains(QStringLiteral("6.1.2 每个设置点的灭火器配置数量不宜多于5具：9具，"
                                        "不满足，应增加设置点数或选用灭火级别较大的灭火器")));
    EXPECT_TRUE(dialog->sheet().html().contains(QStringLiteral("<p class=\"breach\">7.1.3")));
}

struct SheetCase {
    const char* name;
    UnitChoice choice;
    int points;  // 0: the estimate
    std::vector<const char*> lines;
};

// clang-format off
const SheetCase kSheetCases[] = {
    {"raised_to_two", {op1::kClassA, op1::kLight, op1::kFactor05, op::kAboveGround, op::kPhosphatePowder, "100"}, 0,
     {"Q = K·S/U = 0.5×100/100 = 0.5，向上取整为 1（7.1.1）",
      "一个计算单元内配置的灭火器数量不得少于2具（6.1.1），每个设置点配置数量增至2具。", "灭火器总数：2具"}},
    {"entertainment", {op1::kClassA, op1::kSerious, op1::kFactor05, op::kEntertainment, op::kPhosphatePowder, "1000"}, 0,
     {"Q = 1.3K·S/U = 1.3×0.5×1000/50 = 13", "Qe = Q/N = 13/3 = 4.333，向上取整为 5（7.3.4）"}},
    {"class_b", {op1::kClassB, op1::kSerious, op1::kFactor10, op::kAboveGround, op::kPhosphatePowder, "500"}, 0,
     {"单位灭火级别最大保护面积 U：0.5 m²/B", "计算单元最小需配灭火级别 Q：1000B", "最大保护距离：9 m"}},
    {"class_e", {op1::kClassE, op1::kMedium, op1::kFactor09, op::kAboveGround, op::kPhosphatePowder, "200"}, 0,
     {"火灾种类：E类", "单位灭火级别最大保护面积 U：1 m²/B", "最大保护距离：12 m",
      "注：E类火灾按B类火灾的灭火级别计算，最大保护距离取B、C类火灾的数值；按5.2.4，E类火灾场所的灭火器最大保护距离不应低于该场所内A类或B类火灾的规定。"}},
    {"rounded_up", {op1::kClassA, op1::kMedium, op1::kFactor09, op::kAboveGround, op::kPhosphatePowder, "2022.225"}, 3,
     {"Q = K·S/U = 0.9×2022.225/75 = 24.267，向上取整为 25（7.1.1）", "每个设置点最小需配灭火级别 Qe：9A"}},
    {"no_model", {op1::kClassA, op1::kMedium, op1::kFactor09, op::kAboveGround, op::kHalon, "100"}, 0,
     {"所选灭火器类型中没有达到单具灭火器最小配置灭火级别的规格，不能配置；请选用其他灭火器类型。"}},
};
// clang-format on

TEST_F(SheetDialogTest, LinesOfOtherUnitsAppearWhole) {
    for (const SheetCase& c : kSheetCases) {
        SCOPED_TRACE(c.name);
        open(c.choice);
        if (c.points != 0) {
            dialog->points->setValue(c.points);
        }
        for (const char* line : c.lines) {
            EXPECT_TRUE(lines().contains(QString::fromUtf8(line))) << line;
        }
    }
}

}  // namespace
