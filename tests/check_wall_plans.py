#!/usr/bin/env python3
"""Imports each drawing that make_wall_plans.py wrote with the program's command line, and reads
the project file it writes back as plain JSON: every room the test drew is a unit of its name
whose area is the drawn inner face's to within 0.01 m² (rooms without a name are matched by their
area alone), no other unit came in, the doors and exits are counted, the openings closed without
a door are listed, and a drawing of a program's own objects is refused with its notice.

check_wall_plans.py PROGRAM FOLDER WORK
"""
import json
import subprocess
import sys
from pathlib import Path


def import_plan(program, drawing, expected, project):
    command = [program, '--import-plan', str(drawing), '--floor', '1F', '--verbose']
    for layer in expected['wallLayers']:
        command += ['--wall-layer', layer]
    for layer in expected['layers']:
        command += ['--layer', layer]
    command.append(str(project))
    return subprocess.run(command, capture_output=True, text=True, timeout=120)


def check(program, folder, work, name, expected):
    faults = []
    project = work / (Path(name).stem + '.fep')
    project.unlink(missing_ok=True)
    result = import_plan(program, folder / name, expected, project)
    said = result.stdout + result.stderr
    if 'notice' in expected:
        if result.returncode == 0 or expected['notice'] not in result.stderr:
            faults.append(f'not refused with its notice ({result.returncode}): {said}')
        if project.exists():
            faults.append('a project was written for a drawing without rooms')
        return faults
    if result.returncode != 0:
        return [f'import failed ({result.returncode}): {said}']
    data = json.loads(project.read_text(encoding='utf-8'))
    units = [(unit['name'], unit['area']) for unit in data['units']]
    rooms = list(expected['rooms'])
    for room in rooms:
        tolerance = room.get('tolerance', 0) + 0.01 + 1e-9
        match = next((unit for unit in units if (room['name'] is None or unit[0] == room['name'])
                      and abs(unit[1] - room['area']) <= tolerance), None)
        if match is None:
            faults.append(f"room {room['name']} of {room['area']} m² not found among {units}")
        else:
            units.remove(match)
    if units:
        faults.append(f'units that the test did not draw: {units}')
    doors = data.get('doors', [])
    if len(doors) != expected['doors']:
        faults.append(f"{len(doors)} doors kept, {expected['doors']} drawn")
    if expected['doors'] and f"门 {expected['doors']} 个，其中外门 {expected['exits']} 个" not in said:
        faults.append(f'the doors and exits not counted as drawn: {said}')
    if expected['gapsWithoutDoor'] and '按门洞闭合' not in said:
        faults.append(f'the opening closed without a door not listed: {said}')
    return faults


def check_all(listing, check_one):
    """Checks each drawing that the listing in FOLDER names with check_one(program, folder,
    work, name, expected), a list of faults, and ends with status 1 where any has one."""
    program, folder, work = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3])
    work.mkdir(parents=True, exist_ok=True)
    drawings = json.loads((folder / listing).read_text(encoding='utf-8'))
    failed = False
    for name, expected in drawings.items():
        faults = check_one(program, folder, work, name, expected)
        print(f"{name}: {'ok' if not faults else 'FAILED'}")
        for fault in faults:
            print(f'  {fault}')
        failed = failed or bool(faults)
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    check_all('wall_plans.json', check)
