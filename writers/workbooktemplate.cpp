#include "writers/workbooktemplate.h"

#include "common/xlsxreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QXmlStreamReader>

#include <zip.h>

namespace wagetrove {

namespace {

const QString kRelationshipsNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
// A template's parts are small; anything larger is not a template.
constexpr zip_uint64_t kMaxTemplatePartSize = zip_uint64_t(64) << 20;
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

// "xl/" for "xl/workbook.xml"; empty for the package itself.
QString folderOf(const QString& part)
{
    return part.left(part.lastIndexOf(QLatin1Char('/')) + 1);
}

// The part a relationship's target names, relative to the part that holds the relationship.
QString resolvedTarget(const QString& sourcePart, const QString& target)
{
    if (target.startsWith(QLatin1Char('/'))) {
        return target.mid(1);
    }
    return QDir::cleanPath(folderOf(sourcePart) + target);
}

QString relationshipsPartOf(const QString& part)
{
    return folderOf(part) + QStringLiteral("_rels/") + part.mid(folderOf(part).size()) + QStringLiteral(".rels");
}

// A document type could pull in entities; no workbook part has one.
bool readsOn(QXmlStreamReader& reader)
{
    return !reader.atEnd() && reader.readNext() != QXmlStreamReader::DTD;
}

} // namespace

WorkbookTemplate::WorkbookTemplate(const QString& templatePath, int firstRow) : m_path(templatePath)
{
    const QFileInfo info(templatePath);
    if (!info.exists()) {
        fail(QStringLiteral("is missing"));
    }
    if (!info.isFile()) {
        fail(QStringLiteral("is not a file"));
    }
    int error = 0;
    m_zip = zip_open(QFile::encodeName(templatePath).constData(), ZIP_RDONLY, &error);
    if (!m_zip) {
        fail(QStringLiteral("is not a workbook"));
    }
    try {
        const QString sheetPart = activeSheetPart();
        splitSheet(QString::fromUtf8(readPart(sheetPart)), firstRow);
        m_sheetIndex = locatePart(sheetPart);
    } catch (...) {
        zip_discard(m_zip);
        m_zip = nullptr;
        throw;
    }
    m_nextRow = firstRow;
}

WorkbookTemplate::~WorkbookTemplate()
{
    if (m_zip) {
        zip_discard(m_zip);
    }
}

void WorkbookTemplate::fail(const QString& what) const
{
    throw WorkbookTemplateError{QStringLiteral("The template %1 %2.").arg(QDir::toNativeSeparators(m_path), what)};
}

qint64 WorkbookTemplate::locatePart(const QString& partName) const
{
    const QByteArray name = partName.toUtf8();
    const zip_int64_t index = zip_name_locate(m_zip, name.constData(), 0);
    return index >= 0 ? index : zip_name_locate(m_zip, name.constData(), ZIP_FL_NOCASE);
}

QByteArray WorkbookTemplate::readPart(const QString& partName) const
{
    const zip_int64_t index = locatePart(partName);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (index < 0 || zip_stat_index(m_zip, zip_uint64_t(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        fail(QStringLiteral("has no part %1").arg(partName));
    }
    if (stat.size > kMaxTemplatePartSize) {
        fail(QStringLiteral("has a part %1 too large for a template").arg(partName));
    }
    zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file) {
        fail(QStringLiteral("cannot be unpacked (%1)").arg(QString::fromLocal8Bit(zip_strerror(m_zip))));
    }
    const auto closeFile = qScopeGuard([file] { zip_fclose(file); });
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    if (zip_fread(file, bytes.data(), stat.size) != zip_int64_t(stat.size)) {
        fail(QStringLiteral("cannot be unpacked (%1)").arg(QString::fromLocal8Bit(zip_file_strerror(file))));
    }
    return bytes;
}

QString WorkbookTemplate::activeSheetPart()
{
    const auto relationshipTarget = [this](const QString& sourcePart, const auto& matches) {
        const QString relsPart = relationshipsPartOf(sourcePart);
        QXmlStreamReader reader(readPart(relsPart));
        while (readsOn(reader)) {
            if (reader.isStartElement() && reader.name() == QLatin1String("Relationship") && matches(reader)) {
                return resolvedTarget(sourcePart, reader.attributes().value(QLatin1String("Target")).toString());
            }
        }
        fail(QStringLiteral("has no usable relationship in %1").arg(relsPart));
    };

    const QString workbookPart = relationshipTarget(QString(), [](const QXmlStreamReader& reader) {
        return reader.attributes().value(QLatin1String("Type")).endsWith(QLatin1String("/officeDocument"));
    });

    QXmlStreamReader reader(readPart(workbookPart));
    int activeTab = 0;
    std::vector<QString> sheetIds;
    while (readsOn(reader)) {
        if (!reader.isStartElement()) {
            continue;
        }
        if (reader.name() == QLatin1String("workbookView") &&
            reader.attributes().hasAttribute(QLatin1String("activeTab"))) {
            activeTab = reader.attributes().value(QLatin1String("activeTab")).toInt();
        } else if (reader.name() == QLatin1String("sheet")) {
            sheetIds.push_back(reader.attributes().value(kRelationshipsNamespace, QLatin1String("id")).toString());
        }
    }
    if (reader.hasError() || reader.tokenType() == QXmlStreamReader::DTD) {
        fail(QStringLiteral("has a damaged workbook part"));
    }
    if (activeTab < 0 || activeTab >= int(sheetIds.size())) {
        fail(QStringLiteral("has no active sheet"));
    }
    const QString sheetId = sheetIds[size_t(activeTab)];
    const QString sheetPart = relationshipTarget(workbookPart, [&sheetId](const QXmlStreamReader& relation) {
        return relation.attributes().value(QLatin1String("Id")) == sheetId;
    });
    return sheetPart;
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
                                          attributes.value(QLatin1String("style")).toString()});
            } else if (reader.name() == QLatin1String("sheetData")) {
                sheetDataStart = before;
                sheetDataOpenEnd = after;
                m_prefix = reader.prefix().isEmpty() ? QString() : reader.prefix().toString() + QLatin1Char(':');
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
        openTag = QLatin1Char('<') + m_prefix + QStringLiteral("sheetData>");
        closeTag = QStringLiteral("</") + m_prefix + QStringLiteral("sheetData>");
    }
    m_head = (sheetXml.left(sheetDataStart) + openTag + keptRows).toUtf8();
    m_tail = (closeTag + sheetXml.mid(sheetDataEnd)).toUtf8();
}

void WorkbookTemplate::closeRow()
{
    if (m_rowOpen) {
        m_rows += "</" + m_prefix.toUtf8() + "row>";
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
    m_rows += '<' + m_prefix.toUtf8() + "row r=\"" + QByteArray::number(m_nextRow) + "\">";
    m_rowOpen = true;
}

void WorkbookTemplate::openCell(int column, const char* type)
{
    m_rows += '<' + m_prefix.toUtf8() + "c r=\"" + columnName(column) + QByteArray::number(m_nextRow) + '"';
    for (const ColumnStyle& declared : m_columnStyles) {
        if (column >= declared.min && column <= declared.max && !declared.style.isEmpty() &&
            declared.style != QLatin1String("0")) {
            m_rows += " s=\"" + escapedText(declared.style) + '"';
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
    const QByteArray p = m_prefix.toUtf8();
    openCell(column, "inlineStr");
    m_rows += '<' + p + "is><" + p + "t xml:space=\"preserve\">" + escapedText(text) + "</" + p + "t></" + p + "is></" +
              p + "c>";
}

void WorkbookTemplate::addNumber(int column, const QString& plainDecimal)
{
    const QByteArray p = m_prefix.toUtf8();
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

    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_zip, zip_uint64_t(i), ZIP_FL_ENC_RAW);
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
                                       : zip_source_zip(out, m_zip, zip_uint64_t(i), 0, 0, -1);
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
                (zip_stat_index(m_zip, zip_uint64_t(i), 0, &stat) == 0 && (stat.valid & ZIP_STAT_MTIME) &&
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
