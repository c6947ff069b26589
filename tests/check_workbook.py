#!/usr/bin/env python3
"""check_workbook.py WRITER: reads back the sample building's workbook that WRITER writes."""
import subprocess
import sys
import tempfile
from pathlib import Path

import openpyxl

failures = []


def check(what, got, expected):
    if got != expected:
        failures.append(f"{what}: got {got!r}, expected {expected!r}")


def check_numeric(what, sheet, columns):
    """Every filled cell of the columns below the heading row holds a number."""
    for row in sheet.iter_rows(min_row=2):
        for cell in row:
            if cell.column in columns and cell.value not in (None, "合计"):
                if cell.data_type != "n" or isinstance(cell.value, str):
                    failures.append(f"{what} {cell.coordinate}: {cell.value!r} is not a number")


with tempfile.TemporaryDirectory() as folder:
    path = Path(folder) / "综合楼.xlsx"
    subprocess.run([sys.argv[1], str(path)], check=True)
    book = openpyxl.load_workbook(path)

    check("sheets", book.sheetnames, ["配置表", "材料表", "计算"])
    for sheet in book.worksheets:
        check(f"{sheet.title} frozen", sheet.freeze_panes, "A2")
        check(f"{sheet.title} bold heading", all(c.font.b for c in sheet[1] if c.value), True)
        for cell in sheet[1]:
            width = sheet.column_dimensions[cell.column_letter].width
            # A Chinese character takes about two widths.
            wanted = sum(2 if ord(ch) >= 0x2E80 else 1 for ch in str(cell.value))
            check(f"{sheet.title} {cell.column_letter} wide enough", width >= wanted, True)

    # The headings are the document's own texts; the rows below hold each value in its column.
    schedule, materials, calculation = ([list(row) for row in book[name].iter_rows(values_only=True)]
                                        for name in ("配置表", "材料表", "计算"))
    check("schedule headings", schedule[0][4:12] + schedule[0][16:19],
          ["危险等级", "修正系数K", "场所类别", "保护面积(m²)", "灭火器类型", "级别单位", "Q",
           "设计需配灭火级别", "灭火器数量(具)", "实配灭火级别", "校核"])
    check("schedule 1", schedule[1], [1, "一层", "仓库", "A类", "中危险级", 0.9, "地上建筑", 1500,
                                      "干粉(磷酸铵盐)", "A", 18, 20, "MF/ABC3", 2, 2, 5, 10, 20,
                                      "满足"])
    check("schedule 2", schedule[2], [2, "地下一层", "配电室", "E类", "轻危险级", 1,
                                      "娱乐场所/地下建筑", 500, "干粉(磷酸铵盐)", "B", 434, 434,
                                      "MF/ABC3", 34, 1, 13, 13, 442, "6.1.2、7.1.3"])
    check("schedule 3 agent", schedule[3][8], "卤代烷(1211)")
    check("schedule 4", schedule[4], [4, "一层", "金属加工间", "D类", "严重危险级", 1, "地上建筑",
                                      300, "干粉(磷酸铵盐)"] + [None] * 9 + ["不能配置"])
    check("schedule total", schedule[5], ["合计"] + [None] * 15 + [25, None, None])
    check("schedule rows", len(schedule), 6)
    check_numeric("配置表", book["配置表"], {1, 6, 8, 11, 12, 14, 15, 16, 17, 18})

    check("materials", materials, [
        ["序号", "名称", "型号", "规格", "数量", "单位"],
        [1, "手提式磷酸铵盐干粉灭火器", "MF/ABC3", "3千克", 23, "具"],
        [2, "手提式1211灭火器", "MY4", "4千克", 2, "具"]])
    check_numeric("材料表", book["材料表"], {1, 5})

    check("calculation headings", [calculation[0][i] for i in (11, 12, 13, 14, 20, 30, 31)],
          ["Q计算值", "Q", "S/U计算值", "S/U取整", "N", "GB 55036-2022 10.0.3", "说明"])
    ok, breached = "满足", "不满足"
    check("calculation 2", calculation[2],
          [2, "地下一层", "配电室", "E类", "轻危险级", 1, "娱乐场所/地下建筑", "干粉(磷酸铵盐)",
           1.5, 500, "B", 433.333, 434, 333.333, 334, 434, "MF/ABC3", 34, 15, 2, 1, 434, 13,
           13, 442, ok, breached, ok, ok, breached, ok, None])
    check("calculation 3 K", calculation[3][5], 1)
    check("calculation 3 note", calculation[3][31], "型号MY2不满足本单元的要求，按MY4配置")
    check("calculation 4", calculation[4][:12], [4, "一层", "金属加工间", "D类", "严重危险级", 1,
                                                "地上建筑", "干粉(磷酸铵盐)", None, 300, None, None])
    check("calculation 4 note", str(calculation[4][31]).startswith("不能配置：D类"), True)
    check_numeric("计算", book["计算"], {1, 6, *range(9, 11), *range(12, 17), *range(18, 26)})

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
