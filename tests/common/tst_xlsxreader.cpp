#include "common/xlsxreader.h"
#include "tests/support/workbookwriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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
            texts.append(cell.uncachedFormula ? QStringLiteral("=?") + cell.text : cell.text);
        }
        rows.append(rowNumber == rows.size() + 1 && int(row.size()) == columns
                        ? texts.join(QLatin1Char('|'))
                        : QStringLiteral("row %1 with %2 cells").arg(rowNumber).arg(row.size()));
        return true;
    });
    if (failure) {
        rows.append(QStringLiteral("failed: ") + *failure);
    }
    return rows;
}

QStringList rowsOf(const QString& path, int columns, qint64 maxPartSize = XlsxReader::kDefaultMaxPartSize)
{
    XlsxReader reader(path);
    reader.setMaxPartSize(maxPartSize);
    return rowsOf(reader, 1, columns);
}

QByteArray sheetXml(const QByteArray& sheetData, const QByteArray& beforeData = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
           beforeData + "<sheetData>" + sheetData + "</sheetData></worksheet>";
}

const QByteArray kRelationshipType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

/// A workbook with one worksheet, "Wages", and the shared texts given (none when empty). The sheet comes last.
ZipParts workbookWith(const QByteArray& sheet, const QByteArray& sharedStrings = {})
{
    ZipParts parts{
        {"_rels/.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"" + kRelationshipType +
                            "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                            "<sheets><sheet name=\"Wages\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships><Relationship Id=\"rId1\" Type=\"" + kRelationshipType +
             "worksheet\" Target=\"worksheets/sheet1.xml\"/>" +
             (sharedStrings.isEmpty() ? QByteArray()
                                      : "<Relationship Id=\"rId2\" Type=\"" + kRelationshipType +
                                            "sharedStrings\" Target=\"sharedStrings.xml\"/>") +
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
        const QString path = m_dir.filePath(QStringLiteral("w%1.xlsx").arg(++counter));
        return wagetrove::test::writeZip(path, parts) ? path : QString();
    }

    QString withSheet(const QByteArray& sheetData, const QByteArray& beforeData = {}, const QByteArray& shared = {})
    {
        return zip(workbookWith(sheetXml(sheetData, beforeData), shared));
    }

    QString plainFile(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QStringLiteral("plain%1.xlsx").arg(content.size()));
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() ? path : QString();
    }

    /// The zip with the sheet's recorded unpacked size changed to a lie, or its packed data spoilt.
    QString tamperedZip(const ZipParts& parts, bool lieAboutSize)
    {
        const QString path = zip(parts);
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite)) {
            return {};
        }
        QByteArray bytes = file.readAll();
        const QByteArray name = parts.last().first;
        for (const QByteArray& signature : {QByteArray("PK\x03\x04"), QByteArray("PK\x01\x02")}) {
            const bool central = signature[2] == '\x01';
            for (qsizetype at = bytes.indexOf(signature); at >= 0; at = bytes.indexOf(signature, at + 1)) {
                if (bytes.mid(at + (central ? 46 : 30), name.size()) != name) {
                    continue;
                }
                if (lieAboutSize) {
                    const qsizetype sizeAt = at + (central ? 24 : 22);
                    bytes[sizeAt] = 10;
                    bytes[sizeAt + 1] = bytes[sizeAt + 2] = bytes[sizeAt + 3] = 0;
                } else if (!central) {
                    // Block type 3 does not exist in a deflate stream.
                    const int extra = uchar(bytes[at + 28]) | uchar(bytes[at + 29]) << 8;
                    bytes[at + 30 + name.size() + extra] |= 0x06;
                }
            }
        }
        file.seek(0);
        file.write(bytes);
        return path;
    }

private Q_SLOTS:
    // Three writers with different habits: LibreOffice stores formula results, openpyxl stores none,
    // libxlsxwriter stores what its caller passed and puts a chart sheet first, which is no worksheet.
    void fixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("lastRow");   // row 5: H5 is =H4+0.5, M5 is =1/0
        QTest::addColumn<int>("formattedRows"); // empty rows past row 5 that belong to the used range
        QTest::newRow("LibreOffice") << "libreoffice.xlsx"
                                     << "12-3456789|2.7|555-00-1111|Zo\u00eb|Marie|Smith & Jones|032024|12345.5|0.01|"
                                        "True|False|True|#DIV/0!"
                                     << 0;
        QTest::newRow("openpyxl") << "openpyxl.xlsx"
                                  << "12-3456789|2.7|555-00-1111|Zo\u00eb|Marie|Smith & Jones|032024|=?|0.01|True|"
                                     "False|True|=?"
                                  << 0;
        QTest::newRow("libxlsxwriter") << "libxlsxwriter.xlsx"
                                       << "12-3456789|2.7|555-00-1111|Zo\u00eb|Marie|Smith & Jones|032024|12345.5|"
                                          "0.01|True|False|True|0"
                                       << 2;
    }
    void fixtures()
    {
        QFETCH(QString, file);
        QFETCH(QString, lastRow);
        QFETCH(int, formattedRows);

        XlsxReader reader(QStringLiteral(WAGETROVE_XLSX_FIXTURES "/") + file);
        QCOMPARE(reader.open().value_or(QString()), QString());
        QCOMPARE(reader.sheetCount(), 2);
        QVERIFY(rowsOf(reader, 3, 1)
                    .join(QString())
                    .contains(QStringLiteral("it has no worksheet 3 (it has 2 worksheets)")));
        const QString empty = QStringLiteral("||||||||||||");
        QCOMPARE(rowsOf(reader, 1, 13),
                 QStringList({QStringLiteral("EIN|SUI Rate|SS|FirstName|MiddleName|LastName|QuarterEnding|GrossWages|"
                                             "TaxableWages|Month1|Month2|Month3|Note"),
                              QStringLiteral("12-3456789|2.7|123-45-6789|Ann||Lee|032024|1234.5|1234.5|True|True|False|"
                                             "beyond the twelve columns"),
                              empty,
                              QStringLiteral("12-3456789|2.7|987-65-4321|Bob|Q|O'Brien|03/31/2024|12345|7000|1|0|1|"
                                             "0.0000001"),
                              lastRow}) +
                     QStringList(formattedRows, empty));
        // The import asks for twelve columns only; the same reader then reads the last sheet.
        QCOMPARE(rowsOf(reader, 1, 12).at(1),
                 QStringLiteral("12-3456789|2.7|123-45-6789|Ann||Lee|032024|1234.5|1234.5|True|True|False"));
        QCOMPARE(rowsOf(reader, 2, 8), (QStringList{QStringLiteral("EIN|Name|Address|City|State|Zip|SutaRate|StateID"),
                                                    QStringLiteral("12-3456789|Acme & Sons, Inc.|1 Main St.|"
                                                                   "Springfield|IL|62701|2.7|1234567-8")}));
    }

    void cellText_data()
    {
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<QString>("text");

        const auto number = [](const char* name, const QByteArray& value, const QByteArray& text) {
            QTest::newRow(name) << "<c r=\"A1\"><v>" + value + "</v></c>" << QString::fromLatin1(text);
        };
        number("trailing zeros", "7000.0", "7000");
        number("negative", "-1234.50", "-1234.5");
        number("negative zero", "-0", "0");
        number("exponent", "1.0E-2", "0.01");
        number("large exponent", "1.5E+20", "150000000000000000000");
        number("binary noise", "0.30000000000000004", "0.3");
        number("more than 15 digits", "123456789012345678", "123456789012346000");
        number("long fraction", "0.1234567890123456789", "0.123456789012346");
        number("many leading zeros", "0." + QByteArray(60, '0') + "12", "0." + QByteArray(60, '0') + "12");
        number("smallest", "4.9406564584124654E-324", "0." + QByteArray(323, '0') + "494065645841247");

        const auto cell = [](const char* name, const char* xml, const QString& text) {
            QTest::newRow(name) << QByteArray(xml) << text;
        };
        cell("true", "<c r=\"A1\" t=\"b\"><v>1</v></c>", QStringLiteral("True"));
        cell("true as a word", "<c r=\"A1\" t=\"b\"><v>true</v></c>", QStringLiteral("True"));
        cell("false", "<c r=\"A1\" t=\"b\"><v>0</v></c>", QStringLiteral("False"));
        cell("error", "<c r=\"A1\" t=\"e\"><f>NA()</f><v>#N/A</v></c>", QStringLiteral("#N/A"));
        cell("formula text", "<c r=\"A1\" t=\"str\"><f>\"x\"&amp;\"y\"</f><v>xy</v></c>", QStringLiteral("xy"));
        cell("formula empty text", "<c r=\"A1\" t=\"str\"><f>\"\"</f><v></v></c>", QString());
        cell("formula, no result", "<c r=\"A1\"><f>B1*2</f></c>", QStringLiteral("=?"));
        cell("formula, empty result", "<c r=\"A1\"><f>B1*2</f><v></v></c>", QStringLiteral("=?"));
        cell("formula truth, no result", "<c r=\"A1\" t=\"b\"><f>B1&gt;2</f></c>", QStringLiteral("=?"));
        cell("empty styled", "<c r=\"A1\" s=\"3\"/>", QString());
        cell("inline rich text, phonetic hint left out",
             "<c r=\"A1\" t=\"inlineStr\"><is><r><rPr><b/></rPr><t>Ma</t></r><r><t xml:space=\"preserve\">ry </t>"
             "</r><rPh sb=\"0\" eb=\"1\"><t>MA</t></rPh></is></c>",
             QStringLiteral("Mary "));
        cell("shared rich text", "<c r=\"A1\" t=\"s\"><v>1</v></c>", QStringLiteral("O'Neil & Co"));
        cell("shared with phonetic hint", "<c r=\"A1\" t=\"s\"><v>2</v></c>", QStringLiteral("\u6771\u4eac"));
        // The last escape ends the text.
        cell("escaped characters",
             "<c r=\"A1\" t=\"inlineStr\"><is><t>a_x000D__x000A_b _x005F_x0041_ _x00e9_</t></is></c>",
             QStringLiteral("a\r\nb _x0041_ \u00e9"));
    }
    void cellText()
    {
        QFETCH(QByteArray, cell);
        QFETCH(QString, text);
        const QByteArray shared = "<si><t>unused</t></si><si><r><t>O'Neil</t></r><r><rPr><i/></rPr><t "
                                  "xml:space=\"preserve\"> &amp; Co</t></r></si>"
                                  "<si><t>\xe6\x9d\xb1\xe4\xba\xac</t><rPh sb=\"0\" eb=\"2\"><t>TOKYO</t></rPh></si>";
        QCOMPARE(rowsOf(withSheet("<row r=\"1\">" + cell + "</row>", {}, shared), 1), QStringList{text});
    }

    // Parts in another encoding are read by expat; they must read as the same part in UTF-8 does.
    void otherEncodings_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        const QString text = QString::fromUtf8(
            sheetXml("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Jos\xc3\xa9</t></is></c><c r=\"B1\"><v>12.5</v>"
                     "</c></row>")
                .replace("encoding=\"UTF-8\"", "encoding=\"UTF-16\""));
        QByteArray utf16("\xff\xfe", 2);
        for (const QChar c : text) {
            utf16 += char(c.unicode() & 0xff);
            utf16 += char(c.unicode() >> 8);
        }
        QTest::newRow("UTF-16") << utf16;
        QTest::newRow("ISO-8859-1")
            << QString(text).replace(QStringLiteral("UTF-16"), QStringLiteral("ISO-8859-1")).toLatin1();
    }
    void otherEncodings()
    {
        QFETCH(QByteArray, sheet);
        QCOMPARE(rowsOf(zip(workbookWith(sheet)), 2), QStringList{QStringLiteral("Jos\u00e9|12.5")});
    }

    void usedRange_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QStringList>("rows");
        const QString blank = QStringLiteral("|");
        QTest::newRow("gaps filled, dimension stretches the end")
            << sheetXml("<row r=\"2\"><c r=\"B2\"><v>1</v></c></row><row r=\"4\"><c r=\"A4\"><v>2</v></c></row>",
                        "<dimension ref=\"A1:B6\"/>")
            << QStringList{blank, QStringLiteral("|1"), blank, QStringLiteral("2|"), blank, blank};
        QTest::newRow("cells past the dimension still count")
            << sheetXml("<row r=\"3\"><c r=\"A3\"><v>5</v></c></row>", "<dimension ref=\"A1\"/>")
            << QStringList{blank, blank, QStringLiteral("5|")};
        QTest::newRow("row without cells does not stretch the range")
            << sheetXml("<row r=\"1\"><c r=\"A1\"><v>5</v></c></row><row r=\"9\" ht=\"30\" customHeight=\"1\"/>")
            << QStringList{QStringLiteral("5|")};
        QTest::newRow("cell beyond the columns asked for still counts")
            << sheetXml("<row r=\"1\"><c r=\"A1\"><v>5</v></c></row><row r=\"2\"><c r=\"Z2\"><v>9</v></c></row>")
            << QStringList{QStringLiteral("5|"), blank};
        QTest::newRow("rows and cells without reference follow the previous")
            << sheetXml("<row r=\"2\"><c><v>1</v></c><c><v>2</v></c></row><row><c r=\"B3\"><v>3</v></c></row>"
                        "<row><c><v>4</v></c></row>")
            << QStringList{blank, QStringLiteral("1|2"), QStringLiteral("|3"), QStringLiteral("4|")};
        QTest::newRow("formula flag does not carry into the next row")
            << sheetXml("<row r=\"1\"><c r=\"A1\"><f>B9</f></c></row><row r=\"2\"><c r=\"A2\"><v>1</v></c></row>")
            << QStringList{QStringLiteral("=?|"), QStringLiteral("1|")};
        QTest::newRow("empty sheet as spreadsheet programs save it")
            << sheetXml({}, "<dimension ref=\"A1\"/>") << QStringList{blank};
        QTest::newRow("empty sheet without dimension") << sheetXml({}) << QStringList{};
        QTest::newRow("prefixed names")
            << QByteArray("<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                          "<x:dimension ref=\"A1:B2\"/><x:sheetData><x:row r=\"1\"><x:c r=\"B1\" t=\"inlineStr\">"
                          "<x:is><x:t>b</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>")
            << QStringList{QStringLiteral("|b"), blank};
    }
    void usedRange()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QStringList, rows);
        QCOMPARE(rowsOf(zip(workbookWith(sheet)), 2), rows);
    }

    // The last row and column a sheet can have are taken, in its extent and in its rows; the reader stops when
    // asked, here before the million rows of the range.
    void lastRowAndColumn_readUntilStopped()
    {
        XlsxReader reader(withSheet("<row r=\"1\"><c><v>1</v></c></row><row r=\"1048576\"><c r=\"XFD1048576\"><v>2</v>"
                                    "</c></row>",
                                    "<dimension ref=\"A1:XFD1048576\"/>"));
        QList<int> seen;
        const auto failure = reader.readRows(1, 1, [&](int rowNumber, const XlsxRow&) {
            seen.append(rowNumber);
            return rowNumber < 2;
        });
        QCOMPARE(failure.value_or(QString()), QString());
        QCOMPARE(seen, (QList<int>{1, 2}));
    }

    // The active tab counts sheets in tab order too; its XML comes back as stored.
    void sheets_foundByTabOrderNotRelationshipId()
    {
        const QByteArray first = sheetXml("<row><c t=\"inlineStr\"><is><t>first file</t></is></c></row>");
        ZipParts parts = workbookWith(first);
        parts[1].second = "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                          "<bookViews><workbookView activeTab=\"1\"/></bookViews><sheets><sheet name=\"Wages\" "
                          "sheetId=\"7\" r:id=\"rId9\"/><sheet name=\"Employer\" sheetId=\"3\" r:id=\"rId1\"/></sheets>"
                          "</workbook>";
        parts[2].second = "<Relationships><Relationship Id=\"rId1\" Type=\"" + kRelationshipType +
                          "worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/><Relationship Id=\"rId9\" Type=\"" +
                          kRelationshipType +
                          "worksheet\" Target=\"./sub/../worksheets/Sheet%202.xml\"/></Relationships>";
        parts.append(
            {"xl/worksheets/Sheet 2.xml", sheetXml("<row><c t=\"inlineStr\"><is><t>second file</t></is></c></row>")});
        XlsxReader reader(zip(parts));
        QCOMPARE(rowsOf(reader, 1, 1), QStringList{QStringLiteral("second file")});
        QCOMPARE(rowsOf(reader, 2, 1), QStringList{QStringLiteral("first file")});
        QCOMPARE(reader.activeSheet(), 2);
        QByteArray xml;
        qint64 entry = -1;
        QCOMPARE(reader.readSheetXml(2, xml, entry), std::nullopt);
        QCOMPARE(xml, first);
        QCOMPARE(entry, 3);
    }

    // As many shared texts as the limit are read; one more is refused.
    void sharedTexts_upToTheirLimit()
    {
        const QString path =
            withSheet("<row><c t=\"s\"><v>0</v></c></row>", {}, "<si><t>a</t></si><si><t>b</t></si><si><t>c</t></si>");
        XlsxReader fits(path);
        fits.setMaxSharedTexts(3);
        QCOMPARE(rowsOf(fits, 1, 1), QStringList{QStringLiteral("a")});
        XlsxReader refused(path);
        refused.setMaxSharedTexts(2);
        QVERIFY(
            rowsOf(refused, 1, 1).join(QString()).contains(QStringLiteral("the shared texts hold more than 2 texts")));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("maxPartSize");
        QTest::addColumn<QString>("says");

        const ZipParts good = workbookWith(sheetXml("<row r=\"1\"><c><v>1</v></c></row>" + QByteArray(5000, ' ')));
        const auto row = [](const char* name, const QString& path, const QString& says, qint64 maxPartSize = 0) {
            QTest::newRow(name) << path << (maxPartSize ? maxPartSize : XlsxReader::kDefaultMaxPartSize) << says;
        };

        row("missing file", m_dir.filePath(QStringLiteral("none.xlsx")), QStringLiteral("the file does not exist"));
        row("text file", plainFile("EIN,SUI Rate\n12-3456789,2.7\n"),
            QStringLiteral("it is not an Excel workbook (.xlsx), or it is damaged"));
        row("old binary workbook", plainFile(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\0')),
            QStringLiteral("it is an older Excel workbook (.xls) or one protected by a password"));
        row("zip without workbook", zip({{"word/document.xml", "<document/>"}}),
            QStringLiteral("it holds no workbook (xl/workbook.xml is missing)"));
        row("broken XML", withSheet("<row r=\"1\"><c><v>1</v></row>"),
            QStringLiteral("worksheet 1 (\"Wages\") is damaged (broken XML at line 2: mismatched tag)"));
        row("entity expansion",
            zip(workbookWith("<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                             "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><worksheet><sheetData><row><c t=\"str\">"
                             "<v>&b;&b;&b;</v></c></row></sheetData></worksheet>")),
            QStringLiteral("is damaged (it declares a document type, which a workbook never does)"));
        row("declared size past the limit", zip(good),
            QStringLiteral("worksheet 1 (\"Wages\") would unpack to more than 4000 bytes"), 4000);
        row("unpacks past the limit despite its declared size", tamperedZip(good, true),
            QStringLiteral("worksheet 1 (\"Wages\") would unpack to more than 4000 bytes"), 4000);
        row("shared texts past their share of the limit",
            withSheet("<row><c t=\"s\"><v>0</v></c></row>", {}, "<si><t>" + QByteArray(2000, 'x') + "</t></si>"),
            QStringLiteral("the shared texts (xl/sharedStrings.xml) would unpack to more than 1000 bytes"), 4000);
        row("text longer than any cell",
            withSheet("<row><c t=\"inlineStr\"><is><t>" + QByteArray(1024 * 1024 + 1, 'x') + "</t></is></c></row>"),
            QStringLiteral("holds a text far longer than the 32,767 characters a cell can hold"));
        row("a comment longer than any cell",
            withSheet("<row r=\"1\"><c><v>1</v></c></row><!--" + QByteArray(20 << 20, 'x') + "-->"),
            QStringLiteral("holds more than 4 MB of XML without a cell in it"));
        row("an attribute longer than any cell",
            withSheet("<row r=\"1\" spans=\"" + QByteArray(20 << 20, '1') + "\"/>"),
            QStringLiteral("holds more than 4 MB of XML without a cell in it"));
        row("a folder", m_dir.path(), QStringLiteral("it is not a file but a folder, a pipe or a device"));
        const QString pipe = m_dir.filePath(QStringLiteral("wages.xlsx"));
        row("a pipe", ::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0 ? pipe : QString(),
            QStringLiteral("it is not a file but a folder, a pipe or a device"));
        row("packed data damaged", tamperedZip(good, false),
            QStringLiteral("worksheet 1 (\"Wages\") cannot be unpacked"));
        row("dimension past the last row", withSheet({}, "<dimension ref=\"A1:L1048577\"/>"),
            QStringLiteral("claims to reach cell \"L1048577\", beyond the 1,048,576 rows and 16,384 columns"));
        row("dimension past the last column", withSheet({}, "<dimension ref=\"A1:XFE2\"/>"),
            QStringLiteral("claims to reach cell \"XFE2\""));
        row("row past the last", withSheet("<row r=\"1048577\"><c><v>1</v></c></row>"),
            QStringLiteral("has a row numbered \"1048577\", beyond the 1,048,576"));
        row("cell past the last column", withSheet("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>"),
            QStringLiteral("has a cell named \"XFE1\", beyond the 1,048,576 rows and 16,384 columns"));
        row("cell name past any number", withSheet("<row r=\"1\"><c r=\"AAAAAAAAAAAAAA1\"><v>1</v></c></row>"),
            QStringLiteral("has a cell named \"AAAAAAAAAAAAAA1\", beyond the 1,048,576 rows"));
        row("rows going backwards", withSheet("<row r=\"5\"><c><v>1</v></c></row><row r=\"3\"><c><v>1</v></c></row>"),
            QStringLiteral("lists row 3 after row 5; rows out of order mean the file is damaged"));
        row("cells going backwards", withSheet("<row r=\"1\"><c r=\"B1\"><v>1</v></c><c r=\"A1\"><v>2</v></c></row>"),
            QStringLiteral("lists the cells of row 1 out of order"));
        row("cell in another row", withSheet("<row r=\"1\"><c r=\"A2\"><v>1</v></c></row>"),
            QStringLiteral("lists cell \"A2\" in row 1"));
        row("missing shared text", withSheet("<row><c t=\"s\"><v>1</v></c></row>", {}, "<si><t>a</t></si>"),
            QStringLiteral("has cell A1 pointing to shared text number \"1\""));
        row("number that is none", withSheet("<row><c><v>12,50</v></c></row>"),
            QStringLiteral("has cell A1 holding \"12,50\", which is not a number"));
        row("number beyond a double", withSheet("<row><c><v>0." + QByteArray(1000, '0') + "1</v></c></row>"),
            QStringLiteral("has cell A1 holding \"0.%1...\", which is not a number").arg(QString(38, u'0')));
        ZipParts noRelationship = good;
        noRelationship[2].second = "<Relationships/>";
        row("sheet without relationship", zip(noRelationship),
            QStringLiteral("names sheet \"Wages\" but not where it is stored"));
        ZipParts noSheetPart = good;
        noSheetPart.removeLast();
        row("sheet part missing", zip(noSheetPart), QStringLiteral("worksheet 1 (\"Wages\") is missing from the file"));
    }
    void failures()
    {
        QFETCH(QString, path);
        QFETCH(qint64, maxPartSize);
        QFETCH(QString, says);
        const QStringList read = rowsOf(path, 12, maxPartSize);
        QVERIFY(!read.isEmpty());
        QVERIFY2(
            read.last().startsWith(
                QStringLiteral("failed: The workbook \"%1\" cannot be read: ").arg(QDir::toNativeSeparators(path))),
            qPrintable(read.last()));
        QVERIFY2(read.last().contains(says), qPrintable(read.last()));
    }
};

QTEST_GUILESS_MAIN(TestXlsxReader)
#include "tst_xlsxreader.moc"
