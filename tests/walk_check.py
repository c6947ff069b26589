"""Walking distances on a floor, worked out apart from the program: the floor's walkable region is
the union of its rooms and a rectangle through the wall at each door; a shortest path bends only at
the region's corners, so distances come from Dijkstra over the corners each point sees."""

import heapq
import math

from shapely.geometry import LineString, Point, Polygon
from shapely.ops import unary_union
from shapely.prepared import prep

# How far a door's rectangle reaches on each side of its opening's line: through a wall up to
# 0.6 m thick, from a door drawn anywhere in it.
DOOR_DEPTH = 0.62


def door_rectangle(hinge, end):
    dx, dy = end[0] - hinge[0], end[1] - hinge[1]
    length = math.hypot(dx, dy)
    nx, ny = -dy / length * DOOR_DEPTH, dx / length * DOOR_DEPTH
    return Polygon([(hinge[0] - nx, hinge[1] - ny), (end[0] - nx, end[1] - ny),
                    (end[0] + nx, end[1] + ny), (hinge[0] + nx, hinge[1] + ny)])


class Floor:
    """rooms: each its outline then its holes, [[(x, y), ...], ...]; doors: (hinge, end)."""

    def __init__(self, rooms, doors):
        self.rooms = [Polygon(r[0], r[1:]) for r in rooms]
        pieces = list(self.rooms)
        for hinge, end in doors:
            rect = door_rectangle(hinge, end)
            # Only the part of the rectangle within reach of a room on either side: no nub leads
            # out of the building.
            pieces.append(rect.intersection(unary_union(self.rooms).buffer(DOOR_DEPTH)))
        self.region = unary_union(pieces)
        self.inside = prep(self.region.buffer(1e-6))
        polygons = getattr(self.region, "geoms", [self.region])
        self.corners = []
        for polygon in polygons:
            for ring in [polygon.exterior, *polygon.interiors]:
                self.corners.extend(list(ring.coords)[:-1])

    def sees(self, a, b):
        if math.dist(a, b) < 1e-9:
            return True
        return self.inside.contains(LineString([a, b]))

    def distances(self, sources):
        """The walking distance from the nearest source to every corner."""
        nodes = list(sources) + self.corners
        best = [math.inf] * len(nodes)
        heap = []
        for i in range(len(sources)):
            best[i] = 0.0
            heap.append((0.0, i))
        while heap:
            d, i = heapq.heappop(heap)
            if d > best[i]:
                continue
            for j, node in enumerate(nodes):
                step = math.dist(nodes[i], node)
                if d + step < best[j] and self.sees(nodes[i], node):
                    best[j] = d + step
                    heapq.heappush(heap, (best[j], j))
        return nodes, best

    def farthest(self, sources, room, spacing=0.5):
        """The largest walking distance from a point of the room (a grid, its walls and corners)
        to its nearest source, and where."""
        nodes, best = self.distances(sources)
        polygon = self.rooms[room]
        minx, miny, maxx, maxy = polygon.bounds
        points = list(polygon.exterior.coords)[:-1]
        for ring in [polygon.exterior, *polygon.interiors]:
            n = max(1, math.ceil(ring.length / spacing))
            points.extend(ring.interpolate(k * ring.length / n).coords[0] for k in range(n))
        y = miny
        while y <= maxy:
            x = minx
            while x <= maxx:
                if polygon.covers(Point(x, y)):
                    points.append((x, y))
                x += spacing
            y += spacing
        worst, at = 0.0, None
        for p in points:
            order = sorted(range(len(nodes)), key=lambda k: best[k] + math.dist(nodes[k], p))
            reach = math.inf
            for k in order:
                if best[k] == math.inf:
                    break
                if self.sees(nodes[k], p):
                    reach = best[k] + math.dist(nodes[k], p)
                    break
            if reach > worst:
                worst, at = reach, p
        return worst, at
