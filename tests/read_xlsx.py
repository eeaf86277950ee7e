#!/usr/bin/python3
"""Prints what a workbook's first worksheet holds, as JSON, for the tests."""
import datetime
import json
import sys

import openpyxl


def colour(font):
    c = font.color
    return c.rgb if c is not None and c.type == "rgb" else None


def value(v):
    """Dates and times as ISO texts ("2013-05-07 08:00:01", "08:00:01")."""
    if isinstance(v, datetime.datetime):
        return v.isoformat(sep=" ")
    if isinstance(v, (datetime.date, datetime.time)):
        return v.isoformat()
    return v


def main(path):
    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    out = {"sheets": len(book.worksheets), "heights": {}, "cells": {},
           "maxRow": sheet.max_row, "maxCol": sheet.max_column}
    for index, dim in sheet.row_dimensions.items():
        if dim.ht is not None:
            out["heights"][str(index)] = dim.ht
    for row in sheet.iter_rows():
        for cell in row:
            font, border, align = cell.font, cell.border, cell.alignment
            out["cells"][cell.coordinate] = {
                "value": value(cell.value),
                "type": cell.data_type,
                "format": cell.number_format,
                "font": font.name,
                "size": font.sz,
                "colour": colour(font),
                "border": [border.left.style, border.right.style,
                           border.top.style, border.bottom.style],
                "h": align.horizontal,
                "v": align.vertical,
            }
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
