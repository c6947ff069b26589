#include "program.h"

#include <algorithm>

#include "project_exports.h"
#include "project_window.h"
#include "recovery_copy.h"
#include "torva.h"

namespace app {

namespace {

void raise(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

}  // namespace

Program::Program() = default;
Program::~Program() = default;

void Program::start(const QString& fileName) {
    const bool restored = offerRecoveryCopies();
    if (!fileName.isEmpty()) {
        openProject(fileName);
        return;
    }
    showCalculator();
    if (restored) {
        showProject();  // on top of the calculator
    }
}

bool Program::offerRecoveryCopies() {
    if (io::RecoveryCopy::findOrphans().isEmpty()) {
        return false;
    }
    // The window that takes a restored copy asks before it is shown, with no other window open.
    makeProjectWindow();
    if (project_->offerRecoveryCopies()) {
        raise(*project_);
        return true;
    }
    project_.reset();
    return false;
}

void Program::showCalculator() {
    // A closed calculator window has saved its choices; a new one loads them again.
    if (!calculator_ || !calculator_->isVisible()) {
        calculator_ = std::make_unique<torva>();
        calculator_->openProject = [this] { showProject(); };
        calculator_->addToProject = [this](const core::Unit& unit) { return addToProject(unit); };
        calculator_->placeInProject = [this](const core::Unit& unit) {
            return placeInProject(unit);
        };
        calculator_->Form_Load();
    }
    raise(*calculator_);
}

void Program::makeProjectWindow() {
    project_ = std::make_unique<ui::ProjectWindow>();
    project_->openUnitCalculator = [this] { showCalculator(); };
    new ui::ProjectExports(project_.get());  // the window's child
    if (projectWindowMade) {
        projectWindowMade(*project_);
    }
}

ui::ProjectWindow& Program::showProject() {
    // A closed project window has settled its changes; a new one starts an empty project.
    if (!project_ || !project_->isVisible()) {
        makeProjectWindow();
    }
    raise(*project_);
    return *project_;
}

bool Program::openProject(const QString& fileName) {
    return showProject().openFile(fileName);
}

int Program::placeInProject(const core::Unit& unit) const {
    if (!project_ || !project_->isVisible()) {
        return 0;
    }
    const std::vector<core::Unit>& units = project_->project().units;
    const auto found = std::find(units.begin(), units.end(), unit);
    return found == units.end() ? 0 : static_cast<int>(found - units.begin()) + 1;
}

int Program::addToProject(const core::Unit& unit) {
    const int row = showProject().addUnit(unit);
    return row < 0 ? 0 : row + 1;
}

}  // namespace app
