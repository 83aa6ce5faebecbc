#include "writers/workbooktemplate.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QXmlStreamReader>

#include <zip.h>

namespace wagetrove {

namespace {

// A template's parts are small; anything larger is not a template.
constexpr qint64 kMaxTemplatePartSize = qint64(64) << 20;
// The deflate level of the new sheet: close to the best ratio, several times faster than level 9.
constexpr zip_uint32_t kDeflateLevel = 6;

QByteArray columnName(int column)
{
    QByteArray name;
    for (int rest = column; rest > 0; rest = (rest - 1) / 26) {
        name.prepend(char('A' + (rest - 1) % 26));
    }
    return name;
}

bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

QByteArray escapedText(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (isXmlCharacter(c)) {
            kept.append(QString::fromUcs4(&c, 1));
        }
    }
    return kept.toHtmlEscaped().toUtf8();
}

} // namespace

WorkbookTemplate::WorkbookTemplate(const QString& templatePath, int firstRow) : m_reader(templatePath)
{
    const QFileInfo info(templatePath);
    if (!info.exists()) {
        fail(QStringLiteral("is missing"));
    }
    if (!info.isFile()) {
        fail(QStringLiteral("is not a file"));
    }
    m_reader.setMaxPartSize(kMaxTemplatePartSize);
    if (m_reader.open()) {
        fail(QStringLiteral("is not a workbook"));
    }
    QByteArray sheetXml;
    if (const std::optional<QString> failure = m_reader.readSheetXml(m_reader.activeSheet(), sheetXml, m_sheetIndex)) {
        throw WorkbookTemplateError{*failure};
    }
    splitSheet(QString::fromUtf8(sheetXml), firstRow);
    m_nextRow = firstRow;
}

WorkbookTemplate::~WorkbookTemplate() = default;

void WorkbookTemplate::fail(const QString& what) const
{
    throw WorkbookTemplateError{
        QStringLiteral("The template %1 %2.").arg(QDir::toNativeSeparators(m_reader.path()), what)};
}

void WorkbookTemplate::splitSheet(const QString& sheetXml, int firstRow)
{
    QXmlStreamReader reader(sheetXml);
    qint64 sheetDataStart = -1;
    qint64 sheetDataOpenEnd = -1;
    qint64 sheetDataEnd = -1;
    qint64 rowStart = -1;
    int rowNumber = 0;
    QString keptRows;
    QString openTag;
    QString closeTag;
    while (!reader.atEnd()) {
        const qint64 before = reader.characterOffset();
        const QXmlStreamReader::TokenType token = reader.readNext();
        const qint64 after = reader.characterOffset();
        if (token == QXmlStreamReader::DTD) {
            fail(QStringLiteral("has a document type in its sheet"));
        }
        if (token == QXmlStreamReader::StartElement) {
            if (reader.name() == QLatin1String("col")) {
                const auto attributes = reader.attributes();
                m_columnStyles.push_back({attributes.value(QLatin1String("min")).toInt(),
                                          attributes.value(QLatin1String("max")).toInt(),
                                          escapedText(attributes.value(QLatin1String("style")).toString())});
            } else if (reader.name() == QLatin1String("sheetData")) {
                sheetDataStart = before;
                sheetDataOpenEnd = after;
                m_prefix = reader.prefix().isEmpty() ? QByteArray() : reader.prefix().toUtf8() + ':';
                openTag = sheetXml.mid(before, after - before);
            } else if (reader.name() == QLatin1String("row") && sheetDataOpenEnd >= 0 && sheetDataEnd < 0) {
                rowStart = before;
                const auto r = reader.attributes().value(QLatin1String("r"));
                rowNumber = r.isEmpty() ? rowNumber + 1 : r.toInt();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (reader.name() == QLatin1String("sheetData")) {
                sheetDataEnd = after;
                // <sheetData/> reports its end without reading further.
                closeTag = after == sheetDataOpenEnd ? QString() : sheetXml.mid(before, after - before);
            } else if (reader.name() == QLatin1String("row") && rowStart >= 0) {
                if (rowNumber < firstRow) {
                    keptRows += sheetXml.mid(rowStart, after - rowStart);
                }
                rowStart = -1;
            }
        }
    }
    if (reader.hasError() || sheetDataEnd < 0) {
        fail(QStringLiteral("has a damaged sheet"));
    }
    if (closeTag.isEmpty()) {
        openTag = QLatin1Char('<') + QString::fromUtf8(m_prefix) + QStringLiteral("sheetData>");
        closeTag = QStringLiteral("</") + QString::fromUtf8(m_prefix) + QStringLiteral("sheetData>");
    }
    m_head = (sheetXml.left(sheetDataStart) + openTag + keptRows).toUtf8();
    m_tail = (closeTag + sheetXml.mid(sheetDataEnd)).toUtf8();
}

void WorkbookTemplate::closeRow()
{
    if (m_rowOpen) {
        m_rows += "</" + m_prefix + "row>";
        m_rowOpen = false;
        ++m_nextRow;
    }
}

void WorkbookTemplate::beginRow()
{
    closeRow();
    if (m_nextRow > XlsxReader::kMaxRows) {
        throw WorkbookTemplateError{QStringLiteral("A sheet holds no more than %1 rows.").arg(XlsxReader::kMaxRows)};
    }
    m_rows += '<' + m_prefix + "row r=\"" + QByteArray::number(m_nextRow) + "\">";
    m_rowOpen = true;
}

void WorkbookTemplate::openCell(int column, const char* type)
{
    m_rows += '<' + m_prefix + "c r=\"" + columnName(column) + QByteArray::number(m_nextRow) + '"';
    for (const ColumnStyle& declared : m_columnStyles) {
        if (column >= declared.min && column <= declared.max && !declared.style.isEmpty() && declared.style != "0") {
            m_rows += " s=\"" + declared.style + '"';
            break;
        }
    }
    if (type) {
        m_rows += QByteArray(" t=\"") + type + '"';
    }
    m_rows += '>';
}

void WorkbookTemplate::addText(int column, const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    const QByteArray& p = m_prefix;
    openCell(column, "inlineStr");
    m_rows += '<' + p + "is><" + p + "t xml:space=\"preserve\">" + escapedText(text) + "</" + p + "t></" + p + "is></" +
              p + "c>";
}

void WorkbookTemplate::addNumber(int column, const QString& plainDecimal)
{
    const QByteArray& p = m_prefix;
    openCell(column, nullptr);
    m_rows += '<' + p + "v>" + plainDecimal.toLatin1() + "</" + p + "v></" + p + "c>";
}

QByteArray WorkbookTemplate::finish()
{
    closeRow();
    const QByteArray sheet = m_head + m_rows + m_tail;

    zip_error_t error;
    zip_error_init(&error);
    const auto finishError = qScopeGuard([&error] { zip_error_fini(&error); });
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer) {
        throw WorkbookTemplateError{QStringLiteral("The workbook could not be built (%1).")
                                        .arg(QString::fromLocal8Bit(zip_error_strerror(&error)))};
    }
    // The buffer outlives the archive written into it: its bytes are the result.
    zip_source_keep(buffer);
    const auto freeBuffer = qScopeGuard([buffer] { zip_source_free(buffer); });
    zip_t* out = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!out) {
        throw WorkbookTemplateError{QStringLiteral("The workbook could not be built (%1).")
                                        .arg(QString::fromLocal8Bit(zip_error_strerror(&error)))};
    }
    const auto buildFailure = [out] {
        const QString reason = QString::fromLocal8Bit(zip_strerror(out));
        zip_discard(out);
        return WorkbookTemplateError{QStringLiteral("The workbook could not be built (%1).").arg(reason)};
    };

    zip_t* const templateArchive = m_reader.archive();
    const zip_int64_t count = zip_get_num_entries(templateArchive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(templateArchive, zip_uint64_t(i), ZIP_FL_ENC_RAW);
        if (!name) {
            throw buildFailure();
        }
        if (QByteArray(name).endsWith('/')) {
            if (zip_dir_add(out, name, 0) < 0) {
                throw buildFailure();
            }
            continue;
        }
        const bool isSheet = i == m_sheetIndex;
        zip_source_t* source = isSheet ? zip_source_buffer(out, sheet.constData(), zip_uint64_t(sheet.size()), 0)
                                       : zip_source_zip(out, templateArchive, zip_uint64_t(i), 0, 0, -1);
        if (!source) {
            throw buildFailure();
        }
        const zip_int64_t added = zip_file_add(out, name, source, 0);
        if (added < 0) {
            zip_source_free(source);
            throw buildFailure();
        }
        if (isSheet) {
            // The template's own time keeps the same quarter's workbook byte for byte the same.
            zip_stat_t stat;
            zip_stat_init(&stat);
            if (zip_set_file_compression(out, zip_uint64_t(added), ZIP_CM_DEFLATE, kDeflateLevel) != 0 ||
                (zip_stat_index(templateArchive, zip_uint64_t(i), 0, &stat) == 0 && (stat.valid & ZIP_STAT_MTIME) &&
                 zip_file_set_mtime(out, zip_uint64_t(added), stat.mtime, 0) != 0)) {
                throw buildFailure();
            }
        }
    }
    if (zip_close(out) != 0) {
        throw buildFailure();
    }

    QByteArray bytes;
    if (zip_source_open(buffer) != 0) {
        throw WorkbookTemplateError{QStringLiteral("The workbook could not be read back.")};
    }
    const auto closeBuffer = qScopeGuard([buffer] { zip_source_close(buffer); });
    char chunk[65536];
    zip_int64_t read = 0;
    while ((read = zip_source_read(buffer, chunk, sizeof chunk)) > 0) {
        bytes.append(chunk, qsizetype(read));
    }
    if (read < 0) {
        throw WorkbookTemplateError{QStringLiteral("The workbook could not be read back.")};
    }
    return bytes;
}

} // namespace wagetrove
