#!/usr/bin/env python3
"""Writes a workbook with another program's writer (openpyxl for .xlsx, xlwt for .xls) that
holds an "ExportData" sheet of text plus one thing a rewrite as plain text would lose.
Usage: make_foreign_workbook.py KIND PATH"""
import sys

HEADER = ["Name", "object1", "object2", "object3"]
ROW = ["DL1", "1.000", " ", "  "]


def write_xlsx(kind, path):
    import openpyxl
    from openpyxl.styles import Font

    book = openpyxl.Workbook()
    ws = book.active
    ws.title = "ExportData"
    ws.append(HEADER)
    ws.append(ROW)
    if kind == "other-sheet":
        book.create_sheet("Notes")["A1"] = "kept by the user"
    elif kind == "formula":
        ws["B3"] = "=LEN(A2)"
    elif kind == "number":
        ws["B3"] = 2.5
    elif kind == "bold":
        ws["A2"].font = Font(bold=True)
    elif kind == "merged":
        ws.merge_cells("B2:D2")
    elif kind != "plain":
        sys.exit("unknown kind " + kind)
    book.save(path)


def write_xls(kind, path):
    import xlwt

    book = xlwt.Workbook(encoding="utf-8")
    ws = book.add_sheet("ExportData")
    for c, text in enumerate(HEADER):
        ws.write(0, c, text)
    # xlwt writes a cell once: the changed cells of a kind are written instead of the plain ones.
    ws.write(1, 0, ROW[0], xlwt.easyxf("font: bold on") if kind == "bold" else xlwt.Style.default_style)
    if kind == "merged":
        ws.write_merge(1, 1, 1, 3, ROW[1])
    else:
        for c, text in enumerate(ROW[1:], start=1):
            ws.write(1, c, text)
    if kind == "other-sheet":
        book.add_sheet("Notes").write(0, 0, "kept by the user")
    elif kind == "formula":
        ws.write(2, 1, xlwt.Formula("LEN(A2)"))
    elif kind == "number":
        ws.write(2, 1, 2.5)
    elif kind not in ("plain", "bold", "merged"):
        sys.exit("unknown kind " + kind)
    book.save(path)


def main():
    kind, path = sys.argv[1], sys.argv[2]
    (write_xls if path.lower().endswith(".xls") else write_xlsx)(kind, path)


if __name__ == "__main__":
    main()
