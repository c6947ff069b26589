#!/usr/bin/env python3
"""Checks the layout drawings that the program writes, by readers that are not the program's.

The floors of tests/make_plans.py (18 offices, a corridor and an L-shaped hall in millimetres; two
rooms in inches) are imported and placed by the program's command line, and each floor's drawing
is written by write_layout_sample, which reads it back with the program's own reader. Then:
- the same project gives the same bytes;
- its groups: the sections and tables a CAD program needs, every handle unique and below
  $HANDSEED, every owner and pointer resolving, every layer, style, linetype and block used
  defined, a BLOCK_RECORD for every block, each object's subclass markers;
- ezdxf reads it, and its audit finds nothing to fix;
- laid over the drawing it was imported from, each symbol stands at its setting point (to 1e-6
  drawing units) inside its room, with the attributes of the project; the labels do not cover
  the symbols, the reach lies inside the unit's outline, the texts read as written;
- LibreCAD renders it to a PDF, and poppler to a picture that is not blank (where installed).

check_dxf.py PROGRAM SAMPLE PLAN_FOLDER WORK_FOLDER
"""
import json
import math
import os
import shutil
import subprocess
import sys
from pathlib import Path

import ezdxf
from ezdxf import bbox
from ezdxf.addons import Importer

PROGRAM, SAMPLE, PLANS, WORK = sys.argv[1], sys.argv[2], Path(sys.argv[3]), Path(sys.argv[4])
METRES = {1: 0.0254, 4: 0.001}
SYMBOLS, LABELS, REACH, UNITS = '灭火器', '灭火器标注', '灭火器保护范围', '计算单元'
faults = []



def text_width(text, height):
    """A text's width as the writer reckons it: a Chinese character as wide as high, another 0.6."""
    return sum((0.6 if ord(c) < 0x2E80 else 1.0) * height for c in text)


def apart(a, b):
    """Two boxes (x0, y0, x1, y1) that do not overlap."""
    return a[2] <= b[0] + 1e-6 or b[2] <= a[0] + 1e-6 or a[3] <= b[1] + 1e-6 or b[3] <= a[1] + 1e-6

def fault(text):
    faults.append(text)


def run(*arguments):
    result = subprocess.run([str(a) for a in arguments], capture_output=True, encoding='utf-8',
                            env=dict(os.environ, QT_QPA_PLATFORM='offscreen'), timeout=300)
    if result.returncode != 0:
        sys.exit(f'{arguments} failed: {result.stderr}')
    return result.stdout


# The subclass markers of each object, in order.
SUBCLASSES = {
    'TABLE': ['AcDbSymbolTable'],
    'VPORT': ['AcDbSymbolTableRecord', 'AcDbViewportTableRecord'],
    'LTYPE': ['AcDbSymbolTableRecord', 'AcDbLinetypeTableRecord'],
    'LAYER': ['AcDbSymbolTableRecord', 'AcDbLayerTableRecord'],
    'STYLE': ['AcDbSymbolTableRecord', 'AcDbTextStyleTableRecord'],
    'APPID': ['AcDbSymbolTableRecord', 'AcDbRegAppTableRecord'],
    'DIMSTYLE': ['AcDbSymbolTableRecord', 'AcDbDimStyleTableRecord'],
    'BLOCK_RECORD': ['AcDbSymbolTableRecord', 'AcDbBlockTableRecord'],
    'BLOCK': ['AcDbEntity', 'AcDbBlockBegin'],
    'ENDBLK': ['AcDbEntity', 'AcDbBlockEnd'],
    'LWPOLYLINE': ['AcDbEntity', 'AcDbPolyline'],
    'LINE': ['AcDbEntity', 'AcDbLine'],
    'CIRCLE': ['AcDbEntity', 'AcDbCircle'],
    'TEXT': ['AcDbEntity', 'AcDbText', 'AcDbText'],
    'INSERT': ['AcDbEntity', 'AcDbBlockReference'],
    'ATTRIB': ['AcDbEntity', 'AcDbText', 'AcDbAttribute'],
    'ATTDEF': ['AcDbEntity', 'AcDbText', 'AcDbAttributeDefinition'],
    'SEQEND': ['AcDbEntity'],
    'DICTIONARY': ['AcDbDictionary'],
    'ACDBDICTIONARYWDFLT': ['AcDbDictionary', 'AcDbDictionaryWithDefault'],
    'ACDBPLACEHOLDER': [],
    'MLINESTYLE': ['AcDbMlineStyle'],
    'LAYOUT': ['AcDbPlotSettings', 'AcDbLayout'],
}
TABLES = ['VPORT', 'LTYPE', 'LAYER', 'STYLE', 'VIEW', 'UCS', 'APPID', 'DIMSTYLE', 'BLOCK_RECORD']
POINTERS = (330, 340, 350, 360, 390)


def objects_of(path):
    """The file's objects as (section, type, groups), groups a list of (code, value)."""
    text = path.read_bytes().decode('gbk')
    lines = text.split('\n')
    if lines[-1] != '' or len(lines) % 2 != 1:
        fault(f'{path.name}: lines not in pairs')
    pairs = [(int(lines[i]), lines[i + 1]) for i in range(0, len(lines) - 1, 2)]
    objects, section = [], None
    for code, value in pairs:
        if code == 0:
            objects.append([section, value, []])
        else:
            objects[-1][2].append((code, value))
        if code == 2 and objects[-1][1] == 'SECTION':
            section = objects[-1][0] = value
    return objects


def structure(path, insunits):
    """Our own check of the groups, over everything a CAD program refuses a file for."""
    objects = objects_of(path)
    name = path.name
    sections = [groups[0][1] for _, kind, groups in objects if kind == 'SECTION']
    if sections != ['HEADER', 'CLASSES', 'TABLES', 'BLOCKS', 'ENTITIES', 'OBJECTS']:
        fault(f'{name}: sections {sections}')
    if objects[-1][1] != 'EOF':
        fault(f'{name}: no EOF at the end')
    header = objects[0][2]
    variables = {header[i][1]: header[i + 1][1] for i in range(len(header) - 1)
                 if header[i][0] == 9}
    expected = {'$ACADVER': 'AC1015', '$DWGCODEPAGE': 'ANSI_936', '$INSUNITS': str(insunits)}
    for variable, value in expected.items():
        if variables.get(variable) != value:
            fault(f'{name}: {variable} {variables.get(variable)}, not {value}')
    seed = int(variables['$HANDSEED'], 16)

    handles, owners, pointers = {}, [], []
    tables, table, names = {}, None, {t: [] for t in TABLES + ['BLOCK']}
    used = {'LAYER': set(), 'STYLE': {variables['$TEXTSTYLE']}, 'LTYPE': set(), 'BLOCK': set()}
    model = insert = block_record = root = None
    for section, kind, groups in objects:
        if kind in ('SECTION', 'ENDSEC', 'EOF', 'CLASS') or section == 'HEADER':
            continue
        if kind == 'ENDTAB':
            if tables[table]['count'] != tables[table]['entries']:
                fault(f'{name}: table {table} counts {tables[table]["count"]}')
            table = None
            continue
        codes = dict(groups)
        own = [value for code, value in groups if code in (5, 105)]
        if len(own) != 1:
            fault(f'{name}: {kind} with handles {own}')
            continue
        handle = own[0]
        if handle in handles:
            fault(f'{name}: handle {handle} twice')
        if int(handle, 16) >= seed:
            fault(f'{name}: handle {handle} not below $HANDSEED')
        handles[handle] = kind
        markers = [value for code, value in groups if code == 100]
        wanted = SUBCLASSES.get(kind)
        if kind == 'TABLE' and codes[2] == 'DIMSTYLE':
            wanted = wanted + ['AcDbDimStyleTable']
        if markers != wanted:
            fault(f'{name}: {kind} {handle} has subclass markers {markers}')
        owner = next((value for code, value in groups if code == 330), None)
        pointers += [(kind, handle, value) for code, value in groups
                     if code in POINTERS and value != '0']
        if kind == 'TABLE':
            table = codes[2]
            tables[table] = {'handle': handle, 'count': int(codes[70]), 'entries': 0}
            expected_owner = '0'
        elif table:
            tables[table]['entries'] += 1
            names[table].append(codes[2])
            expected_owner = tables[table]['handle']
            if kind == 'BLOCK_RECORD' and codes[2] == '*Model_Space':
                model = handle
            if kind == 'LAYER':
                used['LTYPE'].add(codes[6])
                if (codes.get(290) == '0') != (codes[2] == REACH):
                    fault(f'{name}: layer {codes[2]} plotted wrongly')
            if kind == 'STYLE' and codes[2] == '宋体' and codes[3] != 'simsun.ttc':
                fault(f'{name}: style 宋体 in {codes[3]}')
        elif kind == 'BLOCK':
            block_record = owner
            names['BLOCK'].append(codes[2])
            expected_owner = owner
        elif section == 'BLOCKS':
            expected_owner = block_record
        elif section == 'ENTITIES':
            expected_owner = insert if kind in ('ATTRIB', 'SEQEND') else model
        elif root is None:
            root, expected_owner = handle, '0'
        else:
            expected_owner = owner
        if owner is None or owner != expected_owner:
            fault(f'{name}: {kind} {handle} owned by {owner}, not {expected_owner}')
        if kind == 'INSERT':
            insert = handle
            used['BLOCK'].add(codes[2])
        if section in ('BLOCKS', 'ENTITIES') and kind not in ('BLOCK', 'ENDBLK'):
            used['LAYER'].add(codes[8])
            used['LTYPE'].update(value for code, value in groups if code == 6)
            used['STYLE'].update(value for code, value in groups if code == 7)
    for kind, handle, value in pointers:
        if value not in handles:
            fault(f'{name}: {kind} {handle} points to {value}, which is not there')
    if sorted(tables) != sorted(TABLES):
        fault(f'{name}: tables {sorted(tables)}')
    for table in ('LAYER', 'STYLE', 'LTYPE', 'BLOCK'):
        if not used[table] <= set(names[table]):
            fault(f'{name}: {table} used but not defined: {used[table] - set(names[table])}')
    if sorted(names['BLOCK']) != sorted(names['BLOCK_RECORD']):
        fault(f'{name}: blocks {names["BLOCK"]}, records {names["BLOCK_RECORD"]}')
    for wanted in ('0', SYMBOLS, LABELS, REACH, UNITS, '图例'):
        if wanted not in names['LAYER']:
            fault(f'{name}: no layer {wanted}')
    return variables


def inside(point, ring, tolerance):
    """The point lies in the ring or within `tolerance` of its boundary."""
    x, y = point
    crossings = 0
    for (ax, ay), (bx, by) in zip(ring, ring[1:] + ring[:1]):
        dx, dy = bx - ax, by - ay
        t = max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy or 1)))
        if math.hypot(ax + t * dx - x, ay + t * dy - y) <= tolerance:
            return True
        if (ay > y) != (by > y) and x < ax + (y - ay) * dx / dy:
            crossings += 1
    return crossings % 2 == 1


def outer_ring(outline):
    """A unit's outline as the project file keeps it: a ring, or the ring and its holes."""
    return outline[0] if outline and isinstance(outline[0][0], list) else outline


def check_floor(drawing, floor, insunits, unit=None, declared=None):
    """The floor of the drawing in the unit `insunits` (read as `unit` where given), whose
    $INSUNITS the layout drawing must repeat: `declared` where it is not `insunits`."""
    fep = WORK / f'{floor}.fep'
    fep.unlink(missing_ok=True)
    run(PROGRAM, '--import-plan', drawing, '--floor', floor, *(['--unit', unit] if unit else []),
        fep)
    run(PROGRAM, '--place', fep)
    out = WORK / f'{floor}.dxf'
    models = {}
    for line in run(SAMPLE, fep, floor, out).splitlines():
        number, code, count = line.split('\t')
        models[int(number)] = (code, count)
    again = WORK / f'{floor}-again.dxf'
    run(SAMPLE, fep, floor, again)
    if again.read_bytes() != out.read_bytes():
        fault(f'{out.name}: the same project gave other bytes')
    variables = structure(out, insunits if declared is None else declared)

    written = ezdxf.readfile(out)
    auditor = written.audit()
    if auditor.has_errors or auditor.has_fixes:
        fault(f'{out.name}: ezdxf audit: {[e.message for e in auditor.errors + auditor.fixes]}')
    project = json.loads(fep.read_text(encoding='utf-8'))
    per_metre = 1 / METRES[insunits]
    scale = project.get('info', {}).get('drawingScale', 100)
    paper = scale / 1000 * per_metre  # drawing units per millimetre on paper
    msp = written.modelspace()
    for text in msp.query('TEXT'):
        wanted = 5 if text.dxf.text == '图例' else 3.5
        if abs(text.dxf.height - wanted * paper) > 1e-9 * paper:
            fault(f'{out.name}: text {text.dxf.text} {text.dxf.height} high')

    # The written drawing laid over the one imported: each symbol at its point, in its room.
    base = ezdxf.readfile(drawing)
    importer = Importer(written, base)
    importer.import_modelspace()
    importer.finalize()
    inserts = {}
    for insert in base.modelspace().query(f'INSERT[layer=="{SYMBOLS}"]'):
        attributes = {a.dxf.tag: a.dxf.text for a in insert.attribs}
        inserts[attributes['编号']] = (insert, attributes)
    extents = {name: bbox.extents(e for e in written.blocks[name] if e.dxftype() != 'ATTDEF')
               for name in ('手提式灭火器', '推车式灭火器')}
    labels = {t.dxf.text: t.dxf.insert for t in msp.query(f'TEXT[layer=="{LABELS}"]')}
    height = next(iter(msp.query(f'TEXT[layer=="{LABELS}"]'))).dxf.height
    names = {t.dxf.text for t in msp.query(f'TEXT[layer=="{UNITS}"]')}
    outlines = [list(p.vertices()) for p in msp.query(f'LWPOLYLINE[layer=="{UNITS}"]')]
    count = 0
    for index, unit in enumerate(project['units'], 1):
        if unit.get('location') != floor or 'outline' not in unit:
            continue
        if f'{index} {unit["name"]}' not in names:
            fault(f'{out.name}: no name {index} {unit["name"]}')
        room = [tuple(v)[:2] for v in base.entitydb[unit['plan']['handle']].vertices()]
        code, each = models[index]
        for k, (x, y) in enumerate(unit.get('setPoints', []), 1):
            count += 1
            number = f'{index}-{k}'
            insert, attributes = inserts.get(number, (None, None))
            at = (x * per_metre, y * per_metre)
            if insert is None or math.dist(tuple(insert.dxf.insert)[:2], at) > 1e-6:
                fault(f'{out.name}: symbol {number} not at {at}')
                continue
            if not inside(at, room, 1e-6):
                fault(f'{out.name}: symbol {number} outside its room')
            if attributes != {'编号': number, '型号': code, '数量': each}:
                fault(f'{out.name}: symbol {number} with {attributes}')
            text = f'{number}  {each}×{code}'
            label = labels.get(text)
            box = extents[insert.dxf.name]
            if label is None or not apart(
                    (label.x, label.y, label.x + text_width(text, height), label.y + height),
                    (at[0] + box.extmin.x, at[1] + box.extmin.y,
                     at[0] + box.extmax.x, at[1] + box.extmax.y)):
                fault(f'{out.name}: label of {number} missing or over its symbol')
    if count != len(inserts) or count == 0:
        fault(f'{out.name}: {len(inserts)} symbols for {count} points')
    for reach in msp.query(f'LWPOLYLINE[layer=="{REACH}"]'):
        ring = [tuple(v)[:2] for v in reach.vertices()]
        if not reach.closed or not any(
                all(inside(p, [tuple(v)[:2] for v in o], 1e-3) for p in ring)
                for o in outlines):
            fault(f'{out.name}: reach {reach.dxf.handle} open or outside every outline')
    legend = {t.dxf.text for t in msp.query('TEXT[layer=="图例"]')}
    for wanted in ('图例', '手提式灭火器', '推车式灭火器', '合计', '灭火器型号',
                   '按 GB 50140-2005、GB 55036-2022 配置'):
        if wanted not in legend:
            fault(f'{out.name}: legend without {wanted}')
    return out


def render(out):
    """LibreCAD's rendering through poppler: a picture with lines on it."""
    if not shutil.which('librecad') or not shutil.which('pdftoppm'):
        print('librecad or pdftoppm missing: not rendered')
        return
    pdf = out.with_suffix('.pdf')
    pdf.unlink(missing_ok=True)
    run('librecad', 'dxf2pdf', '-a', '-k', '-p', '420x297', '-o', pdf, out)
    picture = out.with_suffix('')
    run('pdftoppm', '-r', '60', '-gray', '-singlefile', pdf, picture)
    data = picture.with_suffix('.pgm').read_bytes()
    magic, width, height, depth, pixels = data.split(maxsplit=4)
    dark = sum(1 for b in pixels if b < 128) / (int(width) * int(height))
    print(f'{pdf}: {dark:.2%} dark')
    if not 0.002 < dark < 0.5:
        fault(f'{out.name}: rendered {dark:.2%} dark')


def main():
    WORK.mkdir(parents=True, exist_ok=True)
    render(check_floor(PLANS / 'layout_floor.dxf', '一层', 4))
    check_floor(PLANS / 'layout_inch.dxf', '二层', 1)
    # Drawn in millimetres on a template in metres, or with no unit: read as millimetres, laid
    # over them unscaled.
    for declared, floor in ((6, '三层'), (0, '四层')):
        wrong = ezdxf.readfile(PLANS / 'layout_floor.dxf')
        wrong.header['$INSUNITS'] = declared
        wrong.saveas(WORK / f'{floor}-plan.dxf')
        check_floor(WORK / f'{floor}-plan.dxf', floor, 4, 'mm', declared)
        # Its rooms made one combined unit: the layout still repeats the drawing's unit.
        fep = WORK / f'{floor}-combined.fep'
        fep.unlink(missing_ok=True)
        run(PROGRAM, '--import-plan', WORK / f'{floor}-plan.dxf', '--floor', floor, '--unit', 'mm',
            fep)
        run(PROGRAM, '--combine', fep)
        if not any('rooms' in unit for unit in json.loads(fep.read_text('utf-8'))['units']):
            fault(f'{fep.name}: no combined unit')
        run(PROGRAM, '--place', fep)
        run(SAMPLE, fep, floor, WORK / f'{floor}-combined.dxf')
        structure(WORK / f'{floor}-combined.dxf', declared)
    for text in faults:
        print(text)
    sys.exit(1 if faults else 0)


if __name__ == '__main__':
    main()
