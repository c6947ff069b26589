#!/usr/bin/env python3
"""check_workbook.py WRITER: reads back the sample building's workbooks that WRITER writes."""
import datetime
import re
import subprocess
import sys
import tempfile
from pathlib import Path

import openpyxl

# The row of each sheet's headings, counted from 1: the schedule's two title rows above it.
HEADING_ROWS = {"配置表": 3, "材料表": 1, "计算": 1}
FOOTER = "第 &P 页 共 &N 页"

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



def excel_length(text):
    """The length Excel counts: UTF-16 code units."""
    return sum(2 if ord(ch) > 0xFFFF else 1 for ch in text)


def write_book(folder, *args):
    path = Path(folder) / f"综合楼{len(list(Path(folder).iterdir()))}.xlsx"
    subprocess.run([sys.argv[1], str(path), *args], check=True)
    return openpyxl.load_workbook(path)


def header_name(sheet):
    """The name the page header prints: its centred text with Excel's "&&" for "&"."""
    text = sheet.oddHeader.center.text or ""
    if re.sub("&&", "", text).count("&"):
        failures.append(f"{sheet.title} header {text!r}: a code where the name should be")
    return text.replace("&&", "&")


def check_print_set_up(book, name):
    """Each sheet prints landscape on A4, one page wide, its heading row atop each page."""
    check("sheets", book.sheetnames, list(HEADING_ROWS))
    for sheet in book.worksheets:
        what, heading = sheet.title, HEADING_ROWS[sheet.title]
        setup = sheet.page_setup
        check(f"{what} orientation", setup.orientation, "landscape")
        check(f"{what} paper", setup.paperSize, 9)
        check(f"{what} fit to page", sheet.sheet_properties.pageSetUpPr.fitToPage, True)
        # An absent fitToWidth is Excel's default of 1; a fitToHeight of 0 leaves it unbounded.
        check(f"{what} pages wide", setup.fitToWidth or 1, 1)
        check(f"{what} pages tall", setup.fitToHeight, 0)
        check(f"{what} printed titles", sheet.print_title_rows, f"${heading}:${heading}")
        check(f"{what} frozen", sheet.freeze_panes, f"A{heading + 1}")
        check(f"{what} header", header_name(sheet), name)
        check(f"{what} footer", sheet.oddFooter.center.text, FOOTER)


def check_titles(book, name, number, date):
    sheet = book["配置表"]
    last = sheet.cell(HEADING_ROWS["配置表"], sheet.max_column).column_letter
    check("schedule title merged", sorted(str(r) for r in sheet.merged_cells.ranges),
          [f"A1:{last}1", f"A2:{last}2"])
    check("schedule title", sheet["A1"].value, "灭火器配置表")
    check("schedule title bold", sheet["A1"].font.b, True)
    check("schedule project", sheet["A2"].value,
          f"工程名称：{name}　　工程编号：{number}　　日期：{date}")


def date_text(day):
    return f"{day.year}年{day.month}月{day.day}日"


with tempfile.TemporaryDirectory() as folder:
    # A name with an ampersand, no number and no date: the day of the export.
    before = datetime.date.today()
    book = write_book(folder, "A&B 综合楼")
    after = datetime.date.today()
    check_print_set_up(book, "A&B 综合楼")
    text = book["配置表"]["A2"].value
    today = [f"工程名称：A&B 综合楼　　工程编号：　　日期：{date_text(day)}" for day in (before, after)]
    if text not in today:
        failures.append(f"project of today: got {text!r}, expected {today[-1]!r}")

    # A name too long for the header, cut short after its ampersands, where a character beyond
    # the BMP would leave half of it within the limit.
    long_name = "楼&" * 83 + "𠀀" * 20
    book = write_book(folder, long_name)
    for sheet in book.worksheets:
        shown = header_name(sheet)
        check(f"{sheet.title} long header within Excel's limit",
              excel_length("&C" + sheet.oddHeader.center.text) in range(250, 256), True)
        check(f"{sheet.title} long header cut short", shown.endswith("…") and
              long_name.startswith(shown[:-1]), True)
    check("long name in the title",
          book["配置表"]["A2"].value.startswith(f"工程名称：{long_name}　"), True)

    book = write_book(folder, "综合楼", "2026-消-015", "2026-03-05")
    check_print_set_up(book, "综合楼")
    check_titles(book, "综合楼", "2026-消-015", "2026年3月5日")
    for sheet in book.worksheets:
        headings = sheet[HEADING_ROWS[sheet.title]]
        check(f"{sheet.title} bold heading", all(c.font.b for c in headings if c.value), True)
        for cell in headings:
            width = sheet.column_dimensions[cell.column_letter].width
            # A Chinese character takes about two widths.
            wanted = sum(2 if ord(ch) >= 0x2E80 else 1 for ch in str(cell.value))
            check(f"{sheet.title} {cell.column_letter} wide enough", width >= wanted, True)
    # The merged title leaves the first column as wide as its numbers and heading.
    check("schedule A narrow", book["配置表"].column_dimensions["A"].width < 10, True)

    # The headings are the document's own texts; the rows below hold each value in its column.
    schedule, materials, calculation = (
        [list(row) for row in book[name].iter_rows(min_row=heading, values_only=True)]
        for name, heading in HEADING_ROWS.items())
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
