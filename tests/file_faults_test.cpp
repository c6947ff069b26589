// The files the program writes and reads, when the disk or the file is at fault: every writer of
// a file the user keeps leaves the old file whole when its write fails, and tells why; the
// reader refuses a project with a key twice or a name too long for the editors.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include <sys/mount.h>
#include <sys/resource.h>

#include "book_pdf.h"
#include "project_file.h"
#include "recovery_copy.h"
#include "saved_choices_file.h"
#include "test_support.h"
#include "unit_sheet.h"
#include "workbook.h"

using namespace Qt::StringLiterals;

namespace {

using tests::makeUnit;

QByteArray contents(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

core::Project fiveUnits() {
    core::Project project{"综合楼", {}};
    for (const char* name : {"仓库", "办公室", "会议室", "档案室", "机房"}) {
        project.units.push_back(makeUnit(name, core::FireClass::A, 1500));
    }
    return project;
}

// A small file system of its own, mounted over `folder` (the tests run as root) and unmounted
// again. mounted() is false where mounting is not allowed.
class SmallDisk {
  public:
    explicit SmallDisk(const QString& folder) : path_(QFile::encodeName(folder)) {
        mounted_ = ::mount("tmpfs", path_.constData(), "tmpfs", 0, "size=256k") == 0;
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(path_.constData(), MNT_DETACH);
        }
    }
    [[nodiscard]] bool mounted() const { return mounted_; }

    // Takes every free byte.
    void fill() const {
        QFile filler(QFile::decodeName(path_) + u"/filler"_s);
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) > 0) {
        }
    }

  private:
    QByteArray path_;
    bool mounted_ = false;
};

// Writes past `bytes` into any file fail with EFBIG, as writes onto a full disk fail with ENOSPC.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, old_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// One writer of a file the user keeps: `prepare` writes the old file into a folder (before the
// disk fails) and returns it; `write` then writes a new one there and returns the reason it gives
// for failing, or nothing.
struct Writer {
    const char* name;
    std::function<QString(const QString& folder)> prepare;
    std::function<std::optional<QString>(const QString& target)> write;
};

// The recovery copy of the writers' row, released before its disk goes.
std::unique_ptr<io::RecoveryCopy> recovery;

std::vector<Writer> writers() {
    const auto outcome = [](const documents::WriteOutcome& written) {
        return written.written() ? std::nullopt : std::optional<QString>(written.error);
    };
    const auto oldFile = [](const QString& folder, const QString& name) {
        writeFile(folder + u'/' + name, "the old file's bytes");
        return folder + u'/' + name;
    };
    return {
        {"project", [=](const QString& folder) { return oldFile(folder, u"工程.fep"_s); },
         [](const QString& target) { return io::saveProject(fiveUnits(), target); }},
        {"recoveryCopy",
         [](const QString& folder) {
             qputenv("HOME", QFile::encodeName(folder));
             recovery = std::make_unique<io::RecoveryCopy>();
             EXPECT_EQ(recovery->write({"旧", {}}, {}), std::nullopt);
             return recovery->path();
         },
         [](const QString&) { return recovery->write(fiveUnits(), u"工程.fep"_s); }},
        {"settings",
         [](const QString& folder) {
             QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
             EXPECT_EQ(io::saveChoices({}), std::nullopt);
             return io::openSettings()->fileName();
         },
         [](const QString&) -> std::optional<QString> {
             io::SavedChoices choices;
             choices.area = QString(2000, u'9');  // longer than the file size limit
             const auto failure = io::saveChoices(choices);
             return failure ? std::optional(failure->reason) : std::nullopt;
         }},
        {"sheetPdf", [=](const QString& folder) { return oldFile(folder, u"计算书.pdf"_s); },
         [](const QString& target) {
             const core::Unit unit = fiveUnits().units.front();
             const core::UnitDesign design = core::design(unit);
             return documents::writeSheetPdf(
                 documents::CalculationSheet(u"仓库"_s, QDate(2024, 5, 6), *design.conditions,
                                             design.model, design.configuration.points),
                 target);
         }},
        {"bookPdf", [=](const QString& folder) { return oldFile(folder, u"工程.pdf"_s); },
         [=](const QString& target) {
             return outcome(documents::writeBookPdf(fiveUnits(), target,
                                                    documents::unitSheetHtml(QDate(2024, 5, 6))));
         }},
        {"workbook", [=](const QString& folder) { return oldFile(folder, u"工程.xlsx"_s); },
         [=](const QString& target) {
             return outcome(documents::writeWorkbook(fiveUnits(), target));
         }},
    };
}

enum class Fault { FullDisk, FileSizeLimit };

struct FailedWrite {
    Writer writer;
    Fault fault;
};

class FailedWriteTest : public ::testing::TestWithParam<FailedWrite> {
  protected:
    void TearDown() override {
        qputenv("HOME", home_);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_);
    }

    QByteArray home_ = qgetenv("HOME");
    QString settings_ = QDir::home().filePath(u"settings"_s);
};

TEST_P(FailedWriteTest, KeepsTheOldFileWholeAndSaysWhy) {
    const auto& [writer, fault] = GetParam();
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString folder = scratch.filePath(u"disk"_s);
    ASSERT_TRUE(QDir().mkdir(folder));
    const SmallDisk disk(folder);
    const auto release = qScopeGuard([] { recovery.reset(); });
    if (fault == Fault::FullDisk && !disk.mounted()) {
        GTEST_SKIP() << "no file system can be mounted here";
    }
    const QString target = writer.prepare(folder);
    const QByteArray old = contents(target);
    ASSERT_NE(old, "(unreadable)");
    const QString targetFolder = QFileInfo(target).absolutePath();
    std::optional<QString> reason;
    if (fault == Fault::FullDisk) {
        disk.fill();
        const QStringList before = entries(targetFolder);
        reason = writer.write(target);
        EXPECT_EQ(entries(targetFolder), before) << "no file is left beside the old one";
    } else {
        const QStringList before = entries(targetFolder);
        {
            const FileSizeLimit limit(512);
            reason = writer.write(target);
        }
        EXPECT_EQ(entries(targetFolder), before) << "no file is left beside the old one";
    }
    ASSERT_TRUE(reason.has_value()) << "the failed write was reported as done";
    EXPECT_TRUE(reason->contains(fault == Fault::FullDisk ? u"磁盘空间不足"_s : u"文件太大"_s))
        << reason->toStdString();
    EXPECT_EQ(contents(target), old);
}

std::vector<FailedWrite> failedWrites() {
    std::vector<FailedWrite> cases;
    for (const Writer& writer : writers()) {
        cases.push_back({writer, Fault::FullDisk});
        cases.push_back({writer, Fault::FileSizeLimit});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Writers, FailedWriteTest, ::testing::ValuesIn(failedWrites()),
                         [](const auto& row) {
                             return std::string(row.param.writer.name) +
                                    (row.param.fault == Fault::FullDisk ? "_FullDisk"
                                                                        : "_FileSizeLimit");
                         });

// The settings are written as a copy and renamed into place: nothing the copy should carry over
// from the old file is lost on the way.
TEST(Settings, ASaveKeepsTheOtherSettings) {
    QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    const QStringList recent{u"/甲/一.fep"_s, u"/乙/二, 三.fep"_s};
    const std::pair<QString, QVariant> kept[] = {
        {u"project/recent"_s, recent},
        {u"project/single"_s, QStringList{u"/丙.fep"_s}},
        {u"project/none"_s, QStringList{}},
        {u"export/folder"_s, u"/home/设计/导出"_s},
    };
    for (const auto& [key, value] : kept) {
        io::openSettings()->setValue(key, value);
    }
    io::SavedChoices choices;
    choices.area = u"2500"_s;
    ASSERT_EQ(io::saveChoices(choices), std::nullopt);
    EXPECT_EQ(io::loadSavedChoices().area, u"2500"_s);
    const auto settings = io::openSettings();
    EXPECT_EQ(settings->value(u"project/recent"_s).toStringList(), recent);
    EXPECT_EQ(settings->value(u"project/single"_s).toStringList(), QStringList{u"/丙.fep"_s});
    EXPECT_TRUE(settings->value(u"project/none"_s).toStringList().isEmpty());
    EXPECT_EQ(settings->value(u"export/folder"_s).toString(), u"/home/设计/导出"_s);
    EXPECT_EQ(entries(folder.path()), QStringList{QFileInfo(settings->fileName()).fileName()});
}

struct BadProject {
    const char* name;
    QByteArray json;
    const char* fault;  // empty: the file is read
};

const QByteArray kUnit =
    R"({"name": "u", "location": "", "fireClass": "A", "hazard": "medium", "factor": 0.9,
        "building": "aboveGround", "area": 1500, "agent": "ammoniumPhosphatePowder"})";

QByteArray project(const QByteArray& name, const QByteArray& units, const QByteArray& more = {}) {
    return R"({"format": "fire-extinguisher-project", "version": 1, "name": ")" + name + R"(", )" +
           more + R"("units": [)" + units + "]}";
}

QByteArray unitWith(const QByteArray& from, const QByteArray& to) {
    return QByteArray(kUnit).replace(from, to);
}

std::vector<BadProject> badProjects() {
    const QByteArray longest(core::kMaxNameLength, 'x');
    const QByteArray tooLong = longest + "x";
    const QByteArray hanzi = QString(core::kMaxNameLength + 1, u'楼').toUtf8();
    return {
        {"areaTwiceInAUnit", project("p", kUnit + "," + unitWith("1500", "1500, \"area\": 99999")),
         "第2个计算单元含有重复的键“area”"},
        {"keyTwiceAtTheTop", project("p", kUnit, R"("name": "q", )"), "含有重复的键“name”"},
        {"keyTwiceThroughAnEscape",
         project("p", unitWith(R"("area": 1500)", R"("area": 1500, "are\u0061": 2)")),
         "第1个计算单元含有重复的键“area”"},
        {"escapedQuoteInAKey", project("p", kUnit, R"("x\"y": 1, "x\"y": 2, )"),
         "含有重复的键“x\"y”"},
        {"sameKeysInTwoUnits", project("p", kUnit + "," + kUnit + "," + kUnit), ""},
        {"keyAsAValueIsNoKey", project("area", unitWith(R"("u")", R"("area")")), ""},
        {"longestNames", project(longest, unitWith(R"("")", '"' + longest + '"')), ""},
        {"projectNameTooLong", project(tooLong, kUnit),
         "工程名称“name”过长：201个字符，最多200个字符"},
        {"unitNameTooLong", project("p", kUnit + "," + unitWith(R"("u")", '"' + hanzi + '"')),
         "第2个计算单元的名称“name”过长：201个字符"},
        {"locationTooLong", project("p", unitWith(R"("")", '"' + tooLong + '"')),
         "第1个计算单元的位置“location”过长"},
        {"nameOfMegabytes", project(QByteArray(5'000'000, 'x'), kUnit), "工程名称“name”过长"},
        {"modelOfMegabytes",
         project("p", unitWith(R"("area")",
                               R"("model": ")" + QByteArray(1'000'000, 'M') + R"(", "area")")),
         "第1个计算单元的灭火器型号“MMMM"},
        {"versionAsText",
         R"({"format": "fire-extinguisher-project", "version": "1", "name": "p", "units": []})",
         "版本号“version”值“1”无效：应为数字"},
        {"nestedTooDeep", project("p", QByteArray(2000, '[') + QByteArray(2000, ']')),
         "括号嵌套层数过多"},
    };
}

class BadProjectTest : public ::testing::TestWithParam<BadProject> {};

TEST_P(BadProjectTest, IsRefusedNamingTheKey) {
    QTemporaryDir folder;
    const QString fileName = folder.filePath(u"工程.fep"_s);
    writeFile(fileName, GetParam().json);
    const auto read = io::readProject(fileName);
    if (*GetParam().fault == '\0') {
        EXPECT_TRUE(std::holds_alternative<core::Project>(read))
            << std::get<QString>(read).toStdString();
        return;
    }
    ASSERT_TRUE(std::holds_alternative<QString>(read));
    const QString message = std::get<QString>(read);
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(fileName))) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(GetParam().fault))) << message.toStdString();
    EXPECT_LT(message.size(), 300) << "the message quotes no text whole";
}

INSTANTIATE_TEST_SUITE_P(ProjectFile, BadProjectTest, ::testing::ValuesIn(badProjects()),
                         [](const auto& row) { return std::string(row.param.name); });

// A project the reader would refuse is not saved either.
TEST(ProjectFile, ANameTooLongIsNotSaved) {
    QTemporaryDir folder;
    const std::string tooLong(core::kMaxNameLength + 1, 'x');
    core::Project longName = fiveUnits();
    longName.name = tooLong;
    core::Project longUnit = fiveUnits();
    longUnit.units[3].location = tooLong;
    for (const auto& [project, fault] : {std::pair{longName, u"工程名称“name”过长"_s},
                                         {longUnit, u"第4个计算单元的位置“location”过长"_s}}) {
        const auto refused = io::saveProject(project, folder.filePath(u"工程.fep"_s));
        ASSERT_TRUE(refused.has_value());
        EXPECT_TRUE(refused->contains(fault)) << refused->toStdString();
    }
    EXPECT_TRUE(entries(folder.path()).isEmpty());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new tests::TemporaryHome);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
