#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct zip;
struct zip_file;

namespace wagetrove {

/// One cell's value as text, the way a cell's value reads when converted to text.
struct XlsxCell
{
    /// Shared and inline strings as written (rich-text runs joined, phonetic hints left out), numbers in plain
    /// decimal form with at most 15 significant digits ("12345", "1234.5", "0.01"), truth values as "True" or
    /// "False", error values as written ("#DIV/0!"), formulas by their stored result, and "" for an empty cell.
    QString text;
    /// A formula whose result the file does not hold (its writer never calculated it). The text is then empty,
    /// which must not be taken for an empty cell or for zero.
    bool uncachedFormula = false;
};

/// The first columns of one row; element 0 is column A.
using XlsxRow = std::vector<XlsxCell>;

/// Called for each row in order, with its 1-based number. Returning false stops reading without a failure.
using XlsxRowHandler = std::function<bool(int rowNumber, const XlsxRow& row)>;

/// Reads the cells of .xlsx workbooks (Office Open XML spreadsheets) straight from the file, row by row.
///
/// Worksheets are numbered from 1 in the order of the workbook's sheet tabs; chart sheets do not count.
/// A worksheet's used range runs from row 1 to the larger of the last row of its <dimension> (when the file
/// has one) and the last row that holds a cell element; rows in between that the file leaves out read as rows
/// of empty cells.
///
/// Every failure comes back as one message that names the file and says what is wrong. Refused are: files that
/// are no zip archive or lack the workbook's parts, parts that are not well-formed XML or declare a document type,
/// sheets reaching beyond kMaxRows rows or kMaxColumns columns, rows or cells out of order, a part that would
/// unpack to more than the part size limit, and shared texts, which are held in memory, beyond a quarter of it.
/// The shared texts of a workbook, kept in one buffer with the end of each: a sheet can hold millions of short
/// texts, and a text object each would take many times their size.
class XlsxSharedTexts
{
public:
    void clear();
    size_t size() const { return m_ends.size(); }
    /// Appends a text; false when the buffer would pass what its positions can address.
    bool add(QStringView text);
    QString at(size_t index) const;

private:
    QString m_text;
    std::vector<quint32> m_ends;
};

class XlsxReader
{
public:
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;
    /// The most bytes one part of the workbook (a worksheet) may unpack to: about three times the XML of a
    /// full-height sheet of a dozen columns. Worksheets are read as a stream, so this bounds time, not memory.
    static constexpr qint64 kDefaultMaxPartSize = qint64(1) << 30;
    /// The shared texts stay in memory, at several times their size in XML; they get this share of the limit.
    static constexpr int kSharedStringsShare = 4;
    /// The most shared texts read: more than a full-height sheet of a dozen columns of different texts.
    static constexpr size_t kDefaultMaxSharedTexts = size_t(1) << 24;
    /// The longest stretch of XML read without one element, text or end in it (a comment, an attribute value):
    /// far more than a cell can hold. A longer one is refused before more is read.
    static constexpr qint64 kMaxTokenBytes = qint64(4) << 20;

    explicit XlsxReader(QString path);
    ~XlsxReader();
    XlsxReader(const XlsxReader&) = delete;
    XlsxReader& operator=(const XlsxReader&) = delete;

    const QString& path() const { return m_path; }

    /// Lowers or raises the part size limit; checked against the declared size and the bytes actually unpacked.
    void setMaxPartSize(qint64 bytes) { m_maxPartSize = bytes; }
    /// Lowers or raises the number of shared texts read.
    void setMaxSharedTexts(size_t count) { m_maxSharedTexts = count; }

    /// Opens the workbook and reads its list of worksheets. Returns the failure message, or nothing.
    std::optional<QString> open();

    /// The number of worksheets; 0 until open() has succeeded.
    int sheetCount() const { return static_cast<int>(m_worksheets.size()); }

    /// The worksheet the workbook opens on (its active tab), 1-based; 1 when no tab is marked or the marked one is
    /// not a worksheet. Valid once open() has succeeded.
    int activeSheet() const { return m_activeSheet; }

    /// The XML of worksheet sheetPosition (1-based) as stored, and the index of its entry in archive(), for writers
    /// that copy the workbook with that sheet changed. Opens the workbook first when needed. Returns the failure
    /// message, or nothing.
    std::optional<QString> readSheetXml(int sheetPosition, QByteArray& xml, qint64& entryIndex);

    /// The open archive, for copying its entries; null until open() has succeeded.
    zip* archive() const { return m_zip; }

    /// Hands every row of the used range of worksheet sheetPosition (1-based) to onRow, each with exactly
    /// columnCount cells; columns after those are skipped. Opens the workbook first when needed. Returns the
    /// failure message, or nothing when every row was read or onRow stopped the reading. Rows handed over
    /// before a failure stay handed over.
    std::optional<QString> readRows(int sheetPosition, int columnCount, const XlsxRowHandler& onRow);

private:
    struct Worksheet
    {
        QString name;
        QString partName;
    };

    QString failure(const QString& what) const;
    std::optional<QString> checkSheetPosition(int sheetPosition) const;
    std::optional<QString> openArchive();
    std::optional<QString> loadSharedStrings();
    struct ClosePart
    {
        void operator()(zip_file* file) const;
    };
    using PartFile = std::unique_ptr<zip_file, ClosePart>;
    enum class PartFault
    {
        DocumentType,
        TextTooLong,
        TokenTooLong,
    };

    PartFile openPart(const QString& partName, const QString& label, qint64 maxSize,
                      std::optional<QString>& failed) const;
    /// Why the slice of `read` bytes zip_fread() just returned ends the reading (a failure, or more than maxSize
    /// in all), or nothing; `unpacked` counts the bytes so far.
    std::optional<QString> sliceFailure(zip_file* file, qint64 read, const QString& label, qint64 maxSize,
                                        qint64& unpacked) const;
    QString partTooLarge(const QString& label, qint64 maxSize) const;
    QString brokenPart(const QString& label, PartFault fault) const;
    QString brokenXml(const QString& label, qint64 line, const char* error) const;
    /// Reads a part with the fast tokenizer, or with expat when the part is not plain UTF-8.
    template <class Handler>
    std::optional<QString> parsePart(const QString& partName, const QString& label, qint64 maxSize, Handler& handler);
    template <class Handler>
    std::optional<QString> parsePartWithExpat(const QString& partName, const QString& label, qint64 maxSize,
                                              Handler& handler);

    QString m_path;
    qint64 m_maxPartSize = kDefaultMaxPartSize;
    size_t m_maxSharedTexts = kDefaultMaxSharedTexts;
    zip* m_zip = nullptr;
    std::vector<Worksheet> m_worksheets;
    int m_activeSheet = 1;
    QString m_sharedStringsPart;
    bool m_sharedStringsLoaded = false;
    XlsxSharedTexts m_sharedStrings;
};

} // namespace wagetrove
