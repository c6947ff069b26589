#!/usr/bin/env bash
# cross-check.sh WINDOWS_BUILD LINUX_BUILD: the Windows program's --export of a fixed project of
# 20 units, run under Wine with Chinese file names, against the Linux program's: every cell of
# the workbooks (read with openpyxl) and the text of the books (pdftotext) must be the same, the
# Windows book is set in SimSun and SimHei, and its pages, drawn by pdftoppm, are as dark as the
# Linux book's (a heavier or lighter weight than the Linux book's shows there). The layout
# drawings of its two planned floors must be the same bytes on both systems.
# Wine cannot hand a Linux program's output back to a Windows one, so the files are read here.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
windows_program=$(cd "$1" && pwd)/app/extinguisher-calculator.exe
linux_program=$(cd "$2" && pwd)/app/extinguisher-calculator

work=$(mktemp -d "${TMPDIR:-/tmp}/cross-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/linux" "$work/windows"

# Twenty units across the fire classes, hazards, factors, buildings and agents, one with a chosen
# model and number of setting points; both books carry the day's date. The units of the first two
# floors are square rooms of a plan side by side, with setting points 10 m apart (the second
# floor's drawing in inches).
python3 - "$work/综合楼.fep" <<'EOF'
import json, sys
kinds = [("A", "ammoniumPhosphatePowder"), ("A", "water"), ("A", "foam"),
         ("B", "carbonDioxide"), ("B", "sodiumBicarbonatePowder"), ("B", "foam"),
         ("C", "ammoniumPhosphatePowder"), ("C", "carbonDioxide"),
         ("E", "carbonDioxide"), ("E", "ammoniumPhosphatePowder")]
hazards = ["light", "medium", "serious"]
factors = [1, 0.9, 0.7, 0.5, 0.3]
units = []
lefts = {}
for i in range(20):
    fire_class, agent = kinds[i % len(kinds)]
    unit = {"name": f"计算单元{i + 1}", "location": f"{i // 5 + 1}层 东区",
            "fireClass": fire_class, "hazard": hazards[i % 3], "factor": factors[i % 5],
            "building": "entertainmentOrUnderground" if i % 4 == 3 else "aboveGround",
            "area": [1500, 120, 800, 2350.5, 60, 10000, 333.3, 45][i % 8],
            "agent": agent}
    if i == 0:
        unit.update(model="MF/ABC3", points=2)
    if i < 10:
        side, left = unit["area"] ** 0.5, lefts.get(i // 5, 0.0)
        lefts[i // 5] = left + side + 5
        grid = [5 + 10 * k for k in range(int((side - 5) // 10) + 1) if 5 + 10 * k < side] or [side / 2]
        unit.update(outline=[[left, 0], [left + side, 0], [left + side, side], [left, side]],
                    setPoints=[[left + x, y] for y in grid for x in grid],
                    plan={"file": f"{i // 5 + 1}F.dxf", "layer": "房间", "handle": f"{i + 0xA0:X}",
                          "unit": "inch" if i >= 5 else "mm"})
    units.append(unit)
json.dump({"format": "fire-extinguisher-project", "version": 4, "name": "综合楼 & 地下车库",
           "units": units}, open(sys.argv[1], "w", encoding="utf-8"), ensure_ascii=False)
EOF

cd "$work"
# Python with openpyxl: Debian's, which a version manager earlier on the path may hide.
for python in $(which -a python3); do
    "$python" -c 'import openpyxl' 2>/dev/null && break
done
for out in 综合楼计算书.pdf 综合楼.xlsx; do
    QT_QPA_PLATFORM=offscreen "$linux_program" --export "linux/$out" 综合楼.fep
    # On the platform the Windows program picks itself, the windows platform, with its fonts:
    # SimSun and SimHei, which the Wine prefix maps to the same CJK fonts as Linux's.
    env -u QT_QPA_PLATFORM "$here/wine-run.sh" "$windows_program" --export "windows/$out" 综合楼.fep
done
# The layout drawings, one a floor: 平面布置图-1层 东区.dxf and 平面布置图-2层 东区.dxf.
QT_QPA_PLATFORM=offscreen "$linux_program" --export linux/平面布置图.dxf 综合楼.fep
env -u QT_QPA_PLATFORM "$here/wine-run.sh" "$windows_program" --export windows/平面布置图.dxf 综合楼.fep
# The book once more on the offscreen platform, which measures the fonts as Linux does.
QT_QPA_PLATFORM=offscreen "$here/wine-run.sh" "$windows_program" --export windows/离屏.pdf 综合楼.fep

status=0
drawings=0
for drawing in linux/平面布置图-*.dxf; do
    drawings=$((drawings + 1))
    if ! cmp "$drawing" "windows/${drawing#linux/}"; then
        echo "cross-check: the Windows program's ${drawing#linux/} differs from the Linux one" >&2
        status=1
    fi
done
if [ "$drawings" -ne 2 ] || [ "$(ls windows/平面布置图-*.dxf | wc -l)" -ne 2 ]; then
    echo "cross-check: not one layout drawing for each of the two floors" >&2
    status=1
else
    echo "cross-check: the layout drawings are the same bytes on both systems"
fi
pdftotext -enc UTF-8 linux/综合楼计算书.pdf linux/book.txt
pdftotext -enc UTF-8 windows/离屏.pdf windows/offscreen.txt
pdftotext -enc UTF-8 windows/综合楼计算书.pdf windows/book.txt
if ! diff -u linux/book.txt windows/offscreen.txt; then
    echo "cross-check: the Windows book's text (offscreen) differs from the Linux book's" >&2
    status=1
fi
faces=$(pdffonts windows/综合楼计算书.pdf | tail -n +3 | cut -d ' ' -f 1 | sed 's/-.*//' | sort -u |
        tr '\n' ' ')
if [ "$faces" != "SimHei SimSun " ]; then
    echo "cross-check: the Windows book is set in $faces, not in SimHei and SimSun" >&2
    status=1
fi
# Windows measures SimSun and SimHei by rules of its own, so lines may break elsewhere: each page
# holds the same characters all the same.
"$python" - linux/book.txt windows/book.txt <<'EOF' || status=1
import collections, re, sys
linux, windows = (open(name, encoding="utf-8").read().split("\f") for name in sys.argv[1:3])
if len(linux) != len(windows):
    sys.exit(f"cross-check: the Windows book has {len(windows) - 1} pages, not {len(linux) - 1}")
for page, (a, b) in enumerate(zip(linux, windows), 1):
    a, b = (collections.Counter(re.sub(r"\s", "", text)) for text in (a, b))
    if a != b:
        sys.exit(f"cross-check: page {page} of the Windows book lacks {dict(a - b)} and has "
                 f"{dict(b - a)} besides")
print(f"cross-check: the books' text is the same on both systems ({len(linux) - 1} pages)")
EOF
# The weight of the Chinese text on each page, drawn by pdftoppm at 150 dpi: the mean width of
# the strokes (the dark pixels' horizontal runs) within the words of Chinese characters alone,
# whose faces are the same on both systems (the Latin ones are not: SimSun's own against DejaVu
# Serif). Each Windows page within 3 % of the Linux page's: the books differ by less than 1 %
# when both ask for the weights their faces have, and a synthesised bold in the tables adds
# 10 % to 35 % on the pages that are mostly tables.
for system in linux windows; do
    pdftoppm -r 150 -gray "$system/综合楼计算书.pdf" "$system/page"
    pdftotext -bbox "$system/综合楼计算书.pdf" "$system/words.html"
done
"$python" - "$work" <<'EOF' || status=1
import glob, os, re, sys
dpi = 150
def picture(name):
    data = open(name, "rb").read()
    # A binary PGM: P5, the width, the height and the largest value, then a byte a pixel.
    fields = re.match(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[fields.end():fields.end() + width * height]
word = re.compile(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">'
                  r'([\u4e00-\u9fff]+)</word>')
def stroke_widths(system):
    folder = os.path.join(sys.argv[1], system)
    pages = open(os.path.join(folder, "words.html"), encoding="utf-8").read().split("<page ")[1:]
    widths = []
    for page, name in zip(pages, sorted(glob.glob(os.path.join(folder, "page-*.pgm")))):
        width, height, pixels = picture(name)
        dark = runs = 0
        for box in word.finditer(page):
            left, top, right, bottom = (round(float(v) * dpi / 72) for v in box.groups()[:4])
            for y in range(top, min(bottom, height)):
                row = [pixel < 128 for pixel in pixels[y * width + left:y * width + min(right, width)]]
                dark += sum(row)
                runs += sum(a and not b for a, b in zip(row, [False] + row))
        widths.append(dark / runs if runs else 0)
    return widths
linux, windows = stroke_widths("linux"), stroke_widths("windows")
if len(linux) != len(windows):
    sys.exit(f"cross-check: the Windows book draws {len(windows)} pages, not {len(linux)}")
faults = []
for page, (a, b) in enumerate(zip(linux, windows), 1):
    change = (b - a) / a if a else float(b > 0)
    if abs(change) > 0.03:
        faults.append(f"page {page}: the Chinese text's strokes are {b:.2f} px wide, not "
                      f"{a:.2f} px as in the Linux book ({change:+.1%})")
for fault in faults:
    print("cross-check:", fault, file=sys.stderr)
if faults:
    sys.exit(1)
changes = [abs(b - a) / a for a, b in zip(linux, windows) if a]
print(f"cross-check: the Chinese text on each page is as heavy on both systems (its strokes "
      f"within {max(changes):.1%})")
EOF
"$python" - linux/综合楼.xlsx windows/综合楼.xlsx <<'EOF' || status=1
import sys
import openpyxl
linux, windows = (openpyxl.load_workbook(name) for name in sys.argv[1:3])
faults = []
if linux.sheetnames != windows.sheetnames:
    faults.append(f"sheets {windows.sheetnames} instead of {linux.sheetnames}")
cells = 0
for name in linux.sheetnames:
    a, b = linux[name], windows[name]
    rows = max(a.max_row, b.max_row)
    columns = max(a.max_column, b.max_column)
    for row in range(1, rows + 1):
        for column in range(1, columns + 1):
            x, y = a.cell(row, column).value, b.cell(row, column).value
            cells += x is not None
            if x != y:
                faults.append(f"{name}!{a.cell(row, column).coordinate}: {y!r} instead of {x!r}")
    if sorted(map(str, a.merged_cells.ranges)) != sorted(map(str, b.merged_cells.ranges)):
        faults.append(f"{name}: other merged cells")
    if a.oddHeader.center.text != b.oddHeader.center.text:
        faults.append(f"{name}: header {b.oddHeader.center.text!r}")
for fault in faults[:20]:
    print("cross-check:", fault, file=sys.stderr)
if faults:
    sys.exit(1)
print(f"cross-check: the workbooks' {cells} cells are the same on both systems")
EOF
exit "$status"
