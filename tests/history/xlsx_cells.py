#!/usr/bin/env python3
"""Prints the first sheet of an .xlsx as JSON, read with zipfile and ElementTree alone:
{"cells": {"A1": {"kind": text|number|date|formula|other, "value", "bold", "fill"}},
 "frozen", "autofilter", "widths", "formulas"}; a date's value is ISO 8601."""
import datetime, json, re, sys, zipfile
import xml.etree.ElementTree as ET

M = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"


def text(element):
    return "".join(t.text or "" for t in element.iter(M + "t"))


def styles(root):
    custom = {f.get("numFmtId"): f.get("formatCode") for f in root.iter(M + "numFmt")}
    bold = [f.find(M + "b") is not None for f in root.iter(M + "font")]
    fills = []
    for fill in root.iter(M + "patternFill"):
        colour = fill.find(M + "fgColor")
        solid = fill.get("patternType") == "solid" and colour is not None
        fills.append(colour.get("rgb")[-6:] if solid else None)
    for xf in root.find(M + "cellXfs"):
        code = re.sub(r'"[^"]*"|\[[^\]]*\]', "", custom.get(xf.get("numFmtId"), "")).lower()
        date = 14 <= int(xf.get("numFmtId", "0")) <= 22 or ("y" in code and "d" in code)
        yield date, bold[int(xf.get("fontId", "0"))], fills[int(xf.get("fillId", "0"))]


book = zipfile.ZipFile(sys.argv[1])
names = book.namelist()
shared = [text(si) for si in ET.fromstring(book.read("xl/sharedStrings.xml")).iter(M + "si")] \
    if "xl/sharedStrings.xml" in names else []
xfs = list(styles(ET.fromstring(book.read("xl/styles.xml"))))
sheet = ET.fromstring(book.read("xl/worksheets/sheet1.xml"))
cells = {}
for c in sheet.iter(M + "c"):
    date, bold, fill = xfs[int(c.get("s", "0"))]
    v, kind, value = c.find(M + "v"), "other", None
    if c.find(M + "f") is not None or c.get("t") == "str":
        kind = "formula"
    elif c.get("t") == "s":
        kind, value = "text", shared[int(v.text)]
    elif c.get("t") == "inlineStr":
        kind, value = "text", text(c.find(M + "is"))
    elif c.get("t") in (None, "n") and v is not None:
        kind, value = "number", "%g" % float(v.text)
        if date:
            moment = datetime.datetime(1899, 12, 30) + datetime.timedelta(days=float(v.text))
            kind, value = "date", (moment + datetime.timedelta(seconds=0.5)).replace(
                microsecond=0).isoformat()
    cells[c.get("r")] = {"kind": kind, "value": value, "bold": bold, "fill": fill}
pane = sheet.find(f"{M}sheetViews/{M}sheetView/{M}pane")
autofilter = sheet.find(M + "autoFilter")
print(json.dumps({
    "cells": cells,
    "frozen": pane.get("topLeftCell") if pane is not None and pane.get("state") == "frozen" else None,
    "autofilter": autofilter.get("ref") if autofilter is not None else None,
    "widths": [float(col.get("width")) for col in sheet.iter(M + "col")],
    "formulas": sum(len(ET.fromstring(book.read(n)).findall(f".//{M}f"))
                    for n in names if n.startswith("xl/worksheets/")),
}, ensure_ascii=False))
