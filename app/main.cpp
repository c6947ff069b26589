// Start-up: opens the calculator window. Qt's widgets need no installation step, so start-up
// only checks that a display exists, gives the application its desktop id and icon, loads the
// window and shows it; if the window cannot be built it says why and ends with a non-zero exit
// code.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <utility>

#include "app_identity.h"
#include "torva.h"

namespace {

bool displayAvailable() {
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// Qt ends the process when no platform plugin can start (an unreachable display, say). Its
// messages while the application starts are held back; if it fails, one plain line says so, and
// Qt's messages follow it, the last one Qt's own reason for ending.
QStringList startMessages;

void holdStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    startMessages.append(qFormatLogMessage(type, context, message));  // with its category
    if (type != QtFatalMsg) {
        return;
    }
    std::fputs("灭火器配置计算：图形显示无法使用，无法打开窗口。\n", stderr);
    for (const QString& held : std::as_const(startMessages)) {
        std::fprintf(stderr, "%s\n", held.toLocal8Bit().constData());
    }
    std::_Exit(1);
}

int Main(int argc, char** argv) {
    if (!displayAvailable()) {
        std::fputs(
            "灭火器配置计算：未找到图形显示（DISPLAY 和 WAYLAND_DISPLAY "
            "均未设置），无法打开窗口。\n",
            stderr);
        return 1;
    }
    qInstallMessageHandler(holdStartMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString& message : std::as_const(startMessages)) {
        qWarning("%s", qPrintable(message));
    }
    app::identifyApplication();
    ui::useChineseTexts();
    try {
        torva window;
        window.Form_Load();
        window.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        const QString why = QStringLiteral("计算窗口无法打开：") + QString::fromUtf8(error.what());
        std::fprintf(stderr, "%s\n", why.toUtf8().constData());
        QMessageBox::critical(nullptr, QStringLiteral("提示"), why);
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    return Main(argc, argv);
}
