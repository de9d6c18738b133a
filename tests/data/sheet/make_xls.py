#!/usr/bin/python3
# Writes the .xls fixtures of the spreadsheet tests and benchmarks with xlwt (Debian's
# python3-xlwt), a real BIFF8 writer. Run once from any directory; the files are committed:
#   /usr/bin/python3 tests/data/sheet/make_xls.py
# The rows here are the same as in payroll.csv and in the .xlsx the tests write themselves.
import datetime
import os

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
BIG_ACCOUNT = 6222021234567890123


def payroll_rows():
    """(row, [cells]) from row 1; a cell is a value or None for no cell."""
    return [
        (1, ["姓名", "账号", "金额", "备注"]),
        (2, ["张三", str(BIG_ACCOUNT), 1234.5678, "奖金"]),
        (3, ["李四", float(BIG_ACCOUNT), 0.0091]),
        (4, ["王五", "101", 0.009]),
        (5, [" 赵六 ", "102", 100]),
        (6, ["孙七", "103", -5]),
        (7, [None, "104", 50]),
        (8, ["周八", "105", 60]),
        (10, ["吴九", "106", None]),
        (12, ["   ", "107", 70]),
        (14, ["郑十", None, 10]),
        (16, ["冯十一", "108", "12.5"]),
        (17, ["陈十二", "109", "1,000.00"]),
    ]


def write_payroll(path):
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("工资表")
    for row, cells in payroll_rows():
        for col, value in enumerate(cells):
            if value is not None:
                ws.write(row - 1, col, value)
    other = wb.add_sheet("说明")
    other.write(0, 0, "不是第一个工作表")
    wb.save(path)


def write_cells(path):
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("类型")
    date = xlwt.easyxf(num_format_str="YYYY-MM-DD")
    stamp = xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM:SS")
    values = [
        "文本", 42, 1234.5678, 0.1 + 0.2, 123456789012345678.0, -0.5, 0.000001, 0.0001,
        1e15, 123456789012345.0,
    ]
    for i, v in enumerate(values):
        ws.write(i, 0, v)
    ws.write(10, 0, datetime.date(2024, 1, 5), date)
    ws.write(11, 0, datetime.datetime(2024, 1, 5, 8, 30, 5), stamp)
    ws.write(12, 0, True)
    ws.write(13, 0, False)
    ws.row(14).set_cell_error(0, 0x2A)  # #N/A
    # row 16 (index 15) stays empty
    ws.write(16, 0, " a ")
    ws.write(0, 27, "远列")  # AB1
    ws.write(99, 0, "末行")
    wb.add_sheet("第二页").write(0, 0, "x")
    wb.save(path)


def write_rows(path, count):
    """A payroll of `count` data rows under a heading, for the benchmarks."""
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("工资表")
    for col, title in enumerate(["姓名", "账号", "金额", "备注"]):
        ws.write(0, col, title)
    for i in range(count):
        ws.write(i + 1, 0, "员工%d" % (i + 1))
        ws.write(i + 1, 1, "62220200%011d" % i)
        ws.write(i + 1, 2, 1000 + (i % 997) * 1.25)
        ws.write(i + 1, 3, "工资")
    wb.save(path)


def write_hidden(path):
    """A first worksheet that is hidden, and a hidden row on the visible one."""
    wb = xlwt.Workbook(encoding="utf-8")
    old = wb.add_sheet("去年")
    old.write(0, 0, "去年")
    old.write(0, 1, "6222009")
    old.write(0, 2, 99999)
    old.visibility = 1
    ws = wb.add_sheet("本月")
    for row, (name, acct, amount) in enumerate(
            [("张三", "6222001", 1000), ("离职员工", "6222003", 5000), ("李四", "6222002", 20)]):
        ws.write(row, 0, name)
        ws.write(row, 1, acct)
        ws.write(row, 2, amount)
    ws.row(1).hidden = True
    wb.active_sheet = 1
    wb.save(path)


def write_long_text(path):
    """Texts of 12,000 and 30,000 Chinese characters in a column the payroll does not map,
    and one in a mapped memo: the shared string table carries each on over several records."""
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("工资")
    long_memo = "备" * 9000
    for row, (name, acct, amount, memo, note) in enumerate([
            ("张三", "6222001", 1000, "一月", "长" * 12000),
            ("李四", "6222002", 20, long_memo, "行" * 30000),
            ("王五", "6222003", 30.5, "三月", "金")]):
        for column, value in enumerate([name, acct, amount, memo, note]):
            ws.write(row, column, value)
    wb.save(path)


def patched(source, old, new):
    data = bytearray(open(source, "rb").read())
    at = data.find(old)
    assert at >= 0 and len(old) == len(new)
    data[at:at + len(old)] = new
    return bytes(data)


write_payroll(os.path.join(HERE, "payroll.xls"))
write_cells(os.path.join(HERE, "cells.xls"))
write_rows(os.path.join(HERE, "rows1000.xls"), 1000)
write_rows(os.path.join(HERE, "rows10000.xls"), 10000)
write_hidden(os.path.join(HERE, "hidden.xls"))
write_long_text(os.path.join(HERE, "longtext.xls"))

# A workbook with a password: its WRITEACCESS record (type 0x5C, 112 bytes) turned into a
# FILEPASS record (type 0x2F), which is how an encrypted workbook starts.
open(os.path.join(HERE, "password.xls"), "wb").write(
    patched(os.path.join(HERE, "payroll.xls"), b"\x5c\x00\x70\x00", b"\x2f\x00\x70\x00"))

# An encrypted .xlsx is a compound file with an EncryptedPackage stream: the payroll's
# Workbook stream renamed so (directory entry name and its byte length, 18 -> 34).
data = bytearray(open(os.path.join(HERE, "payroll.xls"), "rb").read())
name = "Workbook\0".encode("utf-16-le")
at = data.find(name)
new = "EncryptedPackage\0".encode("utf-16-le")
data[at:at + 64] = new + bytes(64 - len(new))
data[at + 0x40:at + 0x42] = len(new).to_bytes(2, "little")
open(os.path.join(HERE, "encrypted.xlsx"), "wb").write(bytes(data))


def csv_field(value):
    if value is None:
        return ""
    if isinstance(value, float) and value == int(value) and abs(value) > 1e15:
        text = str(int(value))
    else:
        text = str(value)
    if any(c in text for c in ',"\r\n'):
        text = '"' + text.replace('"', '""') + '"'
    return text


def csv_lines():
    rows = dict(payroll_rows())
    last = max(rows)
    lines = []
    for r in range(1, last + 1):
        lines.append(",".join(csv_field(v) for v in rows.get(r, [])))
    return "\r\n".join(lines) + "\r\n"


# The same payroll as comma-separated text: GB18030 without, UTF-8 with a byte-order mark.
open(os.path.join(HERE, "payroll.csv"), "wb").write(csv_lines().encode("gb18030"))
open(os.path.join(HERE, "payroll_utf8.csv"), "wb").write(b"\xef\xbb\xbf" + csv_lines().encode("utf-8"))
