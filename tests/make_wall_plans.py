#!/usr/bin/env python3
"""Writes floor plans drawn as architects draw them, with ezdxf, into the folder given, and
wall_plans.json beside them: for each drawing the layers to read it by, the rooms that it holds
(their names and their areas in m², rounded up to 0.01 m², as the test drew their inner faces),
its doors and exits, and the notice of a drawing that cannot be read.

- office.dxf: walls 200 mm thick as LINEs, door blocks with swing arcs at scales 0.9, 1.0 and 1.2,
  rotated and mirrored, windows as blocks, columns as closed polylines, a shaft walled in, an
  opening without a door, a wall end 3 mm short and one that overshoots.
- apartment.dxf: R2000 in GBK on the layers of a Chinese apartment plan, a bay of ARCs, doors of
  a T3 export's block names.
- blocks.dxf: room outlines inside block references: rotated, mirrored, three levels deep, an
  array (MINSERT), named by attributes and by texts inside the blocks.
- hatches.dxf: rooms as hatches, by a polyline path and by an edge path with an arc.
- curves.dxf: a round room (CIRCLE), an oval one (ELLIPSE), one bounded by a closed SPLINE and
  one by a loop of LINEs and an ARC.
- proprietary.dxf: nothing but a program's own objects.

make_wall_plans.py FOLDER
"""
import json
import math
import sys
from pathlib import Path

import ezdxf
from ezdxf.lldxf.const import DXF2000, DXF2010, DXF2018


def rounded_up(square_metres):
    """The area rounded up to 0.01 m², never under-sizing (noise of 1e-9 is no excess)."""
    return math.ceil(square_metres * 100 - 1e-7) / 100


def shoelace(points):
    return abs(sum(ax * by - bx * ay
                   for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]))) / 2


def rectangle(x, y, width, height):
    return [(x, y), (x + width, y), (x + width, y + height), (x, y + height)]


class Walls:
    """Walls along x or y as pairs of LINEs, `thickness` apart, with openings: each line broken at
    an opening, the jambs drawn across the wall."""

    def __init__(self, msp, layer):
        self.msp = msp
        self.layer = layer

    def line(self, a, b, layer=None):
        self.msp.add_line(a, b, dxfattribs={'layer': layer or self.layer})

    def along_x(self, y0, y1, x0, x1, openings=(), ends=(None, None)):
        """A wall between the lines y = y0 and y = y1 from x0 to x1; `ends` are the lines' own ends
        where one of them stops short or overshoots."""
        self._wall(lambda u, v: (u, v), y0, y1, x0, x1, openings, ends)

    def along_y(self, x0, x1, y0, y1, openings=(), ends=(None, None)):
        self._wall(lambda u, v: (v, u), x0, x1, y0, y1, openings, ends)

    def _wall(self, point, v0, v1, u0, u1, openings, ends):
        stops = [u0] + [u for opening in sorted(openings) for u in opening] + [u1]
        for v in (v0, v1):
            for index in range(0, len(stops), 2):
                start, end = stops[index], stops[index + 1]
                if index == 0 and ends[0] is not None:
                    start = ends[0]
                if index + 2 == len(stops) and ends[1] is not None:
                    end = ends[1]
                self.line(point(start, v), point(end, v))
        for opening in openings:
            for u in opening:
                self.line(point(u, v0), point(u, v1))


def door_block(doc, name, layer='0'):
    """A door of 1000 drawing units: its hinge at the base point, the leaf closed along +x,
    drawn open along +y, and its swing from the one to the other."""
    block = doc.blocks.new(name)
    block.add_line((0, 0), (0, 1000), dxfattribs={'layer': layer})
    block.add_arc((0, 0), 1000, 0, 90, dxfattribs={'layer': layer})
    return block


def window_block(doc, name):
    """A window one drawing unit long, centred on its base point along x: |x-scale| is its width,
    as a T3 export draws them."""
    block = doc.blocks.new(name)
    for y in (-100, 0, 100):
        block.add_line((-0.5, y), (0.5, y))
    return block


def text(msp, content, at, height=350, layer='TEXT'):
    msp.add_text(content, dxfattribs={'insert': at, 'height': height, 'layer': layer})


def office(folder, expected):
    """An office floor 24 m by 15 m in millimetres: three offices south of a corridor, a meeting
    room with a column and an archive with a shaft and a column at its wall north of it."""
    doc = ezdxf.new(DXF2000)
    doc.header['$INSUNITS'] = 4
    msp = doc.modelspace()
    for layer in ('WALL', 'COLUMN', 'DOOR', 'WINDOW', 'TEXT'):
        doc.layers.add(layer)
    door_block(doc, 'M1')
    window_block(doc, 'C1')
    window_block(doc, '$TCHSYS$WIN2D')
    walls = Walls(msp, 'WALL')
    # The outside walls: the outer lines round the floor, the inner lines round its inside, with
    # the windows of the first two offices in the south wall and the exit in the west wall.
    walls.along_x(0, 200, 0, 24000, openings=[(2000, 3500), (9500, 12500)])
    walls.along_x(14800, 15000, 0, 24000)
    walls.along_y(0, 200, 0, 15000, openings=[(6500, 7500)])
    walls.along_y(23800, 24000, 0, 15000)
    # The inner lines of the outside walls must not run across the corners of the outer ones:
    # draw them again as one loop would be simpler, but real walls are cleaned up like this.
    # The corridor's walls, with the doors of the offices and an opening without a door.
    walls.along_x(5800, 6000, 200, 23800, openings=[(3000, 3900), (12000, 13000), (20000, 21800)])
    walls.along_x(8000, 8200, 200, 23800, openings=[(5000, 6200), (14000, 15000)])
    # The walls between the offices; one line of the first stops 3 mm short of the corridor's
    # wall, one of the second overshoots it by 150 mm.
    walls.along_y(8000, 8200, 200, 5800, ends=(None, 5797))
    walls.along_y(16000, 16200, 200, 5800, ends=(None, 5950))
    # Between the meeting room and the archive, with a door.
    walls.along_y(12000, 12200, 8200, 14800, openings=[(10000, 11000)])
    # The shaft in the archive's corner.
    walls.along_y(22100, 22300, 13100, 14800)
    walls.along_x(13100, 13300, 22100, 23800)
    # Columns: one standing free in the meeting room, one against the archive's north wall.
    for x, y, size in ((5000, 11000, 600), (18000, 14300, 500)):
        msp.add_lwpolyline(rectangle(x, y, size, size), close=True,
                           dxfattribs={'layer': 'COLUMN'})

    def door(hinge, rotation=0, scale=1.0, mirrored=False):
        msp.add_blockref('M1', hinge, dxfattribs={
            'layer': 'DOOR', 'rotation': rotation, 'xscale': -scale if mirrored else scale,
            'yscale': scale})

    door((3000, 5900), scale=0.9)                  # office 1, opening into the corridor
    door((13000, 5900), rotation=180)              # office 2, opening into it
    door((5000, 8100), scale=1.2)                  # the meeting room
    door((15000, 8100), mirrored=True)             # the archive
    door((12100, 10000), rotation=90)              # between the meeting room and the archive
    door((100, 6500), rotation=90)                 # the exit, out of the corridor's end
    for name, centre, width in (('C1', (2750, 100), 1500), ('$TCHSYS$WIN2D', (11000, 100), 3000)):
        msp.add_blockref(name, centre, dxfattribs={'layer': 'WINDOW', 'xscale': width})

    rooms = [('办公室一', (200, 200, 8000, 5800)), ('办公室二', (8200, 200, 16000, 5800)),
             ('办公室三', (16200, 200, 23800, 5800)), ('走廊', (200, 6000, 23800, 8000)),
             ('会议室', (200, 8200, 12000, 14800)), ('档案室', (12200, 8200, 23800, 14800))]
    less = {'会议室': 0.6 * 0.6, '档案室': 1.7 * 1.7 + 0.5 * 0.5}
    for name, (x0, y0, x1, y1) in rooms:
        text(msp, name, (x0 + 1000, (y0 + y1) / 2))
    text(msp, '管井', (22700, 13900), 250)
    doc.saveas(folder / 'office.dxf')
    expected['office.dxf'] = {
        'wallLayers': ['WALL', 'COLUMN'], 'layers': [],
        'rooms': [{'name': name,
                   'area': rounded_up((x1 - x0) * (y1 - y0) / 1e6 - less.get(name, 0))}
                  for name, (x0, y0, x1, y1) in rooms],
        'doors': 6, 'exits': 1, 'gapsWithoutDoor': 1}


def apartment(folder, expected):
    """A flat in GBK R2000 on the layers of a Chinese plan: a living room with a round bay (ARCs)
    and a bedroom, doors of a T3 export's block names."""
    doc = ezdxf.new(DXF2000)
    doc.encoding = 'gbk'
    doc.header['$INSUNITS'] = 4
    msp = doc.modelspace()
    for layer in ('A-WALL', 'PUB_WALL', '7text', 'A-DOOR'):
        doc.layers.add(layer)
    door_block(doc, '$DorLib2D$00000001')
    door_block(doc, 'DOOR-EXIT')
    outside = Walls(msp, 'PUB_WALL')
    # The south wall opens for the bay between x 1400 and 4800 outside, 1600 and 4600 inside.
    outside.line((0, 0), (1400, 0))
    outside.line((4800, 0), (10200, 0))
    outside.line((200, 200), (1600, 200))
    outside.line((4600, 200), (10000, 200))
    msp.add_arc((3100, 0), 1700, 180, 360, dxfattribs={'layer': 'PUB_WALL'})
    msp.add_arc((3100, 200), 1500, 180, 360, dxfattribs={'layer': 'PUB_WALL'})
    outside.along_x(4800, 5000, 0, 10200, openings=[(1000, 2000)], ends=(None, None))
    outside.along_y(0, 200, 0, 5000)
    outside.along_y(10000, 10200, 0, 5000)
    Walls(msp, 'A-WALL').along_y(6000, 6200, 200, 4800, openings=[(3000, 3900)])
    msp.add_blockref('$DorLib2D$00000001', (6100, 3000),
                     dxfattribs={'rotation': 90, 'xscale': 0.9, 'yscale': 0.9})
    msp.add_blockref('DOOR-EXIT', (1000, 4900), dxfattribs={'layer': 'A-DOOR'})
    text(msp, '客厅', (2500, 2500), 300, '7text')
    text(msp, '卧室', (7500, 2500), 300, '7text')
    doc.saveas(folder / 'apartment.dxf')
    expected['apartment.dxf'] = {
        'wallLayers': ['A-WALL', 'PUB_WALL'], 'layers': [],
        'rooms': [{'name': '客厅', 'area': rounded_up(5.8 * 4.6 + math.pi * 1.5 ** 2 / 2)},
                  {'name': '卧室', 'area': rounded_up(3.8 * 4.6)}],
        'doors': 2, 'exits': 1, 'gapsWithoutDoor': 0}


def blocks(folder, expected):
    """Room outlines inside block references: rotated and named by an attribute, mirrored, three
    levels deep named by a text inside, and an array of six."""
    doc = ezdxf.new(DXF2018)
    doc.header['$INSUNITS'] = 4
    msp = doc.modelspace()
    doc.layers.add('房间')
    room = doc.blocks.new('ROOM-A', base_point=(500, 500))
    room.add_lwpolyline(rectangle(0, 0, 4000, 3000), close=True)  # on layer 0: the reference's
    room.add_attdef('NAME', (1500, 1500), dxfattribs={'height': 300})
    named = msp.add_blockref('ROOM-A', (1000, 1000), dxfattribs={'layer': '房间', 'rotation': 30})
    named.add_auto_attribs({'NAME': '会议室'})
    mirrored = msp.add_blockref('ROOM-A', (14000, 1000), dxfattribs={'layer': '房间',
                                                                    'xscale': -1})
    # The attribute where the mirrored reference draws it (ezdxf places it unmirrored).
    mirrored.add_attrib('NAME', '接待室', (13000, 2000), dxfattribs={'height': 300})
    inner = doc.blocks.new('ROOM-B')
    inner.add_lwpolyline(rectangle(0, 0, 2000, 2500), close=True, dxfattribs={'layer': '房间'})
    suite = doc.blocks.new('SUITE')
    suite.add_blockref('ROOM-B', (0, 0), dxfattribs={'rotation': 90, 'xscale': 1.5,
                                                    'yscale': 1.5})
    # ROOM-B at 1.5 turned a quarter: x from -3750 to 0, y from 0 to 3000 in the suite.
    suite.add_text('经理室', dxfattribs={'insert': (-2500, 1500), 'height': 300})
    floor = doc.blocks.new('FLOOR')
    floor.add_blockref('SUITE', (0, 0))
    msp.add_blockref('FLOOR', (24000, 0), dxfattribs={'rotation': 15})
    cell = doc.blocks.new('CELL')
    cell.add_lwpolyline(rectangle(0, 0, 3000, 3000), close=True, dxfattribs={'layer': '房间'})
    array = msp.add_blockref('CELL', (0, 10000))
    array.dxf.row_count = 2
    array.dxf.column_count = 3
    array.dxf.row_spacing = 3500
    array.dxf.column_spacing = 3500
    doc.saveas(folder / 'blocks.dxf')
    expected['blocks.dxf'] = {
        'wallLayers': [], 'layers': ['房间'],
        'rooms': [{'name': '会议室', 'area': 12.0}, {'name': '接待室', 'area': 12.0},
                  {'name': '经理室', 'area': rounded_up(2 * 2.5 * 1.5 ** 2)}] +
                 [{'name': None, 'area': 9.0}] * 6,
        'doors': 0, 'exits': 0, 'gapsWithoutDoor': 0}


def hatches(folder, expected):
    """Rooms drawn only as hatches: one by a polyline path, one by edges with a half circle."""
    doc = ezdxf.new(DXF2000)
    doc.header['$INSUNITS'] = 4
    msp = doc.modelspace()
    doc.layers.add('HATCH-ROOM')
    square = msp.add_hatch(color=3, dxfattribs={'layer': 'HATCH-ROOM'})
    square.paths.add_polyline_path(rectangle(0, 0, 5000, 4000), is_closed=True)
    text(msp, '库房', (1500, 2000))
    arched = msp.add_hatch(color=4, dxfattribs={'layer': 'HATCH-ROOM'})
    edges = arched.paths.add_edge_path()
    edges.add_line((10000, 0), (16000, 0))
    edges.add_line((16000, 0), (16000, 3000))
    edges.add_arc((13000, 3000), 3000, 0, 180, ccw=True)
    edges.add_line((10000, 3000), (10000, 0))
    text(msp, '展厅', (12000, 2000))
    doc.saveas(folder / 'hatches.dxf')
    expected['hatches.dxf'] = {
        'wallLayers': [], 'layers': ['HATCH-ROOM'],
        'rooms': [{'name': '库房', 'area': 20.0},
                  {'name': '展厅', 'area': rounded_up(18 + math.pi * 9 / 2)}],
        'doors': 0, 'exits': 0, 'gapsWithoutDoor': 0}


def curves(folder, expected):
    """A round room, an oval one and one bounded by a closed spline."""
    doc = ezdxf.new(DXF2010)
    doc.header['$INSUNITS'] = 4
    msp = doc.modelspace()
    doc.layers.add('ROOM')
    msp.add_circle((0, 0), 3000, dxfattribs={'layer': 'ROOM'})
    text(msp, '圆厅', (-500, 0))
    msp.add_ellipse((10000, 0), major_axis=(4000, 0), ratio=0.5, dxfattribs={'layer': 'ROOM'})
    text(msp, '椭圆厅', (9500, 0))
    # A closed uniform cubic B-spline: the control points wrapped round, the knots evenly spaced.
    frame = [(20000, -3000), (26000, -3000), (26000, 3000), (20000, 3000)]
    spline = msp.add_spline(dxfattribs={'layer': 'ROOM', 'degree': 3})
    spline.control_points = frame + frame[:3]
    spline.knots = list(range(len(frame) + 3 + 4))
    spline.closed = True
    text(msp, '花厅', (22500, 0))
    outline = [(p.x, p.y) for p in spline.construction_tool().flattening(0.01)]
    # A room drawn as a loop of LINEs with a round end of an ARC.
    for a, b in (((30000, -2000), (34000, -2000)), ((30000, 2000), (34000, 2000)),
                 ((30000, -2000), (30000, 2000))):
        msp.add_line(a, b, dxfattribs={'layer': 'ROOM'})
    msp.add_arc((34000, 0), 2000, -90, 90, dxfattribs={'layer': 'ROOM'})
    text(msp, '线框房间', (31000, 0))
    doc.saveas(folder / 'curves.dxf')
    expected['curves.dxf'] = {
        'wallLayers': [], 'layers': ['ROOM'],
        'rooms': [{'name': '圆厅', 'area': rounded_up(math.pi * 9)},
                  {'name': '椭圆厅', 'area': rounded_up(math.pi * 4 * 2)},
                  {'name': '花厅', 'area': rounded_up(shoelace(outline) / 1e6),
                   'tolerance': 0.01},
                  {'name': '线框房间', 'area': rounded_up(16 + math.pi * 4 / 2)}],
        'doors': 0, 'exits': 0, 'gapsWithoutDoor': 0}


def proprietary(folder, expected):
    """Nothing but a program's own rooms and walls, which no other program reads."""
    doc = ezdxf.new(DXF2000)
    doc.header['$INSUNITS'] = 4
    path = folder / 'proprietary.dxf'
    doc.saveas(path)
    data = path.read_bytes()
    objects = b''.join(b'  0\r\n%s\r\n  5\r\n%X\r\n  8\r\nA-AREA\r\n' % (kind, 0xF000 + index)
                       for index, kind in enumerate([b'TCH_SPACE'] * 12 + [b'TCH_WALL'] * 3))
    marker = b'ENTITIES\r\n'
    if marker not in data:
        marker = b'ENTITIES\n'
        objects = objects.replace(b'\r\n', b'\n')
    data = data.replace(marker, marker + objects, 1)
    path.write_bytes(data)
    expected['proprietary.dxf'] = {
        'wallLayers': [], 'layers': [], 'rooms': [], 'doors': 0, 'exits': 0,
        'gapsWithoutDoor': 0,
        'notice': '图纸含 15 个专业软件对象（TCH_SPACE、TCH_WALL），请在原软件中导出为 T3 格式或分解后再导入'}


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    expected = {}
    for write in (office, apartment, blocks, hatches, curves, proprietary):
        write(folder, expected)
    with open(folder / 'wall_plans.json', 'w', encoding='utf-8') as file:
        json.dump(expected, file, ensure_ascii=False, indent=1)


if __name__ == '__main__':
    main()
