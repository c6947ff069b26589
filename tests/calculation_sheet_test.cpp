// The calculation sheet: its lines for each kind of unit, and its dialog offscreen, copied,
// exported to PDF (read back with pdftotext) and printed.
#include "sheet_dialog.h"

#include <gtest/gtest.h>

#include <QPrinter>
#include <QtTest>
#include <QtWidgets>
#include <memory>
#include <vector>

#include "file_export.h"
#include "placed_rooms.h"
#include "preview_support.h"
#include "test_support.h"
#include "unit_choice.h"

using namespace Qt::StringLiterals;

namespace {

using namespace tests;

class SheetDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        open();
    }

    void TearDown() override {
        dialog.reset();
        for (QWidget* w : QApplication::topLevelWidgets()) {  // nothing else was opened
            EXPECT_FALSE(w->isVisible()) << w->metaObject()->className() << " left open";
        }
    }

    // The warehouse's dialog, whose questions answer from the test's fields: the file is fileName,
    // or with none the name suggested, in the test's folder.
    void open() {
        dialog = std::make_unique<ui::CalculationSheetDialog>(kWarehouse.unit());
        dialog->askFileName = [this](const QString& suggestion) {
            suggested = suggestion;
            return fileName.isEmpty() ? folder.filePath(QFileInfo(suggestion).fileName())
                                      : fileName;
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

    QTemporaryDir settingsDir;
    QTemporaryDir folder;
    std::unique_ptr<ui::CalculationSheetDialog> dialog;
    QString fileName;
    QString suggested;  // the file the save dialog was to open with, in its folder
    QStringList told;
};

// The published example as shown, copied as text and HTML, and exported; its sheet drawn.
TEST_F(SheetDialogTest, PublishedExampleShownCopiedAndExported) {
    dialog->unitName->setText(u"仓库"_s);
    QTest::mouseClick(dialog->copyButton, Qt::LeftButton);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    EXPECT_EQ(copied->text(), dialog->sheet().plainText());

    fileName = folder.filePath(u"sheet.pdf"_s);
    QTest::mouseClick(dialog->pdfButton, Qt::LeftButton);
    EXPECT_TRUE(told.isEmpty()) << told.join(u'\n').toStdString();
    SKIP_UNLESS_PDF_TOOLS_ANSWER();
    const QString pdf = pdfText(fileName);
    for (const QString& key :
         {u"日期：2024年5月6日"_s, u"计算单元：仓库"_s, u"Q = K·S/U = 0.9×1500/75 = 18"_s,
          u"设置点数 N：2"_s, u"每个设置点最小需配灭火级别 Qe：10A"_s,
          u"选用灭火器：MF/ABC3 (2A)"_s, u"灭火器总数：10具"_s, u"实配灭火级别合计：20A"_s}) {
        EXPECT_TRUE(lines().contains(key)) << key.toStdString();
        EXPECT_TRUE(pdf.contains(key)) << "PDF: " << key.toStdString();
        EXPECT_TRUE(copied->html().contains(key)) << "HTML: " << key.toStdString();
    }
    // The codes keep their numbers on their line; the text starts 22 mm (62 pt) from the left.
    EXPECT_TRUE(pdf.contains(u"GB 50140-2005"_s) && pdf.contains(u"GB 55036-2022"_s));
    QProcess boxes;
    boxes.start(u"pdftotext"_s, {u"-bbox"_s, fileName, u"-"_s});
    ASSERT_TRUE(boxes.waitForFinished(60000));
    double left = 1e9;
    const QRegularExpression xMin(u"xMin=\"([0-9.]+)\""_s);
    for (auto it = xMin.globalMatch(QString::fromUtf8(boxes.readAllStandardOutput()));
         it.hasNext();) {
        left = std::min(left, it.next().captured(1).toDouble());
    }
    EXPECT_NEAR(left, 62.4, 3);
    if (const QString keep = qEnvironmentVariable("PREVIEW_PICTURES"); !keep.isEmpty()) {
        QFile::copy(fileName, QDir(keep).filePath(u"sheet.pdf"_s));
    }

    // The sheet's text is drawn in dark pixels inside its frame.
    const QImage sheet = dialog->sheetView->grab().toImage();
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

// Why an export failed is told in Chinese, whatever the system's language.
TEST_F(SheetDialogTest, PdfThatCannotBeWrittenIsToldWhyAndPrintingUsesThePrinter) {
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"folder.pdf"_s));
    const std::pair<QString, QString> cases[] = {
        {u"missing/sheet.pdf"_s,
         u"文件夹“%1”不存在"_s.arg(QDir::toNativeSeparators(folder.filePath(u"missing"_s)))},
        {u"folder.pdf"_s, u"该位置是一个文件夹，不是文件"_s},
#ifdef Q_OS_WIN
        {QString(252, u'长') + u".pdf"_s, u"文件名太长"_s},  // 256 UTF-16 units
#else
        {QString(86, u'长') + u".pdf"_s, u"文件名太长"_s},  // 262 bytes
#endif
    };
    for (const auto& [name, why] : cases) {
        SCOPED_TRACE(name.toStdString());
        // Wine stores a Windows name on Linux's file system, by rules of its own.
        if (tests::underWine() && why == u"文件名太长"_s) {
            continue;
        }
        told.clear();
        fileName = folder.filePath(name);
        dialog->exportPdf();
        ASSERT_EQ(told.size(), 1);
        QString reason = told.front().section(u"原因："_s, 1);
        EXPECT_TRUE(reason.startsWith(why)) << told.front().toStdString();
        EXPECT_FALSE(reason.remove(QDir::toNativeSeparators(QFileInfo(fileName).absolutePath()))
                         .contains(QRegularExpression(u"[A-Za-z]"_s)));
        EXPECT_FALSE(QFileInfo(fileName).isFile() || dialog->status->text().contains(u"已导出"));
    }

    fileName = folder.filePath(u"printed.pdf"_s);
    QTest::mouseClick(dialog->printButton, Qt::LeftButton);
    SKIP_UNLESS_PDF_TOOLS_ANSWER();
    EXPECT_TRUE(pdfText(fileName).contains(u"灭火器总数：10具"_s));

    tests::PreviewSeen seen;
    dialog->showPreview = [&](QPrintPreviewDialog& preview) {
        seen = tests::lookAt(preview, u"sheet-preview"_s);
    };
    QTest::mouseClick(dialog->previewButton, Qt::LeftButton);
    EXPECT_EQ(seen.pages, pdfText(fileName).count(u'\f'));
    EXPECT_GT(tests::darkPixels(seen.picture), 1000);
}

TEST_F(SheetDialogTest, PointsFollowTheModelUntilTheUserSetsThemAndBreachesAreMarked) {
    dialog->model->setCurrentText(u"MFT/ABC20 (6A)"_s);
    EXPECT_EQ(dialog->points->value(), 1) << "a wheeled model reaches 40 m";
    dialog->points->setValue(3);
    dialog->model->setCurrentText(u"MF/ABC3 (2A)"_s);
    EXPECT_EQ(dialog->points->value(), 3);
    // 加入工程 takes the model and points chosen, and the project designs the unit as the sheet.
    const core::Unit added = dialog->projectUnit();
    EXPECT_TRUE(added.model == "MF/ABC3" && added.points == 3);
    EXPECT_TRUE(
        lines().contains(u"灭火器总数：%1具"_s.arg(core::design(added).configuration.total)));

    dialog->points->setValue(1);  // 9 per point, fewer points than estimated
    for (const char* rule : {"6.1.2", "7.1.3"}) {
        EXPECT_TRUE(dialog->sheet().html().contains(u"<p class=\"breach\">"_s + rule)) << rule;
    }

    // More points than the box takes: the refused digit shows for a while.
    QSpinBox* points = dialog->points;
    const QColor plain = points->palette().color(QPalette::Base);
    points->selectAll();
    QTest::keyClicks(points, u"100"_s);
    EXPECT_EQ(points->palette().color(QPalette::Base), plain);
    QTest::keyClick(points, Qt::Key_0);
    EXPECT_EQ(points->value(), 100);
    EXPECT_EQ(points->palette().color(QPalette::Base), QColor(255, 236, 179));
    QTRY_COMPARE_WITH_TIMEOUT(points->palette().color(QPalette::Base), plain, 3000);
}

// Lines that only this kind of unit of a project shows, whole: exact arithmetic from the decimal
// inputs, GB 55036-2022's S/U beside Q, the notes that need the designer's judgement, and what its
// setting points placed on its plan reach. A check that is not met is marked as a breach.
struct SheetLines {
    const char* name;
    core::Unit unit;
    std::vector<const char*> lines;
};

// A unit with the choices, its model and points left to the design.
core::Unit typed(const UnitChoice& choice) {
    return {"单元", "一层", choice.choices(), std::nullopt, std::nullopt};
}

class SheetLinesTest : public ::testing::TestWithParam<SheetLines> {};

TEST_P(SheetLinesTest, AppearWhole) {
    const core::Unit& unit = GetParam().unit;
    const auto sheet = documents::CalculationSheet::ofProjectUnit(unit, core::design(unit));
    const QStringList lines = sheet.plainText().split(u'\n');
    for (const char* line : GetParam().lines) {
        EXPECT_TRUE(lines.contains(QString::fromUtf8(line))) << line;
    }
    int reach = 0;  // 7.1.3 once: by the points' number, or by their reach where they are placed
    for (const auto& part : sheet.parts()) {
        reach += part.text.startsWith(u"7.1.3 "_s) ? 1 : 0;
        if (part.text.contains(u"，满足"_s) || part.text.contains(u"，不满足"_s)) {
            EXPECT_EQ(part.kind == documents::CalculationSheet::Kind::Breach,
                      part.text.contains(u"，不满足"_s))
                << part.text.toStdString();
        }
        // Placed points: nothing asks for them to be placed.
        EXPECT_FALSE(!unit.setPoints.empty() && part.text.contains(u"设置点在平面图上布置"_s));
    }
    EXPECT_LE(reach, 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Sheet, SheetLinesTest, ::testing::Values(
    SheetLines{"warehouse", typed(kWarehouse), {
        "Q = K·S/U = 0.9×1500/75 = 18", "计算单元最小需配灭火级别 Q：18A", "S/U = 1500/75 = 20",
        "按 GB 55036-2022 第10.0.3条，灭火级别之和不应小于 S/U = 20A，大于 Q，按 20A 配置",
        "设计需配灭火级别：20A", "Qe = 设计需配灭火级别/N = 20/2 = 10（7.3.4）",
        "GB 55036-2022 10.0.3 所有设置点灭火级别之和不小于 S/U = 20A：20A，满足",
        "6.1.1（GB 55036-2022 10.0.3）一个计算单元内配置的灭火器数量不得少于2具：10具，满足",
        "手提式\t1千克\tMF/ABC1\t1A\t否"}},
    SheetLines{"timesThirteenQGoverns", typed({A, Medium, K10, kFun, kAbc, "1500"}), {
        "Q = 1.3K·S/U = 1.3×1.0×1500/75 = 26", "Q ≥ S/U，按 Q = 26A 配置", "设计需配灭火级别：26A"}},
    SheetLines{"classB", typed({B, Medium, K09, kAbove, Agent::Foam, "1000"}), {
        "计算单元最小需配灭火级别 Q：900B", "S/U = 1000/1 = 1000", "设计需配灭火级别：1000B"}},
    SheetLines{"fractionRoundsUp", typed({A, Light, K10, kAbove, kAbc, "500.04"}), {
        "保护面积 S：500.04 m²", "Q = K·S/U = 1.0×500.04/100 = 5.0004，向上取整为 6（7.1.1）",
        "计算单元最小需配灭火级别 Q：6A"}},
    SheetLines{"above2pow24", typed({B, Serious, K10, kAbove, Agent::Foam, "16777217"}), {
        "Q = K·S/U = 1.0×16777217/0.5 = 33554434", "计算单元最小需配灭火级别 Q：33554434B",
        "估算设置点数超过 999 个，计算单元过大，应划分为多个计算单元（7.2.1）。"}},
    SheetLines{"raisedToTwo", typed({A, Light, K05, kAbove, kAbc, "100"}), {
        "一个计算单元内配置的灭火器数量不得少于2具（6.1.1），每个设置点配置数量增至2具。"}},
    SheetLines{"classAWater", typed({A, Medium, K09, kAbove, Agent::Water, "200"}), {
        "注：A类火灾场所应选用同时适用于A类、E类火灾的灭火器（GB 55036-2022 第10.0.1条）：所选水型/泡沫灭火器须确认可用于E类火灾"}},
    SheetLines{"classE", typed({E, Medium, K09, kAbove, kAbc, "200"}), {
        "单位灭火级别最大保护面积 U：1 m²/B",
        "注：E类火灾场所内不能断电的1kV以上带电设备，不应使用灭火器带电扑救（GB 55036-2022 第10.0.1条）"}},
    SheetLines{"noAdequateModel", typed({A, Medium, K09, kAbove, Agent::Halon1211, "100"}), {
        "所选灭火器类型中没有达到单具灭火器最小配置灭火级别的规格，不能配置；请选用其他灭火器类型。"}},
    // Setting points placed on the unit's plan: N is their number beside the estimate, and 7.1.3
    // whether they reach every point within R, the farthest rounded up.
    SheetLines{"corridor", placedCorridor(), {"设置点数 N：4（按平面布置，估算值 N₀ = 1）",
        "7.1.3 计算单元内任一点至最近设置点的距离不大于 R = 20 m：最大 15.1 m，满足"}},
    SheetLines{"lByPath", placedL(), {"设置点数 N：1（按平面布置，估算值 N₀ = 1）",
        "7.1.3 计算单元内任一点至最近设置点的距离不大于 R = 15 m：最大 15.4 m，不满足，"
        "设置点未覆盖全部平面"}},
    // An outline imported again, now too large to check: the unit is to be divided.
    SheetLines{"tooLarge",
        placedRoom("大厅", {{0, 0}, {250, 0}, {250, 250}, {0, 250}}, {{10, 10}}, Medium), {
        "设置点数 N：1（按平面布置，估算值 N₀ = 79）",
        "7.1.3 计算单元内任一点至最近设置点的距离不大于 R = 20 m：面积超过 40000 m²，未校核，不满足，"
        "应划分为多个计算单元（7.2.1）"}}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

// A combined unit's sheet: S and its basis, its rooms with their areas, how many of its setting
// points stand in its rooms rather than in its corridor, and 7.1.3 by walking through its doors.
TEST(CombinedUnitSheet, SaysTheBasisOfSItsRoomsAndThePointsInRooms) {
    const struct {
        bool outline;
        bool inOffice;
        std::vector<const char*> lines;
        double typed = 0;  // S typed by hand, which the plan does not give
    } cases[] = {
        {false,
         true,
         {"保护面积 S：202.08 m²", "S 按房间面积之和计，未含墙体",
          // One line of the sheet, too long for one literal.
          // NOLINTBEGIN(bugprone-suspicious-missing-comma)
          "组合单元，含 5 个房间：办公室1（42 m²）、办公室2（42 m²）、办公室3（42 m²）、"
          "办公室4（42 m²）、走廊（34.08 m²）",
          // NOLINTEND(bugprone-suspicious-missing-comma)
          "设置点数 N：3（按平面布置，估算值 N₀ = 1）", "设置点 3 个，其中 1 个位于房间内",
          // From an office's far corner to its door's jamb (6.70 m) and on to the corridor's point
          // (1.50 m).
          "7.1.3 计算单元内任一点至最近设置点的距离不大于 R = 20 m：最大 8.2 m，满足"}},
        {true, false, {"保护面积 S：221.92 m²", "S 按楼层轮廓（建筑面积）计"}},
        {true, false, {"保护面积 S：230 m²"}, 230},
    };
    for (const auto& c : cases) {
        core::Unit unit = combinedOffices(c.outline, c.inOffice).units.front();
        unit.choices.area = c.typed > 0 ? c.typed : unit.choices.area;
        const QString text =
            documents::CalculationSheet::ofProjectUnit(unit, core::design(unit)).plainText();
        for (const char* line : c.lines) {
            EXPECT_TRUE(text.split(u'\n').contains(QString::fromUtf8(line))) << line;
        }
        EXPECT_EQ(text.contains(u"位于房间内"_s), c.inOffice);
        EXPECT_EQ(text.contains(u"S 按"_s), c.typed == 0);
    }
}

// Typed or pasted, the name stays on one line; a name that holds what a file name may not gives
// a file name with "_" in its place, shortened by whole characters to at most 255 bytes.
TEST_F(SheetDialogTest, TheNameStaysOnOneLineAndGivesAFileNameThatFits) {
    QApplication::clipboard()->setText(u"Line1\nLine2\tTabbed\r\nLine3\a"_s);
    dialog->unitName->selectAll();
    dialog->unitName->paste();
    EXPECT_EQ(dialog->unitName->text(), u"Line1 Line2 Tabbed Line3"_s);
    EXPECT_TRUE(lines().contains(u"计算单元：Line1 Line2 Tabbed Line3"_s));

    const std::pair<QString, QString> names[] = {
        {u"A\r\nB\tC/D:E"_s, u"A__B_C_D_E-灭火器配置计算书.pdf"_s},
        {QString(90, u'仓'), QString(75, u'仓') + u"-灭火器配置计算书.pdf"_s},
    };
    for (const auto& [name, file] : names) {
        dialog->unitName->setText(name);
        told.clear();
        dialog->exportPdf();
        EXPECT_EQ(QFileInfo(suggested).fileName(), file);
        // Wine keeps a Windows file on Linux's file system, whose names have at most 255 bytes,
        // and QSaveFile's temporary name on Windows is 7 longer than the file's.
        if (tests::underWine() && file.toUtf8().size() > 255 - 7) {
            continue;
        }
        EXPECT_TRUE(QFileInfo(folder.filePath(file)).isFile());
        EXPECT_TRUE(told.isEmpty()) << told.join(u'\n').toStdString();
    }
    const QString accented = u"e\u0301"_s.repeated(100);  // é as two: never cut between them
    EXPECT_EQ(ui::suggestedFileName(accented, {u"表"_s, u"xlsx"_s}),
              accented.left(qsizetype{2} * 82) + u"-表.xlsx"_s);

    // A name typed without a suffix gets ".pdf".
    fileName = folder.filePath(u"noext"_s);
    dialog->exportPdf();
    EXPECT_TRUE(QFileInfo(folder.filePath(u"noext.pdf"_s)).isFile());
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(u"noext"_s)));
    EXPECT_TRUE(dialog->status->text().endsWith(u"noext.pdf"_s));
}

// The dialog fits the screen's free area; the sheet scrolls where it does not fit, and the path of
// an export, however long, does not widen the dialog: it is elided and whole in the tool tip. The
// sheet's lines wrap to the view's width, at every width the dialog can take.
TEST_F(SheetDialogTest, TheDialogFitsTheScreenAndNothingWidensIt) {
    const QRect screen = dialog->screen()->availableGeometry();
    const auto fits = [this, &screen] {  // the dialog on the screen, its last button inside it
        EXPECT_TRUE(screen.contains(dialog->frameGeometry()));
        QPushButton* last = dialog->closeButton;
        EXPECT_TRUE(
            dialog->rect().contains(QRect(last->mapTo(dialog.get(), QPoint()), last->size())));
    };
    fits();
    QTextEdit* view = dialog->sheetView;
    ASSERT_GT(view->document()->size().height(), view->viewport()->height());
    EXPECT_TRUE(view->verticalScrollBar()->isVisible() && view->verticalScrollBar()->maximum() > 0);

    const QSize size = dialog->size();
    dialog->unitName->setText(QString(72, u'楼'));
    dialog->exportPdf();
    QApplication::processEvents();
    const QString path = QDir::toNativeSeparators(folder.filePath(QFileInfo(suggested).fileName()));
    EXPECT_EQ(dialog->status->text(), u"已导出："_s + path);
    EXPECT_EQ(dialog->status->toolTip(), path);
    const QString shown = dialog->status->shownText();
    EXPECT_TRUE(shown.startsWith(u"已导出："_s) && shown.contains(u'…'));
    EXPECT_LE(dialog->status->fontMetrics().horizontalAdvance(shown), dialog->status->width());
    EXPECT_EQ(dialog->size(), size);
    fits();

    dialog->unitName->setText(QString(150, u'W'));  // no place to break a line but anywhere
    QScrollBar* bar = view->horizontalScrollBar();
    const int widest = screen.width() - 10;
    ASSERT_LT(dialog->minimumSizeHint().width(), widest - 100);
    for (int width = dialog->minimumSizeHint().width(); width <= widest; width += 2) {
        dialog->resize(width, dialog->height());
        QApplication::processEvents();
        ASSERT_FALSE(bar->isVisible()) << "at " << width << " px: " << bar->maximum();
    }
}

}  // namespace
