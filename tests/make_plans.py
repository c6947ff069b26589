#!/usr/bin/env python3
"""Writes the floor plans that the plan tests read, with ezdxf, into the folder given, and
expected.json beside them: for each drawing its version, unit, code page, layers, the rooms (in
file order, with handle, layer, name and area in m²), the refused outlines with their reasons,
the unknown entities and the count of paper-space entities.

make_plans.py FOLDER
"""
import json
import math
import sys
from fractions import Fraction
from pathlib import Path

import ezdxf
from ezdxf.lldxf.const import DXF12, DXF2000, DXF2007, DXF2018

METRES = {'mm': Fraction(1, 1000), 'cm': Fraction(1, 100), 'm': Fraction(1)}


def rounded_up(square_metres):
    """The area rounded up to 0.01 m², exactly."""
    return float(Fraction(math.ceil(square_metres * 100), 100))


def decimal(x):
    """The number as the drawing writes it: the shortest decimal of the float."""
    return Fraction(repr(float(x)))


def shoelace(points):
    total = Fraction(0)
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        total += decimal(ax) * decimal(by) - decimal(bx) * decimal(ay)
    return abs(total) / 2


class Plan:
    """A drawing and what the reader should find in it."""

    def __init__(self, version, unit, room_layer, encoding=None, insunits=True):
        self.doc = ezdxf.new(version)
        self.unit_given = insunits
        if encoding:
            self.doc.encoding = encoding
        if insunits:
            self.doc.header['$INSUNITS'] = {'mm': 4, 'cm': 5, 'm': 6}[unit]
        self.msp = self.doc.modelspace()
        self.unit = unit
        self.room_layer = room_layer
        self.doc.layers.add(room_layer)
        self.rooms = []
        self.rejected = []
        self.floors = []
        self.paper = 0

    def polygon(self, points, layer=None, close=True, bulges=None):
        layer = layer or self.room_layer
        attributes = {'layer': layer}
        if bulges:
            points = [(x, y, b) for (x, y), b in zip(points, bulges)]
        if self.doc.dxfversion == DXF12:
            entity = self.msp.add_polyline2d(points, format='xyb' if bulges else None,
                                             close=close, dxfattribs=attributes)
        else:
            entity = self.msp.add_lwpolyline(points, format='xyb' if bulges else 'xy',
                                             close=close, dxfattribs=attributes)
        return entity

    def room(self, points, name, **keywords):
        """A room whose area is exact: a polygon of straight sides."""
        entity = self.polygon(points, **keywords)
        area = shoelace([p[:2] for p in points]) * METRES[self.unit] ** 2
        self.rooms.append({'handle': entity.dxf.handle, 'layer': entity.dxf.layer,
                           'name': name, 'area': rounded_up(area), 'tolerance': 0})
        return entity

    def round_room(self, left, radius, name):
        """A round room of two semicircles (bulge 1): the area is the circle's."""
        x, y = left
        entity = self.polygon([(x, y), (x + 2 * radius, y)], bulges=[1, 1])
        r = float(radius * METRES[self.unit])
        self.rooms.append({'handle': entity.dxf.handle, 'layer': entity.dxf.layer, 'name': name,
                           'area': rounded_up(math.pi * r * r), 'tolerance': 0})
        return entity

    def refused(self, entity, reason):
        self.rejected.append({'handle': entity.dxf.handle, 'layer': entity.dxf.layer,
                              'reason': reason})

    def floor(self, entity):
        """The outline drawn round the floor's rooms."""
        self.floors.append(entity.dxf.handle)

    def text(self, content, at, height, layer='TEXT', **attributes):
        return self.msp.add_text(content, dxfattribs={'insert': at, 'height': height,
                                                       'layer': layer, **attributes})

    def mtext(self, content, at, height, layer='TEXT'):
        return self.msp.add_mtext(content, dxfattribs={'insert': at, 'char_height': height,
                                                        'layer': layer})

    def paper_space(self):
        layout = self.doc.layout()
        layout.add_lwpolyline([(0, 0), (100, 0), (100, 100)], close=True,
                              dxfattribs={'layer': self.room_layer}) \
            if self.doc.dxfversion != DXF12 else \
            layout.add_polyline2d([(0, 0), (100, 0), (100, 100)], close=True,
                                  dxfattribs={'layer': self.room_layer})
        layout.add_text('图纸空间', dxfattribs={'insert': (50, 30), 'height': 5})
        self.paper += 2

    def save(self, folder, name, expected, unknown=None, patch=None):
        path = folder / name
        self.doc.saveas(path)
        if patch:
            path.write_bytes(patch(path.read_bytes()))
        expected[name] = {
            'version': self.doc.dxfversion, 'unit': self.unit,
            'unitGiven': self.unit_given, 'codePage': self.doc.header['$DWGCODEPAGE'],
            'layers': [layer.dxf.name for layer in self.doc.layers],
            'proposed': [self.room_layer], 'rooms': self.rooms, 'rejected': self.rejected,
            'floors': self.floors,
            'unknown': unknown or {}, 'other': self.other(), 'paperSpace': self.paper}

    def other(self):
        """The model space entities that the reader takes nothing from, by type."""
        kept = {room['handle'] for room in self.rooms} | {r['handle'] for r in self.rejected} | \
            set(self.floors)
        counts = {}
        for entity in self.msp:
            kind = entity.dxftype()
            if kind in ('TEXT', 'MTEXT', 'LINE', 'ARC', 'CIRCLE', 'HATCH', 'INSERT') or \
                    entity.dxf.handle in kept or \
                    (kind in ('LWPOLYLINE', 'POLYLINE') and entity.is_closed and
                     not getattr(entity, 'is_poly_face_mesh', False)):
                continue
            counts[kind] = counts.get(kind, 0) + 1
        return counts


def rectangle(x, y, width, height):
    return [(x, y), (x + width, y), (x + width, y + height), (x, y + height)]


def r12(folder, expected):
    """R12: old-style polylines, names the code page 1252 cannot hold as \\U+ codes, no unit."""
    plan = Plan(DXF12, 'mm', '房间', insunits=False)
    plan.room(rectangle(0, 0, 3600, 4200), '办公室')
    plan.text('办公室', (1000, 2000), 350)
    # An L whose name is centred: its insertion point lies outside, its alignment point inside.
    plan.room([(5000, 0), (11000, 0), (11000, 2000), (7000, 2000), (7000, 5000), (5000, 5000)],
              '会议室 ⌀1')
    plan.text('会议室 %%c1', (20000, 20000), 400, halign=1, valign=2, align_point=(6000, 1000))
    plan.text('3.5%%d', (6000, 4000), 200)
    # Aligned between two points outside the round room: named by the middle of its base line.
    plan.round_room((0, 8000), 2500, '圆厅')
    plan.text('圆厅', (-1000, 8000), 300, halign=3, align_point=(6000, 8000))
    plan.room(rectangle(12000, 0, 3000, 3000), '房间1')
    # A polyface mesh on the room layer is a surface, no outline.
    mesh = plan.msp.add_polyface(dxfattribs={'layer': '房间'})
    mesh.append_face([(20000, 0, 0), (21000, 0, 0), (21000, 1000, 0)])
    plan.paper_space()
    plan.save(folder, 'r12.dxf', expected)


def patch_r2000(data):
    """Adds what ezdxf does not write: a class and a proxy of it, a program's own wall objects,
    and an application group holding a text group inside a TEXT."""
    classes = b'  2\r\nCLASSES\r\n' if b'\r\n' in data else b'  2\nCLASSES\n'
    line_end = b'\r\n' if b'\r\n' in data else b'\n'
    assert classes in data

    def groups(*pairs):
        return b''.join(str(code).rjust(3).encode() + line_end + value + line_end
                        for code, value in pairs)
    data = data.replace(classes, classes + groups(
        (0, b'CLASS'), (1, b'TCH_OPENING'), (2, b'TDbOpening'), (3, b'TArch'), (90, b'0'),
        (280, b'0'), (281, b'1')), 1)
    entities = b'ENTITIES' + line_end
    walls = b''.join(groups((0, b'TCH_WALL'), (5, handle), (8, b'WALL'), (10, b'0.0'),
                            (20, b'0.0'), (1, '假墙'.encode('gbk')))
                     for handle in (b'F001', b'F002'))
    proxy = groups((0, b'ACAD_PROXY_ENTITY'), (5, b'F003'), (8, b'WALL'), (90, b'498'),
                   (91, b'500'), (92, b'500'), (93, b'0'))
    data = data.replace(entities, entities + walls + proxy, 1)
    # The application group goes into the text 储藏室, before its own text group.
    text = '储藏室'.encode('gbk')
    marker = b'  1' + line_end + text + line_end
    assert marker in data
    return data.replace(marker, groups((102, b'{MYAPP'), (1, '伪装'.encode('gbk')),
                                       (102, b'}')) + marker, 1)


def r2000(folder, expected):
    """R2000 in GBK: a floor boundary, faults, an entity mix and names from TEXT and MTEXT."""
    plan = Plan(DXF2000, 'mm', 'A-AREA', encoding='gbk')
    floor = plan.polygon(rectangle(-1000, -1000, 30000, 12000))
    plan.floor(floor)
    toilet = plan.room(rectangle(0, 0, 2400, 3000), '卫生间')
    toilet.set_xdata('MYAPP', [(1000, '假名字'), (1010, (1200, 1500, 0))])
    plan.text('卫生间', (300, 1500), 300).set_xdata('MYAPP', [(1000, '假名字')])
    # The MTEXT is taller than the TEXT in the same room.
    plan.room(rectangle(3000, 0, 6000, 4500), '会议 室')
    plan.mtext(r'{\fSimSun|b0|i0|c134;\H1.2x;会议\P室}', (4000, 3000), 500)
    plan.text('吊顶', (4000, 1000), 300)
    # Two texts of one height: the first in the file names the room.
    plan.room(rectangle(10000, 0, 4000, 4000), '储藏室')
    plan.text('储藏室', (11000, 2000), 300)
    plan.text('库房', (11000, 1000), 300)
    # Open, but its ends meet: an outline all the same.
    plan.room(rectangle(15000, 0, 12000, 2000) + [(15000, 0)], '走廊', close=False)
    plan.text('走廊', (20000, 1000), 300)
    # Open polylines that do not close are no outlines, also on the room layer.
    plan.polygon([(0, 5000), (5000, 5000), (5000, 8000)], close=False)
    plan.refused(plan.polygon([(0, 9000), (3000, 10000), (0, 10000), (2000, 9000)]), '自相交')
    plan.refused(plan.polygon([(5000, 9000), (6000, 9500), (7000, 10000)]), '面积为零')
    plan.refused(plan.polygon([(8000, 9000), (9000, 9000)]), '顶点不足')
    # Furniture outlines on another layer, a hatch, a dimension, lines and circles: none of them
    # rooms.
    plan.polygon(rectangle(500, 500, 600, 600), layer='FURN')
    hatch = plan.msp.add_hatch(dxfattribs={'layer': 'HATCH'})
    hatch.paths.add_polyline_path(rectangle(3000, 0, 6000, 4500))
    plan.msp.add_linear_dim(base=(0, -500), p1=(0, 0), p2=(2400, 0)).render()
    # A block of furniture with a tall text, drawn where its reference puts it: in no room.
    block = plan.doc.blocks.new('DESK')
    block.add_lwpolyline(rectangle(0, 0, 1000, 500), close=True, dxfattribs={'layer': 'DESK'})
    block.add_text('书桌', dxfattribs={'insert': (100, 100), 'height': 900})
    plan.msp.add_blockref('DESK', (16000, 5000))
    plan.msp.add_line((0, 0), (30000, 0))
    plan.msp.add_circle((1000, 1000), 100)
    plan.paper_space()
    plan.save(folder, 'r2000_gbk.dxf', expected,
              unknown={'TCH_WALL': 2, 'TCH_OPENING': 1}, patch=patch_r2000)
    data = (folder / 'r2000_gbk.dxf').read_bytes()
    assert b'ANSI_936' in data and '卫生间'.encode('gbk') in data
    assert '卫生间'.encode('utf-8') not in data


def r2007(folder, expected):
    """R2007 in UTF-8 and metres: a room in a room, a duplicate outline, arcs and a name over
    two lines."""
    plan = Plan(DXF2007, 'm', 'Room-Area')
    suite = plan.polygon(rectangle(0, 0, 20, 10))
    plan.refused(suite, '包含 1 个房间')
    plan.text('套间', (1, 1), 0.8)
    plan.room(rectangle(2, 2, 5.5, 4.3), '大 会议室')
    plan.mtext('  大\\P会议室  ', (3, 4), 0.5)
    office = plan.room(rectangle(30, 0, 6.2, 5.1), '经理室')
    plan.text('经理室', (32, 2), 0.4)
    duplicate = plan.polygon(rectangle(30, 0, 6.2, 5.1)[::-1])
    plan.refused(duplicate, f'与轮廓 {office.dxf.handle} 重合')
    plan.round_room((40, 0), 3, '洽谈室')
    plan.mtext(r'\U+6D3D\U+8C08\U+5BA4', (42, 0), 0.4)
    plan.save(folder, 'r2007_utf8.dxf', expected)
    assert '洽谈室'.encode('utf-8') not in (folder / 'r2007_utf8.dxf').read_bytes()


def r2018(folder, expected):
    """R2018 in centimetres: a mirrored polyline (extrusion downwards) and formatted MTEXT."""
    plan = Plan(DXF2018, 'cm', 'ROOMS')
    # Facing down, x runs the other way: these are world x 1000 to 1400.
    mirrored = plan.polygon([(-1000, 0), (-1400, 0), (-1400, 300), (-1000, 300)])
    mirrored.dxf.extrusion = (0, 0, -1)
    plan.rooms.append({'handle': mirrored.dxf.handle, 'layer': 'ROOMS', 'name': '配电间',
                       'area': 12.0, 'tolerance': 0})
    plan.text('配电间', (1200, 150), 30)
    plan.room(rectangle(0, 0, 850, 620), '档案室 2/3')
    plan.mtext(r'\L档案室\l \S2/3;', (100, 300), 40, layer='ROOMS')
    # Named by a block's attribute; the area label beside it is taller, and no name.
    plan.room(rectangle(1000, 400, 400, 300), '主卧')
    tag = plan.doc.blocks.new('ROOMTAG')
    tag.add_attdef('NAME', (0, 0), dxfattribs={'height': 20})
    plan.msp.add_blockref('ROOMTAG', (1100, 500)).add_attrib('NAME', '主卧', (1100, 500),
                                                               dxfattribs={'height': 20})
    plan.text('12.00m²', (1100, 600), 30)
    plan.save(folder, 'r2018.dxf', expected)


MINIMAL = (
    '999\r\nwritten by hand\r\n  0\r\nSECTION\r\n  2\r\nENTITIES\r\n'
    '  0\r\nLWPOLYLINE\r\n  5\r\nA1\r\n  8\r\nROOM\r\n 90\r\n4\r\n 70\r\n1\r\n'
    ' 10\r\n0\r\n 20\r\n0\r\n 10\r\n4000\r\n 20\r\n0\r\n 10\r\n4000\r\n 20\r\n3000\r\n'
    ' 10\r\n0\r\n 20\r\n3000\r\n'
    '  0\r\nTEXT\r\n  5\r\nA2\r\n  8\r\nROOM\r\n 10\r\n100\r\n 20\r\n100\r\n 40\r\n250\r\n'
    '  1\r\nStore\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n')


def layout_floors(folder):
    """The floors that the layout drawing is written for: 18 offices, a corridor and an L-shaped
    hall in millimetres, and two rooms in inches."""
    doc = ezdxf.new(DXF2000)
    doc.header['$INSUNITS'] = 4
    msp = doc.modelspace()
    doc.layers.add('房间')
    doc.layers.add('文字')

    def room(points, name):
        msp.add_lwpolyline(points, close=True, dxfattribs={'layer': '房间'})
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        msp.add_text(name, dxfattribs={'layer': '文字', 'height': 350, 'insert': (
            min(xs) + 1000, min(ys) + 1000)})

    for i in range(10):
        room(rectangle(6000 * i, 0, 6000, 6000), f'办公室{i + 1}')
    for i in range(8):
        room(rectangle(6000 * i, 8400, 6000, 6000), f'办公室{i + 11}')
    room(rectangle(0, 6000, 60000, 2400), '走廊')
    room([(60000, 0), (72000, 0), (72000, 20400), (48000, 20400), (48000, 14400),
          (60000, 14400)], '大厅')
    doc.saveas(folder / 'layout_floor.dxf')

    inches = ezdxf.new(DXF2000)
    inches.header['$INSUNITS'] = 1
    msp = inches.modelspace()
    msp.add_lwpolyline(rectangle(0, 0, 240, 180), close=True, dxfattribs={'layer': 'ROOMS'})
    msp.add_text('Office', dxfattribs={'layer': 'ROOMS', 'height': 10, 'insert': (40, 40)})
    msp.add_lwpolyline(rectangle(240, 0, 300, 180), close=True, dxfattribs={'layer': 'ROOMS'})
    msp.add_text('Store', dxfattribs={'layer': 'ROOMS', 'height': 10, 'insert': (300, 40)})
    inches.saveas(folder / 'layout_inch.dxf')


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    expected = {}
    r12(folder, expected)
    r2000(folder, expected)
    r2007(folder, expected)
    r2018(folder, expected)
    # Without a header: R12, millimetres not given; with a byte order mark and CR LF line ends.
    (folder / 'minimal.dxf').write_bytes(b'\xef\xbb\xbf' + MINIMAL.encode())
    expected['minimal.dxf'] = {
        'version': 'AC1009', 'unit': 'mm', 'unitGiven': False, 'codePage': '', 'layers': [],
        'proposed': ['ROOM'],
        'rooms': [{'handle': 'A1', 'layer': 'ROOM', 'name': 'Store', 'area': 12.0,
                   'tolerance': 0}],
        'rejected': [], 'unknown': {}, 'other': {}, 'paperSpace': 0}
    layout_floors(folder)
    binary = ezdxf.new(DXF2000)
    binary.modelspace().add_lwpolyline(rectangle(0, 0, 10, 10), close=True)
    binary.saveas(folder / 'binary.dxf', fmt='bin')
    with open(folder / 'expected.json', 'w', encoding='utf-8') as file:
        json.dump(expected, file, ensure_ascii=False, indent=1)


if __name__ == '__main__':
    main()
