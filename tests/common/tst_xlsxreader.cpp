#include "common/xlsxreader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <zip.h>

using wagetrove::XlsxReader;
using wagetrove::XlsxRow;

namespace {

const QString kUncached = QStringLiteral("<uncached formula>");

using Entries = QList<QPair<QString, QByteArray>>;

struct Read
{
    std::optional<QString> failure;
    QList<QStringList> rows; // a cell flagged as an uncached formula reads as kUncached followed by its text
};

Read readSheet(XlsxReader& reader, int sheet, int columns)
{
    Read read;
    read.failure = reader.readRows(sheet, columns, [&](int rowNumber, const XlsxRow& row) {
        if (rowNumber != read.rows.size() + 1 || int(row.size()) != columns) {
            read.rows.append({QStringLiteral("row %1 with %2 cells").arg(rowNumber).arg(row.size())});
            return true;
        }
        QStringList texts;
        for (const auto& cell : row) {
            texts.append(cell.uncachedFormula ? kUncached + cell.text : cell.text);
        }
        read.rows.append(texts);
        return true;
    });
    return read;
}

Read readFile(const QString& path, int sheet, int columns, qint64 maxPartSize = XlsxReader::kDefaultMaxPartSize)
{
    XlsxReader reader(path);
    reader.setMaxPartSize(maxPartSize);
    return readSheet(reader, sheet, columns);
}

QStringList cells(const char* tabSeparated)
{
    return QString::fromUtf8(tabSeparated).split(QLatin1Char('\t'));
}

QByteArray sheetXml(const QByteArray& sheetData, const QByteArray& beforeData = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
           beforeData + "<sheetData>" + sheetData + "</sheetData></worksheet>";
}

const QByteArray kRelationshipType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

/// A workbook with one worksheet holding sheetData, and the shared strings given (none when empty).
Entries workbookWith(const QByteArray& sheet, const QByteArray& sharedStrings = {})
{
    Entries entries{
        {QStringLiteral("_rels/.rels"),
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             kRelationshipType + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {QStringLiteral("xl/workbook.xml"),
         "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
         "<sheets><sheet name=\"Wages\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             kRelationshipType + "worksheet\" Target=\"worksheets/sheet1.xml\"/>" +
             (sharedStrings.isEmpty() ? QByteArray()
                                      : "<Relationship Id=\"rId2\" Type=\"" + kRelationshipType +
                                            "sharedStrings\" Target=\"sharedStrings.xml\"/>") +
             "</Relationships>"},
        {QStringLiteral("xl/worksheets/sheet1.xml"), sheet},
    };
    if (!sharedStrings.isEmpty()) {
        entries.append(
            {QStringLiteral("xl/sharedStrings.xml"),
             "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" + sharedStrings + "</sst>"});
    }
    return entries;
}

void replaceEntry(Entries& entries, const QString& name, const QByteArray& content)
{
    for (auto& entry : entries) {
        if (entry.first == name) {
            entry.second = content;
        }
    }
}

} // namespace

class TestXlsxReader : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeZip(const Entries& entries)
    {
        static int counter = 0;
        const QString path = m_dir.filePath(QStringLiteral("w%1.xlsx").arg(++counter));
        int error = 0;
        zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!archive) {
            return {};
        }
        for (const auto& [name, content] : entries) {
            zip_source_t* source = zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
            zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        }
        return zip_close(archive) == 0 ? path : QString();
    }

    QString writeFile(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QStringLiteral("plain%1.xlsx").arg(content.size()));
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() ? path : QString();
    }

    /// The zip with the named entry's recorded unpacked size changed to a lie, or its packed data spoilt.
    QString tamperedZip(const Entries& entries, const QString& name, bool lieAboutSize)
    {
        const QString path = writeZip(entries);
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite)) {
            return {};
        }
        QByteArray bytes = file.readAll();
        const QByteArray fileName = name.toUtf8();
        for (const QByteArray& signature : {QByteArray("PK\x03\x04"), QByteArray("PK\x01\x02")}) {
            const bool central = signature[2] == '\x01';
            const qsizetype nameOffset = central ? 46 : 30;
            for (qsizetype at = bytes.indexOf(signature); at >= 0; at = bytes.indexOf(signature, at + 1)) {
                if (bytes.mid(at + nameOffset, fileName.size()) != fileName) {
                    continue;
                }
                if (lieAboutSize) {
                    const qsizetype sizeAt = at + (central ? 24 : 22);
                    bytes[sizeAt] = 10;
                    bytes[sizeAt + 1] = bytes[sizeAt + 2] = bytes[sizeAt + 3] = 0;
                } else if (!central) {
                    // Block type 3 does not exist in a deflate stream.
                    const int extra = uchar(bytes[at + 28]) | uchar(bytes[at + 29]) << 8;
                    bytes[at + 30 + fileName.size() + extra] |= 0x06;
                }
            }
        }
        file.seek(0);
        file.write(bytes);
        return path;
    }

private Q_SLOTS:
    void fixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("grossWagesFormula"); // H5, =H4+0.5
        QTest::addColumn<QString>("divisionByZero");    // M5, =1/0
        QTest::addColumn<int>("usedRows");
        QTest::addColumn<int>("sheets");

        // LibreOffice stores formula results; openpyxl stores none; libxlsxwriter stores what its caller passed.
        QTest::newRow("LibreOffice") << "libreoffice.xlsx"
                                     << "12345.5"
                                     << "#DIV/0!" << 5 << 2;
        QTest::newRow("openpyxl") << "openpyxl.xlsx" << kUncached << kUncached << 5 << 2;
        // Its chart sheet comes first and is no worksheet; a formatted empty row 7 belongs to the used range.
        QTest::newRow("libxlsxwriter") << "libxlsxwriter.xlsx"
                                       << "12345.5"
                                       << "0" << 7 << 2;
    }
    void fixtures()
    {
        QFETCH(QString, file);
        QFETCH(QString, grossWagesFormula);
        QFETCH(QString, divisionByZero);
        QFETCH(int, usedRows);
        QFETCH(int, sheets);

        XlsxReader reader(QStringLiteral(WAGETROVE_XLSX_FIXTURES "/") + file);
        QCOMPARE(reader.open().value_or(QString()), QString());
        QCOMPARE(reader.sheetCount(), sheets);

        const Read wages = readSheet(reader, 1, 13);
        QCOMPARE(wages.failure.value_or(QString()), QString());
        QList<QStringList> expected{
            cells("EIN\tSUI Rate\tSS\tFirstName\tMiddleName\tLastName\tQuarterEnding\tGrossWages\tTaxableWages\t"
                  "Month1\tMonth2\tMonth3\tNote"),
            cells("12-3456789\t2.7\t123-45-6789\tAnn\t\tLee\t032024\t1234.5\t1234.5\tTrue\tTrue\tFalse\t"
                  "beyond the twelve columns"),
            QStringList(13, QString()),
            cells("12-3456789\t2.7\t987-65-4321\tBob\tQ\tO'Brien\t03/31/2024\t12345\t7000\t1\t0\t1\t0.0000001"),
            cells("12-3456789\t2.7\t555-00-1111\tZo\u00eb\tMarie\tSmith & Jones\t032024\t\t0.01\tTrue\tFalse\tTrue\t"),
        };
        expected[4][7] = grossWagesFormula;
        expected[4][12] = divisionByZero;
        while (expected.size() < usedRows) {
            expected.append(QStringList(13, QString()));
        }
        QCOMPARE(wages.rows, expected);

        // The import asks for twelve columns only; the same reader then reads the employer sheet.
        const Read twelve = readSheet(reader, 1, 12);
        QCOMPARE(twelve.rows.size(), usedRows);
        QCOMPARE(twelve.rows[1].size(), 12);
        QCOMPARE(twelve.rows[1].last(), QStringLiteral("False"));

        const Read employer = readSheet(reader, 2, 8);
        QCOMPARE(employer.failure.value_or(QString()), QString());
        QCOMPARE(employer.rows, (QList<QStringList>{
                                    cells("EIN\tName\tAddress\tCity\tState\tZip\tSutaRate\tStateID"),
                                    cells("12-3456789\tAcme & Sons, Inc.\t1 Main St.\tSpringfield\tIL\t62701\t2.7\t"
                                          "1234567-8"),
                                }));
    }

    void cellText_data()
    {
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<QString>("text");

        const auto number = [](const char* name, const QByteArray& value, const QByteArray& text) {
            QTest::newRow(name) << "<c r=\"A1\"><v>" + value + "</v></c>" << QString::fromLatin1(text);
        };
        number("integer", "12345", "12345");
        number("fraction", "1234.5", "1234.5");
        number("trailing zeros", "7000.0", "7000");
        number("negative", "-1234.50", "-1234.5");
        number("negative zero", "-0", "0");
        number("exponent", "1.0E-2", "0.01");
        number("three-digit exponent", "1E-007", "0.0000001");
        number("large exponent", "1.5E+20", "150000000000000000000");
        number("binary noise", "0.30000000000000004", "0.3");
        number("more than 15 digits", "123456789012345678", "123456789012346000");
        number("long fraction", "0.1234567890123456789", "0.123456789012346");
        number("sum of cents", "1234.5600000000002", "1234.56");
        number("many leading zeros", "0." + QByteArray(60, '0') + "12", "0." + QByteArray(60, '0') + "12");
        number("smallest", "4.9406564584124654E-324", "0." + QByteArray(323, '0') + "494065645841247");

        QTest::newRow("true") << QByteArray("<c r=\"A1\" t=\"b\"><v>1</v></c>") << "True";
        QTest::newRow("false") << QByteArray("<c r=\"A1\" t=\"b\"><v>0</v></c>") << "False";
        QTest::newRow("error") << QByteArray("<c r=\"A1\" t=\"e\"><f>NA()</f><v>#N/A</v></c>") << "#N/A";
        QTest::newRow("formula text") << QByteArray("<c r=\"A1\" t=\"str\"><f>\"x\"&amp;\"y\"</f><v>xy</v></c>")
                                      << "xy";
        QTest::newRow("formula empty text") << QByteArray("<c r=\"A1\" t=\"str\"><f>\"\"</f><v></v></c>") << "";
        QTest::newRow("formula, no result") << QByteArray("<c r=\"A1\"><f>B1*2</f></c>") << kUncached;
        QTest::newRow("formula, empty result") << QByteArray("<c r=\"A1\"><f>B1*2</f><v></v></c>") << kUncached;
        QTest::newRow("formula truth, no result") << QByteArray("<c r=\"A1\" t=\"b\"><f>B1&gt;2</f></c>") << kUncached;
        QTest::newRow("empty styled") << QByteArray("<c r=\"A1\" s=\"3\"/>") << "";
        QTest::newRow("inline rich text, phonetic hint left out")
            << QByteArray("<c r=\"A1\" t=\"inlineStr\"><is><r><rPr><b/></rPr><t>Ma</t></r><r><t "
                          "xml:space=\"preserve\">ry </t></r><rPh sb=\"0\" eb=\"1\"><t>MA</t></rPh></is></c>")
            << "Mary ";
        QTest::newRow("shared rich text") << QByteArray("<c r=\"A1\" t=\"s\"><v>1</v></c>") << "O'Neil & Co";
        QTest::newRow("shared with phonetic hint") << QByteArray("<c r=\"A1\" t=\"s\"><v>2</v></c>") << "\u6771\u4eac";
        QTest::newRow("escaped characters")
            << QByteArray("<c r=\"A1\" t=\"inlineStr\"><is><t>a_x000D__x000A_b _x005F_x0041_ _x00e9_</t></is></c>")
            << QStringLiteral("a\r\nb _x0041_ \u00e9");
    }
    void cellText()
    {
        QFETCH(QByteArray, cell);
        QFETCH(QString, text);

        const QByteArray shared = "<si><t>unused</t></si><si><r><t>O'Neil</t></r><r><rPr><i/></rPr><t "
                                  "xml:space=\"preserve\"> &amp; Co</t></r></si>"
                                  "<si><t>\xe6\x9d\xb1\xe4\xba\xac</t><rPh sb=\"0\" eb=\"2\"><t>TOKYO</t></rPh></si>";
        const Read read = readFile(writeZip(workbookWith(sheetXml("<row r=\"1\">" + cell + "</row>"), shared)), 1, 1);
        QCOMPARE(read.failure.value_or(QString()), QString());
        QCOMPARE(read.rows, (QList<QStringList>{{text}}));
    }

    // Parts in another encoding are read by expat; they must read as the same part in UTF-8 does.
    void otherEncodings_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        const QString text = QString::fromUtf8(
            sheetXml(
                "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Jos\xc3\xa9</t></is></c><c r=\"B1\"><v>12.5</v></c>"
                "</row>")
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
        const Read read = readFile(writeZip(workbookWith(sheet)), 1, 2);
        QCOMPARE(read.failure.value_or(QString()), QString());
        QCOMPARE(read.rows, (QList<QStringList>{{QStringLiteral("Jos\u00e9"), QStringLiteral("12.5")}}));
    }

    void usedRange_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        QTest::addColumn<QList<QStringList>>("rows");

        const QStringList blank{QString(), QString()};
        QTest::newRow("gaps filled, dimension stretches the end")
            << sheetXml("<row r=\"2\"><c r=\"B2\"><v>1</v></c></row><row r=\"4\"><c r=\"A4\"><v>2</v></c></row>",
                        "<dimension ref=\"A1:B6\"/>")
            << QList<QStringList>{
                   blank, {QString(), QStringLiteral("1")}, blank, {QStringLiteral("2"), QString()}, blank, blank};
        QTest::newRow("cells past the dimension still count")
            << sheetXml("<row r=\"3\"><c r=\"A3\"><v>5</v></c></row>", "<dimension ref=\"A1\"/>")
            << QList<QStringList>{blank, blank, {QStringLiteral("5"), QString()}};
        QTest::newRow("row without cells does not stretch the range")
            << sheetXml("<row r=\"1\"><c r=\"A1\"><v>5</v></c></row><row r=\"9\" ht=\"30\" customHeight=\"1\"/>")
            << QList<QStringList>{{QStringLiteral("5"), QString()}};
        QTest::newRow("cell beyond the columns asked for still counts")
            << sheetXml("<row r=\"1\"><c r=\"A1\"><v>5</v></c></row><row r=\"2\"><c r=\"Z2\"><v>9</v></c></row>")
            << QList<QStringList>{{QStringLiteral("5"), QString()}, blank};
        QTest::newRow("rows and cells without reference follow the previous")
            << sheetXml("<row r=\"2\"><c><v>1</v></c><c><v>2</v></c></row><row><c r=\"B3\"><v>3</v></c></row>"
                        "<row><c><v>4</v></c></row>")
            << QList<QStringList>{blank,
                                  {QStringLiteral("1"), QStringLiteral("2")},
                                  {QString(), QStringLiteral("3")},
                                  {QStringLiteral("4"), QString()}};
        QTest::newRow("formula flag does not carry into the next row")
            << sheetXml("<row r=\"1\"><c r=\"A1\"><f>B9</f></c></row><row r=\"2\"><c r=\"A2\"><v>1</v></c></row>")
            << QList<QStringList>{{kUncached, QString()}, {QStringLiteral("1"), QString()}};
        QTest::newRow("empty sheet as spreadsheet programs save it")
            << sheetXml({}, "<dimension ref=\"A1\"/>") << QList<QStringList>{blank};
        QTest::newRow("empty sheet without dimension") << sheetXml({}) << QList<QStringList>{};
        QTest::newRow("prefixed names")
            << QByteArray("<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                          "<x:dimension ref=\"A1:B2\"/><x:sheetData><x:row r=\"1\"><x:c r=\"B1\" t=\"inlineStr\">"
                          "<x:is><x:t>b</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>")
            << QList<QStringList>{{QString(), QStringLiteral("b")}, blank};
    }
    void usedRange()
    {
        QFETCH(QByteArray, sheet);
        QFETCH(QList<QStringList>, rows);

        const Read read = readFile(writeZip(workbookWith(sheet)), 1, 2);
        QCOMPARE(read.failure.value_or(QString()), QString());
        QCOMPARE(read.rows, rows);
    }

    void readRows_stopsWhenAsked()
    {
        const QString path = writeZip(workbookWith(sheetXml(
            "<row r=\"1\"><c><v>1</v></c></row><row r=\"2\"><c><v>2</v></c></row>", "<dimension ref=\"A1:A9\"/>")));
        XlsxReader reader(path);
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
        Entries entries = workbookWith(sheetXml("<row><c t=\"inlineStr\"><is><t>first file</t></is></c></row>"));
        replaceEntry(entries, QStringLiteral("xl/workbook.xml"),
                     "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                     "<bookViews><workbookView activeTab=\"1\"/></bookViews>"
                     "<sheets><sheet name=\"Wages\" sheetId=\"7\" r:id=\"rId9\"/><sheet name=\"Employer\" "
                     "sheetId=\"3\" r:id=\"rId1\"/></sheets></workbook>");
        replaceEntry(entries, QStringLiteral("xl/_rels/workbook.xml.rels"),
                     "<Relationships><Relationship Id=\"rId1\" Type=\"" + kRelationshipType +
                         "worksheet\" Target=\"/xl/worksheets/sheet1.xml\"/><Relationship Id=\"rId9\" Type=\"" +
                         kRelationshipType +
                         "worksheet\" Target=\"./sub/../worksheets/Sheet%202.xml\"/>"
                         "</Relationships>");
        entries.append({QStringLiteral("xl/worksheets/Sheet 2.xml"),
                        sheetXml("<row><c t=\"inlineStr\"><is><t>second file</t></is></c></row>")});
        XlsxReader reader(writeZip(entries));
        QCOMPARE(readSheet(reader, 1, 1).rows, (QList<QStringList>{{QStringLiteral("second file")}}));
        QCOMPARE(readSheet(reader, 2, 1).rows, (QList<QStringList>{{QStringLiteral("first file")}}));
        QCOMPARE(reader.activeSheet(), 2);
        QByteArray xml;
        qint64 entry = -1;
        QCOMPARE(reader.readSheetXml(2, xml, entry), std::nullopt);
        QCOMPARE(xml, sheetXml("<row><c t=\"inlineStr\"><is><t>first file</t></is></c></row>"));
        QCOMPARE(entry, 3);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("sheet");
        QTest::addColumn<qint64>("maxPartSize");
        QTest::addColumn<QString>("says");

        const auto withSheet = [this](const QByteArray& sheetData, const QByteArray& beforeData = {},
                                      const QByteArray& shared = {}) {
            return writeZip(workbookWith(sheetXml(sheetData, beforeData), shared));
        };
        const qint64 normal = XlsxReader::kDefaultMaxPartSize;
        const Entries good = workbookWith(sheetXml("<row r=\"1\"><c><v>1</v></c></row>" + QByteArray(5000, ' ')));

        QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("none.xlsx")) << 1 << normal
                                      << "the file does not exist";
        QTest::newRow("text file") << writeFile("EIN,SUI Rate\n12-3456789,2.7\n") << 1 << normal
                                   << "it is not an Excel workbook (.xlsx), or it is damaged";
        QTest::newRow("old binary workbook")
            << writeFile(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\0')) << 1 << normal
            << "it is an older Excel workbook (.xls) or one protected by a password";
        QTest::newRow("zip without workbook") << writeZip({{QStringLiteral("word/document.xml"), "<document/>"}}) << 1
                                              << normal << "it holds no workbook (xl/workbook.xml is missing)";
        QTest::newRow("no such sheet") << writeZip(good) << 2 << normal << "it has no worksheet 2 (it has only one)";
        QTest::newRow("broken XML") << withSheet("<row r=\"1\"><c><v>1</v></row>") << 1 << normal
                                    << "worksheet 1 (\"Wages\") is damaged (broken XML at line 2: mismatched tag)";
        QTest::newRow("entity expansion")
            << writeZip(workbookWith("<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                                     "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><worksheet><sheetData><row><c t=\"str\">"
                                     "<v>&b;&b;&b;</v></c></row></sheetData></worksheet>"))
            << 1 << normal << "is damaged (it declares a document type, which a workbook never does)";
        QTest::newRow("declared size past the limit")
            << writeZip(good) << 1 << qint64(4000) << "worksheet 1 (\"Wages\") would unpack to more than 4000 bytes";
        QTest::newRow("unpacks past the limit despite its declared size")
            << tamperedZip(good, QStringLiteral("xl/worksheets/sheet1.xml"), true) << 1 << qint64(4000)
            << "worksheet 1 (\"Wages\") would unpack to more than 4000 bytes";
        QTest::newRow("shared texts past their share of the limit")
            << withSheet("<row><c t=\"s\"><v>0</v></c></row>", {}, "<si><t>" + QByteArray(2000, 'x') + "</t></si>") << 1
            << qint64(4000) << "the shared texts (xl/sharedStrings.xml) would unpack to more than 1000 bytes";
        QTest::newRow("text longer than any cell")
            << withSheet("<row><c t=\"inlineStr\"><is><t>" + QByteArray(1024 * 1024 + 1, 'x') + "</t></is></c></row>")
            << 1 << normal << "holds a text far longer than the 32,767 characters a cell can hold";
        QTest::newRow("a comment longer than any cell")
            << withSheet("<row r=\"1\"><c><v>1</v></c></row><!--" + QByteArray(20 << 20, 'x') + "-->") << 1 << normal
            << "holds more than 4 MB of XML without a cell in it";
        QTest::newRow("an attribute longer than any cell")
            << withSheet("<row r=\"1\" spans=\"" + QByteArray(20 << 20, '1') + "\"/>") << 1 << normal
            << "holds more than 4 MB of XML without a cell in it";
        QTest::newRow("a folder") << m_dir.path() << 1 << normal << "it is not a file but a folder, a pipe or a device";
        const QString pipe = m_dir.filePath(QStringLiteral("wages.xlsx"));
        QTest::newRow("a pipe") << (::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0 ? pipe : QString()) << 1
                                << normal << "it is not a file but a folder, a pipe or a device";
        QTest::newRow("packed data damaged") << tamperedZip(good, QStringLiteral("xl/worksheets/sheet1.xml"), false)
                                             << 1 << normal << "worksheet 1 (\"Wages\") cannot be unpacked";
        QTest::newRow("dimension past the last row")
            << withSheet({}, "<dimension ref=\"A1:L1048577\"/>") << 1 << normal
            << "claims to reach cell \"L1048577\", beyond the 1,048,576 rows and 16,384 columns";
        QTest::newRow("dimension past the last column")
            << withSheet({}, "<dimension ref=\"A1:XFE2\"/>") << 1 << normal << "claims to reach cell \"XFE2\"";
        QTest::newRow("row past the last") << withSheet("<row r=\"99999999999999\"><c><v>1</v></c></row>") << 1
                                           << normal << "has a row numbered \"99999999999999\", beyond the 1,048,576";
        QTest::newRow("cell past the last column")
            << withSheet("<row r=\"1\"><c r=\"AAAAAAAAAAAAAA1\"><v>1</v></c></row>") << 1 << normal
            << "has a cell named \"AAAAAAAAAAAAAA1\", beyond the 1,048,576 rows and 16,384 columns";
        QTest::newRow("rows going backwards")
            << withSheet("<row r=\"5\"><c><v>1</v></c></row><row r=\"3\"><c><v>1</v></c></row>") << 1 << normal
            << "lists row 3 after row 5; rows out of order mean the file is damaged";
        QTest::newRow("row repeated") << withSheet("<row r=\"5\"/><row r=\"5\"/>") << 1 << normal
                                      << "lists row 5 after row 5";
        QTest::newRow("cells going backwards")
            << withSheet("<row r=\"1\"><c r=\"B1\"><v>1</v></c><c r=\"A1\"><v>2</v></c></row>") << 1 << normal
            << "lists the cells of row 1 out of order";
        QTest::newRow("cell in another row")
            << withSheet("<row r=\"1\"><c r=\"A2\"><v>1</v></c></row>") << 1 << normal << "lists cell \"A2\" in row 1";
        QTest::newRow("missing shared text") << withSheet("<row><c t=\"s\"><v>1</v></c></row>", {}, "<si><t>a</t></si>")
                                             << 1 << normal << "has cell A1 pointing to shared text number \"1\"";
        QTest::newRow("number that is none") << withSheet("<row><c><v>12,50</v></c></row>") << 1 << normal
                                             << "has cell A1 holding \"12,50\", which is not a number";
        QTest::newRow("number beyond a double")
            << withSheet("<row><c><v>0." + QByteArray(1000, '0') + "1</v></c></row>") << 1 << normal
            << QStringLiteral("has cell A1 holding \"0.%1...\", which is not a number").arg(QString(38, u'0'));

        Entries noRelationship = good;
        replaceEntry(noRelationship, QStringLiteral("xl/_rels/workbook.xml.rels"), "<Relationships/>");
        QTest::newRow("sheet without relationship")
            << writeZip(noRelationship) << 1 << normal << "names sheet \"Wages\" but not where it is stored";
        Entries noSheetPart = good;
        noSheetPart.removeLast();
        QTest::newRow("sheet part missing")
            << writeZip(noSheetPart) << 1 << normal << "worksheet 1 (\"Wages\") is missing from the file";
    }
    void sharedTexts_pastTheirCount_refused()
    {
        XlsxReader reader(writeZip(workbookWith(sheetXml("<row><c t=\"s\"><v>0</v></c></row>"),
                                                "<si><t>a</t></si><si><t>b</t></si><si><t>c</t></si>")));
        reader.setMaxSharedTexts(2);
        const std::optional<QString> failure = reader.readRows(1, 1, [](int, const XlsxRow&) { return true; });
        QVERIFY(failure.has_value());
        QVERIFY2(failure->contains(QStringLiteral("the shared texts hold more than 2 texts")), qPrintable(*failure));
        QStringList read;
        XlsxReader fits(reader.path());
        fits.setMaxSharedTexts(3);
        QCOMPARE(fits.readRows(1, 1,
                               [&read](int, const XlsxRow& row) {
                                   read << row[0].text;
                                   return true;
                               }),
                 std::nullopt);
        QCOMPARE(read, QStringList{QStringLiteral("a")});
    }

    void failures()
    {
        QFETCH(QString, path);
        QFETCH(int, sheet);
        QFETCH(qint64, maxPartSize);
        QFETCH(QString, says);

        const Read read = readFile(path, sheet, 12, maxPartSize);
        QVERIFY(read.failure.has_value());
        QVERIFY2(read.failure->startsWith(
                     QStringLiteral("The workbook \"%1\" cannot be read: ").arg(QDir::toNativeSeparators(path))),
                 qPrintable(*read.failure));
        QVERIFY2(read.failure->contains(says), qPrintable(*read.failure));
    }
};

QTEST_GUILESS_MAIN(TestXlsxReader)
#include "tst_xlsxreader.moc"
