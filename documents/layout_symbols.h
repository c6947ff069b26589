#pragma once

#include <vector>

#include "catalogue.h"

// The extinguisher symbols of the layout drawing and of the book's floor plans, drawn the same in
// both: in millimetres on paper, about the setting point at (0, 0), y up. Our own simple symbols:
// the portable one a triangle, the wheeled one the same triangle on an axle with two wheels.
namespace documents {

struct SymbolPoint {
    double x = 0;
    double y = 0;
};

struct SymbolCircle {
    SymbolPoint centre;
    double radius = 0;
};

struct ExtinguisherSymbol {
    std::vector<std::vector<SymbolPoint>> closed;  // closed outlines
    std::vector<std::vector<SymbolPoint>> open;    // open lines
    std::vector<SymbolCircle> circles;
    double halfWidth = 0;   // half the symbol's width, from the point
    double halfHeight = 0;  // half its height
};

// The symbol of a mount.
[[nodiscard]] const ExtinguisherSymbol& extinguisherSymbol(core::Mount mount);

}  // namespace documents
