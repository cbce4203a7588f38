#!/usr/bin/env python3
"""Writes an .xlsx workbook with openpyxl that holds an "ExportData" sheet of text plus one
thing a rewrite as plain text would lose. Usage: make_foreign_xlsx.py KIND PATH"""
import sys

import openpyxl
from openpyxl.styles import Font


def main():
    kind, path = sys.argv[1], sys.argv[2]
    book = openpyxl.Workbook()
    ws = book.active
    ws.title = "ExportData"
    ws.append(["Name", "object1", "object2", "object3"])
    ws.append(["DL1", "1.000", " ", "  "])
    if kind == "plain":
        pass
    elif kind == "other-sheet":
        book.create_sheet("Notes")["A1"] = "kept by the user"
    elif kind == "formula":
        ws["B3"] = "=LEN(A2)"
    elif kind == "number":
        ws["B3"] = 2.5
    elif kind == "bold":
        ws["A2"].font = Font(bold=True)
    elif kind == "merged":
        ws.merge_cells("B2:D2")
    else:
        sys.exit("unknown kind " + kind)
    book.save(path)


if __name__ == "__main__":
    main()
