// Start-up to the first shown window, offscreen: the calculator as start-up opens it, or with
// "bare" a plain Qt window built the same way. Each run ends once the window has been shown;
// bench/startup.sh times whole processes and reads their peak memory.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstring>

#include "torva.h"

int main(int argc, char** argv) {
    const bool bare = argc > 1 && std::strcmp(argv[1], "bare") == 0;
    QApplication app(argc, argv);
    ui::useChineseTexts();
    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
    } else {
        auto calculator = std::make_unique<torva>();
        calculator->Form_Load();
        window = std::move(calculator);
    }
    window->show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return QApplication::exec();
}
