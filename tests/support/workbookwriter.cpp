#include "tests/support/workbookwriter.h"

#include "common/xlsxreader.h"

#include <string>
#include <vector>
#include <zip.h>

namespace wagetrove::test {
namespace {

std::string escaped(const QString& text)
{
    return text.toHtmlEscaped().toStdString();
}

std::string columnName(int column)
{
    std::string name;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) {
        name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return name;
}

std::string sheetXml(const SheetRows& rows)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const std::string rowNumber = std::to_string(r + 1);
        xml += "<row r=\"" + rowNumber + "\">";
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            const QVariant& value = rows[r][c];
            const std::string ref = columnName(static_cast<int>(c)) + rowNumber;
            switch (value.typeId()) {
            case QMetaType::UnknownType:
                break;
            case QMetaType::Bool:
                xml += "<c r=\"" + ref + "\" t=\"b\"><v>" + (value.toBool() ? "1" : "0") + "</v></c>";
                break;
            case QMetaType::QString:
                xml += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">" +
                       escaped(value.toString()) + "</t></is></c>";
                break;
            default:
                xml += "<c r=\"" + ref + "\"><v>" + value.toString().toStdString() + "</v></c>";
                break;
            }
        }
        xml += "</row>";
    }
    return xml + "</sheetData></worksheet>";
}

} // namespace

bool writeWorkbook(const QString& path, const QList<SheetRows>& sheets)
{
    std::vector<std::pair<std::string, std::string>> parts;
    std::string types = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Types "
                        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default "
                        "Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                        "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Override "
                        "PartName=\"/xl/workbook.xml\" "
                        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>";
    std::string workbook = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<workbook "
                           "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>";
    std::string relations = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
                            "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        types += "<Override PartName=\"/xl/worksheets/sheet" + n +
                 ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        workbook += "<sheet name=\"Sheet" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        relations += "<Relationship Id=\"rId" + n +
                     "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                     "Target=\"worksheets/sheet" +
                     n + ".xml\"/>";
        parts.emplace_back("xl/worksheets/sheet" + n + ".xml", sheetXml(sheets[i]));
    }
    parts.emplace_back("[Content_Types].xml", types + "</Types>");
    parts.emplace_back("_rels/.rels",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
                       "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                       "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    parts.emplace_back("xl/workbook.xml", workbook + "</sheets></workbook>");
    parts.emplace_back("xl/_rels/workbook.xml.rels", relations + "</Relationships>");

    int error = 0;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        return false;
    }
    for (const auto& [name, text] : parts) {
        zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
        if (source == nullptr || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    // The buffers must live until the archive is written.
    return zip_close(archive) == 0;
}

QStringList sheetRowTexts(const QString& path, int columns)
{
    QStringList rows;
    XlsxReader reader(path);
    const auto failure = reader.readRows(1, columns, [&rows](int, const XlsxRow& row) {
        QStringList cells;
        for (const XlsxCell& cell : row) {
            cells << cell.text;
        }
        rows << cells.join(QLatin1Char('|'));
        return true;
    });
    if (failure) {
        rows << *failure;
    }
    return rows;
}

} // namespace wagetrove::test
