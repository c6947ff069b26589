#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command line's import of a floor plan: the rooms of a DXF drawing added to a project file
// (made when it does not exist) without a window.
namespace app {

struct PlanImportRequest {
    QString drawing;
    QStringList layers;            // the layers that hold the rooms; empty: the proposed ones
    std::optional<QString> floor;  // the units' location; none: the drawing's base name
    QString projectFile;
    bool verbose = false;  // say on standard output what changed
};

// 0 when the project was written (or left as it was, with nothing to change); 1 with a message
// on standard error otherwise. Outlines that are not imported are listed on standard error.
[[nodiscard]] int importPlan(const PlanImportRequest& request);

}  // namespace app
