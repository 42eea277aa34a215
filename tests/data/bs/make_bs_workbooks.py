#!/usr/bin/python3
"""Writes the base-station workbooks of the tests (bs-cases.xlsx and .xls) and the sample
base-station table examples/bs-table.xlsx and .xls.

Not part of the test run: the files it makes are committed. Like make_workbooks.py beside
the workbook fixtures, it needs Debian's python3-openpyxl and LibreOffice
(libreoffice-calc-nogui): openpyxl writes the cells, LibreOffice saves them as .xlsx and .xls
the way a spreadsheet program does.

Usage: tests/data/bs/make_bs_workbooks.py   (from the repository's top folder)
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "workbooks"))
import make_workbooks  # noqa: E402

HEADER = ["站名", "经度", "纬度", "方向角"]


def sheet(wb, title, header, rows):
    ws = wb.create_sheet(title)
    ws.append(header)
    for row in rows:
        ws.append(row)


def fill_cases(wb):
    """One sheet per case; numbers are number cells, quoted numbers text cells."""
    wb.remove(wb.active)
    # One site of three sectors; an empty cell in a further column.
    sheet(wb, "三扇区", HEADER + ["CI", "备注"],
          [["A1", 120.1, 30.2, 0, 101, "主站"],
           ["A2", 120.1, 30.2, 120, 102, None],
           ["A3", 120.1, 30.2, 240, 103, "x"]])
    # The same place in rows 2 and 5 around another site: three sites.
    sheet(wb, "重复坐标", HEADER,
          [["B1", 113.5, 25.5, 0], ["C1", 113.6, 25.6, 0], ["C2", 113.6, 25.6, 120],
           ["B2", 113.5, 25.5, 120]])
    # Rows left out: inside a site (no azimuth), a row without a name, the last row
    # without a latitude.
    sheet(wb, "跳过行", HEADER,
          [["D1", 113, 25, 0], ["D2", 113, 25, None], ["D3", 113, 25, 240],
           [None, 114, 25, 30], ["E1", 114, 24, 60], ["E2", 115, None, 90]])
    # Coordinates compared as texts; a longitude that is no number.
    sheet(wb, "文本坐标", HEADER,
          [["F1", "120.1", "30.2", 0], ["F2", "120.10", "30.2", 120],
           ["G1", "abc", "30.5", 0]])
    # The quadrant colours.
    sheet(wb, "方向角颜色", HEADER,
          [["H%d" % (i + 1), 113, 25, a] for i, a in
           enumerate([90, 180, 270, 359, 360, 450, -1, -90])])
    sheet(wb, "仅表头", HEADER, [])
    # TAB characters inside a header and a cell.
    sheet(wb, "TAB", HEADER + ["说\t明", "尾"], [["T1", 113, 25, 0, "a\tb", "end"]])
    # An azimuth that is no whole number, in the second site.
    sheet(wb, "非整数方向角", HEADER,
          [["J1", 113, 25, 0], ["J2", 114, 25, 0], ["J2", 114, 25, 120.5]])
    # Markup characters in names, headers and cells.
    sheet(wb, "转义", HEADER + ['备注"'], [["A&B<1>", 113, 25, 0, '<5 & "x">']])
    # Beamwidths: valid, empty, no number, a full circle, out of range; sites at
    # latitudes 60 and 0 for wedges of true size.
    sheet(wb, "波束宽度", HEADER + ["波束宽度"],
          [["K1", 113, 25, 90, 60], ["K2", 113, 25, 180, None], ["K3", 113, 25, 270, "abc"],
           ["K4", 113, 25, 0, 360], ["K5", 113, 25, 45, 400], ["L1", 113, 60, 90, 60],
           ["M1", 113, 0, 90, 60]])


def main():
    make_workbooks.make_from_openpyxl("bs-cases", fill_cases, HERE)
    os.remove(os.path.join(HERE, "bs-cases-openpyxl.xlsx"))
    make_workbooks.make_from_openpyxl(
        "bs-table", lambda wb: make_workbooks.write_bs_table(wb.active), make_workbooks.EXAMPLES)
    os.remove(os.path.join(make_workbooks.EXAMPLES, "bs-table-openpyxl.xlsx"))


if __name__ == "__main__":
    main()
