// The files the program keeps, when the disk or the file is at fault: every writer leaves the old
// file whole when its write fails, and tells why; every writer takes Windows' long-path names;
// the saved choices' texts are read or refused.
#include <gtest/gtest.h>

#include <QDate>
#include <QGuiApplication>
#include <QScopeGuard>
#include <csignal>
#include <functional>
#include <optional>
#include <tuple>

#ifdef Q_OS_UNIX
#include <sys/mount.h>
#include <sys/resource.h>
#endif

#include "book_pdf.h"
#include "project_file.h"
#include "project_lock.h"
#include "recovery_copy.h"
#include "saved_choices_file.h"
#include "test_support.h"
#include "unit_sheet.h"
#include "workbook.h"

using namespace Qt::StringLiterals;

namespace {

using tests::folderState;

const core::Project kFiveUnits{"综合楼",
                               std::vector(5, tests::makeUnit("仓库", core::FireClass::A, 1500))};

#ifdef Q_OS_UNIX
// Runs `write` with writes past 512 bytes failing with EFBIG, as on a full disk with ENOSPC.
std::optional<QString> pastSizeLimit(const std::function<std::optional<QString>()>& write) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{512, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto failure = write();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
    return failure;
}
#endif

// A writer of a file the user keeps: writes it into a folder and gives the reason it fails.
using Writer = std::pair<const char*, std::function<std::optional<QString>(const QString&)>>;

std::unique_ptr<io::RecoveryCopy> recovery;  // released before its disk goes

std::vector<Writer> writers() {
    const auto outcome = [](const documents::WriteOutcome& written) {
        return written.written() ? std::nullopt : std::optional(written.error);
    };
    return {
        {"project",
         [](const QString& at) { return io::saveProject(kFiveUnits, at + u"/工程.fep"_s); }},
        {"recoveryCopy",
         [](const QString& at) {
             if (!recovery) {
                 qputenv("HOME", QFile::encodeName(at));
                 recovery = std::make_unique<io::RecoveryCopy>();
             }
             return recovery->write(kFiveUnits, u"工程.fep"_s);
         }},
        {"settings",
         [](const QString& at) -> std::optional<QString> {
             QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, at);
             io::SavedChoices choices;
             choices.area = QString(2000, u'9');  // past the file size limit
             const auto failure = io::saveChoices(choices);
             return failure ? std::optional(failure->reason) : std::nullopt;
         }},
        {"sheetPdf",
         [](const QString& at) {
             const core::UnitDesign design = core::design(kFiveUnits.units.front());
             return documents::writeSheetPdf(
                 documents::CalculationSheet(u"仓库"_s, QDate(2024, 5, 6), *design.conditions,
                                             design.model, design.configuration.points),
                 at + u"/计算书.pdf"_s);
         }},
        {"bookPdf",
         [=](const QString& at) {
             return outcome(documents::writeBookPdf(kFiveUnits, at + u"/工程.pdf"_s));
         }},
        {"workbook",
         [=](const QString& at) {
             return outcome(documents::writeWorkbook(kFiveUnits, at + u"/工程.xlsx"_s));
         }},
    };
}

class FailedWriteTest : public ::testing::TestWithParam<std::tuple<Writer, bool>> {};

// The file is written, then again onto a full disk (a small file system of its own, mounted by
// the test as root) or past a file size limit.
TEST_P(FailedWriteTest, KeepsTheOldFileWholeAndSaysWhy) {
#ifndef Q_OS_UNIX
    GTEST_SKIP() << "Windows has no file size limit for a process (RLIMIT_FSIZE) and no small "
                    "file system that a test can mount";
#else
    const auto& write = std::get<0>(GetParam()).second;
    const bool fullDisk = std::get<1>(GetParam());
    const QTemporaryDir scratch;
    const QString folder = scratch.path();
    const QByteArray mountPoint = QFile::encodeName(folder);
    const bool mounted =
        fullDisk && ::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=8m") == 0;
    const QByteArray home = qgetenv("HOME");
    const auto release = qScopeGuard([&] {
        recovery.reset();
        qputenv("HOME", home);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QDir::home().filePath(u"settings"_s));
        if (mounted) {
            ::umount2(mountPoint.constData(), MNT_DETACH);
        }
    });
    if (fullDisk && !mounted) {
        GTEST_SKIP() << "no file system can be mounted here";
    }
    ASSERT_EQ(write(folder), std::nullopt);
    if (fullDisk) {  // every free byte taken
        QFile filler(folder + u"/filler"_s);
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'f')) > 0) {
        }
    }
    const QStringList old = folderState(folder);
    const auto again = [&] { return write(folder); };
    const std::optional<QString> failure = fullDisk ? again() : pastSizeLimit(again);
    ASSERT_TRUE(failure.has_value()) << "the failed write was reported as done";
    EXPECT_TRUE(failure->contains(fullDisk ? u"磁盘空间不足"_s : u"文件太大"_s))
        << failure->toStdString();
    EXPECT_EQ(folderState(folder), old) << "the old file whole, and no file left beside it";
#endif
}

INSTANTIATE_TEST_SUITE_P(Writers, FailedWriteTest,
                         ::testing::Combine(::testing::ValuesIn(writers()), ::testing::Bool()),
                         [](const auto& row) {
                             return std::string(std::get<0>(row.param).first) +
                                    (std::get<1>(row.param) ? "_FullDisk" : "_FileSizeLimit");
                         });

// Every writer, and the project's lock, takes a name in Windows' long-path form (\\?\C:\…),
// as other programs hand names over.
TEST(LongPathNames, EveryWriterWritesThroughThem) {
#ifndef Q_OS_WIN
    GTEST_SKIP() << "only Windows has the long-path form";
#else
    const QTemporaryDir scratch;
    const QString folder = u"\\\\?\\"_s + QDir::toNativeSeparators(scratch.path());
    for (const auto& [name, write] : writers()) {
        const auto fault = write(folder);
        EXPECT_FALSE(fault) << name << ": " << fault.value_or(QString()).toStdString();
    }
    recovery.reset();
    io::ProjectLock lock(folder + u"\\工程.fep"_s);
    EXPECT_EQ(lock.lock(), io::ProjectLock::State::Held);
    EXPECT_EQ(QDir(scratch.path()).entryList({u"*.fep*"_s, u"*.pdf"_s, u"*.xlsx"_s}).size(), 5);
#endif
}

// The settings are written as a copy and renamed into place: the copy carries the others over,
// lists of one or no file among them.
TEST(Settings, ASaveKeepsTheOtherSettings) {
    const QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    const std::pair<QString, QStringList> kept[] = {
        {u"project/recent"_s, {u"/甲/一.fep"_s, u"/乙/二, 三.fep"_s}},
        {u"project/single"_s, {u"/丙.fep"_s}},
        {u"project/none"_s, {}},
    };
    for (const auto& [key, value] : kept) {
        io::openSettings()->setValue(key, value);
    }
    ASSERT_EQ(io::saveChoices({}), std::nullopt);
    for (const auto& [key, value] : kept) {
        EXPECT_EQ(io::openSettings()->value(key).toStringList(), value) << key.toStdString();
    }
    EXPECT_EQ(folderState(folder.path()).size(), 1) << "no copy left beside the settings";
}

// Saved texts are read as the window has always read them, as an option's value and as the check
// box's, and what cannot be read is none: more spellings than the window's tests write.
TEST(Settings, BooleansAndTheCheckBoxAreReadOrRefused) {
    constexpr auto kNone = std::nullopt;
    const std::tuple<const char*, std::optional<bool>, std::optional<int>> cases[] = {
        {"True", true, kNone}, {" FALSE ", false, kNone}, {"2.5", true, kNone},  {"+0", false, 0},
        {"-1", true, kNone},   {"1x", kNone, kNone},      {"nan", kNone, kNone}, {" 1 ", true, 1}};
    for (const auto& [text, option, check] : cases) {
        EXPECT_EQ(io::booleanFromText(text), option) << '"' << text << '"';
        EXPECT_EQ(io::checkFromText(text), check) << '"' << text << '"';
    }
}

#ifdef Q_OS_WIN
// On Windows the settings are the registry's: the saved choices' 23 keys under
// HKEY_CURRENT_USER\Software\narwe\tool\torva, each the text an INI file keeps. What the
// account had there is put back.
TEST(Settings, OnWindowsTheSavedChoicesAreTheRegistrysTexts) {
    const QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    io::SavedChoices choices;
    choices.area = u"2500.5"_s;
    ASSERT_EQ(io::saveChoices(choices), std::nullopt);
    QSettings ini(folder.filePath(u"narwe.ini"_s), QSettings::IniFormat);
    ini.beginGroup(u"tool/torva"_s);
    ASSERT_EQ(ini.allKeys().size(), 23);

    QSettings::setDefaultFormat(QSettings::NativeFormat);
    const QString store = io::openSettings()->fileName();
    ASSERT_TRUE(store.startsWith(u"\\HKEY_CURRENT_USER\\Software\\narwe"_s)) << store.toStdString();
    QSettings registry(store + u"\\tool\\torva"_s, QSettings::NativeFormat);
    QMap<QString, QVariant> before;
    for (const QString& key : registry.allKeys()) {
        before.insert(key, registry.value(key));
    }
    const auto restore = qScopeGuard([&] {
        registry.remove({});
        for (auto i = before.cbegin(); i != before.cend(); ++i) {
            registry.setValue(i.key(), i.value());
        }
        QSettings::setDefaultFormat(QSettings::IniFormat);
    });
    registry.remove({});
    ASSERT_EQ(io::saveChoices(choices), std::nullopt);
    registry.sync();
    EXPECT_EQ(registry.allKeys().size(), 23);
    for (const QString& key : ini.allKeys()) {
        const QVariant value = registry.value(key);
        EXPECT_EQ(value.typeId(), QMetaType::QString) << key.toStdString();
        EXPECT_EQ(value.toString(), ini.value(key).toString()) << key.toStdString();
    }
}
#endif

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");  // also when ctest lists the tests
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new tests::TemporaryHome);
    QGuiApplication app(argc, argv);  // the PDFs' fonts
    return RUN_ALL_TESTS();
}
