// Start-up: reads the command line, then opens the calculator window (or the project window with
// the file named), or writes a project's calculation book or workbook without a window
// (--export), or adds the rooms of a floor plan to a project file (--import-plan), or places the
// setting points of its rooms (--place), or combines the rooms of its floors into combined units
// (--combine). Qt's widgets need no installation step, so start-up only
// checks that a display exists, gives the application its desktop id and icon, offers the
// recovery copies a crashed instance left, loads the window and shows it; if the window cannot be
// built it says why and ends with a non-zero exit code.
// Everything written to standard output and standard error is UTF-8, on Windows too, where the
// console is switched to UTF-8 while the program runs. There the program is a windowed one, so that
// opening it from the desktop shows no console; started from a console, it writes to that console.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#include "app_identity.h"
#include "export_command.h"
#include "plan_command.h"
#include "program.h"

namespace {

void write(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
}

// The console shows UTF-8 while the program runs (Windows keeps a code page per console, which
// the program gives back as it found it); a pipe or a file gets the bytes as they are.
class Utf8Console {
  public:
#ifdef Q_OS_WIN
    Utf8Console() : old_(GetConsoleOutputCP()) {
        if (old_ != 0) {
            SetConsoleOutputCP(CP_UTF8);
        }
    }
    ~Utf8Console() {
        if (old_ != 0) {
            SetConsoleOutputCP(old_);
        }
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    UINT old_;
#endif
};

#ifdef Q_OS_WIN
// A windowed program has no standard output or error of its own unless its starter handed it
// some (a pipe, a file). Without them, it writes to the console it was started from, if any.
void useStartingConsole() {
    const auto missing = [](DWORD which) {
        const HANDLE handle = GetStdHandle(which);
        return handle == nullptr || handle == INVALID_HANDLE_VALUE;
    };
    const bool noOutput = missing(STD_OUTPUT_HANDLE);
    const bool noError = missing(STD_ERROR_HANDLE);
    if ((!noOutput && !noError) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    std::FILE* reopened = nullptr;
    if (noOutput) {
        freopen_s(&reopened, "CONOUT$", "w", stdout);
    }
    if (noError) {
        freopen_s(&reopened, "CONOUT$", "w", stderr);
    }
}
#endif

// The command line as Qt reads it, through an application object that lives only while it is
// read: on Windows from the system's wide command line, so that a name such as 工程.fep arrives
// whole whatever the code page.
QStringList commandLine(int argc, char** argv) {
    const QCoreApplication reader(argc, argv);
    return QCoreApplication::arguments();
}

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
        write(stderr, held + u'\n');
    }
    std::_Exit(1);
}

// Qt's own messages, dropped while exporting unless --verbose asks for them; a fatal one still
// says why the program ends.
void dropMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        write(stderr, message + u'\n');
    }
}

// Qt's own messages, shown with --verbose.
void showMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    write(stderr, qFormatLogMessage(type, context, message) + u'\n');
}

int exportMain(int argc, char** argv, const app::ExportRequest& request) {
    qInstallMessageHandler(request.verbose ? showMessage : dropMessage);
    // The book is laid out with the platform's fonts, which need no display: on Windows the
    // windows platform, which reads the system's fonts with or without one; elsewhere the
    // offscreen platform, which finds them through fontconfig.
#ifndef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    QGuiApplication app(argc, argv);
    app::useChineseTexts();
    return app::exportProject(request);
}

int windowMain(int argc, char** argv, const QString& file) {
    if (!displayAvailable()) {
        std::fputs(
            "灭火器配置计算：未找到图形显示（DISPLAY 和 WAYLAND_DISPLAY "
            "均未设置），无法打开窗口。\n",
            stderr);
        return 1;
    }
    qInstallMessageHandler(holdStartMessage);
    app::useChineseDates();
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString& message : std::as_const(startMessages)) {
        qWarning("%s", qPrintable(message));
    }
    app::identifyApplication();
    app::useChineseTexts();
    try {
        app::Program program;
        // A refused file is told by the project window, which stays open.
        program.start(file);
        return QApplication::exec();
    } catch (const std::exception& error) {
        const QString why = QStringLiteral("窗口无法打开：") + QString::fromUtf8(error.what());
        write(stderr, why + u'\n');
        QMessageBox::critical(nullptr, QStringLiteral("提示"), why);
        return 1;
    }
}

// What the option that Qt's (English) message names lacks: the only fault left once no option
// is unknown is an option given without its value.
QString missingValue(const QString& qtMessage) {
    const std::pair<const char*, const char*> kWhat[] = {
        {"--export", "--export 后应写出要导出的文件（.pdf 或 .xlsx）"},
        {"--import-plan", "--import-plan 后应写出要导入的平面图（.dxf）"},
        {"--layer", "--layer 后应写出图层名"},
        {"--wall-layer", "--wall-layer 后应写出墙线所在的图层名"},
        {"--door-layer", "--door-layer 后应写出门所在的图层名"},
        {"--floor", "--floor 后应写出楼层/位置"},
        {"--unit", "--unit 后应写出图纸单位（mm、cm、dm、m、inch 或 ft）"},
    };
    for (const auto& [option, what] : kWhat) {
        if (qtMessage.contains(QStringLiteral("'%1'").arg(QLatin1String(option)))) {
            return QString::fromUtf8(what);
        }
    }
    return QStringLiteral("选项后缺少值");
}

int Main(int argc, char** argv) {
#ifdef Q_OS_WIN
    useStartingConsole();
#endif
    [[maybe_unused]] const Utf8Console console;  // empty outside Windows
    const QStringList arguments = commandLine(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("灭火器配置计算：按 GB 55036-2022 和 GB 50140-2005 计算建筑灭火器配置。"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("显示本帮助后退出。"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("显示版本后退出。"));
    const QCommandLineOption exportTo(
        QStringLiteral("export"),
        QStringLiteral("不打开窗口，将工程的计算书（<OUT> 以 .pdf 结尾）、Excel 工作簿（.xlsx）"
                       "或平面布置图（.dxf）写入 <OUT> 后退出；工程有多个楼层而未用 --floor 指明"
                       "时，每层的平面布置图写入 <OUT>-<楼层>.dxf。"),
        QStringLiteral("OUT"));
    const QCommandLineOption importPlan(
        QStringLiteral("import-plan"),
        QStringLiteral("不打开窗口，将 DXF 平面图 <PLAN> 中的房间导入工程文件（不存在时新建）后"
                       "退出；同一图纸再次导入同一楼层时，按图元句柄（图纸没有句柄时按轮廓）更新"
                       "已导入的计算单元。"),
        QStringLiteral("PLAN"));
    const QCommandLineOption layer(
        QStringLiteral("layer"),
        QStringLiteral(
            "导入平面图时房间轮廓所在的图层（可多次给出，不区分大小写）；与 --wall-layer "
            "都不给出时取图层名含“房间”“ROOM”“AREA”“面积”的图层。"),
        QStringLiteral("NAME"));
    const QCommandLineOption wallLayer(
        QStringLiteral("wall-layer"),
        QStringLiteral(
            "导入平面图时由墙线识别房间：墙线和柱所在的图层（可多次给出，不区分大小写）；"
            "与 --layer 都不给出时取图层名含“墙”“WALL”“柱”“COLUMN”的图层。门洞按门块的"
            "门扇闭合，窗洞按窗块闭合，无门的墙端空隙不超过 2.4 m 时按门洞闭合。"),
        QStringLiteral("NAME"));
    const QCommandLineOption doorLayer(
        QStringLiteral("door-layer"),
        QStringLiteral(
            "由墙线识别房间时，以闭合多段线画门的图层（可多次给出）；门块按图块名或图层名"
            "含“门”“DOOR”“DOR”识别，无需给出。"),
        QStringLiteral("NAME"));
    const QCommandLineOption floor(
        QStringLiteral("floor"),
        QStringLiteral("导入平面图时计算单元的楼层/位置（默认为此图纸上次导入的楼层，未导入过时"
                       "为图纸文件名）；导出平面布置图时只导出此楼层。"),
        QStringLiteral("TEXT"));
    const QCommandLineOption unit(
        QStringLiteral("unit"),
        QStringLiteral("导入平面图时图纸的单位：mm、cm、dm、m、inch 或 ft（默认为图纸注明的单位，"
                       "未注明时为 mm）。"),
        QStringLiteral("UNIT"));
    const QCommandLineOption place(
        QStringLiteral("place"),
        QStringLiteral(
            "不打开窗口，为工程文件中有平面轮廓而尚未布置设置点的计算单元布置设置点后"
            "退出；已有设置点而未能覆盖全部平面的计算单元（如轮廓扩大或保护距离缩短）"
            "重新布置，其余不变。超过 2 秒时显示进度，按 Ctrl+C 取消且不改变工程文件。"));
    const QCommandLineOption combine(
        QStringLiteral("combine"),
        QStringLiteral(
            "不打开窗口，将工程文件中每一楼层（给出 --floor 时只此楼层）火灾种类和危险等级相同、"
            "有平面轮廓的计算单元合并为一个组合单元（GB 50140-2005 第7.2.1条）后退出；"
            "已合并的和没有平面轮廓的计算单元不变。S 取楼层轮廓的面积，图纸中没有楼层轮廓时取"
            "各房间面积之和。"));
    const QCommandLineOption keep(
        QStringLiteral("keep"),
        QStringLiteral("布置设置点时保留未能覆盖全部平面的已有设置点，只给出警告。"));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"),
        QStringLiteral(
            "导出时也显示 Qt 和 Excel 写入库的运行信息，并列出写入的平面布置图；"
            "导入平面图时列出读取的图层、识别的房间、门和按门洞闭合的空隙以及新增和更新的"
            "计算单元；布置设置点时列出各计算单元保留和新布置的设置点数；合并时列出所成的组合单元"
            "。"));
    parser.addOptions({help, version, exportTo, importPlan, layer, wallLayer, doorLayer, floor,
                       unit, place, combine, keep, verbose});
    parser.addPositionalArgument(QStringLiteral("工程文件"),
                                 QStringLiteral("要打开或导出的工程文件（.fep）。"),
                                 QStringLiteral("[工程文件.fep]"));
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        const QString why =
            !unknown.isEmpty() ? QStringLiteral("未知的选项：") + unknown.join(QStringLiteral("、"))
                               : missingValue(parser.errorText());
        write(stderr, QStringLiteral("灭火器配置计算：") + why + u'\n');
        return 1;
    }
    if (parser.isSet(help)) {
        // Qt writes the frame of the help in English, and cannot name the program before the
        // application exists.
        write(stdout, parser.helpText()
                          .replace(QStringLiteral("<executable_name>"),
                                   QStringLiteral("extinguisher-calculator"))
                          .replace(QStringLiteral("[options]"), QStringLiteral("[选项]"))
                          .replace(QStringLiteral("Usage:"), QStringLiteral("用法："))
                          .replace(QStringLiteral("Options:"), QStringLiteral("选项："))
                          .replace(QStringLiteral("Arguments:"), QStringLiteral("参数：")));
        return 0;
    }
    if (parser.isSet(version)) {
        write(stdout, QStringLiteral("extinguisher-calculator " PROGRAM_VERSION "\n"));
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    // An option's value where it is given.
    const auto given = [&parser](const QCommandLineOption& option) {
        return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
    };
    if (parser.isSet(place) && (parser.isSet(exportTo) || parser.isSet(importPlan))) {
        std::fputs("灭火器配置计算：--place 不能与 --export 或 --import-plan 同时使用\n", stderr);
        return 1;
    }
    if (parser.isSet(combine) &&
        (parser.isSet(place) || parser.isSet(exportTo) || parser.isSet(importPlan))) {
        std::fputs("灭火器配置计算：--combine 不能与 --place、--export 或 --import-plan 同时使用\n",
                   stderr);
        return 1;
    }
    if (parser.isSet(keep) && !parser.isSet(place)) {
        std::fputs("灭火器配置计算：--keep 只用于 --place\n", stderr);
        return 1;
    }
    if (parser.isSet(importPlan)) {
        if (parser.isSet(exportTo) || files.size() != 1) {
            std::fputs(
                "灭火器配置计算：导入平面图需要一个工程文件：extinguisher-calculator "
                "--import-plan PLAN.dxf [--wall-layer NAME]... [--door-layer NAME]... "
                "[--layer NAME]... [--floor TEXT] [--unit UNIT] 工程文件.fep\n",
                stderr);
            return 1;
        }
        const QCoreApplication app(argc, argv);
        return app::importPlan({parser.value(importPlan), parser.values(layer),
                                parser.values(wallLayer), parser.values(doorLayer), given(floor),
                                given(unit), files.front(), parser.isSet(verbose)});
    }
    if (parser.isSet(combine)) {
        if (files.size() != 1 || parser.isSet(layer) || parser.isSet(wallLayer) ||
            parser.isSet(doorLayer) || parser.isSet(unit)) {
            std::fputs(
                "灭火器配置计算：合并计算单元需要一个工程文件：extinguisher-calculator --combine "
                "[--floor TEXT] [--verbose] 工程文件.fep\n",
                stderr);
            return 1;
        }
        const QCoreApplication app(argc, argv);
        return app::combineUnits({files.front(), given(floor), parser.isSet(verbose)});
    }
    const bool layoutExport =
        parser.isSet(exportTo) &&
        QFileInfo(parser.value(exportTo)).suffix().compare(u"dxf", Qt::CaseInsensitive) == 0;
    if (parser.isSet(layer) || parser.isSet(wallLayer) || parser.isSet(doorLayer) ||
        parser.isSet(unit) || (parser.isSet(floor) && !layoutExport)) {
        std::fputs(
            "灭火器配置计算：--layer、--wall-layer、--door-layer 和 --unit 只用于 --import-plan，"
            "--floor 只用于 --import-plan、--combine 和 --export OUT.dxf\n",
            stderr);
        return 1;
    }
    if (parser.isSet(place)) {
        if (files.size() != 1) {
            std::fputs(
                "灭火器配置计算：布置设置点需要一个工程文件：extinguisher-calculator --place "
                "[--keep] [--verbose] 工程文件.fep\n",
                stderr);
            return 1;
        }
        const QCoreApplication app(argc, argv);
        return app::placePoints({files.front(), parser.isSet(keep), parser.isSet(verbose)});
    }
    if (parser.isSet(exportTo)) {
        if (files.size() != 1) {
            std::fputs(
                "灭火器配置计算：导出需要一个工程文件：extinguisher-calculator --export "
                "OUT [--floor TEXT] 工程文件.fep\n",
                stderr);
            return 1;
        }
        return exportMain(
            argc, argv,
            {files.front(), parser.value(exportTo), parser.isSet(verbose), given(floor)});
    }
    if (files.size() > 1) {
        std::fputs("灭火器配置计算：一次只能打开一个工程文件\n", stderr);
        return 1;
    }
    return windowMain(argc, argv, files.value(0));
}

}  // namespace

int main(int argc, char** argv) {
    const int status = Main(argc, argv);
    if (status == app::kStopped) {
        // Stopped while placing, which may still run in its thread: the program ends without
        // the static objects' destructors, which that thread may still use.
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(status);
    }
    return status;
}
