#include "tests/support/workbookwriter.h"

#include "common/xlsxreader.h"

#include <QFile>

#include <zip.h>

namespace wagetrove::test {
namespace {

const QByteArray kHead = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                         "\n";
const QByteArray kMain = R"( xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
const QByteArray kRelations = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
const QByteArray kRelationType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

QByteArray columnName(qsizetype column)
{
    QByteArray name;
    for (qsizetype n = column + 1; n > 0; n = (n - 1) / 26) {
        name.prepend(char('A' + (n - 1) % 26));
    }
    return name;
}

QByteArray sheetXml(const SheetRows& rows)
{
    QByteArray xml = kHead + "<worksheet" + kMain + "><sheetData>";
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QByteArray rowNumber = QByteArray::number(r + 1);
        xml += R"(<row r=")" + rowNumber + R"(">)";
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            const QVariant& value = rows[r][c];
            const QByteArray cell = R"(<c r=")" + columnName(c) + rowNumber + '"';
            if (value.typeId() == QMetaType::Bool) {
                xml += cell + R"( t="b"><v>)" + (value.toBool() ? "1" : "0") + "</v></c>";
            } else if (value.typeId() == QMetaType::QString) {
                xml += cell + R"( t="inlineStr"><is><t xml:space="preserve">)" +
                       value.toString().toHtmlEscaped().toUtf8() + "</t></is></c>";
            } else if (value.isValid()) {
                xml += cell + "><v>" + value.toString().toUtf8() + "</v></c>";
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
    QByteArray workbook = kHead + "<workbook" + kMain + R"( xmlns:r=")" + kRelationType.chopped(1) + R"("><sheets>)";
    QByteArray relations = kHead + kRelations;
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        workbook += R"(<sheet name="Sheet)" + n + R"(" sheetId=")" + n + R"(" r:id="rId)" + n + R"("/>)";
        relations += R"(<Relationship Id="rId)" + n + R"(" Type=")" + kRelationType +
                     R"(worksheet" Target="worksheets/sheet)" + n + R"(.xml"/>)";
        parts.append({"xl/worksheets/sheet" + n + ".xml", sheetXml(sheets[i])});
    }
    parts.append({"_rels/.rels", kHead + kRelations + R"(<Relationship Id="rId1" Type=")" + kRelationType +
                                     R"(officeDocument" Target="xl/workbook.xml"/></Relationships>)"});
    parts.append({"xl/workbook.xml", workbook + "</sheets></workbook>"});
    parts.append({"xl/_rels/workbook.xml.rels", relations + "</Relationships>"});
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
