#pragma once
// Helpers shared by the tests: a unit as they make it, files and folders written and read back,
// a PDF's text, a temporary home.
#include <gtest/gtest.h>

#include <QtCore>

#include "project.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace tests {

inline core::Unit makeUnit(const char* name, core::FireClass fireClass, double area,
                           core::Agent agent = core::Agent::AmmoniumPhosphatePowder) {
    core::Unit unit;
    unit.name = name;
    unit.location = "一层";
    unit.choices.fireClass = fireClass;
    unit.choices.area = area;
    unit.choices.agent = agent;
    return unit;
}

inline void writeFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        << fileName.toStdString();
}

// The file's bytes; none when it cannot be read.
inline QByteArray readFile(const QString& fileName) {
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The names in the folder, hidden ones and folders included.
inline QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Whether the tests run under Wine, on Linux's file system: Wine's own functions are there.
inline bool underWine() {
#ifdef Q_OS_WIN
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

// Whether Poppler's tools (pdftotext, pdfinfo, pdffonts) run here and answer. Under Wine they are
// Linux programs, which Wine starts detached: their output comes back only now and then, and they
// would read the Windows file names as their own. There packaging/windows/cross-check.sh reads the
// Windows program's book back instead.
inline bool pdfToolsAnswer() {
    static const bool answer = [] {
        if (underWine()) {
            return false;
        }
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {QStringLiteral("-v")});
        return process.waitForFinished(30000) && process.exitCode() == 0 &&
               process.readAllStandardError().contains("pdftotext");
    }();
    return answer;
}

// The text of a PDF as pdftotext reads it, its pages apart by form feeds.
inline QString pdfText(const QString& fileName) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), fileName, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext could not read " << fileName.toStdString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Ends the test, as skipped, where what follows reads a PDF back with Poppler's tools and they
// do not answer (pdfToolsAnswer).
#define SKIP_UNLESS_PDF_TOOLS_ANSWER()                                                      \
    do {                                                                                    \
        if (!tests::pdfToolsAnswer()) {                                                     \
            GTEST_SKIP() << "Poppler's tools (pdftotext, pdfinfo, pdffonts) do not answer " \
                            "here; under Wine the cross-check reads the Windows book back"; \
        }                                                                                   \
    } while (false)

// The settings and the recovery copies go to a temporary home, never the user's.
class TemporaryHome : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        qputenv("HOME", home_.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setDefaultFormat(QSettings::IniFormat);  // not the registry on Windows
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           home_.filePath(QStringLiteral("settings")));
    }

  private:
    QTemporaryDir home_;
};

// Everything under a folder, hidden entries too: each path, where a link points and a hash of a
// plain file's bytes (a pipe or a device is not read).
inline QStringList folderState(const QString& folder) {
    QStringList state;
    for (QDirIterator it(folder,
                         QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        const QFileInfo entry(it.next());
        const bool plain = entry.isFile() && !entry.isSymLink();
        state << entry.filePath() + QStringLiteral(" -> ") + entry.symLinkTarget() + u' ' +
                     QString::number(plain ? qHash(readFile(entry.filePath())) : 0);
    }
    state.sort();
    return state;
}

}  // namespace tests
