#include "layout_symbols.h"

namespace documents {

namespace {

// An upright triangle 5 mm wide and 4.33 mm high, centred on the point.
constexpr double kHalf = 2.5;
constexpr double kHeight = 4.33;

ExtinguisherSymbol portable() {
    ExtinguisherSymbol symbol;
    symbol.closed.push_back({{-kHalf, -kHeight / 2}, {kHalf, -kHeight / 2}, {0, kHeight / 2}});
    symbol.halfWidth = kHalf;
    symbol.halfHeight = kHeight / 2;
    return symbol;
}

// The triangle raised on an axle that runs past it, with a wheel under each end.
ExtinguisherSymbol wheeled() {
    constexpr double kWheel = 0.6;
    constexpr double kLift = 2 * kWheel;
    constexpr double kBase = -kHeight / 2 + kLift / 2;
    ExtinguisherSymbol symbol;
    symbol.closed.push_back({{-kHalf, kBase}, {kHalf, kBase}, {0, kBase + kHeight}});
    symbol.open.push_back({{-kHalf - kWheel, kBase}, {kHalf + kWheel, kBase}});
    symbol.circles.push_back({{-kHalf + kWheel, kBase - kWheel}, kWheel});
    symbol.circles.push_back({{kHalf - kWheel, kBase - kWheel}, kWheel});
    symbol.halfWidth = kHalf + kWheel;
    symbol.halfHeight = (kHeight + kLift) / 2;
    return symbol;
}

}  // namespace

const ExtinguisherSymbol& extinguisherSymbol(core::Mount mount) {
    static const ExtinguisherSymbol kPortable = portable();
    static const ExtinguisherSymbol kWheeled = wheeled();
    return mount == core::Mount::Portable ? kPortable : kWheeled;
}

}  // namespace documents
