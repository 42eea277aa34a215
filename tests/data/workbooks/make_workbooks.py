#!/usr/bin/python3
"""Writes the workbook fixtures of the core tests and the sample workbooks of examples/.

Not part of the test run: the files it makes are committed. It needs Debian's
python3-openpyxl, python3-xlwt and LibreOffice (libreoffice-calc-nogui). openpyxl writes
the source workbooks; LibreOffice saves them again as .xlsx and .xls, so that formulas
carry cached values as a spreadsheet program writes them; xlwt writes one .xls of its own.

Usage: tests/data/workbooks/make_workbooks.py   (from the repository's top folder)
"""
import datetime
import os
import shutil
import subprocess
import tempfile

import openpyxl
import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "..", "..", "examples")


def fill_types_workbook(wb):
    """Sheets that exercise every kind of cell text."""
    ws = wb.active
    ws.title = "基站"
    ws.append(["站名", "经度", "纬度", "CI", "方向角", "CI"])
    ws.append(["韶关1", 113.068899, 25.0277777777778, 12345, 120, "A"])
    ws.append(["韶关2", 113.5, 25.5, None, 30.5, "B"])
    ws.append(["  blanks kept ", "120.50", None, 7, 0, None])
    ws.append([None, None, None, None, None, "last"])

    types = wb.create_sheet("Types")
    types.append(["kind", "value"])
    types.append(["date", datetime.date(2024, 3, 1)])
    types.append(["datetime", datetime.datetime(2024, 3, 1, 12, 30, 45)])
    types.append(["time", datetime.time(6, 15, 0)])
    types.append(["true", True])
    types.append(["false", False])
    types.append(["number formula", "=B9*2"])
    types.append(["text formula", '=A2&"-x"'])
    types.append(["number", 2.25])
    types.append(["negative", -0.0001])
    types.append(["large", 123456789012345678])
    types.append(["percent", 0.125])
    types["B12"].number_format = "0.0%"

    offset = wb.create_sheet("Offset")
    for r, row in enumerate([["h1", "h2", "h3"], [1, 2, 3], [4, 5, 6], [7, 8, "end"]]):
        for c, value in enumerate(row):
            offset.cell(row=3 + r, column=3 + c, value=value)

    wb.create_sheet("Empty")

    wide = wb.create_sheet("Wide")
    wide.append(["H%d" % (c + 1) for c in range(256)])
    wide.append([c + 1 for c in range(256)])


def write_bs_table(ws):
    ws.title = "基站表"
    ws.append(["站名", "经度", "纬度", "方向角", "CI", "LAC", "频段", "波束宽度"])
    sites = [("韶关曲江", 113.6042, 24.6811, 65), ("韶关浈江", 113.5969, 24.8042, 65),
             ("韶关武江", 113.5875, 24.7925, 65), ("乐昌城区", 113.3522, 25.1283, 90),
             ("南雄城区", 114.3111, 25.1172, 90)]
    ci = 10001
    for name, lon, lat, beamwidth in sites:
        for azimuth in (0, 120, 240):
            ws.append([name, lon, lat, azimuth, ci, 9501, "GSM900", beamwidth])
            ci += 1
    ws.append(["丹霞山", 113.7360, 25.0250, -1, ci, 9502, "GSM900", 360])


def write_cqt_table(ws):
    ws.title = "CQT"
    ws.append(["测试点", "经度", "纬度", "RxLev", "RxQual", "通话结果"])
    points = [("曲江中学", 113.6050, 24.6820, -65, 0, "正常"),
              ("浈江医院", 113.5980, 24.8050, -78, 2, "正常"),
              ("武江广场", 113.5880, 24.7930, -92, 5, "掉话"),
              ("乐昌车站", 113.3530, 25.1290, -71, 1, "正常"),
              ("南雄商场", 114.3120, 25.1180, -101, 7, "未接通"),
              ("丹霞山门", 113.7360, 25.0250, -85, 3, "正常")]
    for p in points:
        ws.append(list(p))


def fill_cqt_cases(wb):
    """CQT tables for the conversion tests: classes, grades, a header row alone, and a sheet
    with the same columns as the first but other rows."""
    classes = wb.active
    classes.title = "等级"
    classes.append(["测试点", "经度", "纬度", "质量", "备注"])
    classes.append(["A&B站", 113.5, 24.8, "优", "<5"])
    classes.append(["点2", "120.50", 25, "良", "A&B"])
    classes.append(["点3", "abc", 25.125, "差", None])
    classes.append(["点4", 113.6, 24.9, None, "no theme"])
    classes.append([None, None, 24.7, "良", "no name, no longitude"])
    classes.append(["点6", 113.7, 24.6, "良", '"quoted" ]]>'])

    grades = wb.create_sheet("分级")
    grades.append(["测试点", "经度", "纬度", "RxLev"])
    for i, value in enumerate([0, 5, 10, 15, 20]):
        grades.append(["G%d" % (i + 1), 113 + i / 10, 24.5, value])

    header_only = wb.create_sheet("表头")
    header_only.append(["测试点", "经度", "纬度", "质量", "备注"])

    later = wb.create_sheet("复测")
    later.append(["测试点", "经度", "纬度", "质量", "备注"])
    later.append(["复1", 114, 25, "良", None])
    later.append(["复2", 114.25, 25.5, "中", "new class"])
    later.append(["复3", 114.5, 25.75, "优", None])


def save_with_libreoffice(source, target_dir, kind):
    """Saves `source` again as `kind` ("xlsx" or "xls") with LibreOffice."""
    filters = {"xlsx": "xlsx:Calc MS Excel 2007 XML", "xls": "xls:MS Excel 97"}
    profile = tempfile.mkdtemp(prefix="orvane-lo-")
    try:
        subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                        "--convert-to", filters[kind], "--outdir", target_dir, source],
                       check=True, stdout=subprocess.DEVNULL)
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def make_from_openpyxl(name, fill, target_dir):
    work = tempfile.mkdtemp(prefix="orvane-wb-")
    try:
        wb = openpyxl.Workbook()
        fill(wb)
        source = os.path.join(work, name + ".xlsx")
        wb.save(source)
        shutil.copy(source, os.path.join(target_dir, name + "-openpyxl.xlsx"))
        saved = os.path.join(work, "saved")
        os.mkdir(saved)
        for kind in ("xlsx", "xls"):
            save_with_libreoffice(source, saved, kind)
            os.replace(os.path.join(saved, name + "." + kind),
                       os.path.join(target_dir, name + "." + kind))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def make_xlwt_workbook(path):
    """A BIFF8 file from another writer: text, numbers, a date, a boolean, two sheets."""
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("站点")
    for c, header in enumerate(["站名", "经度", "纬度", "日期", "有效"]):
        sheet.write(0, c, header)
    sheet.write(1, 0, "曲江")
    sheet.write(1, 1, 113.6042)
    sheet.write(1, 2, 24.6811)
    sheet.write(1, 3, datetime.date(2023, 12, 31), xlwt.easyxf(num_format_str="yyyy-mm-dd"))
    sheet.write(1, 4, True)
    sheet.write(2, 0, "120.50")
    sheet.write(2, 1, 120)
    other = book.add_sheet("第二页")
    other.write(4, 2, "C5")
    book.save(path)


def make_hostile_workbook(path):
    """A base-station and CQT table whose texts hold every control character, U+FFFE, U+FFFF
    and markup: one row (one site) for each, in the name and the remark."""
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("控制字符")
    for c, header in enumerate(["站名", "经度", "纬度", "方向角", "备注\x01"]):
        sheet.write(0, c, header)
    texts = [chr(c) for c in range(1, 0x20)] + ["\ufffe", "\uffff", "]]>&<\""]
    for r, text in enumerate(texts, start=1):
        sheet.write(r, 0, "S" + text + str(r))
        sheet.write(r, 1, 113 + r / 100)
        sheet.write(r, 2, 25)
        sheet.write(r, 3, 0)
        sheet.write(r, 4, "x" + text + "y")
    book.save(path)


def make_text_tables(target_dir):
    with open(os.path.join(target_dir, "table-utf8.csv"), "w", encoding="utf-8",
              newline="") as f:
        f.write('站名,经度,纬度,备注\r\n"韶关, 北",113.5,24.8,"说""明"""\r\n'
                '乐昌,113.35,25.13,"两\r\n行"\r\n, ,,\r\n')
    with open(os.path.join(target_dir, "table-gbk.txt"), "w", encoding="gbk",
              newline="") as f:
        f.write("站名\t经度\t纬度\n韶关\t113.5\t24.8\n乐昌\t113.35\t25.13\t\n")


def main():
    make_from_openpyxl("types", fill_types_workbook, HERE)
    make_from_openpyxl("cqt-cases", fill_cqt_cases, HERE)
    make_xlwt_workbook(os.path.join(HERE, "xlwt.xls"))
    make_hostile_workbook(os.path.join(HERE, "hostile.xls"))
    make_text_tables(HERE)
    os.makedirs(EXAMPLES, exist_ok=True)
    make_from_openpyxl("bs-table", lambda wb: write_bs_table(wb.active), EXAMPLES)
    make_from_openpyxl("cqt-table", lambda wb: write_cqt_table(wb.active), EXAMPLES)
    for name in ("bs-table", "cqt-table"):
        os.remove(os.path.join(EXAMPLES, name + "-openpyxl.xlsx"))


if __name__ == "__main__":
    main()
