#pragma once

// Ctrl+C in the console, or SIGTERM, while the command line works on something long: asked to
// stop, the program does not end at once but notes it, so that the work can leave everything as
// it was. On POSIX systems SIGINT and SIGTERM; on Windows the console's Ctrl+C and Ctrl+Break.
namespace app {

// Notes stop requests while it lives; before and after it, they end the program as usual.
class StopRequests {
  public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    // A stop was asked for since this was made.
    [[nodiscard]] static bool asked();
};

}  // namespace app
