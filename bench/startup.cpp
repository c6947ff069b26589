// Start-up to the first painted frame. "calculator" builds the window as start-up does
// (construct, Form_Load, show); "reference" shows one line of Chinese text, the least any
// Chinese window pays: the font set-up and the search for a font that covers Chinese. Both load
// Qt's Chinese texts as start-up does. Families given after "calculator" become the
// application font first, as a QApplication::setFont line in start-up would make them.
//
// At the first paint of the window the program prints the wall-clock time and the processor
// time it has used, both in microseconds, and ends at once, without tearing anything down: the
// window and its children are painted and flushed in one pass, before the queued call runs.
// bench/startup.sh times whole processes against that stamp and reads their peak memory.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "app_identity.h"
#include "torva.h"

namespace {

long long inMicroseconds(std::chrono::nanoseconds time) {
    return std::chrono::duration_cast<std::chrono::microseconds>(time).count();
}

// Prints the wall-clock time and the processor time used so far, and ends the process.
[[noreturn]] void stampAndExit() {
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::printf(
        "%lld %lld\n", inMicroseconds(std::chrono::system_clock::now().time_since_epoch()),
        inMicroseconds(std::chrono::seconds(cpu.tv_sec) + std::chrono::nanoseconds(cpu.tv_nsec)));
    std::fflush(stdout);
    std::_Exit(0);
}

class FirstFrame final : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, &stampAndExit);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool reference = argc > 1 && std::strcmp(argv[1], "reference") == 0;
    QApplication app(argc, argv);
    app::useChineseTexts();
    std::unique_ptr<QWidget> window;
    if (reference) {
        window = std::make_unique<QLabel>(QStringLiteral("灭火器配置计算"));
    } else {
        if (argc > 2) {
            QStringList families;
            for (int i = 2; i < argc; ++i) {
                families.append(QString::fromLocal8Bit(argv[i]));
            }
            QFont font = QApplication::font();
            font.setFamilies(families);
            QApplication::setFont(font);
        }
        auto calculator = std::make_unique<torva>();
        calculator->Form_Load();
        window = std::move(calculator);
    }
    FirstFrame firstFrame;
    window->installEventFilter(&firstFrame);
    window->show();
    return QApplication::exec();
}
