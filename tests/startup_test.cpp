// Start-up as a user meets it: the program run as a process of its own.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// A display that cannot be reached, or no platform at all: Qt ends the program while it starts.
// Our line comes first, then what Qt said while it started and why it ended.
TEST(Startup, AFailedStartSaysWhyAfterOurLine) {
    // clang-format off
    const std::pair<const char*, QStringList> cases[] = {
#ifdef Q_OS_WIN  // which has no X11 platform
        {"xcb", {QStringLiteral("Could not find the Qt platform plugin \"xcb\""), QStringLiteral("no Qt platform plugin could be initialized")}},
#else
        {"xcb", {QStringLiteral("could not connect to display :9999"), QStringLiteral("no Qt platform plugin could be initialized")}},
#endif
        {"nosuchplatform", {QStringLiteral("Could not find the Qt platform plugin \"nosuchplatform\"")}}};
    // clang-format on
    for (const auto& [platform, reasons] : cases) {
        SCOPED_TRACE(platform);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(platform));
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":9999"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(PROGRAM), {});
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_TRUE(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 1);
        // Windows's C library ends each line with CR LF.
        const QString said =
            QString::fromUtf8(program.readAllStandardError()).replace(u"\r\n"_s, u"\n"_s);
        const QString ours = QStringLiteral("灭火器配置计算：图形显示无法使用，无法打开窗口。\n");
        EXPECT_TRUE(said.startsWith(ours)) << said.toStdString();
        for (const QString& reason : reasons) {
            EXPECT_TRUE(said.indexOf(reason) > 0) << reason.toStdString();
        }
    }
}

}  // namespace
