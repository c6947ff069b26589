#pragma once

#include <QPointF>

#include "polygon.h"

namespace ui {

// A point of the drawing in the plan's scene, whose y runs down; the scene's unit is the metre.
[[nodiscard]] inline QPointF scenePoint(core::PlanPoint point) {
    return {point.x, -point.y};
}

}  // namespace ui
