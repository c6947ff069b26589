// Feeds arbitrary bytes to the project file's reader: it refuses them with a message, or gives a
// project whose every unit could be saved and designed, and that reads back from its own JSON as
// the same project.
#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <variant>

#include "project_file.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parsed = io::parseProject(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const auto* project = std::get_if<core::Project>(&parsed);
    if (project == nullptr) {
        check(!std::get<QString>(parsed).isEmpty());
        return 0;
    }
    for (std::size_t i = 0; i < project->units.size(); ++i) {
        const core::Unit& unit = project->units[i];
        check(!io::unitFault(unit, static_cast<qsizetype>(i) + 1));
        // A model the file names is one of the unit's candidates, so the design keeps it.
        const core::UnitDesign design = core::design(unit);
        check(!unit.model || !design.configured() || design.modelChosen);
    }
    const auto again = io::parseProject(io::projectJson(*project));
    const auto* reread = std::get_if<core::Project>(&again);
    check(reread != nullptr && *reread == *project);
    return 0;
}
