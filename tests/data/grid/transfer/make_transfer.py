#!/usr/bin/python3
"""Writes the import fixtures of tests/grid/ExGridImportTest.cpp: spreadsheets
(openpyxl for .xlsx, xlwt for .xls, and zips written here for the damaged
ones) and delimited text files whose bytes (quotes, line ends, code pages)
matter. Run from this folder: /usr/bin/python3 make_transfer.py"""
import datetime
import io
import zipfile

import openpyxl
import xlwt


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- .xlsx

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "영화"
# The used range starts at B2: B2 lands at the grid's (0, 0).
ws["B2"] = "제목"
ws["C2"] = "연도"
ws["D2"] = "평점"
ws["B3"] = "올드보이"
ws["C3"] = 2003
ws["D3"] = 8.5
ws["B4"] = 'He said "hi"\tand left'
ws["C4"] = True
ws["D4"] = "#N/A"            # an error value: its cell stays as it was
ws["B5"] = datetime.date(2024, 3, 15)
ws["B5"].number_format = "yyyy-mm-dd"
ws["C5"] = datetime.time(13, 45, 0)
ws["C5"].number_format = "hh:mm:ss"
ws["D5"] = "둘째 줄\n셋째 줄"
ws["AB6"] = "past Z"          # column 28, the used range's last column
second = wb.create_sheet("Second")
second["A1"] = "other sheet"
second["B2"] = 42
wb.save("basic.xlsx")

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Wide"
ws["A1"] = "first"
ws["AAB1"] = "col 704"        # past "ZZ": three letters
wb.save("wide.xlsx")

# A sheet whose used range is 16384 x 1048576 cells: refused by the limit.
wb = openpyxl.Workbook()
ws = wb.active
ws["A1"] = "corner"
ws["XFD1048576"] = "far corner"
wb.save("huge_range.xlsx")

write("not_a_zip.xlsx", b"This is a text file with an .xlsx name.\r\n")
basic = open("basic.xlsx", "rb").read()
write("truncated.xlsx", basic[: len(basic) // 2])


def hand_zip(name, sheet_xml, shared_xml=None):
    """A minimal workbook written part by part."""
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
        z.writestr("xl/workbook.xml",
                   '<?xml version="1.0"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
                   'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
                   '<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>')
        z.writestr("xl/_rels/workbook.xml.rels",
                   '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId1" Type="worksheet" Target="worksheets/sheet1.xml"/></Relationships>')
        if shared_xml is not None:
            z.writestr("xl/sharedStrings.xml", shared_xml)
        z.writestr("xl/worksheets/sheet1.xml", sheet_xml)
    write(name, buf.getvalue())


SHEET = '<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>{}</sheetData></worksheet>'
hand_zip("bad_shared_index.xlsx",
         SHEET.format('<row r="1"><c r="A1" t="s"><v>7</v></c></row>'),
         '<?xml version="1.0"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>only</t></si></sst>')
hand_zip("bad_cell_name.xlsx", SHEET.format('<row r="1"><c r="A0" t="inlineStr"><is><t>x</t></is></c></row>'))
# Rich runs and a phonetic run in a shared text, an inline text, cells
# without their names (they follow the one before).
hand_zip("runs.xlsx",
         SHEET.format('<row r="1"><c r="A1" t="s"><v>0</v></c><c t="inlineStr"><is><t>inline</t></is></c>'
                      '<c t="str"><v>formula text</v></c></row>'),
         '<?xml version="1.0"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
         '<si><r><t>bold</t></r><r><t xml:space="preserve"> and plain</t></r><rPh><t>yomi</t></rPh></si></sst>')

# ---------------------------------------------------------------- .xls

book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("목록")
sheet.write(0, 0, "제목")
sheet.write(0, 1, "연도")
sheet.write(1, 0, "기생충")
sheet.write(1, 1, 2019)
sheet.write(2, 0, "소수")
sheet.write(2, 1, 2.25)
sheet.write(3, 0, datetime.date(2020, 2, 9), xlwt.easyxf(num_format_str="yyyy-mm-dd"))
sheet.write(3, 2, "C4")
other = book.add_sheet("Other")
other.write(4, 3, "D5 only")
book.save("basic.xls")
write("not_an_xls.xls", b"Plain text, not a workbook.\n")

# ---------------------------------------------------------------- text files

# Quoted fields, a doubled quote, a field with a vertical tab (a line break
# inside a cell), a missing closing quote, and CRLF, LF and CR line ends.
write("quoted.csv",
      b'name,note,year\r\n'
      b'"Smith, John","He said ""hi""",1999\n'
      b'"two\x0blines",plain,2000\r'
      b'"unclosed,rest of, the line\r\n'
      b'last,,\r\n')
# Semicolons once and twice, commas three times on both lines: the comma wins.
write("detect.csv", b"a,b;c,d,e\r\nf,g;h;i,j,k\r\n")
# Tab-separated, code page 949 Korean.
write("korean_tabs.txt", "제목\t감독\r\n올드보이\t박찬욱\r\n".encode("cp949"))
# UTF-8 with a byte order mark, as other programs write CSV files.
write("utf8_bom.csv", "\ufeff제목,연도\r\n괴물,2006\r\n".encode("utf-8"))
