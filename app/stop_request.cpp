#include "stop_request.h"

#include <QtGlobal>
#include <atomic>
#include <csignal>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace app {

namespace {

// Set from a signal handler (or, on Windows, the console's own thread): lock-free, so that the
// handler may store to it.
std::atomic<bool> stopAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#ifdef Q_OS_WIN
BOOL WINAPI noteConsoleStop(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        stopAsked.store(true);
        return TRUE;
    }
    return FALSE;  // closing the console or logging off still ends the program
}
#else
struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

void noteStop(int /*signal*/) {
    stopAsked.store(true);
}
#endif

}  // namespace

StopRequests::StopRequests() {
    stopAsked.store(false);
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(noteConsoleStop, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // a write or read under way goes on
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
#endif
}

StopRequests::~StopRequests() {
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(noteConsoleStop, FALSE);
#else
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
#endif
}

bool StopRequests::asked() {
    return stopAsked.load();
}

}  // namespace app
