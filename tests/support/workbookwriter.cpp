#include "tests/support/workbookwriter.h"

#include "common/xlsxreader.h"

#include <QFile>

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
    ZipParts parts;
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
        parts.append({QByteArray::fromStdString("xl/worksheets/sheet" + n + ".xml"),
                      QByteArray::fromStdString(sheetXml(sheets[i]))});
    }
    parts.append({QByteArray("[Content_Types].xml"), QByteArray::fromStdString(types + "</Types>")});
    parts.append({QByteArray("_rels/.rels"),
                  QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
                             "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
                             "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                             "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>")});
    parts.append({QByteArray("xl/workbook.xml"), QByteArray::fromStdString(workbook + "</sheets></workbook>")});
    parts.append({QByteArray("xl/_rels/workbook.xml.rels"), QByteArray::fromStdString(relations + "</Relationships>")});
    return writeZip(path, parts);
}

ZipParts zipParts(const QString& path)
{
    ZipParts parts;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    for (zip_int64_t i = 0; archive && i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        QByteArray content(qsizetype(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        zip_fread(file, content.data(), stat.size);
        zip_fclose(file);
        parts.append({QByteArray(stat.name), content});
    }
    if (archive) {
        zip_discard(archive);
    }
    return parts;
}

bool writeZip(const QString& path, const ZipParts& parts)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        return false;
    }
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
        if (source == nullptr || zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
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
