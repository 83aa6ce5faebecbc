#include "common/xlsxreader.h"
#include "tests/support/filebytes.h"
#include "tests/support/workbookwriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using wagetrove::XlsxReader;
using wagetrove::XlsxRow;
using wagetrove::test::ZipParts;

namespace {

/// The rows read, cells joined by "|", a formula without a stored result as "=?" before its text; a failure
/// comes last as "failed: " and its message.
QStringList rowsOf(XlsxReader& reader, int sheet, int columns)
{
    QStringList rows;
    const auto failure = reader.readRows(sheet, columns, [&](int rowNumber, const XlsxRow& row) {
        QStringList texts;
        for (const auto& cell : row) {
            texts.append(cell.uncachedFormula ? u"=?"_s + cell.text : cell.text);
        }
        rows.append(rowNumber == rows.size() + 1 && int(row.size()) == columns
                        ? texts.join(u'|')
                        : u"row %1 with %2 cells"_s.arg(rowNumber).arg(row.size()));
        return true;
    });
    if (failure) {
        rows.append(u"failed: "_s + *failure);
    }
    return rows;
}

QByteArray sheetXml(const QByteArray& sheetData, const QByteArray& beforeData = {})
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" +
           beforeData + "<sheetData>" + sheetData + "</sheetData></worksheet>";
}

const QByteArray kRelationshipType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

QByteArray relationship(const char* id, const char* type, const char* target)
{
    return "<Relationship Id=\"" + QByteArray(id) + "\" Type=\"" + kRelationshipType + type + "\" Target=\"" + target +
           "\"/>";
}

/// A workbook with one worksheet, "Wages", and the shared texts given (none when empty). The sheet comes last.
ZipParts workbookWith(const QByteArray& sheet, const QByteArray& sharedStrings = {})
{
    ZipParts parts{
        {"_rels/.rels",
         "<Relationships>" + relationship("rId1", "officeDocument", "xl/workbook.xml") + "</Relationships>"},
        {"xl/workbook.xml",
         R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
         R"(<sheets><sheet name="Wages" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships>" + relationship("rId1", "worksheet", "worksheets/sheet1.xml") +
             (sharedStrings.isEmpty() ? QByteArray() : relationship("rId2", "sharedStrings", "sharedStrings.xml")) +
             "</Relationships>"},
    };
    if (!sharedStrings.isEmpty()) {
        parts.append({"xl/sharedStrings.xml", "<sst>" + sharedStrings + "</sst>"});
    }
    parts.append({"xl/worksheets/sheet1.xml", sheet});
    return parts;
}

} // namespace

class TestXlsxReader : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString zip(const ZipParts& parts)
    {
        static int counter = 0;
        const QString path = m_dir.filePath(u"w%1.xlsx"_s.arg(++counter));
        return wagetrove::test::writeZip(path, parts) ? path : QString();
    }

    QString sheet(const QByteArray& sheetData, const QByteArray& beforeData = {}, const QByteArray& shared = {})
    {
        return zip(workbookWith(sheetXml(sheetData, beforeData), shared));
    }

    QString plainFile(const QByteArray& content)
    {
        const QString path = m_dir.filePath(u"plain%1.xlsx"_s.arg(content.size()));
        return wagetrove::test::writeBytes(path, content) ? path : QString();
    }

    /// The zip with the sheet's recorded unpacked size changed to a lie, or its packed data spoilt.
    QString tamperedZip(const ZipParts& parts, bool lieAboutSize)
    {
        const QString path = zip(parts);
        QByteArray bytes = wagetrove::test::bytesOf(path);
        const QByteArray name = parts.last().first;
        for (const char* signature : {"PK\x03\x04", "PK\x01\x02"}) {
            const bool central = signature[2] == '\x01';
            for (qsizetype at = bytes.indexOf(signature); at >= 0; at = bytes.indexOf(signature, at + 1)) {
                if (bytes.mid(at + (central ? 46 : 30), name.size()) != name) {
                    continue;
                }
                if (lieAboutSize) {
                    bytes.replace(at + (central ? 24 : 22), 4, QByteArray("\x0a\0\0\0", 4));
                } else if (!central) { // block type 3 does not exist in a deflate stream
                    bytes[at + 30 + name.size() + (uchar(bytes[at + 28]) | uchar(bytes[at + 29]) << 8)] |= 0x06;
                }
            }
        }
        return wagetrove::test::writeBytes(path, bytes) ? path : QString();
    }

    /// Rows of what the reader says of a workbook it cannot read, after the name of the workbook.
    void addRefusals()
    {
        const auto row = [](const char* name, const QString& path, const QString& says,
                            qint64 maxPartSize = XlsxReader::kDefaultMaxPartSize,
                            size_t maxSharedTexts = XlsxReader::kDefaultMaxSharedTexts) {
            XlsxReader reader(path);
            reader.setMaxPartSize(maxPartSize);
            reader.setMaxSharedTexts(maxSharedTexts);
            const QStringList rows = rowsOf(reader, 1, 12);
            const QString prefix =
                u"failed: The workbook \"%1\" cannot be read: "_s.arg(QDir::toNativeSeparators(path));
            const QString failure = rows.value(rows.size() - 1);
            QTest::newRow(name) << (failure.startsWith(prefix) && failure.contains(says) ? says : failure) << says;
        };
        const ZipParts good = workbookWith(sheetXml(R"(<row r="1"><c><v>1</v></c></row>)" + QByteArray(5000, ' ')));
        const QString sheet1 = u"worksheet 1 (\"Wages\")"_s;
        row("missing file", m_dir.filePath(u"none.xlsx"_s), u"the file does not exist"_s);
        row("text file", plainFile("EIN,SUI Rate\n12-3456789,2.7\n"), u"it is not an Excel workbook (.xlsx), or it"_s);
        row("old binary workbook", plainFile(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\0')),
            u"it is an older Excel workbook (.xls) or one protected by a password"_s);
        row("zip without workbook", zip({{"word/document.xml", "<document/>"}}), u"it holds no workbook (xl/"_s);
        row("broken XML", sheet(R"(<row r="1"><c><v>1</v></row>)"),
            sheet1 + u" is damaged (broken XML at line 2: mismatched tag)"_s);
        row("entity expansion",
            zip(workbookWith(R"(<?xml version="1.0"?><!DOCTYPE w [<!ENTITY a "aaaaaaaaaa"><!ENTITY b )"
                             R"("&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]><worksheet><sheetData><row><c t="str">)"
                             R"(<v>&b;&b;&b;</v></c></row></sheetData></worksheet>)")),
            u"is damaged (it declares a document type, which a workbook never does)"_s);
        row("declared size past the limit", zip(good), sheet1 + u" would unpack to more than 4000 bytes"_s, 4000);
        row("unpacks past the limit despite its declared size", tamperedZip(good, true),
            sheet1 + u" would unpack to more than 4000 bytes"_s, 4000);
        row("shared texts past their share of the limit",
            sheet(R"(<row><c t="s"><v>0</v></c></row>)", {}, "<si><t>" + QByteArray(2000, 'x') + "</t></si>"),
            u"the shared texts (xl/sharedStrings.xml) would unpack to more than 1000 bytes"_s, 4000);
        row("one shared text past their most",
            sheet(R"(<row><c t="s"><v>0</v></c></row>)", {}, "<si><t>a</t></si><si><t>b</t></si><si><t>c</t></si>"),
            u"the shared texts hold more than 2 texts"_s, XlsxReader::kDefaultMaxPartSize, 2);
        row("text longer than any cell",
            sheet(R"(<row><c t="inlineStr"><is><t>)" + QByteArray(1024 * 1024 + 1, 'x') + "</t></is></c></row>"),
            u"holds a text far longer than the 32,767 characters a cell can hold"_s);
        // A comment or an attribute: the tokenizer holds either whole until it ends.
        row("a comment longer than any cell",
            sheet(R"(<row r="1"><c><v>1</v></c></row><!--)" + QByteArray(20 << 20, 'x') + "-->"),
            u"holds more than 4 MB of XML without a cell in it"_s);
        const QString pipe = m_dir.filePath(u"wages.xlsx"_s);
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        row("a pipe", pipe, u"it is not a file but a folder, a pipe or a device"_s);
        row("packed data damaged", tamperedZip(good, false), sheet1 + u" cannot be unpacked"_s);
        const QString beyond = u", beyond the 1,048,576 rows and 16,384 columns"_s;
        row("dimension past the last row", sheet({}, R"(<dimension ref="A1:L1048577"/>)"),
            u"claims to reach cell \"L1048577\""_s + beyond);
        row("dimension past the last column", sheet({}, R"(<dimension ref="A1:XFE2"/>)"),
            u"claims to reach cell \"XFE2\""_s + beyond);
        row("row past the last", sheet(R"(<row r="1048577"><c><v>1</v></c></row>)"),
            u"has a row numbered \"1048577\", beyond the 1,048,576 rows an Excel sheet can have"_s);
        row("cell past the last column", sheet(R"(<row r="1"><c r="XFE1"><v>1</v></c></row>)"),
            u"has a cell named \"XFE1\""_s + beyond);
        row("cell name past any number", sheet(R"(<row r="1"><c r="AAAAAAAAAAAAAA1"><v>1</v></c></row>)"),
            u"has a cell named \"AAAAAAAAAAAAAA1\""_s + beyond);
        row("rows going backwards", sheet(R"(<row r="5"><c><v>1</v></c></row><row r="3"><c><v>1</v></c></row>)"),
            u"lists row 3 after row 5; rows out of order mean the file is damaged"_s);
        row("cells going backwards", sheet(R"(<row r="1"><c r="B1"><v>1</v></c><c r="A1"><v>2</v></c></row>)"),
            u"lists the cells of row 1 out of order"_s);
        row("cell in another row", sheet(R"(<row r="1"><c r="A2"><v>1</v></c></row>)"),
            u"lists cell \"A2\" in row 1"_s);
        row("missing shared text", sheet(R"(<row><c t="s"><v>1</v></c></row>)", {}, "<si><t>a</t></si>"),
            u"has cell A1 pointing to shared text number \"1\""_s);
        row("number beyond a double", sheet("<row><c><v>0." + QByteArray(1000, '0') + "1</v></c></row>"),
            u"has cell A1 holding \"0.%1...\", which is not a number"_s.arg(QString(38, u'0')));
        ZipParts noRelationship = good;
        noRelationship[2].second = "<Relationships/>";
        row("sheet without relationship", zip(noRelationship), u"names sheet \"Wages\" but not where it is stored"_s);
        ZipParts noSheetPart = good;
        noSheetPart.removeLast();
        row("sheet part missing", zip(noSheetPart), sheet1 + u" is missing from the file"_s);
    }

private Q_SLOTS:
    // What is read of one sheet, rows joined by "/": one cell of <c r="A1" and the rest given, read at the most
    // shared texts its workbook has; a part in another encoding, which expat reads; the range of rows and cells;
    // then what is said of each workbook that cannot be read.
    void reads_data()
    {
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("expected");
        const auto read = [this](const QString& path, int columns) {
            XlsxReader reader(path);
            reader.setMaxSharedTexts(3);
            return rowsOf(reader, 1, columns).join(u'/');
        };
        const auto cell = [&](const char* name, const QByteArray& cell, const QString& text) {
            QTest::newRow(name) << read(sheet(R"(<row r="1"><c r="A1")" + cell + "</c></row>", {},
                                              R"(<si><t>unused</t></si><si><r><t>O'Neil</t></r><r><rPr><i/></rPr>)"
                                              R"(<t xml:space="preserve"> &amp; Co</t></r></si><si><t>東京</t>)"
                                              R"(<rPh sb="0" eb="2"><t>TOKYO</t></rPh></si>)"),
                                        1)
                                << text;
        };
        cell("negative, trailing zeros", "><v>-1234.50</v>", u"-1234.5"_s);
        cell("negative zero", "><v>-0</v>", u"0"_s);
        cell("large exponent", "><v>1.5E+20</v>", u"150000000000000000000"_s);
        cell("binary noise", "><v>0.30000000000000004</v>", u"0.3"_s);
        cell("more than 15 digits", "><v>123456789012345678</v>", u"123456789012346000"_s);
        cell("many leading zeros", "><v>0." + QByteArray(60, '0') + "12</v>", u"0."_s + QString(60, u'0') + u"12"_s);
        cell("smallest", "><v>4.9406564584124654E-324</v>", u"0."_s + QString(323, u'0') + u"494065645841247"_s);
        cell("true as a word", R"( t="b"><v>true</v>)", u"True"_s);
        cell("false", R"( t="b"><v>0</v>)", u"False"_s);
        cell("error", R"( t="e"><f>NA()</f><v>#N/A</v>)", u"#N/A"_s);
        cell("formula text", R"( t="str"><f>"x"&amp;"y"</f><v>xy</v>)", u"xy"_s);
        cell("formula empty text", R"( t="str"><f>""</f><v></v>)", QString());
        cell("formula, no result", "><f>B1*2</f>", u"=?"_s);
        cell("formula, empty result", "><f>B1*2</f><v></v>", u"=?"_s);
        cell("empty styled", R"( s="3">)", QString());
        cell("inline rich text, phonetic hint left out",
             R"( t="inlineStr"><is><r><rPr><b/></rPr><t>Ma</t></r><r><t xml:space="preserve">ry </t></r>)"
             R"(<rPh sb="0" eb="1"><t>MA</t></rPh></is>)",
             u"Mary "_s);
        cell("shared rich text", R"( t="s"><v>1</v>)", u"O'Neil & Co"_s);
        cell("shared with phonetic hint", R"( t="s"><v>2</v>)", u"東京"_s);
        // The last escape ends the text.
        cell("escaped characters", R"( t="inlineStr"><is><t>a_x000D__x000A_b _x005F_x0041_ _x00e9_</t></is>)",
             u"a\r\nb _x0041_ é"_s);

        const QString text = QString::fromUtf8(sheetXml(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>José</t></is></c>)"
                                                        R"(<c r="B1"><v>12.5</v></c></row>)")
                                                   .replace("encoding=\"UTF-8\"", "encoding=\"UTF-16\""));
        QByteArray utf16("\xff\xfe", 2);
        for (const QChar c : text) {
            utf16 += char(c.unicode() & 0xff);
            utf16 += char(c.unicode() >> 8);
        }
        QTest::newRow("UTF-16") << read(zip(workbookWith(utf16)), 2) << u"José|12.5"_s;

        const auto range = [&](const char* name, const QByteArray& sheetData, const QByteArray& before,
                               const QString& rows) {
            QTest::newRow(name) << read(sheet(sheetData, before), 2) << rows;
        };
        range("gaps filled, dimension stretches the end",
              R"(<row r="2"><c r="B2"><v>1</v></c></row><row r="4"><c r="A4"><v>2</v></c></row>)",
              R"(<dimension ref="A1:B6"/>)", u"|/|1/|/2|/|/|"_s);
        range("cells past the dimension still count", R"(<row r="3"><c r="A3"><v>5</v></c></row>)",
              R"(<dimension ref="A1"/>)", u"|/|/5|"_s);
        range("row without cells does not stretch the range",
              R"(<row r="1"><c r="A1"><v>5</v></c></row><row r="9" ht="30" customHeight="1"/>)", {}, u"5|"_s);
        range("cell beyond the columns asked for still counts",
              R"(<row r="1"><c r="A1"><v>5</v></c></row><row r="2"><c r="Z2"><v>9</v></c></row>)", {}, u"5|/|"_s);
        range("rows and cells without reference follow the previous",
              R"(<row r="2"><c><v>1</v></c><c><v>2</v></c></row><row><c r="B3"><v>3</v></c></row>)"
              R"(<row><c><v>4</v></c></row>)",
              {}, u"|/1|2/|3/4|"_s);
        range("formula flag does not carry into the next row",
              R"(<row r="1"><c r="A1"><f>B9</f></c></row><row r="2"><c r="A2"><v>1</v></c></row>)", {}, u"=?|/1|"_s);
        range("empty sheet as spreadsheet programs save it", {}, R"(<dimension ref="A1"/>)", u"|"_s);
        range("empty sheet without dimension", {}, {}, QString());
        QTest::newRow("prefixed names")
            << read(zip(workbookWith(
                        R"(<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
                        R"(<x:dimension ref="A1:B2"/><x:sheetData><x:row r="1"><x:c r="B1" t="inlineStr">)"
                        R"(<x:is><x:t>b</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>)")),
                    2)
            << u"|b/|"_s;

        // The last row and column a sheet can have are taken, in its extent and in its rows; the reader stops
        // when asked, here before the million rows of the range.
        XlsxReader last(
            sheet(R"(<row r="1"><c><v>1</v></c></row><row r="1048576"><c r="XFD1048576"><v>2</v></c></row>)",
                  R"(<dimension ref="A1:XFD1048576"/>)"));
        QStringList seen;
        const auto failure = last.readRows(1, 1, [&](int rowNumber, const XlsxRow&) {
            seen.append(QString::number(rowNumber));
            return rowNumber < 2;
        });
        QTest::newRow("last row and column") << seen.join(u'/') + failure.value_or(QString()) << u"1/2"_s;

        // The active tab counts sheets in tab order too.
        ZipParts parts = workbookWith(sheetXml(R"(<row><c t="inlineStr"><is><t>first file</t></is></c></row>)"));
        parts[1].second =
            R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
            R"(<bookViews><workbookView activeTab="1"/></bookViews><sheets><sheet name="Wages" sheetId="7" )"
            R"(r:id="rId9"/><sheet name="Employer" sheetId="3" r:id="rId1"/></sheets></workbook>)";
        parts[2].second = "<Relationships>" + relationship("rId1", "worksheet", "/xl/worksheets/sheet1.xml") +
                          relationship("rId9", "worksheet", "./sub/../worksheets/Sheet%202.xml") + "</Relationships>";
        parts.append(
            {"xl/worksheets/Sheet 2.xml", sheetXml(R"(<row><c t="inlineStr"><is><t>second file</t></is></c></row>)")});
        XlsxReader tabs(zip(parts));
        const QString bothSheets = (rowsOf(tabs, 1, 1) + rowsOf(tabs, 2, 1)).join(u'/');
        QTest::newRow("sheets in tab order")
            << bothSheets + u", active %1"_s.arg(tabs.activeSheet()) << u"second file/first file, active 2"_s;

        // Three writers with different habits: LibreOffice stores formula results, openpyxl stores none,
        // libxlsxwriter stores what its caller passed and puts a chart sheet first, which is no worksheet. Row 5's
        // H5 is =H4+0.5, M5 is =1/0; libxlsxwriter's formatted rows past it belong to the used range.
        const QString wages = u"EIN|SUI Rate|SS|FirstName|MiddleName|LastName|QuarterEnding|GrossWages|TaxableWages|"
                              "Month1|Month2|Month3|Note/12-3456789|2.7|123-45-6789|Ann||Lee|032024|1234.5|1234.5|True|"
                              "True|False|beyond the twelve columns/||||||||||||/12-3456789|2.7|987-65-4321|Bob|Q|"
                              "O'Brien|03/31/2024|12345|7000|1|0|1|0.0000001/12-3456789|2.7|555-00-1111|Zoë|Marie|"
                              "Smith & Jones|032024|"_s;
        for (const auto& [file, row5] :
             {std::pair{"libreoffice.xlsx", "12345.5|0.01|True|False|True|#DIV/0!"},
              std::pair{"openpyxl.xlsx", "=?|0.01|True|False|True|=?"},
              std::pair{"libxlsxwriter.xlsx", "12345.5|0.01|True|False|True|0/||||||||||||/||||||||||||"}}) {
            XlsxReader reader(QStringLiteral(WAGETROVE_XLSX_FIXTURES "/") + QLatin1String(file));
            const QString opened = reader.open().value_or(QString());
            QTest::newRow(file)
                << opened + u"%1 sheets: "_s.arg(reader.sheetCount()) + rowsOf(reader, 1, 13).join(u'/') + u" + "_s +
                       rowsOf(reader, 2, 8).join(u'/') + u" + "_s + rowsOf(reader, 3, 1).join(u'/')
                << u"2 sheets: "_s + wages + QLatin1String(row5) +
                       u" + EIN|Name|Address|City|State|Zip|SutaRate|StateID/12-3456789|Acme & Sons, "
                       "Inc.|1 Main St.|Springfield|IL|62701|2.7|1234567-8 + failed: The workbook \"%1\" "
                       "cannot be read: it has no worksheet 3 (it has 2 worksheets)."_s.arg(reader.path());
        }
        addRefusals();
    }
    void reads()
    {
        QFETCH(QString, read);
        QFETCH(QString, expected);
        QCOMPARE(read, expected);
    }
};

QTEST_GUILESS_MAIN(TestXlsxReader)
#include "tst_xlsxreader.moc"
