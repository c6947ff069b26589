#!/usr/bin/env python3
"""Imports each floor that make_floor_plans.py wrote with the program's command line and reads
the project file back as plain JSON: every room drawn is a unit of its name and area, no other
unit came in; the doors kept are the openings drawn, and the exits among them, found here by
stepping out from each opening into the units' outlines, are those drawn; the outline round the
floor is no refused outline but the floor's; a room that no door joins has no door beside it.
One function per drawing, so that later steps (combining, placing) can be added to each.

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
    return faults


def check_office_walls(imported):
    return check_import(imported)


def check_ring(imported):
    return check_import(imported)


def check_floor200(imported):
    faults = check_import(imported)
    print(f'  floor200.dxf: read, rooms and doors found and imported in {imported.seconds:.2f} s')
    return faults


CHECKS = {'office.dxf': check_office, 'office_walls.dxf': check_office_walls,
          'ring.dxf': check_ring, 'floor200.dxf': check_floor200}


if __name__ == '__main__':
    check_all('floor_plans.json', lambda program, folder, work, name, expected: CHECKS[name](
        Imported(program, folder, work, name, expected)))
