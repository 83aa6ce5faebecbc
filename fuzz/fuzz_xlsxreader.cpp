// Workbooks as the user chooses them for the wage import. An input that starts like a zip archive ("PK") is the
// workbook file itself. Any other input is a workbook in loose parts, each "== PART-NAME" line starting one part,
// packed here into an archive that stores its parts as they are, so that the fuzzer reaches the XML readers
// without first having to get the archive's checksums right. Every worksheet is read as the import reads it.
#include "common/xlsxreader.h"
#include "fuzz/fuzzsupport.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <vector>
#include <zip.h>

using wagetrove::XlsxCell;
using wagetrove::XlsxReader;
using wagetrove::XlsxRow;
using wagetrove::fuzz::require;

namespace {

// Enough for the sheets a small input unpacks to; a larger limit would only let zip bombs use up the time.
constexpr qint64 kMaxPartSize = qint64(16) << 20;
// A <dimension> can make a tiny sheet a million rows tall; the rows after these are left unread.
constexpr int kMaxRowsRead = 3000;
constexpr int kMaxSheetsRead = 4;
constexpr int kMaxParts = 32;
// The wages sheet has twelve columns, the employer sheet eight; a row compared across the two readings.
constexpr int kWagesColumns = 12;
constexpr int kEmployerColumns = 8;
constexpr int kRowsCompared = 64;

const QString& workbookPath()
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("input.xlsx"));
    return path;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

/// Packs the loose parts into a workbook at path. An input naming no part leaves no file.
bool writeParts(const QString& path, const QByteArray& input)
{
    QFile::remove(path);
    std::vector<std::pair<QByteArray, QByteArray>> parts; // name, content
    const QByteArray mark = "== ";
    qsizetype at = input.startsWith(mark) ? 0 : input.indexOf("\n" + mark);
    while (at >= 0 && int(parts.size()) < kMaxParts) {
        const qsizetype nameStart = at + (input[at] == '\n' ? 1 : 0) + mark.size();
        const qsizetype nameEnd = input.indexOf('\n', nameStart);
        if (nameEnd < 0) {
            break;
        }
        const qsizetype next = input.indexOf("\n" + mark, nameEnd);
        const qsizetype contentEnd = next < 0 ? input.size() : next;
        parts.emplace_back(input.mid(nameStart, nameEnd - nameStart), input.mid(nameEnd + 1, contentEnd - nameEnd - 1));
        at = next;
    }
    if (parts.empty()) {
        return true;
    }

    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) {
        return false;
    }
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
        if (!source) {
            continue;
        }
        const zip_int64_t index = zip_file_add(archive, name.constData(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            continue;
        }
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return false;
    }
    return true;
}

/// Reads the sheet as the import does and checks what readRows() promises: rows numbered on from 1 without a
/// gap, each exactly as wide as asked, a formula without its result read as no text.
void readSheet(XlsxReader& reader, int sheet)
{
    std::vector<QStringList> wide;
    int lastRow = 0;
    const std::optional<QString> failed = reader.readRows(sheet, kWagesColumns, [&](int rowNumber, const XlsxRow& row) {
        require(rowNumber == lastRow + 1);
        require(row.size() == size_t(kWagesColumns));
        lastRow = rowNumber;
        QStringList texts;
        for (const XlsxCell& cell : row) {
            require(!cell.uncachedFormula || cell.text.isEmpty());
            texts.append(cell.text);
        }
        if (int(wide.size()) < kRowsCompared) {
            wide.push_back(texts);
        }
        return rowNumber < kMaxRowsRead;
    });
    require(!failed || !failed->isEmpty());
    if (failed) {
        return;
    }

    // Fewer columns read the same cells: the columns after those asked for are skipped, not shifted.
    size_t compared = 0;
    const std::optional<QString> narrowFailed =
        reader.readRows(sheet, kEmployerColumns, [&](int rowNumber, const XlsxRow& row) {
            require(row.size() == size_t(kEmployerColumns));
            if (compared < wide.size()) {
                for (int column = 0; column < kEmployerColumns; ++column) {
                    require(row[size_t(column)].text == wide[compared][column]);
                }
                ++compared;
            }
            return rowNumber < kRowsCompared;
        });
    require(!narrowFailed);
    require(compared == wide.size());

    QByteArray xml;
    qint64 entry = -1;
    if (!reader.readSheetXml(sheet, xml, entry)) {
        require(entry >= 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = wagetrove::fuzz::bytesOf(data, size);
    const QString& path = workbookPath();
    if (!(input.startsWith("PK") ? writeFile(path, input) : writeParts(path, input))) {
        return 0;
    }

    XlsxReader reader(path);
    reader.setMaxPartSize(kMaxPartSize);
    if (const std::optional<QString> failed = reader.open()) {
        require(!failed->isEmpty());
        return 0;
    }
    require(reader.activeSheet() >= 1 && reader.activeSheet() <= std::max(1, reader.sheetCount()));
    for (int sheet = 1; sheet <= std::min(reader.sheetCount(), kMaxSheetsRead); ++sheet) {
        readSheet(reader, sheet);
    }
    require(
        reader.readRows(reader.sheetCount() + 1, kWagesColumns, [](int, const XlsxRow&) { return true; }).has_value());
    return 0;
}
