#!/usr/bin/env python3
"""check_workbook.py WRITER: reads back the sample building's workbooks that WRITER writes."""
import datetime
import subprocess
import sys
import tempfile
from pathlib import Path

import openpyxl

# The row of each sheet's headings, counted from 1: the schedule's two title rows above it.
HEADING_ROWS = {"配置表": 3, "材料表": 1, "计算": 1, "设置点": 1}

failures = []


def check(what, got, expected):
    if got != expected:
        failures.append(f"{what}: got {got!r}, expected {expected!r}")


def check_numeric(what, sheet, columns):
    """Every filled cell of the columns below the heading row holds a number."""
    for row in sheet.iter_rows(min_row=HEADING_ROWS[sheet.title] + 1):
        for cell in row:
            if cell.column in columns and cell.value not in (None, "合计"):
                if cell.data_type != "n" or isinstance(cell.value, str):
                    failures.append(f"{what} {cell.coordinate}: {cell.value!r} is not a number")


def write_book(folder, *args):
    path = Path(folder) / f"{len(list(Path(folder).iterdir()))}.xlsx"
    subprocess.run([sys.argv[1], str(path), *args], check=True)
    return openpyxl.load_workbook(path)


def check_pages(book, header):
    """Every sheet prints landscape on A4, one page wide, under the header (as Excel keeps it,
    "&&" for "&") and over page numbers, its heading row frozen and printed atop each page."""
    check("sheets", book.sheetnames, list(HEADING_ROWS))
    for sheet in book.worksheets:
        setup, heading = sheet.page_setup, HEADING_ROWS[sheet.title]
        # An absent fitToWidth is Excel's default of 1; a fitToHeight of 0 leaves it unbounded.
        check(f"{sheet.title} pages",
              [setup.orientation, setup.paperSize, sheet.sheet_properties.pageSetUpPr.fitToPage,
               setup.fitToWidth or 1, setup.fitToHeight, sheet.print_title_rows,
               sheet.freeze_panes, sheet.oddHeader.center.text, sheet.oddFooter.center.text],
              ["landscape", 9, True, 1, 0, f"${heading}:${heading}", f"A{heading + 1}", header,
               "第 &P 页 共 &N 页"])


with tempfile.TemporaryDirectory() as folder:
    # A name with an ampersand, no number and no date: the day of the export.
    before = datetime.date.today()
    book = write_book(folder, "A&B 综合楼")
    check_pages(book, "A&&B 综合楼")
    dates = {f"{d.year}年{d.month}月{d.day}日" for d in (before, datetime.date.today())}
    check("date of today", book["配置表"]["A2"].value.rpartition("：")[2] in dates, True)

    # Names too long for Excel's 255 UTF-16 units, "&C" included, cut where half of a character
    # beyond the BMP, or of an "&&", would still fit.
    for long_name in ("楼&" * 83 + "𠀀" * 20, "楼" * 251 + "&" * 20):
        header = write_book(folder, long_name)["计算"].oddHeader.center.text
        kept = header[:-1]
        check("long header", [len(("&C" + header).encode("utf-16-le")) // 2 in range(250, 256),
                              header[-1], long_name.replace("&", "&&").startswith(kept),
                              (len(kept) - len(kept.rstrip("&"))) % 2], [True, "…", True, 0])

    book = write_book(folder, "综合楼", "2026-消-015", "2026-03-05")
    check_pages(book, "综合楼")
    # The title merged across the table's columns leaves the first as narrow as its numbers.
    titled = book["配置表"]
    check("schedule title",
          [titled["A1"].value, titled["A1"].font.b, titled["A2"].value,
           sorted(map(str, titled.merged_cells.ranges)), titled.column_dimensions["A"].width < 10],
          ["灭火器配置表", True, "工程名称：综合楼　　工程编号：2026-消-015　　日期：2026年3月5日",
           ["A1:S1", "A2:S2"], True])
    for sheet in book.worksheets:
        headings = sheet[HEADING_ROWS[sheet.title]]
        check(f"{sheet.title} bold heading", all(c.font.b for c in headings if c.value), True)
        for cell in headings:
            width = sheet.column_dimensions[cell.column_letter].width
            # A Chinese character takes about two widths.
            wanted = sum(2 if ord(ch) >= 0x2E80 else 1 for ch in str(cell.value))
            check(f"{sheet.title} {cell.column_letter} wide enough", width >= wanted, True)

    # The headings are the document's own texts; the rows below hold each value in its column.
    schedule, materials, calculation = (
        [list(row) for row in book[name].iter_rows(min_row=heading, values_only=True)]
        for name, heading in list(HEADING_ROWS.items())[:3])
    check("schedule headings", schedule[0][4:12] + schedule[0][16:19],
          ["危险等级", "修正系数K", "场所类别", "保护面积(m²)", "灭火器类型", "级别单位", "Q",
           "设计需配灭火级别", "灭火器数量(具)", "实配灭火级别", "校核"])
    check("schedule 1", schedule[1], [1, "一层", "仓库", "A类", "中危险级", 0.9, "地上建筑", 1500,
                                      "干粉(磷酸铵盐)", "A", 18, 20, "MF/ABC3", 2, 2, 5, 10, 20,
                                      "满足"])
    check("schedule 2", schedule[2], [2, "地下一层", "配电室", "E类", "轻危险级", 1,
                                      "娱乐场所/地下建筑", 500, "干粉(磷酸铵盐)", "B", 434, 434,
                                      "MF/ABC3", 34, 1, 13, 13, 442, "不满足 6.1.2、7.1.3"])
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

    # No unit has setting points: the points' sheet has its headings alone, in millimetres.
    check("no points", [list(row) for row in book["设置点"].iter_rows(values_only=True)],
          [["序号", "计算单元", "位置", "编号", "X（mm）", "Y（mm）", "灭火器型号", "数量",
            "最远距离（m）"]])

    # Units whose setting points are placed on their plan: N is their number beside the estimate
    # N₀, and 7.1.3 whether they reach every point within R, which the note tells.
    book = write_book(folder, "--placed")
    calculation = [list(row) for row in book["计算"].iter_rows(
        min_row=HEADING_ROWS["计算"], values_only=True)]
    check("placed headings", [calculation[0][i] for i in (18, 19, 20, 29)],
          ["R(m)", "N₀", "N", "7.1.3"])
    check("placed corridor", [calculation[5][i] for i in (2, 18, 19, 20, 29, 31)],
          ["走廊", 20, 1, 4, ok, "N 为平面上布置的设置点数，7.1.3 按至最近设置点的距离校核："
                                 "最大 15.1 m"])
    check("placed L", [calculation[6][i] for i in (2, 18, 19, 20, 29, 31)],
          ["展厅", 15, 1, 1, breached, "N 为平面上布置的设置点数，7.1.3 按至最近设置点的距离校核："
                                       "最大 15.4 m"])

    # Each point: the corridor's floor in mm, the L's in m, so each coordinate shows its unit;
    # the farthest distance of each point's share rounded up to 0.01 m, a point out of its room
    # reaching nothing and one in a room too large not checked.
    points = book["设置点"]
    mm, m, hundredths = '0.0 "mm"', '0.0000 "m"', "0.00"
    check("point headings", [c.value for c in points[1]][3:6], ["编号", "X", "Y"])
    check("points", [[(c.value, c.number_format) if c.column in (5, 6, 9) else c.value
                      for c in row] for row in points.iter_rows(min_row=2)],
          [[n, "走廊", "一层", f"5-{n}", (1500, mm), (y, mm), "MF/ABC3", 1, (15.08, hundredths)]
           for n, y in enumerate((15000, 45000, 75000, 105000), 1)] +
          [[5, "展厅", "二层", "6-1", (7.5, m), (12, m), "MF/ABC5", 2, (15.35, hundredths)]] +
          [[6, "储藏室", "一层", "7-1", (12000, mm), (12000, mm), "MF/ABC3", 2,
            ("不在计算单元内", "General")],
           [7, "库房", "一层", "8-1", (100000, mm), (100000, mm), "MF/ABC5", 180,
            ("未校核", "General")]])
    check_numeric("设置点", points, {1, 5, 6, 8})

    # A combined unit is one unit of the schedule, with the sum of its rooms' areas for S.
    schedule = [list(row) for row in write_book(folder, "--combined")["配置表"].iter_rows(
        min_row=HEADING_ROWS["配置表"] + 1, values_only=True)]
    check("combined", [schedule[0][:8], len(schedule)],
          [[1, "一层", "一层组合单元", "A类", "中危险级", 0.9, "地上建筑", 202.08], 2])

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
