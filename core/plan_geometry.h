#pragma once

// Boost.Geometry's view of the plan's points and rings: a PlanPoint is a Cartesian point, a Ring
// an open ring (its last vertex not repeated) that runs counter-clockwise. Only for the sources
// that run Boost.Geometry's algorithms; a clockwise ring must be turned before it is handed over.
#include <boost/geometry/core/closure.hpp>
#include <boost/geometry/core/point_order.hpp>
#include <boost/geometry/core/tags.hpp>
#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <boost/geometry/geometries/register/point.hpp>

#include "polygon.h"

BOOST_GEOMETRY_REGISTER_POINT_2D(::core::PlanPoint, double, boost::geometry::cs::cartesian, x, y)

namespace boost::geometry::traits {

template <>
struct tag<::core::Ring> {
    using type = ring_tag;
};

template <>
struct point_order<::core::Ring> {
    static const order_selector value = counterclockwise;
};

template <>
struct closure<::core::Ring> {
    static const closure_selector value = open;
};

}  // namespace boost::geometry::traits

namespace core {

using GeometryBox = boost::geometry::model::box<PlanPoint>;
// A room with its holes as Boost.Geometry takes it: counter-clockwise, open; and several.
using Polygon = boost::geometry::model::polygon<PlanPoint, false, false>;
using Polygons = boost::geometry::model::multi_polygon<Polygon>;

inline GeometryBox geometryBox(const PlanBox& box) {
    return {box.min, box.max};
}

}  // namespace core
