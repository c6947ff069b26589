// The program's command line as a user runs it: the book and the workbook written without a
// window, a floor plan imported and its rooms' setting points placed, and every bad input refused
// with a Chinese reason, exit status 1 and no file left.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "placed_rooms.h"
#include "project_file.h"
#include "project_lock.h"
#include "test_support.h"
#include "unit_choice.h"
#include "unit_sheet.h"

using namespace Qt::StringLiterals;

namespace {

using namespace tests;

struct Outcome {
    int status = -1;
    QString err;
    QString out;
};

Outcome run(const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Without a display: the export needs none, and Qt's notes on it stay quiet. (The Windows
    // build's tests run under Wine, whose windows platform needs an X display: they keep the
    // offscreen platform they run on.)
#ifndef Q_OS_WIN
    environment.remove(u"QT_QPA_PLATFORM"_s);
#endif
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"XDG_RUNTIME_DIR"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PROGRAM_PATH), arguments);
    if (!process.waitForFinished(60000)) {
        ADD_FAILURE() << "the program did not end";
        process.kill();
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError()),
            QString::fromUtf8(process.readAllStandardOutput())};
}

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        // clang-format off
        project = {"综合楼", {
            {"仓库", "一层", kWarehouse.choices(), std::nullopt, std::nullopt},
            {"配电间", "地下一层", UnitChoice{E, Medium, K10, kFun, Agent::CarbonDioxide, "60"}.choices(), std::nullopt, 1},
            {"机房", "二层", UnitChoice{B, Serious, K05, kAbove, Agent::Foam, "9876543.21"}.choices(), std::nullopt, std::nullopt}}};
        // clang-format on
        const auto fault = io::saveProject(project, path(u"工程.fep"_s));
        ASSERT_FALSE(fault) << fault->toStdString();
    }

    [[nodiscard]] QString path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    core::Project project;
};

TEST_F(CommandLine, TheBookHoldsEachUnitsSheetLinesAndTheWorkbookIsWritten) {
    const Outcome book = run({u"--export"_s, u"计算书.pdf"_s, u"工程.fep"_s}, folder.path());
    EXPECT_EQ(book.status, 0) << book.err.toStdString();
    // 配电间's one setting point breaks a clause: written all the same, with a warning.
    EXPECT_EQ(book.err.trimmed(), u"警告：有 1 个计算单元不满足校核。"_s);
    SKIP_UNLESS_PDF_TOOLS_ANSWER();
    const QString text = tests::pdfText(path(u"计算书.pdf"_s));
    // Every short "label：value" line of each unit's single sheet stands in the book as it is,
    // but for the title, the date and the basis, which the cover carries, the unit's name, which
    // its heading carries, and N₀'s subscript, set as a smaller 0.
    for (const core::Unit& unit : project.units) {
        const auto sheet = documents::CalculationSheet::ofProjectUnit(unit, core::design(unit));
        int checked = 0;
        for (const auto& part : sheet.parts()) {
            const QString line = QString(part.text).replace(u"N₀"_s, u"N0"_s);
            if (part.kind == documents::CalculationSheet::Kind::Line && line.contains(u'：') &&
                line.size() <= 30) {
                EXPECT_TRUE(text.contains(line)) << unit.name << ": " << line.toStdString();
                ++checked;
            }
        }
        EXPECT_GT(checked, 15) << unit.name;
    }

    const Outcome workbook = run({u"--export"_s, u"工作簿.xlsx"_s, u"工程.fep"_s}, folder.path());
    EXPECT_EQ(workbook.status, 0) << workbook.err.toStdString();
    EXPECT_TRUE(readFile(path(u"工作簿.xlsx"_s)).startsWith("PK")) << "a workbook is a zip archive";
}

core::Project readBack(const QString& fileName) {
    auto read = io::readProject(fileName);
    if (const auto* fault = std::get_if<QString>(&read)) {
        ADD_FAILURE() << fault->toStdString();
        return {};
    }
    return std::get<core::Project>(read);
}

// The GBK drawing written by ezdxf: four rooms on A-AREA, a floor boundary around them and three
// faulty outlines, each refused.
TEST_F(CommandLine, APlanImportedAddsItsRoomsAndAgainUpdatesThem) {
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(PLAN_DRAWINGS "/r2000_gbk.dxf"), path(u"一层平面.dxf"_s)));
    const QString newProject = path(u"新工程.fep"_s);
    const Outcome first =
        run({u"--import-plan"_s, u"一层平面.dxf"_s, u"--floor"_s, u"一层"_s, u"新工程.fep"_s},
            folder.path());
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, QString()) << "success is silent";
    for (const char* refused : {"包含 4 个房间", "自相交", "面积为零", "顶点不足"}) {
        EXPECT_TRUE(first.err.contains(QStringLiteral("未导入：图元 ")) &&
                    first.err.contains(QString::fromUtf8(refused)))
            << refused << '\n'
            << first.err.toStdString();
    }
    core::Project imported = readBack(newProject);
    std::vector<std::pair<std::string, double>> rooms;
    for (const core::Unit& unit : imported.units) {
        EXPECT_EQ(unit.location, "一层");
        EXPECT_EQ(unit.plan.value().file, "一层平面.dxf");
        EXPECT_EQ(unit.plan.value().unit, "mm");
        EXPECT_FALSE(core::areaTypedByHand(unit)) << unit.name;
        rooms.emplace_back(unit.name, unit.choices.area);
    }
    // 2.4 × 3, 6 × 4.5, 4 × 4 and 12 × 2 m, in the order of the drawing.
    const std::vector<std::pair<std::string, double>> expected{
        {"卫生间", 7.2}, {"会议 室", 27}, {"储藏室", 16}, {"走廊", 24}};
    EXPECT_EQ(rooms, expected);

    // Changed in the project: one area typed, one class set. Imported again, the typed area
    // gives way to the plan's, the class stays, nothing is added.
    imported.units[0].choices.area = 9;
    imported.units[1].choices.fireClass = E;
    imported.units[1].choices.agent = Agent::CarbonDioxide;
    ASSERT_FALSE(io::saveProject(imported, newProject));
    const Outcome again = run(
        {u"--import-plan"_s, u"一层平面.dxf"_s, u"--verbose"_s, u"新工程.fep"_s}, folder.path());
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(u"更新：一层 卫生间（7.20 m²）"_s)) << again.out.toStdString();
    EXPECT_TRUE(again.out.contains(u"新增 0 个、更新 1 个、未变 3 个计算单元"_s))
        << again.out.toStdString();
    const core::Project reimported = readBack(newProject);
    ASSERT_EQ(reimported.units.size(), 4U);
    EXPECT_EQ(reimported.units[0].choices.area, 7.2);
    EXPECT_EQ(reimported.units[1].choices.fireClass, E);
}

TEST_F(CommandLine, APlanIsNotImportedIntoAProjectThatIsOpenElsewhere) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(PLAN_DRAWINGS "/r2007_utf8.dxf"), path(u"plan.dxf"_s)));
    io::ProjectLock lock(path(u"工程.fep"_s));
    ASSERT_EQ(lock.lock(), io::ProjectLock::State::Held);
    const QByteArray before = readFile(path(u"工程.fep"_s));
    const Outcome refused = run({u"--import-plan"_s, u"plan.dxf"_s, u"工程.fep"_s}, folder.path());
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(u"该工程已在其他窗口中打开"_s)) << refused.err.toStdString();
    EXPECT_EQ(readFile(path(u"工程.fep"_s)), before);
}

// The distance from a point to the nearest wall of an outline.
double wallDistance(core::PlanPoint p, const core::Ring& outline) {
    double nearest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const core::PlanPoint a = outline[i];
        const core::PlanPoint b = outline[(i + 1) % outline.size()];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double t =
            std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        nearest = std::min(nearest, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
    }
    return nearest;
}

// A unit of the plan without setting points.
core::Unit unplaced(core::Unit unit) {
    unit.setPoints.clear();
    return unit;
}

// The rooms of a plan, their points placed by --place: each one that has none yet, and only
// those, the file written once and then left alone.
TEST_F(CommandLine, SettingPointsArePlacedInRoomsThatHaveNone) {
    // A 10 m room with a slot 0.4 m wide running 30 m out of it, narrower than a point keeps from
    // the walls on both sides: its far end is out of reach.
    core::Unit slot = placedRoom(
        "窄间", {{0, 0}, {10, 0}, {10, 4.8}, {40, 4.8}, {40, 5.2}, {10, 5.2}, {10, 10}, {0, 10}},
        {}, core::Hazard::Medium);
    core::Unit hall =
        placedRoom("大厅", {{0, 0}, {250, 0}, {250, 250}, {0, 250}}, {}, core::Hazard::Medium);
    // The L with its one point placed by hand, which does not reach it: kept as it is.
    project.units.insert(project.units.begin(),
                         {unplaced(placedCorridor()), unplaced(placedL()), slot, hall, placedL()});
    const QString file = path(u"工程.fep"_s);
    ASSERT_FALSE(io::saveProject(project, file));
    const QByteArray before = readFile(file);

    {
        // Held by a window: refused, and the file as it was.
        io::ProjectLock lock(file);
        ASSERT_EQ(lock.lock(), io::ProjectLock::State::Held);
        const Outcome refused = run({u"--place"_s, u"工程.fep"_s}, folder.path());
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(refused.err.contains(
            u"无法在工程文件“工程.fep”中布置设置点：该工程已在其他窗口中打开"_s))
            << refused.err.toStdString();
        EXPECT_EQ(readFile(file), before);
    }

    const Outcome placed = run({u"--place"_s, u"工程.fep"_s}, folder.path());
    ASSERT_EQ(placed.status, 0) << placed.err.toStdString();
    EXPECT_EQ(placed.out, QString());
    // Lines end in \r\n on Windows.
    const QStringList said = QString(placed.err).remove(u'\r').split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(said, QStringList({
                        u"警告：第3个计算单元“窄间”（一层）的设置点未能覆盖全部平面（如有宽度不足 "
                        "0.6 m 的狭窄部分），请在平面图上检查"_s,
                        u"未布置设置点：第4个计算单元“大厅”（一层）的面积超过 40000 m²，"
                        "应划分为多个计算单元"_s,
                    }))
        << placed.err.toStdString();

    const core::Project read = readBack(file);
    ASSERT_EQ(read.units.size(), project.units.size());
    // Four points along the corridor as R = 20 m asks; the L and the slot covered as far as they
    // can be, every point clear of the walls.
    EXPECT_EQ(read.units[0].setPoints.size(), 4U);
    for (std::size_t i = 0; i < 3; ++i) {
        const core::Unit& unit = read.units[i];
        SCOPED_TRACE(unit.name);
        ASSERT_FALSE(unit.setPoints.empty());
        for (const core::PlanPoint& p : unit.setPoints) {
            EXPECT_TRUE(core::coveredBy(p, unit.outline)) << p.x << ", " << p.y;
            EXPECT_GE(wallDistance(p, unit.outline), core::kWallClearance - 1e-9)
                << p.x << ", " << p.y;
        }
        EXPECT_EQ(core::design(unit).cover.value().proven, i != 2);
    }
    // Left alone: the hall too large, the L placed by hand, the units without an outline.
    EXPECT_TRUE(read.units[3].setPoints.empty());
    for (std::size_t i = 4; i < read.units.size(); ++i) {
        EXPECT_EQ(read.units[i], project.units[i]) << read.units[i].name;
    }

    // Run again, nothing is placed and the file is not written.
    const QByteArray after = readFile(file);
    const Outcome again = run({u"--place"_s, u"工程.fep"_s}, folder.path());
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_FALSE(again.err.contains(u"窄间"_s)) << again.err.toStdString();
    EXPECT_EQ(readFile(file), after);
    EXPECT_EQ(entries(folder.path()), QStringList{u"工程.fep"_s});
}

TEST(CommandLineHelp, ListsEveryOption) {
    QTemporaryDir folder;
    const Outcome help = run({u"--help"_s}, folder.path());
    EXPECT_EQ(help.status, 0);
    for (const char* option :
         {"--export", "--import-plan", "--layer", "--floor", "--place", "--verbose"}) {
        EXPECT_TRUE(help.out.contains(QString::fromUtf8(option))) << option;
    }
}

struct BadInput {
    const char* name;
    QStringList arguments;
    const char* says;
};

class CommandLineRefuses : public CommandLine, public ::testing::WithParamInterface<BadInput> {};

TEST_P(CommandLineRefuses, WithStatusOneAndNoFileLeft) {
    writeFile(path(u"bad.fep"_s), "{\"format\": 1");
    ASSERT_TRUE(QFile::copy(QStringLiteral(PLAN_DRAWINGS "/minimal.dxf"), path(u"plan.dxf"_s)));
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"folder.pdf"_s));
    const QStringList before = entries(folder.path());

    const Outcome refused = run(GetParam().arguments, folder.path());
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QDir::toNativeSeparators(QString::fromUtf8(GetParam().says))))
        << refused.err.toStdString();
    EXPECT_EQ(entries(folder.path()), before) << "no file, partial or whole, is left";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLine, CommandLineRefuses, ::testing::Values(
    BadInput{"missingProject", {"--export", "out.pdf", "none.fep"}, "none.fep"},
    BadInput{"damagedProject", {"--export", "out.xlsx", "bad.fep"}, "bad.fep"},
    BadInput{"badSuffix", {"--export", "out.docx", "工程.fep"}, "扩展名应为 .pdf"},
    BadInput{"unwritableBook", {"--export", "missing/out.pdf", "工程.fep"}, "missing/out.pdf"},
    BadInput{"folderInThePlaceOfTheWorkbook", {"--export", "folder.pdf", "工程.fep"}, "folder.pdf"},
    BadInput{"noProject", {"--export", "out.pdf"}, "导出需要一个工程文件"},
    BadInput{"unknownOption", {"--exprt", "out.pdf", "工程.fep"}, "exprt"},
    // plan.dxf: a drawing with one room on the layer ROOM.
    BadInput{"missingPlan", {"--import-plan", "none.dxf", "工程.fep"}, "none.dxf"},
    BadInput{"planIsAProject", {"--import-plan", "工程.fep", "new.fep"}, "工程.fep"},
    BadInput{"planWithoutProject", {"--import-plan", "工程.fep"}, "导入平面图需要一个工程文件"},
    BadInput{"planWithoutName", {"工程.fep", "--import-plan"}, "--import-plan 后应写出要导入的平面图"},
    BadInput{"layerWithoutImport", {"--layer", "ROOM", "工程.fep"}, "--layer 和 --floor 只用于 --import-plan"},
    BadInput{"planIntoDamagedProject", {"--import-plan", "plan.dxf", "bad.fep"}, "bad.fep"},
    BadInput{"planLayerMissing", {"--import-plan", "plan.dxf", "--layer", "墙", "new.fep"}, "没有图层“墙”"},
    BadInput{"placeMissingProject", {"--place", "none.fep"}, "无法打开工程文件“none.fep”：文件不存在"},
    BadInput{"placeDamagedProject", {"--place", "bad.fep"}, "无法打开工程文件“bad.fep”：不是有效的 JSON 文本"},
    BadInput{"placeInAFolder", {"--place", "folder.pdf"}, "无法打开工程文件“folder.pdf”"},
    BadInput{"placeWithoutProject", {"--place"}, "布置设置点需要一个工程文件"},
    BadInput{"placeAndExport", {"--place", "--export", "out.pdf", "工程.fep"}, "--place 不能与 --export 或 --import-plan 同时使用"}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

}  // namespace
