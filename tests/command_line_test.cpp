// The program's command line as a user runs it: the book, the workbook and the layout drawings
// written without a window, a floor plan imported and its rooms' setting points placed, and every
// bad input refused with a Chinese reason, exit status 1 and no file left.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <initializer_list>
#include <optional>
#include <tuple>

#ifndef Q_OS_WIN
#include <csignal>
#endif

#include "placed_rooms.h"
#include "project_file.h"
#include "project_lock.h"
#include "test_support.h"
#include "unit_choice.h"
#include "utf8_text.h"

using namespace Qt::StringLiterals;

namespace {

using namespace tests;

struct Outcome {
    int status = -1;
    QString err;
    QString out;
};

// Starts the program in `folder` as a user would, without a display.
void start(QProcess& process, const QStringList& arguments, const QString& folder) {
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
}

Outcome run(const QStringList& arguments, const QString& folder) {
    QProcess process;
    start(process, arguments, folder);
    if (!process.waitForFinished(60000)) {
        ADD_FAILURE() << "the program did not end";
        process.kill();
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError()),
            QString::fromUtf8(process.readAllStandardOutput())};
}

// The lines of standard error but for placing's progress, shown when it takes long (as it may
// under a sanitizer). Lines end in \r\n on Windows.
QStringList saidLines(const QString& err) {
    QStringList lines = QString(err).remove(u'\r').split(u'\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString& line) { return line.startsWith(u"正在布置设置点："_s); });
    return lines;
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

// The book, the workbook and the layout drawings: each floor's to a file named after it, made fit
// for a file name and numbered where two would be one; a floor without points left out, warned
// of; failing units warned of by each. The help lists every option.
TEST_F(CommandLine, TheBookTheWorkbookAndTheLayoutDrawingsAreWritten) {
    core::Unit slash = placedCorridor(), colon = placedCorridor(), bare = placedL();
    slash.location = "二/层";
    colon.location = "二:层";
    bare.location = "三层";
    bare.setPoints.clear();
    project.units.insert(project.units.end(), {placedCorridor(), slash, colon, bare});
    ASSERT_FALSE(io::saveProject(project, path(u"工程.fep"_s)));
    // 配电间's one setting point breaks a clause: written all the same, with a warning.
    const QStringList failing{u"警告：有 1 个计算单元不满足校核。"_s};
    const std::tuple<QStringList, QStringList, QStringList> cases[] = {
        {{u"计算书.pdf"_s}, {}, failing},
        {{u"工作簿.xlsx"_s}, {}, failing},
        {{u"平面.dxf"_s, u"--verbose"_s},
         {u"已导出：平面-一层.dxf"_s, u"已导出：平面-二_层.dxf"_s, u"已导出：平面-二_层-2.dxf"_s},
         failing +
             QStringList{u"警告：楼层“三层”的计算单元尚未布置设置点，未导出其平面布置图。"_s}},
        {{u"一层.dxf"_s, u"--floor"_s, u"一层"_s}, {}, failing},
    };
    for (const auto& [arguments, said, warned] : cases) {
        const Outcome outcome =
            run(QStringList{u"--export"_s} + arguments + QStringList{u"工程.fep"_s}, folder.path());
        EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
        EXPECT_EQ(saidLines(outcome.out), said);
        EXPECT_EQ(saidLines(outcome.err).filter(u"警告："_s), warned);  // --verbose: Qt's too
    }
    EXPECT_TRUE(readFile(path(u"计算书.pdf"_s)).startsWith("%PDF"));
    EXPECT_TRUE(readFile(path(u"工作簿.xlsx"_s)).startsWith("PK")) << "a workbook is a zip archive";
    const Outcome help = run({u"--help"_s}, folder.path());  // every option listed
    for (const char* option : {"--export", "--import-plan", "--layer", "--floor", "--unit",
                               "--place", "--keep", "--combine", "--verbose"}) {
        EXPECT_TRUE(help.status == 0 && help.out.contains(QString::fromUtf8(option))) << option;
    }
    EXPECT_EQ(entries(folder.path()),
              (QStringList{u"一层.dxf"_s, u"工作簿.xlsx"_s, u"工程.fep"_s, u"平面-一层.dxf"_s,
                           u"平面-二_层-2.dxf"_s, u"平面-二_层.dxf"_s, u"计算书.pdf"_s}));
}

core::Project readBack(const QString& fileName) {
    auto read = io::readProject(fileName);
    if (const auto* fault = std::get_if<QString>(&read)) {
        ADD_FAILURE() << fault->toStdString();
        return {};
    }
    return std::get<core::Project>(read);
}

// A drawing as a CAD program that gives every drawing the same handles writes it: the header
// with its unit where `insunits` is given, rooms as closed polylines with their names, and lines.
struct Drawn {
    const char* layer;
    double width;  // a rectangle at the origin, or a line of this length where height is 0
    double height;
    const char* name;
};
QByteArray drawing(std::optional<int> insunits, std::initializer_list<Drawn> entities) {
    QByteArray dxf = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1021\n";
    if (insunits) {
        dxf += "  9\n$INSUNITS\n 70\n" + QByteArray::number(*insunits) + '\n';
    }
    dxf += "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n";
    int handle = 0xA0;
    for (const Drawn& e : entities) {
        const QByteArray head = "  5\n" + QByteArray::number(++handle, 16).toUpper() + "\n  8\n" +
                                QByteArray(e.layer) + '\n';
        const QByteArray w = QByteArray::number(e.width);
        const QByteArray h = QByteArray::number(e.height);
        if (e.height == 0) {
            dxf += "  0\nLINE\n" + head + " 10\n0\n 20\n0\n 11\n" + w + "\n 21\n0\n";
            continue;
        }
        dxf += "  0\nLWPOLYLINE\n" + head + " 90\n4\n 70\n1\n 10\n0\n 20\n0\n 10\n" + w +
               "\n 20\n0\n 10\n" + w + "\n 20\n" + h + "\n 10\n0\n 20\n" + h + '\n';
        dxf += "  0\nTEXT\n  5\n" + QByteArray::number(++handle, 16).toUpper() +
               "\n  8\nTEXT\n 10\n" + QByteArray::number(e.width / 4) + "\n 20\n" +
               QByteArray::number(e.height / 4) + "\n 40\n" + QByteArray::number(e.height / 20) +
               "\n  1\n" + QByteArray(e.name) + '\n';
    }
    return dxf + "  0\nENDSEC\n  0\nEOF\n";
}

// 1F/平面图.dxf and 2F/平面图.dxf, the same handles in both, into two floors; a drawing in metres
// without a unit in its header, its layer named in another case; the GBK drawing written by
// ezdxf, its three faulty outlines refused each on a line (why: the room finder's tests). Imported
// again, an area typed in the project gives way to the plan's, nothing added.
TEST_F(CommandLine, DrawingsGoToTheirFloorsAndAgainUpdateTheirUnits) {
    ASSERT_TRUE(QDir(folder.path()).mkpath(u"1F"_s) && QDir(folder.path()).mkpath(u"2F"_s));
    writeFile(path(u"1F/平面图.dxf"_s), drawing(4, {{"房间", 5000, 4000, "办公室"}}));
    writeFile(path(u"2F/平面图.dxf"_s), drawing(4, {{"房间", 20000, 10000, "仓库"}}));
    writeFile(path(u"metres.dxf"_s), drawing({}, {{"ROOM", 4, 3, "Store"}, {"WALL", 4, 0, ""}}));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PLAN_DRAWINGS "/r2000_gbk.dxf"), path(u"平面.dxf"_s)));
    const QString one = u"导入房间 1 个，未导入轮廓 0 个，无法读取的对象 0 个"_s;
    const std::pair<QStringList, QString> steps[] = {
        {{u"1F/平面图.dxf"_s, u"--floor"_s, u"一层"_s}, one},
        {{u"2F/平面图.dxf"_s, u"--floor"_s, u"二层"_s}, one},
        {{u"metres.dxf"_s, u"--layer"_s, u"room"_s, u"--unit"_s, u"m"_s, u"--floor"_s, u"三层"_s},
         one},
        {{u"平面.dxf"_s, u"--floor"_s, u"四层"_s},
         u"导入房间 4 个，未导入轮廓 3 个，无法读取的对象 3 个"_s},
    };
    for (const auto& [step, summary] : steps) {
        SCOPED_TRACE(step.join(u' ').toStdString());
        const Outcome outcome =
            run(QStringList{u"--import-plan"_s} + step + QStringList{u"工程.fep"_s}, folder.path());
        EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
        EXPECT_EQ(outcome.out, QString()) << "success is silent";
        EXPECT_EQ(saidLines(outcome.err).value(saidLines(outcome.err).size() - 1), summary);
        EXPECT_EQ(outcome.err.count(u"未导入：图元 "_s), summary == one ? 0 : 3);
    }
    // Without a floor, which of the two is not told.
    const Outcome twice =
        run({u"--import-plan"_s, u"1F/平面图.dxf"_s, u"工程.fep"_s}, folder.path());
    EXPECT_EQ(twice.status, 1);
    EXPECT_TRUE(twice.err.contains(
        u"名为“平面图.dxf”的图纸已导入到多个楼层（一层、二层），请用 --floor 指明楼层"_s))
        << twice.err.toStdString();
    // After the project's own three units, each drawing's rooms on its floor.
    core::Project imported = readBack(path(u"工程.fep"_s));
    QStringList rooms;
    for (const core::Unit& unit : imported.units) {
        rooms << u"%1 %2 %3"_s.arg(io::qs(unit.location), io::qs(unit.name)).arg(unit.choices.area);
    }
    EXPECT_EQ(rooms.mid(3),
              (QStringList{u"一层 办公室 20"_s, u"二层 仓库 200"_s, u"三层 Store 12"_s,
                           u"四层 卫生间 7.2"_s, u"四层 会议 室 27"_s, u"四层 储藏室 16"_s,
                           u"四层 走廊 24"_s}));
    EXPECT_TRUE(imported.units[6].plan.value().file == "平面.dxf" &&
                imported.units[6].plan.value().unit == "mm");
    imported.units[6].choices.area = 9;
    ASSERT_FALSE(io::saveProject(imported, path(u"工程.fep"_s)));
    const Outcome again =
        run({u"--import-plan"_s, u"平面.dxf"_s, u"--verbose"_s, u"工程.fep"_s}, folder.path());
    ASSERT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(u"更新：四层 卫生间（7.20 m²）"_s)) << again.out.toStdString();
    EXPECT_TRUE(again.out.contains(u"新增 0 个、更新 1 个、未变 3 个计算单元"_s))
        << again.out.toStdString();
    const core::Project reimported = readBack(path(u"工程.fep"_s));
    EXPECT_TRUE(reimported.units.size() == 10 && reimported.units[6].choices.area == 7.2);
}

// The rooms of a plan, their points placed by --place: each one that has none yet, and one whose
// points no longer reach all of it unless --keep, the file written and then left alone.
TEST_F(CommandLine, SettingPointsArePlacedInRoomsThatHaveNone) {
    core::Unit hall =
        placedRoom("大厅", {{0, 0}, {250, 0}, {250, 250}, {0, 250}}, {}, core::Hazard::Medium);
    core::Unit unplaced = placedCorridor();
    unplaced.setPoints.clear();
    // The corridor grown is placed again about its point set by hand, and one whose points reach
    // all of it kept as it is.
    core::Unit grown = grownCorridor(180);
    grown.handSet = {true, false, false, false};
    project.units.insert(project.units.begin(),
                         {unplaced, slotRoom(), hall, grown, placedCorridor()});
    const QString file = path(u"工程.fep"_s);
    ASSERT_FALSE(io::saveProject(project, file));
    const QByteArray before = readFile(file);

    {
        // Held by a window: placing and importing a plan refused, and the file as it was (the
        // drawing beside the project, as a user's: a Windows program under Wine does not see the
        // build's own paths).
        io::ProjectLock lock(file);
        ASSERT_EQ(lock.lock(), io::ProjectLock::State::Held);
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(PLAN_DRAWINGS "/r2007_utf8.dxf"), path(u"plan.dxf"_s)));
        for (const QString& command : {u"--place"_s, u"--import-plan plan.dxf"_s}) {
            const Outcome refused =
                run(command.split(u' ') + QStringList{u"工程.fep"_s}, folder.path());
            EXPECT_EQ(refused.status, 1);
            EXPECT_TRUE(refused.err.contains(u"工程文件“工程.fep”"_s) &&
                        refused.err.contains(u"：该工程已在其他窗口中打开"_s))
                << refused.err.toStdString();
        }
        EXPECT_EQ(readFile(file), before);
        ASSERT_TRUE(QFile::remove(path(u"plan.dxf"_s)));
    }

    const QStringList said{
        u"警告：第2个计算单元“窄间%2”（一层）的设置点未能覆盖全部平面（如有宽度不足 0.6 m "
        "的狭窄部分），请在平面图上检查"_s,
        u"未布置设置点：第3个计算单元“大厅”（一层）的面积超过 40000 m²，应划分为多个计算单元"_s};
    const QString stale =
        u"第4个计算单元“走廊”（一层）的设置点未能覆盖全部平面（最大 75.1 m > R = 20 m）"_s;
    // Kept, placed again, and run again: nothing placed and the file not written; the slot,
    // placed again as it was, and the hall told each time.
    const QString told[] = {
        u"警告：%1，已按 --keep 保留"_s.arg(stale), u"重新布置："_s + stale, {}};
    // --verbose: what each unit kept and what was placed anew.
    const QStringList counted{u"第1个计算单元“走廊”（一层）：保留设置点 4 个，新布置 0 个"_s,
                              u"第2个计算单元“窄间%2”（一层）：保留设置点 1 个，新布置 0 个"_s,
                              u"第4个计算单元“走廊”（一层）：保留设置点 1 个，新布置 4 个"_s,
                              u"第5个计算单元“走廊”（一层）：保留设置点 4 个，新布置 0 个"_s};
    QByteArray written;
    for (int step = 0; step < 3; ++step) {
        const QStringList keep = step == 0   ? QStringList{u"--keep"_s}
                                 : step == 1 ? QStringList{u"--verbose"_s}
                                             : QStringList();
        const Outcome outcome = run(QStringList{u"--place"_s, u"工程.fep"_s} + keep, folder.path());
        ASSERT_EQ(outcome.status, 0) << outcome.err.toStdString();
        EXPECT_EQ(saidLines(outcome.out), step == 1 ? counted : QStringList());
        EXPECT_EQ(saidLines(outcome.err),
                  told[step].isEmpty() ? said : said + QStringList{told[step]});
        EXPECT_TRUE(step < 2 || readFile(file) == written);
        written = readFile(file);
        // The points written are the placing's; the rest is left alone.
        const core::Project read = readBack(file);
        ASSERT_EQ(read.units.size(), project.units.size());
        for (std::size_t i = 0; i < read.units.size(); ++i) {
            core::Unit expected = project.units[i];
            if (i < 2 || (i == 3 && step > 0)) {
                expected.setPoints = core::placeUnit(expected)->points;
                expected.handSet.resize(i == 3 ? expected.setPoints.size() : 0);
            }
            EXPECT_EQ(read.units[i], expected) << step << ' ' << read.units[i].name;
        }
    }
    EXPECT_EQ(entries(folder.path()), QStringList{u"工程.fep"_s});
}

#ifndef Q_OS_WIN
// Placing that takes long shows its progress, and Ctrl+C stops it with the file as it was and its
// lock released.
TEST_F(CommandLine, PlacingStopsOnCtrlCLeavingTheFileAsItWas) {
    // Rooms shaped as combs, 80 teeth 1.5 m wide and 30 m long: seconds each to place.
    for (int i = 0; i < 20; ++i) {
        project.units.push_back(
            placedRoom("车间", comb(80, 1.5, 5, 35), {}, core::Hazard::Serious));
    }
    const QString file = path(u"工程.fep"_s);
    ASSERT_FALSE(io::saveProject(project, file));
    const QByteArray before = readFile(file);

    QProcess process;
    start(process, {u"--place"_s, u"工程.fep"_s}, folder.path());
    ASSERT_TRUE(process.waitForStarted());
    QByteArray err;
    QElapsedTimer waited;
    waited.start();
    while (!err.contains("正在布置设置点：") && waited.elapsed() < 20000 &&
           process.state() == QProcess::Running) {
        process.waitForReadyRead(500);
        err += process.readAllStandardError();
    }
    ASSERT_TRUE(QString::fromUtf8(err).contains(QRegularExpression(u"正在布置设置点：\\d+/20 …"_s)))
        << err.toStdString();
    EXPECT_GE(waited.elapsed(), 1900) << "no progress in the first 2 s";
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    err += process.readAllStandardError();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_TRUE(err.endsWith("已取消，工程文件未改变\n")) << err.toStdString();
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(entries(folder.path()), QStringList{u"工程.fep"_s}) << "no lock file is left";
}
#endif

struct BadInput {
    const char* name;
    QStringList arguments;
    const char* says;
    const char* files = "";  // made by sh in the folder first (links, pipes, read-only copies)
};

class CommandLineRefuses : public CommandLine, public ::testing::WithParamInterface<BadInput> {};

// Every refusal leaves the folder as it was; an export's is one line, none of the workbook
// library's own.
TEST_P(CommandLineRefuses, WithStatusOneAndNoFileLeft) {
    const BadInput& c = GetParam();
    writeFile(path(u"bad.fep"_s), "{\"format\": 1");
    ASSERT_TRUE(QFile::copy(QStringLiteral(PLAN_DRAWINGS "/minimal.dxf"), path(u"plan.dxf"_s)));
    writeFile(path(u"metres.dxf"_s), drawing({}, {{"ROOM", 4, 3, "A"}, {"ROOM", 5, 3, "B"}}));
    writeFile(path(u"walls.dxf"_s), drawing(4, {{"WALL", 4000, 0, ""}, {"WALL", 3000, 0, ""}}));
    writeFile(path(u"furniture.dxf"_s),
              drawing(4, {{"FURN", 600, 600, "桌"}, {"0", 5000, 4000, "x"}}));
    ASSERT_TRUE(QDir(folder.path()).mkdir(u"folder.xlsx"_s));
    ASSERT_EQ(io::saveProject({"空", {}}, path(u"empty.fep"_s)), std::nullopt);
    core::Unit unplaced = placedL();  // floors.fep: 一层 with points, 三层 without, 二层 unplanned
    unplaced.location = "三层";
    unplaced.setPoints.clear();
    core::Project floors = project;
    floors.units.insert(floors.units.end(), {placedCorridor(), unplaced});
    ASSERT_EQ(io::saveProject(floors, path(u"floors.fep"_s)), std::nullopt);
    ASSERT_EQ(io::saveProject({"未布置", {unplaced}}, path(u"unplaced.fep"_s)), std::nullopt);
    core::Unit drawn = placedCorridor();  // drawn.fep: from plan.dxf; mixed.fep: and from inches
    drawn.plan = core::PlanSource{"plan.dxf", "ROOM", "2F", "mm"};
    core::Unit inInches = placedL();
    inInches.plan = core::PlanSource{"inch.dxf", "ROOM", "30", "inch"};
    ASSERT_EQ(io::saveProject({"图", {drawn}}, path(u"drawn.fep"_s)), std::nullopt);
    ASSERT_EQ(io::saveProject({"混", {drawn, inInches}}, path(u"mixed.fep"_s)), std::nullopt);
    core::Project rooms = combinedOffices();  // rooms.fep: a combined unit from plan.dxf
    for (core::UnitRoom& room : rooms.units.front().rooms) {
        room.plan = core::PlanSource{"plan.dxf", "ROOM", room.name, "mm"};
    }
    ASSERT_EQ(io::saveProject(rooms, path(u"rooms.fep"_s)), std::nullopt);
    if (*c.files != '\0') {
#ifdef Q_OS_WIN
        GTEST_SKIP() << "its files are made by sh: links, a named pipe, read-only copies";
#else
        ASSERT_EQ(
            QProcess::execute(
                u"sh"_s, {u"-c"_s, u"cd \"$0\" && "_s + QString::fromUtf8(c.files), folder.path()}),
            0);
#endif
    }
    const QStringList before = folderState(folder.path());

    const Outcome refused = run(c.arguments, folder.path());
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QDir::toNativeSeparators(QString::fromUtf8(c.says))))
        << refused.err.toStdString();
    if (c.arguments.front() == u"--export"_s) {
        EXPECT_EQ(saidLines(refused.err).size(), 1) << refused.err.toStdString();
    }
    EXPECT_EQ(folderState(folder.path()), before) << "no file, partial or whole, is left";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLine, CommandLineRefuses, ::testing::Values(
    BadInput{"missingProject", {"--export", "out.pdf", "none.fep"}, "none.fep"},
    BadInput{"damagedProject", {"--export", "out.xlsx", "bad.fep"}, "bad.fep"},
    BadInput{"badSuffix", {"--export", "out.docx", "工程.fep"}, "扩展名应为 .pdf"},
    BadInput{"unwritableBook", {"--export", "missing/out.pdf", "工程.fep"}, "missing/out.pdf"},
    BadInput{"folderInThePlaceOfTheWorkbook", {"--export", "folder.xlsx", "工程.fep"}, "无法保存Excel文件“folder.xlsx”"},
    BadInput{"workbookInAMissingFolder", {"--export", "无此/out.xlsx", "工程.fep"}, "无法保存Excel文件“无此/out.xlsx”："},
    BadInput{"bookWithoutUnits", {"--export", "out.pdf", "empty.fep"}, "工程中没有计算单元。"},
    BadInput{"pipeAsProject", {"--export", "out.pdf", "pipe.fep"}, "“pipe.fep”：这不是普通文件", "mkfifo pipe.fep"},
    BadInput{"readOnlyWorkbook", {"--export", "out.xlsx", "工程.fep"}, "“out.xlsx”：文件是只读的", "cp 工程.fep out.xlsx; chmod -w out.xlsx"},
    BadInput{"linkAsBook", {"--export", "out.pdf", "工程.fep"}, "“out.pdf”：该位置是一个链接", "cp 工程.fep other; ln -s other out.pdf"},
    BadInput{"projectAsBook", {"--export", "out.pdf", "out.pdf"}, "“out.pdf”：这就是要导出的工程文件", "cp 工程.fep out.pdf"},
    BadInput{"linkToProjectAsWorkbook", {"--export", "out.xlsx", "工程.fep"}, "“out.xlsx”：这就是要导出的工程文件", "ln -s 工程.fep out.xlsx"},
    BadInput{"noProject", {"--export", "out.pdf"}, "导出需要一个工程文件"},
    BadInput{"unknownOption", {"--exprt", "out.pdf", "工程.fep"}, "exprt"},
    // plan.dxf: a drawing with one room on the layer ROOM.
    BadInput{"missingPlan", {"--import-plan", "none.dxf", "工程.fep"}, "none.dxf"},
    BadInput{"planIsAProject", {"--import-plan", "工程.fep", "new.fep"}, "工程.fep"},
    BadInput{"planWithoutProject", {"--import-plan", "工程.fep"}, "导入平面图需要一个工程文件"},
    BadInput{"planWithoutName", {"工程.fep", "--import-plan"}, "--import-plan 后应写出要导入的平面图"},
    BadInput{"layerWithoutImport", {"--layer", "ROOM", "工程.fep"}, "--layer、--wall-layer、--door-layer 和 --unit 只用于 --import-plan，--floor 只用于 --import-plan、--combine 和 --export OUT.dxf"},
    BadInput{"floorOfABook", {"--export", "out.pdf", "--floor", "一层", "工程.fep"}, "--floor 只用于 --import-plan、--combine 和 --export OUT.dxf"},
    BadInput{"layoutOfAnUnknownFloor", {"--export", "out.dxf", "--floor", "五层", "floors.fep"}, "工程中没有楼层“五层”，有平面轮廓的楼层：一层、三层"},
    BadInput{"layoutOfAFloorWithoutPoints", {"--export", "out.dxf", "--floor", "三层", "floors.fep"}, "楼层“三层”的计算单元尚未布置设置点。"},
    BadInput{"layoutOfAFloorWithoutOutlines", {"--export", "out.dxf", "--floor", "二层", "floors.fep"}, "楼层“二层”的计算单元没有平面轮廓，请先导入平面图。"},
    BadInput{"layoutWithoutOutlines", {"--export", "out.dxf", "工程.fep"}, "工程中没有带平面轮廓的计算单元，请先导入平面图。"},
    BadInput{"layoutWithoutPoints", {"--export", "out.dxf", "unplaced.fep"}, "工程中的计算单元尚未布置设置点。"},
    BadInput{"linkAsLayout", {"--export", "out.dxf", "--floor", "一层", "floors.fep"}, "“out.dxf”：该位置是一个链接", "cp 工程.fep other; ln -s other out.dxf"},
    BadInput{"readOnlyFloorLayout", {"--export", "out.dxf", "floors.fep"}, "“out-一层.dxf”：文件是只读的", "cp 工程.fep out-一层.dxf; chmod -w out-一层.dxf"},
    BadInput{"layoutOfDrawingsInTwoUnits", {"--export", "out.dxf", "mixed.fep"}, "楼层“一层”的计算单元来自不同单位的图纸"},
    BadInput{"layoutOverItsDrawing", {"--export", "PLAN.dxf", "drawn.fep"}, "“PLAN.dxf”：这是工程导入的平面图", "cp plan.dxf PLAN.dxf"},
    BadInput{"layoutOverItsCombinedRooms", {"--export", "PLAN.dxf", "rooms.fep"}, "“PLAN.dxf”：这是工程导入的平面图", "cp plan.dxf PLAN.dxf"},
    BadInput{"projectAsFloorLayout", {"--export", "p.dxf", "p-一层.dxf"}, "“p-一层.dxf”：这就是要导出的工程文件", "cp floors.fep p-一层.dxf"},
    BadInput{"planIntoDamagedProject", {"--import-plan", "plan.dxf", "bad.fep"}, "bad.fep"},
    BadInput{"planLayerMissing", {"--import-plan", "plan.dxf", "--layer", "墙", "new.fep"}, "没有图层“墙”"},
    BadInput{"planFloorTooLong", {"--import-plan", "plan.dxf", "--floor", u"%2"_s + QString(300, u'层'), "new.fep"}, "楼层“%2层层层层层层层层层层层层层层层层层层…”过长：最多200个字符"},
    BadInput{"planUnitUnknown", {"--import-plan", "plan.dxf", "--unit", "furlong", "new.fep"}, "图纸单位“furlong”无效，应为 mm、cm、dm、m、inch 或 ft"},
    BadInput{"planInMetresReadAsMillimetres", {"--import-plan", "metres.dxf", "new.fep"}, "按毫米计房间面积中位数 不足 0.01 m²，图纸可能以米为单位，请用 --unit m"},
    BadInput{"planOfOpenWalls", {"--import-plan", "walls.dxf", "new.fep"}, "墙线图层（WALL）未围合出房间"},
    BadInput{"planWithoutRoomLayer", {"--import-plan", "furniture.dxf", "new.fep"}, "请用 --layer 指明房间轮廓所在的图层。有闭合轮廓的图层：FURN（1 个）、0（1 个）"},
    BadInput{"placeMissingProject", {"--place", "none.fep"}, "无法打开工程文件“none.fep”：文件不存在"},
    BadInput{"placeInAFolder", {"--place", "folder.xlsx"}, "无法打开工程文件“folder.xlsx”"},
    BadInput{"placeWithoutProject", {"--place"}, "布置设置点需要一个工程文件"},
    BadInput{"keepWithoutPlace", {"--import-plan", "plan.dxf", "--keep", "工程.fep"}, "--keep 只用于 --place"},
    BadInput{"placeAndExport", {"--place", "--export", "out.pdf", "工程.fep"}, "--place 不能与 --export 或 --import-plan 同时使用"},
    BadInput{"combineAndPlace", {"--combine", "--place", "工程.fep"}, "--combine 不能与 --place、--export 或 --import-plan 同时使用"},
    BadInput{"combineWithoutProject", {"--combine"}, "合并计算单元需要一个工程文件"},
    BadInput{"combineUnknownFloor", {"--combine", "--floor", "五层", "floors.fep"}, "工程文件“floors.fep”中没有楼层“五层”的计算单元"}),
    [](const auto& param) { return std::string(param.param.name); });
// clang-format on

}  // namespace
