#!/usr/bin/env python3
"""Imports each floor that make_floor_plans.py wrote with the program's command line and reads
the project file back as plain JSON: every room drawn is a unit of its name and area, no other
unit came in; the doors kept are the openings drawn, and the exits among them, found here by
stepping out from each opening into the units' outlines, are those drawn; the outline round the
floor is no refused outline but the floor's; a room that no door joins has no door beside it.
Then the rooms of a floor are placed one by one, combined into one unit (--combine) and placed
again (--place); the points a designer would set are checked there (on the circulation's walls,
clear of the doors) and proven by walking distances worked out here (walk_check.py), apart from
the program's own.

check_floor_plans.py PROGRAM FOLDER WORK
"""
import json
import math
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from check_wall_plans import check_all  # noqa: E402
from walk_check import Floor  # noqa: E402

FLOOR = '1F'
# How far from an opening's middle its rooms are looked for, and the step, in metres.
SIDE_REACH, SIDE_STEP = 1.0, 0.05


def run(program, *arguments):
    return subprocess.run([program, *arguments], capture_output=True, text=True, timeout=300)


def import_plan(program, drawing, expected, project):
    arguments = ['--import-plan', str(drawing), '--floor', FLOOR, '--verbose']
    for option, key in (('--layer', 'layers'), ('--wall-layer', 'wallLayers'),
                        ('--door-layer', 'doorLayers')):
        for layer in expected[key]:
            arguments += [option, layer]
    return run(program, *arguments, str(project))


def inside(point, ring):
    """The point lies in the ring (even-odd rule)."""
    x, y = point
    result = False
    for (ax, ay), (bx, by) in zip(ring, ring[1:] + ring[:1]):
        if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
            result = not result
    return result


def rings(unit):
    """A unit's outline and its holes: the file keeps an outline with holes as a list of rings."""
    outline = unit['outline']
    return outline if isinstance(outline[0][0], list) else [outline]


def unit_at(point, units):
    """The first unit whose outline, less its holes, holds the point."""
    for index, unit in enumerate(units):
        outline, *holes = rings(unit)
        if inside(point, outline) and not any(inside(point, hole) for hole in holes):
            return index
    return None


def door_sides(door, units):
    """The units on the two sides of a door's opening: the first met stepping out square to it."""
    (ax, ay), (bx, by) = door['hinge'], door['end']
    length = math.hypot(bx - ax, by - ay)
    nx, ny = -(by - ay) / length, (bx - ax) / length
    middle = ((ax + bx) / 2, (ay + by) / 2)
    sides = []
    for sign in (1, -1):
        found = None
        for step in range(1, int(round(SIDE_REACH / SIDE_STEP)) + 1):
            distance = sign * step * SIDE_STEP
            found = unit_at((middle[0] + nx * distance, middle[1] + ny * distance), units)
            if found is not None:
                break
        sides.append(found)
    return sides


def same_opening(kept, drawn):
    ends = [kept['hinge'], kept['end']]
    return any(all(math.dist(a, b) <= 0.01 for a, b in zip(ends, order))
               for order in ([drawn['hinge'], drawn['end']], [drawn['end'], drawn['hinge']]))


def summary(said):
    """What the program said but its lists of rooms and units."""
    return '; '.join(line for line in said.splitlines()
                     if not line.startswith(('房间：', '新增：', '更新：')))


class Imported:
    """A drawing imported into a new project: what the program said and the project it wrote."""

    def __init__(self, program, folder, work, name, expected):
        self.program, self.drawing = program, folder / name
        self.name, self.expected = name, expected
        self.project = work / (Path(name).stem + '.fep')
        self.project.unlink(missing_ok=True)
        began = time.monotonic()
        self.again()
        self.seconds = time.monotonic() - began

    def again(self):
        """Imports the drawing (once more) into the project."""
        result = import_plan(self.program, self.drawing, self.expected, self.project)
        self.status = result.returncode
        self.said = result.stdout + result.stderr
        self.data = json.loads(self.project.read_text(encoding='utf-8')) \
            if self.status == 0 else {}


def check_import(imported):
    """The rooms, doors, exits and floor outline of the drawing, as drawn."""
    expected, data = imported.expected, imported.data
    if imported.status != 0:
        return [f'import failed ({imported.status}): {summary(imported.said)}']
    faults = []
    units = data['units']
    left = [(unit['name'], unit['area']) for unit in units]
    for room in expected['rooms']:
        match = (room['name'], room['area'])
        if any(name == match[0] and abs(area - match[1]) <= 0.01 + 1e-9 for name, area in left):
            left = [unit for unit in left if unit[0] != match[0]]
        else:
            faults.append(f'room {match} not imported')
    if left:
        faults.append(f'units that were not drawn: {left}')
    doors = data.get('doors', [])
    drawn = expected['doors']
    if len(doors) != len(drawn):
        faults.append(f'{len(doors)} doors kept, {len(drawn)} drawn')
    strays = [door for door in doors if not any(same_opening(door, d) for d in drawn)]
    if strays:
        faults.append(f'doors kept where none was drawn: {strays[:3]}')
    sides = [door_sides(door, units) for door in doors]
    exits = sum(1 for pair in sides if (pair[0] is None) != (pair[1] is None))
    if exits != expected['exits']:
        faults.append(f"{exits} exits among the doors kept, {expected['exits']} drawn")
    counted = f"门 {len(drawn)} 个，其中外门 {expected['exits']} 个"
    if drawn and counted not in imported.said:
        faults.append(f'the doors not counted as drawn ({counted}): {summary(imported.said)}')
    for name in expected['alone']:
        index = next(i for i, unit in enumerate(units) if unit['name'] == name)
        if any(index in pair for pair in sides):
            faults.append(f'a door found beside {name}, which has none')
    floors = expected['floors']
    if floors and f'楼层轮廓 {len(floors)} 个' not in imported.said:
        faults.append(f'the floor outline not found: {summary(imported.said)}')
    if '，未导入轮廓 0 个，' not in imported.said:
        faults.append(f'outlines refused: {summary(imported.said)}')
    # Where the project file keeps the floors' outlines, they are those drawn.
    if 'floors' in data:
        areas = sorted(abs(shoelace(floor['outline'])) for floor in data['floors'])
        if len(areas) != len(floors) or any(
                abs(a - f['area']) > 0.01 for a, f in zip(areas, sorted(
                    floors, key=lambda f: f['area']))):
            faults.append(f"floor outlines {areas}, drawn {[f['area'] for f in floors]}")
    return faults


def shoelace(points):
    return sum(ax * by - bx * ay for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1])) / 2


def check_office(imported):
    """Imported again, every room is its unit's and the doors are as they were."""
    faults = check_import(imported)
    doors = imported.data.get('doors')
    imported.again()
    rooms = len(imported.expected['rooms'])
    if f'新增 0 个、更新 0 个、未变 {rooms} 个计算单元' not in imported.said:
        faults.append(f'imported again, the rooms changed: {summary(imported.said)}')
    if imported.data.get('doors') != doors:
        faults.append('imported again, the doors changed')
    return faults + check_designed(imported, 5, each_alone=18)


# R of the floors' units: class A, 中危险级, hand-held extinguishers (GB 50140-2005 5.2.1).
REACH = 20
# The circulation's rooms, as the program names them.
CIRCULATION = ('走廊', '走道', '过道', '门厅', '大厅', '前室', '楼梯间', '电梯厅', '通道', '廊')


def segment_gap(p, a, b):
    (px, py), (ax, ay), (bx, by) = p, a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.dist(p, (ax + t * dx, ay + t * dy))


def wall_gap(point, ring):
    return min(segment_gap(point, a, b) for a, b in zip(ring, ring[1:] + ring[:1]))


def placed_points(data):
    return sum(len(unit.get('setPoints', [])) for unit in data['units'])


def check_designed(imported, most_points, each_alone=None, walk=True):
    """Placed room by room (`each_alone` points in all, where given), then combined and placed
    again: at most `most_points` points, on the circulation's walls, clear of the doors, and (with
    `walk`) every room within R by the walk worked out here."""
    program, project = imported.program, str(imported.project)
    faults = []
    if each_alone is not None:
        placed = run(program, '--place', project)
        data = json.loads(imported.project.read_text(encoding='utf-8'))
        if placed.returncode != 0 or placed_points(data) != each_alone:
            faults.append(f'each room alone: {placed_points(data)} points, not {each_alone}: '
                          f'{placed.stderr.strip()}')
    combined = run(program, '--combine', '--verbose', project)
    if combined.returncode != 0 or '组合单元' not in combined.stdout:
        return faults + [f'--combine failed: {combined.stdout} {combined.stderr}']
    began = time.monotonic()
    placed = run(program, '--place', '--verbose', project)
    seconds = time.monotonic() - began
    print(f'  {imported.name}: combined and placed in {seconds:.2f} s')
    if placed.returncode != 0:
        return faults + [f'--place failed: {placed.stderr}']
    data = json.loads(imported.project.read_text(encoding='utf-8'))
    units = data['units']
    combined_units = [unit for unit in units if 'rooms' in unit]
    if len(combined_units) != 1 or len(combined_units[0]['rooms']) != len(imported.expected['rooms']):
        return faults + [f'combined into {len(combined_units)} units']
    unit = combined_units[0]
    rooms = [rings({'outline': room['outline']}) for room in unit['rooms']]
    names = [room['name'] for room in unit['rooms']]
    floors = imported.expected['floors']
    if floors and abs(unit['area'] - floors[0]['area']) > 0.01:
        faults.append(f"S {unit['area']}, not the floor outline's {floors[0]['area']}")
    points = [tuple(p) for p in unit.get('setPoints', [])]
    if not points or len(points) > most_points:
        faults.append(f'{len(points)} points, not 1 to {most_points}')
    doors = [(tuple(d['hinge']), tuple(d['end'])) for d in unit.get('doors', [])]
    for point in points:
        home = [i for i, r in enumerate(rooms) if inside(point, r[0])]
        # A room that no door joins is covered from inside.
        alone = home and names[home[0]] in imported.expected['alone']
        if not home or not (alone or any(word in names[home[0]] for word in CIRCULATION)):
            faults.append(f'point {point} not in the circulation')
        elif not 0.29 <= wall_gap(point, rooms[home[0]][0]) <= 0.36:
            faults.append(f'point {point} not on a wall: {wall_gap(point, rooms[home[0]][0]):.2f} m')
        if any(segment_gap(point, a, b) < 0.99 for a, b in doors):
            faults.append(f'point {point} within 1 m of a door')
    if not walk:
        print(f'  {imported.name}: {len(points)} points')
        return faults
    floor = Floor(rooms, doors)
    worst = 0.0
    for r in range(len(rooms)):
        farthest, at = floor.farthest(points, r)
        worst = max(worst, farthest)
        if farthest > REACH:
            faults.append(f'{names[r]}: {farthest:.2f} m from a point at {at}, walking')
    print(f'  {imported.name}: {len(points)} points, farthest walk {worst:.2f} m')
    return faults


def check_office_walls(imported):
    return check_import(imported)


def check_ring(imported):
    return check_import(imported) + check_designed(imported, 6)


def check_floor200(imported):
    faults = check_import(imported)
    print(f'  floor200.dxf: read, rooms and doors found and imported in {imported.seconds:.2f} s')
    return faults + check_designed(imported, 40, walk=False)


CHECKS = {'office.dxf': check_office, 'office_walls.dxf': check_office_walls,
          'ring.dxf': check_ring, 'floor200.dxf': check_floor200}


if __name__ == '__main__':
    check_all('floor_plans.json', lambda program, folder, work, name, expected: CHECKS[name](
        Imported(program, folder, work, name, expected)))
