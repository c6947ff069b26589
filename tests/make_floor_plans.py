#!/usr/bin/env python3
"""Writes whole floors as designers receive them, with ezdxf, into the folder given, and
floor_plans.json beside them: for each drawing the layers to read it by, the rooms it holds (names
and areas of the inner faces, rounded up to 0.01 m²), its doors and exits, the outline drawn round
the floor, and the rooms that no door joins to the rest.

- office.dxf: 16 offices of 7.2 x 12 m, eight each side of a corridor 2.4 m wide, walls 200 mm;
  the rooms as closed LWPOLYLINEs of their inner faces on a room layer, named by TEXTs, the
  floor's outline round all; a 1 m door block (arc and leaf, on a door layer) in the middle of each
  office's corridor wall, rotated and mirrored, and an exit door at each end of the corridor.
  Eight offices and seven walls of 0.2 m make the corridor 59.0 m long.
- office_walls.dxf: the same floor drawn with walls of LINEs, for the walls' mode.
- ring.dxf: a corridor ringing a core (a hole in its outline) with rooms off it, half their doors
  drawn as closed polylines on a door layer, an exit, and a room that no door joins.
- floor200.dxf: five wings of a corridor with nineteen offices each side and a stair at its end:
  200 rooms and 250 doors, five of them exits.

make_floor_plans.py FOLDER
"""
import json
import math
import sys
from pathlib import Path

import ezdxf
from ezdxf.lldxf.const import DXF2000

sys.path.insert(0, str(Path(__file__).resolve().parent))
from make_wall_plans import Walls, door_block, rectangle, rounded_up, text  # noqa: E402

MM = 1000  # drawing units (mm) per metre


def mm(points):
    return [(x * MM, y * MM) for x, y in points]


class Floor:
    """A floor drawn in millimetres from rooms given in metres: outlines, names, door blocks and
    door outlines, and what the check expects of it."""

    def __init__(self, room_layer='房间', door_layer='门'):
        self.doc = ezdxf.new(DXF2000)
        self.doc.header['$INSUNITS'] = 4
        self.msp = self.doc.modelspace()
        self.room_layer = room_layer
        self.door_layer = door_layer
        for layer in (room_layer, door_layer, 'TEXT', 'WALL'):
            self.doc.layers.add(layer)
        door_block(self.doc, 'M1')
        self.rooms = []
        self.doors = []
        self.floors = []

    def room(self, name, x0, y0, x1, y1, holes=(), draw=True):
        """A room of its inner face, less its holes (each x0, y0, x1, y1), named at its corner."""
        if draw:
            self.msp.add_lwpolyline(mm(rectangle(x0, y0, x1 - x0, y1 - y0)), close=True,
                                    dxfattribs={'layer': self.room_layer})
            for hx0, hy0, hx1, hy1 in holes:
                self.msp.add_lwpolyline(mm(rectangle(hx0, hy0, hx1 - hx0, hy1 - hy0)), close=True,
                                        dxfattribs={'layer': self.room_layer})
        area = (x1 - x0) * (y1 - y0) - sum((b[2] - b[0]) * (b[3] - b[1]) for b in holes)
        text(self.msp, name, ((x0 + 0.3) * MM, (y0 + 0.5) * MM), 300)
        self.rooms.append({'name': name, 'area': rounded_up(area),
                           'outline': rectangle(x0, y0, x1 - x0, y1 - y0),
                           'holes': [rectangle(b[0], b[1], b[2] - b[0], b[3] - b[1])
                                     for b in holes]})

    def floor(self, x0, y0, x1, y1):
        self.msp.add_lwpolyline(mm(rectangle(x0, y0, x1 - x0, y1 - y0)), close=True,
                                dxfattribs={'layer': self.room_layer})
        self.floors.append({'area': rounded_up((x1 - x0) * (y1 - y0))})

    def door(self, a, b, left=True, mirrored=False, outline=False):
        """A door from a to b (metres, the opening along its wall's middle line), its leaf opening
        to the left of a→b or to the right; a block turned to lie along it, or mirrored and
        inserted at b; or a closed outline 0.2 m deep on the door layer."""
        (ax, ay), (bx, by) = a, b
        width = math.hypot(bx - ax, by - ay)
        self.doors.append({'hinge': [ax, ay], 'end': [bx, by]})
        if outline:
            ux, uy = (bx - ax) / width * 0.1, (by - ay) / width * 0.1
            corners = [(ax + uy, ay - ux), (bx + uy, by - ux), (bx - uy, by + ux), (ax - uy, ay + ux)]
            self.msp.add_lwpolyline(mm(corners), close=True, dxfattribs={'layer': self.door_layer})
            return
        rotation = math.degrees(math.atan2(by - ay, bx - ax))
        scale = width  # the block is 1000 units (1 m) wide
        attributes = {'layer': self.door_layer, 'rotation': rotation,
                      'xscale': scale, 'yscale': scale if left else -scale}
        if mirrored:
            attributes['xscale'] = -scale
            self.msp.add_blockref('M1', (bx * MM, by * MM), dxfattribs=attributes)
        else:
            self.msp.add_blockref('M1', (ax * MM, ay * MM), dxfattribs=attributes)

    def save(self, folder, name, expected, layers, wall_layers=(), door_layers=(), exits=0,
             alone=()):
        self.doc.saveas(folder / name)
        expected[name] = {
            'layers': list(layers), 'wallLayers': list(wall_layers),
            'doorLayers': list(door_layers), 'rooms': self.rooms, 'doors': self.doors,
            'exits': exits, 'floors': self.floors, 'alone': list(alone)}


# The office floor, in metres: offices 7.2 x 12 at a pitch of 7.4 each side of a corridor 2.4 wide.
OFFICE_WIDTH, OFFICE_DEPTH, WALL, CORRIDOR = 7.2, 12.0, 0.2, 2.4
OFFICES = 8
LENGTH = OFFICES * OFFICE_WIDTH + (OFFICES - 1) * WALL  # 59.0
CORRIDOR_Y = OFFICE_DEPTH + WALL                          # 12.2
NORTH_Y = CORRIDOR_Y + CORRIDOR + WALL                    # 14.8
TOP = NORTH_Y + OFFICE_DEPTH                              # 26.8


def office_rooms(plan, draw=True):
    """The offices and the corridor; returns the middles of the offices' corridor walls."""
    doors = []
    for i in range(OFFICES):
        x0 = i * (OFFICE_WIDTH + WALL)
        middle = x0 + OFFICE_WIDTH / 2
        plan.room(f'办公室{i + 1}', x0, 0, x0 + OFFICE_WIDTH, OFFICE_DEPTH, draw=draw)
        plan.room(f'办公室{i + 9}', x0, NORTH_Y, x0 + OFFICE_WIDTH, TOP, draw=draw)
        doors.append((middle, OFFICE_DEPTH + WALL / 2, i))
        doors.append((middle, CORRIDOR_Y + CORRIDOR + WALL / 2, i + 8))
    plan.room('走廊', 0, CORRIDOR_Y, LENGTH, CORRIDOR_Y + CORRIDOR, draw=draw)
    return doors


def office_doors(plan, middles):
    """A door in the middle of each office's corridor wall, opening into the office, turned and
    mirrored by turns; an exit at each end of the corridor, opening out."""
    for x, y, number in middles:
        south = y < CORRIDOR_Y
        # Along +x, the office lies to the right of a south door and the left of a north one.
        plan.door((x - 0.5, y), (x + 0.5, y), left=not south, mirrored=number % 3 == 1)
    middle = CORRIDOR_Y + CORRIDOR / 2
    plan.door((-WALL / 2, middle - 0.5), (-WALL / 2, middle + 0.5), left=True)
    plan.door((LENGTH + WALL / 2, middle + 0.5), (LENGTH + WALL / 2, middle - 0.5), left=True)


def office(folder, expected):
    plan = Floor()
    office_doors(plan, office_rooms(plan))
    plan.floor(-WALL, -WALL, LENGTH + WALL, TOP + WALL)
    plan.save(folder, 'office.dxf', expected, ['房间'], exits=2)


def office_walls(folder, expected):
    plan = Floor()
    middles = office_rooms(plan, draw=False)
    walls = Walls(plan.msp, 'WALL')
    w = WALL * MM

    def opening(x):
        return (x * MM - 500, x * MM + 500)

    south = [opening(x) for x, y, _ in middles if y < CORRIDOR_Y]
    north = [opening(x) for x, y, _ in middles if y > CORRIDOR_Y]
    exit_span = ((CORRIDOR_Y + CORRIDOR / 2 - 0.5) * MM, (CORRIDOR_Y + CORRIDOR / 2 + 0.5) * MM)
    walls.along_x(-w, 0, -w, LENGTH * MM + w)
    walls.along_x(TOP * MM, TOP * MM + w, -w, LENGTH * MM + w)
    walls.along_y(-w, 0, -w, TOP * MM + w, openings=[exit_span])
    walls.along_y(LENGTH * MM, LENGTH * MM + w, -w, TOP * MM + w, openings=[exit_span])
    walls.along_x(OFFICE_DEPTH * MM, CORRIDOR_Y * MM, 0, LENGTH * MM, openings=south)
    walls.along_x((CORRIDOR_Y + CORRIDOR) * MM, NORTH_Y * MM, 0, LENGTH * MM, openings=north)
    for i in range(OFFICES - 1):
        x = ((i + 1) * (OFFICE_WIDTH + WALL) - WALL) * MM
        walls.along_y(x, x + w, 0, OFFICE_DEPTH * MM)
        walls.along_y(x, x + w, NORTH_Y * MM, TOP * MM)
    office_doors(plan, middles)
    plan.save(folder, 'office_walls.dxf', expected, [], wall_layers=['WALL'], exits=2)


def ring(folder, expected):
    """A floor of 40 x 30 m: rooms 6 m deep round a corridor 2.4 m wide that rings a core; the
    west room has the exit; the plant room in the north-east corner has no door."""
    plan = Floor()
    plan.floor(-0.2, -0.2, 40.2, 30.2)
    plan.room('环形走廊', 6.2, 6.2, 33.8, 23.8, holes=[(8.6, 8.6, 31.4, 21.4)])
    spans = [(0, 9.8), (10, 19.8), (20, 29.8), (30, 40)]
    for number, (x0, x1) in enumerate(spans):
        door = (max(x0, 6.2) + min(x1, 33.8)) / 2
        plan.room(f'南房间{number + 1}', x0, 0, x1, 6)
        plan.door((door - 0.5, 6.1), (door + 0.5, 6.1), left=False, outline=number % 2 == 0)
        if number < 3:
            plan.room(f'北房间{number + 1}', x0, 24, x1, 30)
            plan.door((door + 0.5, 23.9), (door - 0.5, 23.9), left=True, outline=number == 1)
    plan.room('配电间', 30, 24, 40, 30)
    plan.room('西房间', 0, 6.2, 6, 23.8)
    plan.door((6.1, 14.5), (6.1, 15.5), left=True)
    plan.door((-0.1, 10), (-0.1, 11), left=False)  # the exit
    plan.room('东房间', 34, 6.2, 40, 23.8)
    plan.door((33.9, 15.5), (33.9, 14.5), left=False, outline=True)
    plan.save(folder, 'ring.dxf', expected, ['房间'], door_layers=['门'], exits=1,
              alone=['配电间'])


def floor200(folder, expected):
    """Five wings 15 m apart, each a corridor 2 m wide with nineteen offices of 4 x 6 m each side,
    a door from each into it, five doors between neighbours, a stair at the east end and the exit
    at the west end."""
    plan = Floor()
    offices, pitch, depth, width = 19, 4.2, 6.0, 2.0
    length = offices * pitch - 0.2
    for wing in range(5):
        y = wing * 15.0
        corridor = y + depth + 0.2
        north = corridor + width + 0.2
        plan.room(f'走廊{wing + 1}', 0, corridor, length, corridor + width)
        for i in range(offices):
            x0 = i * pitch
            middle = x0 + 2.0
            plan.room(f'办公室{wing + 1}-{i + 1}', x0, y, x0 + 4.0, y + depth)
            plan.room(f'办公室{wing + 1}-{i + 20}', x0, north, x0 + 4.0, north + depth)
            plan.door((middle - 0.5, corridor - 0.1), (middle + 0.5, corridor - 0.1), left=False,
                      mirrored=i % 2 == 1)
            plan.door((middle - 0.5, north - 0.1), (middle + 0.5, north - 0.1), left=True)
            if i % 4 == 0 and i < 18:
                wall = x0 + 4.1
                plan.door((wall, y + 2.5), (wall, y + 3.5), left=True)
                plan.door((wall, north + 3.5), (wall, north + 2.5), left=i % 8 == 0)
        stair = length + 0.2
        plan.room(f'楼梯{wing + 1}', stair, corridor - 1, stair + 4, corridor + width + 1)
        plan.door((length + 0.1, corridor + 0.5), (length + 0.1, corridor + 1.5), left=True)
        plan.door((-0.1, corridor + 1.5), (-0.1, corridor + 0.5), left=True)
    plan.floor(-0.2, -0.2, length + 4.4, 4 * 15.0 + 14.6)
    plan.save(folder, 'floor200.dxf', expected, ['房间'], exits=5)


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    expected = {}
    for write in (office, office_walls, ring, floor200):
        write(folder, expected)
    with open(folder / 'floor_plans.json', 'w', encoding='utf-8') as file:
        json.dump(expected, file, ensure_ascii=False, indent=1)


if __name__ == '__main__':
    main()
