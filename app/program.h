#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "project.h"

class torva;

namespace ui {
class ProjectWindow;
}

// The program's windows: the calculator window and the one project window. Each opens from the
// other; the program ends when the last of them closes.
namespace app {

class Program {
  public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts the program: first, alone, the offer of the recovery copies that an instance which
    // ended without closing left behind; then the project window with `fileName`, or the
    // calculator window when there is none (and the project window too when a copy was
    // restored). A restored project is asked about before the file replaces it.
    void start(const QString& fileName);
    // Shows the calculator window, loaded with the saved choices; raises it when it is open.
    void showCalculator();
    // Shows the project window, a new one when none is open; raises it when it is open.
    ui::ProjectWindow& showProject();
    // Shows the project window with the file; false when the file was refused (the window says
    // why).
    bool openProject(const QString& fileName);
    // Adds the unit to the project window's project and shows it with the unit's row current.
    // Returns the unit's place in the project, from 1, or 0 when it was not added.
    int addToProject(const core::Unit& unit);
    // The place from 1 of the open project's first unit equal to the unit; 0 when there is none.
    [[nodiscard]] int placeInProject(const core::Unit& unit) const;

    // Called with each new project window before it asks anything; tests answer its dialogs.
    std::function<void(ui::ProjectWindow&)> projectWindowMade;

  private:
    void makeProjectWindow();
    // True when a recovery copy was restored into the project window.
    bool offerRecoveryCopies();

    std::unique_ptr<torva> calculator_;
    std::unique_ptr<ui::ProjectWindow> project_;
};

}  // namespace app
