#!/usr/bin/env bash
# cross-check.sh WINDOWS_BUILD LINUX_BUILD: the Windows program's --export of a fixed project of
# 20 units, run under Wine with Chinese file names, against the Linux program's: every cell of
# the workbooks (read with openpyxl) and the text of the books (pdftotext) must be the same.
# Wine cannot hand a Unix program's output back to a Windows one, so the files are read here.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
windows_program=$(cd "$1" && pwd)/app/extinguisher-calculator.exe
linux_program=$(cd "$2" && pwd)/app/extinguisher-calculator

work=$(mktemp -d "${TMPDIR:-/tmp}/cross-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/linux" "$work/windows"

# Twenty units across the fire classes, hazards, factors, buildings and agents, some with a
# chosen model and number of setting points, dated so that both books carry the same date.
python3 - "$work/综合楼.fep" <<'EOF'
import json, sys
kinds = [("A", "ammoniumPhosphatePowder"), ("A", "water"), ("A", "foam"),
         ("B", "carbonDioxide"), ("B", "sodiumBicarbonatePowder"), ("B", "foam"),
         ("C", "ammoniumPhosphatePowder"), ("C", "carbonDioxide"),
         ("E", "carbonDioxide"), ("E", "ammoniumPhosphatePowder")]
hazards = ["light", "medium", "serious"]
factors = [1, 0.9, 0.7, 0.5, 0.3]
units = []
for i in range(20):
    fire_class, agent = kinds[i % len(kinds)]
    unit = {"name": f"计算单元{i + 1}", "location": f"{i // 5 + 1}层 东区",
            "fireClass": fire_class, "hazard": hazards[i % 3], "factor": factors[i % 5],
            "building": "entertainmentOrUnderground" if i % 4 == 3 else "aboveGround",
            "area": [1500, 120, 800, 2350.5, 60, 10000, 333.3, 45][i % 8],
            "agent": agent}
    if i == 0:
        unit.update(model="MF/ABC3", points=2)
    units.append(unit)
json.dump({"format": "fire-extinguisher-project", "version": 1, "name": "综合楼 & 地下车库",
           "units": units}, open(sys.argv[1], "w", encoding="utf-8"), ensure_ascii=False)
EOF

cd "$work"
for out in 综合楼计算书.pdf 综合楼.xlsx; do
    QT_QPA_PLATFORM=offscreen "$linux_program" --export "linux/$out" 综合楼.fep
    QT_QPA_PLATFORM=offscreen "$here/wine-run.sh" "$windows_program" --export "windows/$out" \
        综合楼.fep
done

status=0
pdftotext -enc UTF-8 linux/综合楼计算书.pdf linux/book.txt
pdftotext -enc UTF-8 windows/综合楼计算书.pdf windows/book.txt
if ! diff -u linux/book.txt windows/book.txt; then
    echo "cross-check: the Windows book's text differs from the Linux book's" >&2
    status=1
fi
python3 - linux/综合楼.xlsx windows/综合楼.xlsx <<'EOF' || status=1
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
