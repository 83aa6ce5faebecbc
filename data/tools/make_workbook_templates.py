#!/usr/bin/env python3
"""Writes the workbook templates that ship next to the program.

Run it from the data folder after changing a template's content; the .xlsx files it writes are committed.
Uses only the standard library, so that any Python 3 can regenerate them.
"""
import sys
import zipfile
from xml.sax.saxutils import escape

# A fixed timestamp keeps the files byte-identical between runs.
FIXED_TIME = (2025, 1, 1, 0, 0, 0)


def column_name(index):
    name = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        name = chr(ord("A") + rest) + name
    return name


def cell_xml(ref, value):
    if isinstance(value, bool):
        return f'<c r="{ref}" t="b"><v>{int(value)}</v></c>'
    if isinstance(value, (int, float)):
        return f'<c r="{ref}"><v>{value}</v></c>'
    return f'<c r="{ref}" t="inlineStr"><is><t xml:space="preserve">{escape(value)}</t></is></c>'


def sheet_xml(rows):
    body = []
    for r, row in enumerate(rows, start=1):
        cells = "".join(cell_xml(f"{column_name(c)}{r}", v) for c, v in enumerate(row) if v is not None)
        body.append(f'<row r="{r}">{cells}</row>')
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
            f'<sheetData>{"".join(body)}</sheetData></worksheet>')


def write_workbook(path, sheets):
    content_types = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                     '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                     '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                     '<Default Extension="xml" ContentType="application/xml"/>'
                     '<Override PartName="/xl/workbook.xml" '
                     'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>']
    workbook_sheets = []
    workbook_rels = []
    for i, (name, _) in enumerate(sheets, start=1):
        content_types.append(f'<Override PartName="/xl/worksheets/sheet{i}.xml" '
                             'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>')
        workbook_sheets.append(f'<sheet name="{escape(name)}" sheetId="{i}" r:id="rId{i}"/>')
        workbook_rels.append(f'<Relationship Id="rId{i}" '
                             'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" '
                             f'Target="worksheets/sheet{i}.xml"/>')
    content_types.append("</Types>")
    parts = {
        "[Content_Types].xml": "".join(content_types),
        "_rels/.rels": ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                        '<Relationship Id="rId1" '
                        'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
                        'Target="xl/workbook.xml"/></Relationships>'),
        "xl/workbook.xml": ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                            '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
                            'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
                            f'<sheets>{"".join(workbook_sheets)}</sheets></workbook>'),
        "xl/_rels/workbook.xml.rels": ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                                       '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                                       f'{"".join(workbook_rels)}</Relationships>'),
    }
    for i, (_, rows) in enumerate(sheets, start=1):
        parts[f"xl/worksheets/sheet{i}.xml"] = sheet_xml(rows)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, text in parts.items():
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, text.encode("utf-8"))


WAGE_HEADERS = ["EIN", "SUI Rate", "SS", "FirstName", "MiddleName", "LastName", "QuarterEnding",
                "GrossWages", "TaxableWages", "Month1", "Month2", "Month3"]
EMPLOYER_HEADERS = ["EIN", "Name", "Address", "City", "State", "Zip", "SutaRate", "StateID"]

SAMPLE_WAGES = [
    WAGE_HEADERS,
    ["12-3456789", 2.7, "123456789", "JOHN", "Q", "PUBLIC", "122024", 12500.5, 7000, True, True, True],
    ["12-3456789", 2.7, "987654321", "MARY", None, "SMITH", "122024", 9800, 7000, True, True, False],
    ["12-3456789", 2.7, "555667777", "JOSE", "A", "GARCIA", "122024", 4200.25, 4200.25, False, True, True],
]
SAMPLE_EMPLOYER = [
    EMPLOYER_HEADERS,
    ["12-3456789", "SAMPLE COMPANY INC", "100 MAIN STREET", "SPRINGFIELD", "IL", "62701", "2.7", "1234567"],
]


def main():
    write_workbook("12-3456789-Sample-Wages.xlsx", [("Wages", SAMPLE_WAGES), ("Employer", SAMPLE_EMPLOYER)])
    write_workbook("PFML.xlsx", [("PFML", [[]])])
    return 0


if __name__ == "__main__":
    sys.exit(main())
