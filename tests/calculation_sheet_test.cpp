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

using namespace tests;

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
        dialog = std::make_unique<ui::CalculationSheetDialog>(choice.unit());
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

// The published example's key lines, and the unit's name as the test types it.
const QStringList kWarehouseLines = {
    QStringLiteral("日期：2024年5月6日"),
    QStringLiteral("计算单元：仓库"),
    QStringLiteral("Q = K·S/U = 0.9×1500/75 = 18"),
    QStringLiteral("设置点数 N：2"),
    QStringLiteral("每个设置点最小需配灭火级别 Qe：10A"),
    QStringLiteral("选用灭火器：MF/ABC3 (2A)"),
    QStringLiteral("灭火器总数：10具"),
    QStringLiteral("实配灭火级别合计：20A"),
};

TEST_F(SheetDialogTest, PublishedExampleShownCopiedAndExported) {
    dialog->unitName->setText(QStringLiteral("仓库"));
    EXPECT_TRUE(lines().contains(QStringLiteral("手提式\t3千克\tMF/ABC3\t2A\t是")));
    QTest::mouseClick(dialog->copyButton, Qt::LeftButton);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), dialog->sheet().plainText());

    fileName = folder.filePath(QStringLiteral("sheet.pdf"));
    QTest::mouseClick(dialog->pdfButton, Qt::LeftButton);
    EXPECT_EQ(suggestedName, QStringLiteral("仓库-灭火器配置计算书.pdf"));
    EXPECT_TRUE(told.isEmpty()) << told.join(u'\n').toStdString();
    const QString pdf = pdfText(fileName);
    for (const QString& key : kWarehouseLines) {
        EXPECT_TRUE(lines().contains(key)) << key.toStdString();
        EXPECT_TRUE(pdf.contains(key)) << "PDF: " << key.toStdString();
        EXPECT_TRUE(copied->html().contains(key)) << "HTML: " << key.toStdString();
    }

    // The picture: the sheet's text is drawn in dark pixels inside its frame.
    const QImage picture = dialog->grab().toImage();
    ASSERT_TRUE(picture.save(QStringLiteral("calculation_sheet.png")));
    const QImage sheet = picture.copy(
        QRect(dialog->sheetView->mapTo(dialog.get(), QPoint(0, 0)), dialog->sheetView->size()));
    int dark = 0;
    for (int y = 0; y < sheet.height(); ++y) {
        for (int x = 0; x < sheet.width(); ++x) {
            dark += qGray(sheet.pixel(x, y)) < 96 ? 1 : 0;
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
    dialog->points->setValue(3);
    dialog->model->setCurrentText(QStringLiteral("MF/ABC3 (2A)"));
    EXPECT_EQ(dialog->points->value(), 3);

    dialog->points->setValue(1);  // 9 per point, fewer points than estimated
    for (const char* rule : {"6.1.2", "7.1.3"}) {
        EXPECT_TRUE(dialog->sheet().html().contains(QStringLiteral("<p class=\"breach\">") + rule))
            << rule;
    }
}

// One line that only this kind of unit shows, whole.
TEST_F(SheetDialogTest, LinesOfOtherUnitsAppearWhole) {
    // clang-format off
    const std::pair<UnitChoice, const char*> cases[] = {
        {{FireClass::A, Hazard::Light, Factor::K05, Building::AboveGround, Agent::AmmoniumPhosphatePowder, "100"}, "一个计算单元内配置的灭火器数量不得少于2具（6.1.1），每个设置点配置数量增至2具。"},
        {{FireClass::A, Hazard::Serious, Factor::K05, Building::EntertainmentOrUnderground, Agent::AmmoniumPhosphatePowder, "1000"}, "Qe = 设计需配灭火级别/N = 20/3 ≈ 6.667，向上取整为 7（7.3.4）"},  // Q = 1.3K·S/U = 13A, S/U = 20A
        {{FireClass::E, Hazard::Medium, Factor::K09, Building::AboveGround, Agent::AmmoniumPhosphatePowder, "200"}, "单位灭火级别最大保护面积 U：1 m²/B"},
        {{FireClass::A, Hazard::Medium, Factor::K09, Building::AboveGround, Agent::Halon1211, "100"}, "所选灭火器类型中没有达到单具灭火器最小配置灭火级别的规格，不能配置；请选用其他灭火器类型。"},
    };
    // clang-format on
    for (const auto& [choice, line] : cases) {
        open(choice);
        EXPECT_TRUE(lines().contains(QString::fromUtf8(line))) << line;
    }
}

}  // namespace
