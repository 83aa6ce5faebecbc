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


def cell_xml(ref, value, style=None):
    s = f' s="{style}"' if style else ""
    if isinstance(value, bool):
        return f'<c r="{ref}"{s} t="b"><v>{int(value)}</v></c>'
    if isinstance(value, (int, float)):
        return f'<c r="{ref}"{s}><v>{value}</v></c>'
    return f'<c r="{ref}"{s} t="inlineStr"><is><t xml:space="preserve">{escape(value)}</t></is></c>'


def sheet_xml(rows, layout=None):
    """`layout`, when given, holds the sheet's view, column widths and styles, and a style for its header rows."""
    layout = layout or {}
    header_style = layout.get("header_style")
    body = []
    for r, row in enumerate(rows, start=1):
        cells = "".join(cell_xml(f"{column_name(c)}{r}", v, header_style) for c, v in enumerate(row) if v is not None)
        body.append(f'<row r="{r}">{cells}</row>')
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
            f'{layout.get("views", "")}{layout.get("cols", "")}'
            f'<sheetData>{"".join(body)}</sheetData></worksheet>')


BOOK_VIEWS = '<bookViews><workbookView activeTab="0"/></bookViews>'


def write_workbook(path, sheets, styles=None, layouts=None):
    """Writes a workbook of `sheets` (name and rows each); `styles` is an xl/styles.xml part, `layouts` one
    sheet_xml layout per sheet."""
    layouts = layouts or [None] * len(sheets)
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
    if styles:
        content_types.append('<Override PartName="/xl/styles.xml" '
                             'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>')
        workbook_rels.append(f'<Relationship Id="rId{len(sheets) + 1}" '
                             'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" '
                             'Target="styles.xml"/>')
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
                            f'{BOOK_VIEWS if styles else ""}'
                            f'<sheets>{"".join(workbook_sheets)}</sheets></workbook>'),
        "xl/_rels/workbook.xml.rels": ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                                       '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                                       f'{"".join(workbook_rels)}</Relationships>'),
    }
    for i, (_, rows) in enumerate(sheets, start=1):
        parts[f"xl/worksheets/sheet{i}.xml"] = sheet_xml(rows, layouts[i - 1])
    if styles:
        parts["xl/styles.xml"] = styles
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, text in parts.items():
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, text.encode("utf-8"))


WAGE_HEADERS = ["EIN", "SUI Rate", "SS", "FirstName", "MiddleName", "LastName", "QuarterEnding",
                "GrossWages", "TaxableWages", "Month1", "Month2", "Month3"]
EMPLOYER_HEADERS = ["EIN", "Name", "Address", "City", "State", "Zip", "SutaRate", "StateID"]

# A realistic quarter for the sample company: middle names present and absent, names with a period or a
# comma, wages under and over a typical taxable wage base, part-quarter employees and one row without wages.
SAMPLE_QUARTER = "032025"
SAMPLE_EMPLOYEES = [
    # SS, first, middle, last, gross, taxable, month1, month2, month3
    ("123456789", "JOHN", "Q", "PUBLIC", 12500.5, 12500.5, True, True, True),
    ("987654321", "MARY", "", "SMITH", 9800, 9800, True, True, False),
    ("555667777", "JOSE", "A", "GARCIA", 4200.25, 4200.25, False, True, True),
    ("111223333", "ROBERT", "J.", "O'NEIL", 18750, 13590, True, True, True),
    ("222334444", "LINDA", "", "NGUYEN", 15600, 13590, True, True, True),
    ("333445555", "JAMES", "T", "WILLIAMS, JR.", 8100, 8100, True, True, True),
    ("444556666", "PATRICIA", "ANN", "JOHNSON", 21000, 13590, True, True, True),
    ("666778888", "MICHAEL", "", "BROWN", 3125.75, 3125.75, True, False, False),
    ("777889999", "ELIZABETH", "M", "DAVIS", 11250, 11250, True, True, True),
    ("888990000", "DAVID", "", "MILLER", 7800.4, 7800.4, True, True, True),
    ("999001111", "SUSAN", "K", "WILSON", 13590, 13590, True, True, True),
    ("101112222", "THOMAS", "", "MOORE", 640, 640, False, False, True),
    ("121314444", "KAREN", "L", "TAYLOR", 9999.99, 9999.99, True, True, True),
    ("131415555", "CHARLES", "", "ANDERSON", 0, 0, True, False, False),
]
SAMPLE_WAGES = [WAGE_HEADERS] + [
    ["12-3456789", 2.7, ss, first, middle or None, last, SAMPLE_QUARTER, gross, taxable, m1, m2, m3]
    for ss, first, middle, last, gross, taxable, m1, m2, m3 in SAMPLE_EMPLOYEES
]
SAMPLE_EMPLOYER = [
    EMPLOYER_HEADERS,
    ["12-3456789", "SAMPLE COMPANY INC", "100 MAIN STREET", "SPRINGFIELD", "IL", "62701", "2.7", "1234567"],
]


# The Massachusetts PFML contribution upload sheet. The program fills rows 3 and below in columns A, B, C, F, G,
# H and I; middle initial and suffix (D, E) stay for the user. SSNs are text so that a leading zero stays, wages
# show two decimals, and the two header rows stay in view.
PFML_HEADERS = [
    ["Massachusetts Paid Family and Medical Leave - Employee Contribution Upload"],
    ["SSN", "First Name", "Last Name", "Middle Initial", "Suffix", "YTD Wages", "QTD Wages",
     "Employer Medical Share %", "Employer Family Share %"],
]
PFML_STYLES = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
               '<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
               '<fonts count="2"><font><sz val="11"/><name val="Calibri"/></font>'
               '<font><b/><sz val="11"/><name val="Calibri"/></font></fonts>'
               '<fills count="2"><fill><patternFill patternType="none"/></fill>'
               '<fill><patternFill patternType="gray125"/></fill></fills>'
               '<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>'
               '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
               '<cellXfs count="4"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>'
               '<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1"/>'
               '<xf numFmtId="49" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
               '<xf numFmtId="4" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/></cellXfs>'
               '<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>'
               '</styleSheet>')
PFML_COLUMNS = [(1, 13, 2), (2, 16, 2), (3, 20, 2), (4, 9, 2), (5, 8, 2), (6, 14, 3), (7, 14, 3), (8, 14, 0),
                (9, 14, 0)]
PFML_LAYOUT = {
    "views": ('<sheetViews><sheetView tabSelected="1" workbookViewId="0">'
              '<pane ySplit="2" topLeftCell="A3" activePane="bottomLeft" state="frozen"/></sheetView></sheetViews>'),
    "cols": "<cols>" + "".join(f'<col min="{c}" max="{c}" width="{w}" style="{s}" customWidth="1"/>'
                               for c, w, s in PFML_COLUMNS) + "</cols>",
    "header_style": 1,
}


def main():
    write_workbook("12-3456789-Sample-Wages.xlsx", [("Wages", SAMPLE_WAGES), ("Employer", SAMPLE_EMPLOYER)])
    write_workbook("PFML.xlsx", [("PFML", PFML_HEADERS)], PFML_STYLES, [PFML_LAYOUT])
    return 0


if __name__ == "__main__":
    sys.exit(main())
