#!/usr/bin/env python3
"""Prints the sheets of an .xlsx workbook (openpyxl) or a comma-separated file (csv) as JSON:
[{"name": ..., "rows": [[cell, ...], ...], "types": [...]}]. Empty cells read as "", trailing
empty cells of a row are dropped; "types" lists the Python type names of the non-empty cells."""
import csv
import json
import sys


def trim(row):
    row = ["" if v is None else v for v in row]
    while row and row[-1] == "":
        row.pop()
    return row


def main():
    path = sys.argv[1]
    sheets = []
    if path.lower().endswith(".xlsx"):
        import openpyxl
        book = openpyxl.load_workbook(path)
        for ws in book.worksheets:
            rows = [trim(r) for r in ws.iter_rows(values_only=True)]
            types = sorted({type(v).__name__ for r in rows for v in r if v != ""})
            sheets.append({"name": ws.title, "rows": rows, "types": types})
    else:
        with open(path, newline="", encoding="utf-8") as f:
            rows = [trim(r) for r in csv.reader(f, strict=True)]
        sheets.append({"name": "", "rows": rows, "types": ["str"] if rows else []})
    json.dump(sheets, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
