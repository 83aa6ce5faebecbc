#include "common/xlsxreader.h"

#include "common/readahead.h"
#include "common/xmltokenizer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStringList>
#include <QUrl>

#include <charconv>
#include <cmath>
#include <cstring>
#include <expat.h>
#include <limits>
#include <string>
#include <string_view>
#include <zip.h>

namespace wagetrove {
namespace {

constexpr int kChunkSize = 256 * 1024;
constexpr qint64 kSaturated = qint64(1) << 40;
// A cell holds at most 32,767 characters; a text many times longer than that in UTF-8 means a damaged file.
constexpr size_t kMaxTextBytes = 1024 * 1024;
// The longest plain decimal of a double: "-0." and 323 zeros before the 15 digits of the smallest one.
constexpr size_t kNumberTextSize = 400;

bool isLocal(const char* name, const char* local)
{
    // Parts may put SpreadsheetML in any prefix ("x:c"); the local name is what identifies an element. Names are
    // a few letters long and compared for every element, so this is a loop of its own rather than library calls.
    for (const char* p = name; *p; ++p) {
        if (*p == ':') {
            name = p + 1;
            break;
        }
    }
    while (*name && *name == *local) {
        ++name;
        ++local;
    }
    return *name == *local;
}

const char* attribute(const char** attributes, const char* local)
{
    for (; *attributes; attributes += 2) {
        if (isLocal(attributes[0], local)) {
            return attributes[1];
        }
    }
    return nullptr;
}

QString columnName(qint64 column)
{
    QString name;
    while (column > 0 && name.size() < 8) {
        const qint64 digit = (column - 1) % 26;
        name.prepend(QLatin1Char(char('A' + digit)));
        column = (column - 1) / 26;
    }
    return name;
}

QString cellName(qint64 column, qint64 row)
{
    return columnName(column) + QString::number(row);
}

/// A text from the file for a message, cut short so that a damaged file cannot flood the message.
QString excerpt(std::string_view text)
{
    const bool cut = text.size() > 40;
    return QLatin1Char('"') + QString::fromUtf8(text.data(), qsizetype(cut ? 40 : text.size())) +
           QLatin1String(cut ? "...\"" : "\"");
}

struct CellReference
{
    qint64 column = 0; // 0 when the reference has no letters
    qint64 row = 0;    // 0 when it has no digits
};

/// "AB12" as column and row, saturating instead of overflowing; nothing when it is no cell reference at all.
/// The text ends at end, or at its terminating zero when end is null.
std::optional<CellReference> parseCellReference(const char* text, const char* end = nullptr)
{
    CellReference ref;
    const char* p = text;
    for (; p != end && *p >= 'A' && *p <= 'Z'; ++p) {
        ref.column = std::min(ref.column * 26 + (*p - 'A' + 1), kSaturated);
    }
    const char* digits = p;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
        ref.row = std::min(ref.row * 10 + (*p - '0'), kSaturated);
    }
    const bool atEnd = end ? p == end : *p == '\0';
    if (!atEnd || p == text || (p != digits && ref.row == 0)) {
        return std::nullopt;
    }
    return ref;
}

std::optional<qint64> parseRowNumber(const char* text)
{
    const std::optional<CellReference> ref = parseCellReference(text);
    if (!ref || ref->column != 0) {
        return std::nullopt;
    }
    return ref->row;
}

/// Writes number as plain decimal text rounded to 15 significant digits, the precision to which a spreadsheet
/// shows and converts a value, so that 0.30000000000000004 reads "0.3" and 1.0E-2 reads "0.01". Returns the
/// length written into out, which must hold kNumberTextSize bytes, or 0 when the text is not a finite number.
size_t formatNumber(std::string_view text, char* out)
{
    while (!text.empty() &&
           (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    if (text.empty() || text.front() == '+') {
        return 0;
    }

    // Plain decimals of up to 15 significant digits, the usual case, are copied without going through a double.
    {
        const bool negative = text.front() == '-';
        size_t i = negative ? 1 : 0;
        const size_t intStart = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
        }
        const size_t intEnd = i;
        size_t fracEnd = i;
        bool plain = intEnd > intStart;
        if (plain && i < text.size() && text[i] == '.') {
            ++i;
            const size_t fracStart = i;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                ++i;
            }
            fracEnd = i;
            plain = fracEnd > fracStart;
        }
        if (plain && i == text.size()) {
            size_t lead = intStart;
            while (lead + 1 < intEnd && text[lead] == '0') {
                ++lead;
            }
            size_t last = fracEnd;
            if (fracEnd > intEnd) {
                while (last > intEnd + 1 && text[last - 1] == '0') {
                    --last;
                }
                if (last == intEnd + 1) {
                    last = intEnd;
                }
            }
            size_t significant = 0;
            bool seenNonZero = false;
            bool allZero = true;
            for (size_t k = lead; k < last; ++k) {
                if (text[k] == '.') {
                    continue;
                }
                seenNonZero = seenNonZero || text[k] != '0';
                allZero = allZero && text[k] == '0';
                significant += seenNonZero ? 1 : 0;
            }
            // A fraction's leading zeros are not significant, yet must fit.
            if (significant <= 15 && last - lead <= 40) {
                size_t n = 0;
                if (negative && !allZero) {
                    out[n++] = '-';
                }
                std::memcpy(out + n, text.data() + lead, last - lead);
                return n + last - lead;
            }
        }
    }

    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return 0;
    }
    if (value == 0) {
        out[0] = '0';
        return 1;
    }
    char scientific[40];
    const char* const printedEnd =
        std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific, 14).ptr;
    // "-1.23450000000000e+03": the 15 digits, then the power of ten of the first one.
    const char* p = scientific + (value < 0 ? 1 : 0);
    char mantissa[16];
    size_t count = 0;
    for (; *p != 'e'; ++p) {
        if (*p != '.') {
            mantissa[count++] = *p;
        }
    }
    while (count > 1 && mantissa[count - 1] == '0') {
        --count;
    }
    ++p;
    const bool negativeExponent = *p++ == '-';
    int exponent = 0;
    for (; p < printedEnd; ++p) {
        exponent = exponent * 10 + (*p - '0');
    }
    if (negativeExponent) {
        exponent = -exponent;
    }

    size_t n = 0;
    if (value < 0) {
        out[n++] = '-';
    }
    const int pointAfter = exponent + 1; // digits before the decimal point
    if (pointAfter <= 0) {
        out[n++] = '0';
        out[n++] = '.';
        for (int k = 0; k < -pointAfter; ++k) {
            out[n++] = '0';
        }
        std::memcpy(out + n, mantissa, count);
        n += count;
    } else if (size_t(pointAfter) >= count) {
        std::memcpy(out + n, mantissa, count);
        n += count;
        for (size_t k = count; k < size_t(pointAfter); ++k) {
            out[n++] = '0';
        }
    } else {
        std::memcpy(out + n, mantissa, size_t(pointAfter));
        n += size_t(pointAfter);
        out[n++] = '.';
        std::memcpy(out + n, mantissa + pointAfter, count - size_t(pointAfter));
        n += count - size_t(pointAfter);
    }
    return n;
}

/// Sets target to the text, reusing its buffer for plain ASCII, which numbers and most texts are.
void assignAscii(QString& target, const char* text, size_t length)
{
    target.resize(qsizetype(length));
    QChar* data = target.data();
    for (size_t i = 0; i < length; ++i) {
        data[i] = QLatin1Char(text[i]);
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

/// Undoes the "_xHHHH_" escapes with which workbooks store characters that XML cannot carry.
QString decodeEscapes(const QString& text)
{
    if (!text.contains(QLatin1String("_x"))) {
        return text;
    }
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x') &&
            text[i + 6] == QLatin1Char('_')) {
            ushort code = 0;
            bool hex = true;
            for (qsizetype k = i + 2; k < i + 6 && hex; ++k) {
                const char16_t unit = text[k].unicode();
                const int digit = unit < 0x80 ? hexValue(char(unit)) : -1;
                hex = digit >= 0;
                code = ushort(code * 16 + digit);
            }
            if (hex) {
                decoded.append(QChar(code));
                i += 6;
                continue;
            }
        }
        decoded.append(text[i]);
    }
    return decoded;
}

void assignUtf8(QString& target, const std::string& text)
{
    bool ascii = true;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        assignAscii(target, text.data(), text.size());
    } else {
        target = QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
    if (text.find("_x") != std::string::npos) {
        target = decodeEscapes(target);
    }
}

/// State shared by the handlers of every part: expat hands character data here when collecting is on.
class PartHandler
{
public:
    XML_Parser m_parser = nullptr;
    /// Where the last element, text or end began: the reader refuses a stretch without one that grows too long.
    XML_Index m_lastEvent = 0;
    std::string m_text;
    bool m_collecting = false;
    bool m_stopped = false;
    bool m_declaresDocumentType = false;
    bool m_textTooLong = false;
    std::optional<QString> m_failure;

    void stop()
    {
        m_stopped = true;
        if (m_parser) {
            XML_StopParser(m_parser, XML_FALSE);
        }
    }
    void fail(const QString& what)
    {
        if (!m_failure) {
            m_failure = what;
        }
        stop();
    }
    /// Keeps character data while collecting; false once the text is too long to be a cell's.
    bool collect(const char* text, size_t length)
    {
        if (m_collecting) {
            m_text.append(text, length);
            if (m_text.size() > kMaxTextBytes) {
                m_textTooLong = true;
                m_collecting = false;
                stop();
            }
        }
        return !m_stopped;
    }
};

struct Relationship
{
    QString id;
    QString type;
    QString target;
    bool external = false;
};

class RelationshipsHandler : public PartHandler
{
public:
    std::vector<Relationship> m_relationships;

    void start(const char* name, const char** attributes)
    {
        if (!isLocal(name, "Relationship")) {
            return;
        }
        const char* mode = attribute(attributes, "TargetMode");
        Relationship relationship;
        relationship.id = QString::fromUtf8(attribute(attributes, "Id"));
        relationship.type = QString::fromUtf8(attribute(attributes, "Type"));
        relationship.target = QString::fromUtf8(attribute(attributes, "Target"));
        relationship.external = mode && std::strcmp(mode, "External") == 0;
        m_relationships.push_back(std::move(relationship));
    }
    void end(const char*) {}
};

class WorkbookHandler : public PartHandler
{
public:
    struct Sheet
    {
        QString name;
        QString relationshipId;
    };
    std::vector<Sheet> m_sheets;
    /// The position in m_sheets of the tab the workbook opens on (the first view's).
    std::optional<size_t> m_activeTab;
    bool m_sawWorkbook = false;
    bool m_inSheets = false;

    void start(const char* name, const char** attributes)
    {
        if (isLocal(name, "workbook")) {
            m_sawWorkbook = true;
        } else if (isLocal(name, "workbookView") && !m_activeTab) {
            const char* tab = attribute(attributes, "activeTab");
            bool number = false;
            const int position = tab ? QByteArray(tab).toInt(&number) : 0;
            m_activeTab = number && position >= 0 ? size_t(position) : 0;
        } else if (isLocal(name, "sheets")) {
            m_inSheets = true;
        } else if (m_inSheets && isLocal(name, "sheet")) {
            m_sheets.push_back(
                {QString::fromUtf8(attribute(attributes, "name")), QString::fromUtf8(attribute(attributes, "id"))});
        }
    }
    void end(const char* name)
    {
        if (isLocal(name, "sheets")) {
            m_inSheets = false;
        }
    }
};

class SharedStringsHandler : public PartHandler
{
public:
    XlsxSharedTexts* m_strings = nullptr;
    size_t m_maxCount = 0;
    QString m_decoded;
    int m_phoneticDepth = 0;
    int m_depth = 0;
    bool m_inItem = false;

    void start(const char* name, const char**)
    {
        ++m_depth;
        if (isLocal(name, "si")) {
            m_inItem = true;
            m_text.clear();
        } else if (m_inItem && isLocal(name, "rPh") && m_phoneticDepth == 0) {
            m_phoneticDepth = m_depth;
        } else if (m_inItem && m_phoneticDepth == 0 && isLocal(name, "t")) {
            m_collecting = true;
        }
    }
    void end(const char* name)
    {
        if (m_depth == m_phoneticDepth) {
            m_phoneticDepth = 0;
        } else if (isLocal(name, "t")) {
            m_collecting = false;
        } else if (m_inItem && isLocal(name, "si")) {
            m_inItem = false;
            assignUtf8(m_decoded, m_text);
            if (m_strings->size() >= m_maxCount) {
                return fail(QStringLiteral("the shared texts hold more than %1 texts, more than this program reads "
                                           "from a workbook; the file is damaged or too large")
                                .arg(m_maxCount));
            }
            if (!m_strings->add(m_decoded)) {
                return fail(QStringLiteral("the shared texts are longer than this program reads from a workbook; the "
                                           "file is damaged or too large"));
            }
        }
        --m_depth;
    }
};

class SheetHandler : public PartHandler
{
public:
    SheetHandler(QString label, int columnCount, const XlsxSharedTexts& sharedStrings, const XlsxRowHandler& onRow)
        : m_label(std::move(label)), m_columnCount(columnCount), m_sharedStrings(sharedStrings), m_onRow(onRow),
          m_row(size_t(columnCount)), m_blankRow(size_t(columnCount))
    {}

    void start(const char* name, const char** attributes)
    {
        ++m_depth;
        if (m_cellDepth != 0) {
            if (m_keepCell) {
                startInsideCell(name);
            }
        } else if (m_rowDepth != 0) {
            if (m_depth == m_rowDepth + 1 && isLocal(name, "c")) {
                startCell(attributes);
            }
        } else if (m_sheetDataDepth != 0) {
            if (m_depth == m_sheetDataDepth + 1 && isLocal(name, "row")) {
                startRow(attributes);
            }
        } else if (m_depth == 2 && isLocal(name, "sheetData")) {
            m_sheetDataDepth = m_depth;
        } else if (m_depth == 2 && isLocal(name, "dimension")) {
            readDimension(attribute(attributes, "ref"));
        }
    }

    void end(const char* name)
    {
        if (m_cellDepth != 0) {
            if (m_depth == m_cellDepth) {
                endCell();
            } else if (m_keepCell) {
                if (m_depth == m_phoneticDepth) {
                    m_phoneticDepth = 0;
                } else if (isLocal(name, "v") || isLocal(name, "t")) {
                    m_collecting = false;
                }
            }
        } else if (m_depth == m_rowDepth) {
            endRow();
        } else if (m_depth == m_sheetDataDepth) {
            m_sheetDataDepth = 0;
        }
        --m_depth;
    }

    /// Hands over the blank rows that the used range holds after the last row with cells.
    void finish() { emitBlankRowsThrough(m_dimensionLastRow); }

private:
    enum class CellType
    {
        Number,
        SharedString,
        InlineString,
        FormulaString,
        Boolean,
        Error,
        Date,
    };

    void startRow(const char** attributes)
    {
        const char* number = attribute(attributes, "r");
        qint64 row = m_rowNumber + 1;
        if (number) {
            const std::optional<qint64> parsed = parseRowNumber(number);
            if (!parsed) {
                return fail(
                    QStringLiteral("%1 has a row numbered %2, which is no row number").arg(m_label, excerpt(number)));
            }
            row = *parsed;
            if (row > XlsxReader::kMaxRows) {
                return fail(
                    QStringLiteral("%1 has a row numbered %2, beyond the 1,048,576 rows an Excel sheet can have")
                        .arg(m_label, excerpt(number)));
            }
        }
        if (!checkRowOrder(row, m_rowNumber)) {
            return;
        }
        m_previousRowNumber = m_rowNumber;
        m_rowNumber = row;
        m_rowNumberGiven = number != nullptr;
        m_rowDepth = m_depth;
        m_rowHasCells = false;
        m_column = 0;
        for (XlsxCell& cell : m_row) {
            // Keep the buffer for the next value unless it is shared (with a shared text, or the caller's copy).
            if (cell.text.isDetached()) {
                cell.text.resize(0);
            } else if (!cell.text.isNull()) {
                cell.text = QString();
            }
            cell.uncachedFormula = false;
        }
    }

    bool checkRowOrder(qint64 row, qint64 previous)
    {
        if (row > XlsxReader::kMaxRows) {
            fail(QStringLiteral("%1 has more rows than the 1,048,576 an Excel sheet can have").arg(m_label));
            return false;
        }
        if (row <= previous) {
            fail(QStringLiteral("%1 lists row %2 after row %3; rows out of order mean the file is damaged")
                     .arg(m_label, QString::number(row), QString::number(previous)));
            return false;
        }
        return true;
    }

    void startCell(const char** attributes)
    {
        const char* reference = nullptr;
        const char* type = nullptr;
        for (const char** a = attributes; *a; a += 2) {
            if (isLocal(a[0], "r")) {
                reference = a[1];
            } else if (isLocal(a[0], "t")) {
                type = a[1];
            }
        }
        qint64 column = m_column + 1;
        if (reference) {
            const std::optional<CellReference> ref = parseCellReference(reference);
            if (!ref || ref->column == 0) {
                return fail(
                    QStringLiteral("%1 has a cell named %2, which is no cell name").arg(m_label, excerpt(reference)));
            }
            column = ref->column;
            if (column > XlsxReader::kMaxColumns || ref->row > XlsxReader::kMaxRows) {
                return fail(QStringLiteral("%1 has a cell named %2, beyond the 1,048,576 rows and 16,384 columns (A "
                                           "to XFD) an Excel sheet can have")
                                .arg(m_label, excerpt(reference)));
            }
            if (ref->row != 0 && ref->row != m_rowNumber) {
                // A row written without its number takes it from its first cell.
                if (m_rowNumberGiven || m_rowHasCells) {
                    return fail(QStringLiteral("%1 lists cell %2 in row %3; the file is damaged")
                                    .arg(m_label, excerpt(reference), QString::number(m_rowNumber)));
                }
                if (!checkRowOrder(ref->row, m_previousRowNumber)) {
                    return;
                }
                m_rowNumber = ref->row;
            }
        }
        if (column > XlsxReader::kMaxColumns) {
            return fail(QStringLiteral("%1 has more cells in row %2 than the 16,384 columns an Excel sheet can have")
                            .arg(m_label, QString::number(m_rowNumber)));
        }
        if (column <= m_column) {
            return fail(QStringLiteral("%1 lists the cells of row %2 out of order; the file is damaged")
                            .arg(m_label, QString::number(m_rowNumber)));
        }
        m_column = column;
        m_rowHasCells = true;
        m_cellDepth = m_depth;
        m_keepCell = column <= m_columnCount;
        if (!m_keepCell) {
            return;
        }
        if (!type || std::strcmp(type, "n") == 0) {
            m_type = CellType::Number;
        } else if (std::strcmp(type, "s") == 0) {
            m_type = CellType::SharedString;
        } else if (std::strcmp(type, "inlineStr") == 0) {
            m_type = CellType::InlineString;
        } else if (std::strcmp(type, "str") == 0) {
            m_type = CellType::FormulaString;
        } else if (std::strcmp(type, "b") == 0) {
            m_type = CellType::Boolean;
        } else if (std::strcmp(type, "e") == 0) {
            m_type = CellType::Error;
        } else if (std::strcmp(type, "d") == 0) {
            m_type = CellType::Date;
        } else {
            return fail(QStringLiteral("%1 has cell %2 of an unknown kind (%3)")
                            .arg(m_label, cellName(column, m_rowNumber), excerpt(type)));
        }
        m_hasValue = false;
        m_hasFormula = false;
        m_inInlineString = false;
        m_phoneticDepth = 0;
        m_text.clear();
    }

    void startInsideCell(const char* name)
    {
        if (m_depth == m_cellDepth + 1) {
            if (isLocal(name, "v")) {
                m_hasValue = true;
                m_text.clear();
                m_collecting = true;
            } else if (isLocal(name, "f")) {
                m_hasFormula = true;
            } else if (isLocal(name, "is")) {
                m_inInlineString = true;
                m_text.clear();
            }
        } else if (m_inInlineString && m_phoneticDepth == 0) {
            if (isLocal(name, "rPh")) {
                m_phoneticDepth = m_depth;
            } else if (isLocal(name, "t")) {
                m_collecting = true;
            }
        }
    }

    void endCell()
    {
        m_cellDepth = 0;
        m_collecting = false;
        if (!m_keepCell) {
            return;
        }
        XlsxCell& cell = m_row[size_t(m_column - 1)];
        if (m_type == CellType::InlineString) {
            assignUtf8(cell.text, m_text);
            return;
        }
        if (m_hasFormula && (!m_hasValue || (m_text.empty() && m_type != CellType::FormulaString))) {
            cell.uncachedFormula = true;
            return;
        }
        if (!m_hasValue || m_text.empty()) {
            return;
        }
        switch (m_type) {
        case CellType::Number: {
            const size_t length = formatNumber(m_text, m_number);
            if (length == 0) {
                return fail(QStringLiteral("%1 has cell %2 holding %3, which is not a number; the file is damaged")
                                .arg(m_label, cellName(m_column, m_rowNumber), excerpt(m_text)));
            }
            assignAscii(cell.text, m_number, length);
            return;
        }
        case CellType::SharedString: {
            size_t index = 0;
            const auto [end, error] = std::from_chars(m_text.data(), m_text.data() + m_text.size(), index);
            if (error != std::errc() || end != m_text.data() + m_text.size() || index >= m_sharedStrings.size()) {
                return fail(QStringLiteral("%1 has cell %2 pointing to shared text number %3, which the file does not "
                                           "hold; the file is damaged")
                                .arg(m_label, cellName(m_column, m_rowNumber), excerpt(m_text)));
            }
            cell.text = m_sharedStrings.at(index);
            return;
        }
        case CellType::Boolean:
            if (m_text == "1" || m_text == "true") {
                cell.text = QStringLiteral("True");
            } else if (m_text == "0" || m_text == "false") {
                cell.text = QStringLiteral("False");
            } else {
                return fail(QStringLiteral("%1 has cell %2 holding %3, which is not a truth value")
                                .arg(m_label, cellName(m_column, m_rowNumber), excerpt(m_text)));
            }
            return;
        case CellType::InlineString:
        case CellType::FormulaString:
        case CellType::Error:
        case CellType::Date:
            assignUtf8(cell.text, m_text);
            return;
        }
    }

    void endRow()
    {
        m_rowDepth = 0;
        if (!m_rowHasCells) {
            return;
        }
        emitBlankRowsThrough(m_rowNumber - 1);
        emitRow(m_rowNumber, m_row);
    }

    void emitBlankRowsThrough(qint64 last)
    {
        while (!m_stopped && m_emittedThrough < last) {
            emitRow(m_emittedThrough + 1, m_blankRow);
        }
    }

    void emitRow(qint64 number, const XlsxRow& row)
    {
        if (m_stopped) {
            return;
        }
        m_emittedThrough = number;
        if (!m_onRow(int(number), row)) {
            stop();
        }
    }

    void readDimension(const char* reference)
    {
        if (!reference) {
            return;
        }
        const std::string_view text(reference);
        const size_t colon = text.find(':');
        for (const std::string_view corner :
             {text.substr(0, colon), colon == std::string_view::npos ? text : text.substr(colon + 1)}) {
            const std::optional<CellReference> ref = parseCellReference(corner.data(), corner.data() + corner.size());
            if (!ref) {
                return fail(
                    QStringLiteral("%1 gives its extent as %2, which is no range").arg(m_label, excerpt(reference)));
            }
            if (ref->row > XlsxReader::kMaxRows || ref->column > XlsxReader::kMaxColumns) {
                return fail(QStringLiteral("%1 claims to reach cell %2, beyond the 1,048,576 rows and 16,384 columns "
                                           "an Excel sheet can have")
                                .arg(m_label, excerpt(corner)));
            }
            m_dimensionLastRow = std::max(m_dimensionLastRow, ref->row);
        }
    }

    const QString m_label;
    const qint64 m_columnCount;
    const XlsxSharedTexts& m_sharedStrings;
    const XlsxRowHandler& m_onRow;
    XlsxRow m_row;
    const XlsxRow m_blankRow;
    char m_number[kNumberTextSize];

    int m_depth = 0;
    int m_sheetDataDepth = 0;
    int m_rowDepth = 0;
    int m_cellDepth = 0;
    int m_phoneticDepth = 0;
    qint64 m_dimensionLastRow = 0;
    qint64 m_rowNumber = 0;
    qint64 m_previousRowNumber = 0;
    qint64 m_emittedThrough = 0;
    bool m_rowNumberGiven = false;
    bool m_rowHasCells = false;
    qint64 m_column = 0;
    bool m_keepCell = false;
    CellType m_type = CellType::Number;
    bool m_hasValue = false;
    bool m_hasFormula = false;
    bool m_inInlineString = false;
};

template <class Handler>
void XMLCALL onStart(void* handler, const XML_Char* name, const XML_Char** attributes)
{
    auto* h = static_cast<Handler*>(handler);
    h->m_lastEvent = XML_GetCurrentByteIndex(h->m_parser);
    if (!h->m_stopped) {
        h->start(name, attributes);
    }
}

template <class Handler>
void XMLCALL onEnd(void* handler, const XML_Char* name)
{
    auto* h = static_cast<Handler*>(handler);
    h->m_lastEvent = XML_GetCurrentByteIndex(h->m_parser);
    if (!h->m_stopped) {
        h->end(name);
    }
}

void XMLCALL onText(void* handler, const XML_Char* text, int length)
{
    auto* h = static_cast<PartHandler*>(handler);
    h->m_lastEvent = XML_GetCurrentByteIndex(h->m_parser);
    h->collect(text, size_t(length));
}

template <class Handler>
void XMLCALL onDoctype(void* handler, const XML_Char*, const XML_Char*, const XML_Char*, int)
{
    // Workbook parts never declare a document type; refusing one keeps entity expansion out of reach.
    auto* h = static_cast<Handler*>(handler);
    h->m_declaresDocumentType = true;
    h->stop();
}

/// Hands the tokenizer's events to a part's handler, as expat's callbacks do.
template <class Handler>
class TokenizedPart final : public XmlEvents
{
public:
    explicit TokenizedPart(Handler& handler) : m_handler(handler) {}
    bool startElement(const char* name, const char** attributes) override
    {
        m_handler.start(name, attributes);
        return !m_handler.m_stopped;
    }
    bool endElement(const char* name) override
    {
        m_handler.end(name);
        return !m_handler.m_stopped;
    }
    bool characters(const char* text, size_t length) override { return m_handler.collect(text, length); }

private:
    Handler& m_handler;
};

/// The zip entry name that a relationship target points to, relative to the folder of the part it comes from.
QString resolveTarget(const QString& sourceFolder, const QString& target)
{
    const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
    const QString path = decoded.startsWith(QLatin1Char('/')) ? decoded : sourceFolder + decoded;
    QStringList segments;
    for (const QString& segment : path.split(QLatin1Char('/'))) {
        if (segment.isEmpty() || segment == QLatin1String(".")) {
            continue;
        }
        if (segment == QLatin1String("..")) {
            if (!segments.isEmpty()) {
                segments.removeLast();
            }
            continue;
        }
        segments.append(segment);
    }
    return segments.join(QLatin1Char('/'));
}

QString folderOf(const QString& partName)
{
    const qsizetype slash = partName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : partName.left(slash + 1);
}

bool hasType(const Relationship& relationship, QLatin1String kind)
{
    return relationship.type.endsWith(QLatin1Char('/') + kind);
}

zip_int64_t locate(zip_t* archive, const QString& partName)
{
    const QByteArray name = partName.toUtf8();
    const zip_int64_t index = zip_name_locate(archive, name.constData(), 0);
    return index >= 0 ? index : zip_name_locate(archive, name.constData(), ZIP_FL_NOCASE);
}

QString sizeText(qint64 bytes)
{
    const qint64 megabyte = 1024 * 1024;
    return bytes >= megabyte ? QStringLiteral("%1 MB").arg(bytes / megabyte) : QStringLiteral("%1 bytes").arg(bytes);
}

bool looksLikeOldWorkbook(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(8) == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

} // namespace

XlsxReader::XlsxReader(QString path) : m_path(std::move(path)) {}

XlsxReader::~XlsxReader()
{
    if (m_zip) {
        zip_discard(m_zip);
    }
}

void XlsxSharedTexts::clear()
{
    m_text.clear();
    m_ends.clear();
}

bool XlsxSharedTexts::add(QStringView text)
{
    if (quint64(m_text.size()) + quint64(text.size()) > std::numeric_limits<quint32>::max()) {
        return false;
    }
    m_text.append(text);
    m_ends.push_back(quint32(m_text.size()));
    return true;
}

QString XlsxSharedTexts::at(size_t index) const
{
    const qsizetype begin = index == 0 ? 0 : qsizetype(m_ends[index - 1]);
    return m_text.mid(begin, qsizetype(m_ends[index]) - begin);
}

QString XlsxReader::failure(const QString& what) const
{
    return QStringLiteral("The workbook \"%1\" cannot be read: %2.").arg(QDir::toNativeSeparators(m_path), what);
}

void XlsxReader::ClosePart::operator()(zip_file* file) const
{
    zip_fclose(file);
}

XlsxReader::PartFile XlsxReader::openPart(const QString& partName, const QString& label, qint64 maxSize,
                                          std::optional<QString>& failed) const
{
    const zip_int64_t index = locate(m_zip, partName);
    if (index < 0) {
        failed = failure(QStringLiteral("%1 is missing from the file, so the file is damaged").arg(label));
        return {};
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) &&
        stat.size > zip_uint64_t(maxSize)) {
        failed = partTooLarge(label, maxSize);
        return {};
    }
    PartFile file(zip_fopen_index(m_zip, zip_uint64_t(index), 0));
    if (!file) {
        failed = failure(
            QStringLiteral("%1 cannot be unpacked (%2)").arg(label, QString::fromLocal8Bit(zip_strerror(m_zip))));
    }
    return file;
}

QString XlsxReader::partTooLarge(const QString& label, qint64 maxSize) const
{
    return failure(QStringLiteral("%1 would unpack to more than %2, the most this program reads from one part; the "
                                  "file is damaged or too large")
                       .arg(label, sizeText(maxSize)));
}

std::optional<QString> XlsxReader::sliceFailure(zip_file* file, qint64 read, const QString& label, qint64 maxSize,
                                                qint64& unpacked) const
{
    if (read < 0) {
        return failure(QStringLiteral("%1 cannot be unpacked (%2), so the file is damaged")
                           .arg(label, QString::fromLocal8Bit(zip_file_strerror(file))));
    }
    unpacked += read;
    if (unpacked > maxSize) {
        return partTooLarge(label, maxSize);
    }
    return std::nullopt;
}

QString XlsxReader::brokenXml(const QString& label, qint64 line, const char* error) const
{
    return failure(QStringLiteral("%1 is damaged (broken XML at line %2: %3)")
                       .arg(label, QString::number(line), QString::fromUtf8(error)));
}

QString XlsxReader::brokenPart(const QString& label, PartFault fault) const
{
    switch (fault) {
    case PartFault::DocumentType:
        return failure(
            QStringLiteral("%1 is damaged (it declares a document type, which a workbook never does)").arg(label));
    case PartFault::TextTooLong:
        return failure(QStringLiteral("%1 holds a text far longer than the 32,767 characters a cell can hold, so the "
                                      "file is damaged")
                           .arg(label));
    case PartFault::TokenTooLong:
        break;
    }
    return failure(QStringLiteral("%1 holds more than %2 of XML without a cell in it (a comment or an attribute far "
                                  "longer than a cell can hold), so the file is damaged")
                       .arg(label, sizeText(XlsxReader::kMaxTokenBytes)));
}

template <class Handler>
std::optional<QString> XlsxReader::parsePart(const QString& partName, const QString& label, qint64 maxSize,
                                             Handler& handler)
{
    std::optional<QString> failed;
    PartFile file = openPart(partName, label, maxSize, failed);
    if (!file) {
        return failed;
    }
    XmlTokenizer tokenizer;
    TokenizedPart<Handler> events(handler);
    // The part is unpacked on a thread of its own while the slice before is tokenized. Nothing else reads the
    // archive meanwhile.
    zip_file* const part = file.get();
    std::optional<ReadAhead> unpacking(
        std::in_place, [part](char* into, size_t capacity) { return qint64(zip_fread(part, into, capacity)); },
        size_t(kChunkSize));
    qint64 unpacked = 0;
    for (;;) {
        const qint64 read = unpacking->next(tokenizer.buffer(kChunkSize));
        if ((failed = sliceFailure(part, read, label, maxSize, unpacked))) {
            return failed;
        }
        switch (tokenizer.parse(events, size_t(read), read == 0)) {
        case XmlTokenizer::Result::NeedsMore:
            // A token that does not end (a comment, an attribute) is refused before it fills the memory.
            if (qint64(tokenizer.pendingBytes()) > XlsxReader::kMaxTokenBytes) {
                return brokenPart(label, PartFault::TokenTooLong);
            }
            continue;
        case XmlTokenizer::Result::Finished:
            return std::nullopt;
        case XmlTokenizer::Result::Stopped:
            if (handler.m_textTooLong) {
                return brokenPart(label, PartFault::TextTooLong);
            }
            return handler.m_failure ? std::optional<QString>(failure(*handler.m_failure)) : std::nullopt;
        case XmlTokenizer::Result::DocumentType:
            return brokenPart(label, PartFault::DocumentType);
        case XmlTokenizer::Result::Failed:
            return brokenXml(label, tokenizer.errorLine(), tokenizer.error());
        case XmlTokenizer::Result::Unsupported:
            unpacking.reset();
            file.reset();
            return parsePartWithExpat(partName, label, maxSize, handler);
        }
    }
}

template <class Handler>
std::optional<QString> XlsxReader::parsePartWithExpat(const QString& partName, const QString& label, qint64 maxSize,
                                                      Handler& handler)
{
    std::optional<QString> failed;
    PartFile file = openPart(partName, label, maxSize, failed);
    if (!file) {
        return failed;
    }
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) {
        return failure(QStringLiteral("there is not enough memory"));
    }
    const auto freeParser = qScopeGuard([parser, &handler] {
        handler.m_parser = nullptr;
        XML_ParserFree(parser);
    });
    handler.m_parser = parser;
    XML_SetUserData(parser, &handler);
    XML_SetElementHandler(parser, &onStart<Handler>, &onEnd<Handler>);
    XML_SetCharacterDataHandler(parser, &onText);
    XML_SetStartDoctypeDeclHandler(parser, &onDoctype<Handler>);

    qint64 unpacked = 0;
    for (;;) {
        void* buffer = XML_GetBuffer(parser, kChunkSize);
        if (!buffer) {
            return failure(QStringLiteral("there is not enough memory"));
        }
        const qint64 read = zip_fread(file.get(), buffer, kChunkSize);
        if ((failed = sliceFailure(file.get(), read, label, maxSize, unpacked))) {
            return failed;
        }
        const bool last = read == 0;
        if (XML_ParseBuffer(parser, int(read), last) != XML_STATUS_OK) {
            if (handler.m_declaresDocumentType) {
                return brokenPart(label, PartFault::DocumentType);
            }
            if (handler.m_textTooLong) {
                return brokenPart(label, PartFault::TextTooLong);
            }
            if (handler.m_failure) {
                return failure(*handler.m_failure);
            }
            if (handler.m_stopped) {
                return std::nullopt;
            }
            return brokenXml(label, qint64(XML_GetCurrentLineNumber(parser)),
                             XML_ErrorString(XML_GetErrorCode(parser)));
        }
        if (last) {
            return std::nullopt;
        }
        // Expat scans a token it has not finished again with each new buffer: one endless token would take time
        // that grows with its square.
        if (unpacked - qint64(handler.m_lastEvent) > XlsxReader::kMaxTokenBytes) {
            return brokenPart(label, PartFault::TokenTooLong);
        }
    }
}

std::optional<QString> XlsxReader::openArchive()
{
    // A pipe or a device would block the reading or never end; a folder is no workbook.
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile()) {
        return failure(QStringLiteral("it is not a file but a folder, a pipe or a device"));
    }
    int error = 0;
    m_zip = zip_open(QFile::encodeName(m_path).constData(), ZIP_RDONLY, &error);
    if (m_zip) {
        return std::nullopt;
    }
    switch (error) {
    case ZIP_ER_NOENT:
        return failure(QStringLiteral("the file does not exist"));
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_MEMORY: {
        QFile probe(m_path);
        QString reason = probe.open(QIODevice::ReadOnly) ? QString() : probe.errorString();
        if (reason.isEmpty()) {
            zip_error_t details;
            zip_error_init_with_code(&details, error);
            reason = QString::fromLocal8Bit(zip_error_strerror(&details));
            zip_error_fini(&details);
        }
        return failure(QStringLiteral("the file cannot be opened (%1)").arg(reason));
    }
    default:
        if (looksLikeOldWorkbook(m_path)) {
            return failure(QStringLiteral("it is an older Excel workbook (.xls) or one protected by a password; save "
                                          "it in Excel as an .xlsx workbook without a password and choose it again"));
        }
        return failure(QStringLiteral("it is not an Excel workbook (.xlsx), or it is damaged"));
    }
}

std::optional<QString> XlsxReader::open()
{
    if (m_zip) {
        return std::nullopt;
    }
    if (std::optional<QString> failed = openArchive()) {
        return failed;
    }
    auto closeOnFailure = qScopeGuard([this] {
        zip_discard(m_zip);
        m_zip = nullptr;
        m_worksheets.clear();
    });

    // The package's own relationships say where the workbook part is; nearly every writer uses xl/workbook.xml.
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    if (locate(m_zip, QStringLiteral("_rels/.rels")) >= 0) {
        RelationshipsHandler package;
        if (std::optional<QString> failed =
                parsePart(QStringLiteral("_rels/.rels"), QStringLiteral("the package's list of parts (_rels/.rels)"),
                          m_maxPartSize, package)) {
            return failed;
        }
        for (const Relationship& relationship : package.m_relationships) {
            if (hasType(relationship, QLatin1String("officeDocument")) && !relationship.external) {
                workbookPart = resolveTarget(QString(), relationship.target);
                break;
            }
        }
    }
    if (locate(m_zip, workbookPart) < 0) {
        return failure(QStringLiteral("it holds no workbook (%1 is missing), so it is not an Excel workbook or it is "
                                      "damaged")
                           .arg(workbookPart));
    }

    const QString workbookFolder = folderOf(workbookPart);
    const QString relationshipsPart =
        workbookFolder + QStringLiteral("_rels/") + workbookPart.mid(workbookFolder.size()) + QStringLiteral(".rels");
    RelationshipsHandler relationships;
    if (std::optional<QString> failed =
            parsePart(relationshipsPart, QStringLiteral("the workbook's list of parts (%1)").arg(relationshipsPart),
                      m_maxPartSize, relationships)) {
        return failed;
    }
    WorkbookHandler workbook;
    if (std::optional<QString> failed = parsePart(
            workbookPart, QStringLiteral("the list of sheets (%1)").arg(workbookPart), m_maxPartSize, workbook)) {
        return failed;
    }
    if (!workbook.m_sawWorkbook) {
        return failure(QStringLiteral("%1 is not a list of sheets, so the file is damaged").arg(workbookPart));
    }

    for (const Relationship& relationship : relationships.m_relationships) {
        if (hasType(relationship, QLatin1String("sharedStrings")) && !relationship.external) {
            m_sharedStringsPart = resolveTarget(workbookFolder, relationship.target);
        }
    }
    m_activeSheet = 1;
    for (size_t tab = 0; tab < workbook.m_sheets.size(); ++tab) {
        const WorkbookHandler::Sheet& sheet = workbook.m_sheets[tab];
        const Relationship* found = nullptr;
        for (const Relationship& relationship : relationships.m_relationships) {
            if (relationship.id == sheet.relationshipId) {
                found = &relationship;
                break;
            }
        }
        if (!found) {
            return failure(QStringLiteral("the list of sheets names sheet \"%1\" but not where it is stored, so the "
                                          "file is damaged")
                               .arg(sheet.name));
        }
        if (hasType(*found, QLatin1String("worksheet"))) {
            m_worksheets.push_back({sheet.name, resolveTarget(workbookFolder, found->target)});
            if (workbook.m_activeTab == tab) {
                m_activeSheet = sheetCount();
            }
        }
    }
    closeOnFailure.dismiss();
    return std::nullopt;
}

std::optional<QString> XlsxReader::loadSharedStrings()
{
    if (m_sharedStringsLoaded) {
        return std::nullopt;
    }
    m_sharedStrings.clear();
    if (m_sharedStringsPart.isEmpty()) {
        m_sharedStringsLoaded = true;
        return std::nullopt;
    }
    SharedStringsHandler handler;
    handler.m_strings = &m_sharedStrings;
    handler.m_maxCount = m_maxSharedTexts;
    if (std::optional<QString> failed =
            parsePart(m_sharedStringsPart, QStringLiteral("the shared texts (%1)").arg(m_sharedStringsPart),
                      m_maxPartSize / kSharedStringsShare, handler)) {
        m_sharedStrings.clear();
        return failed;
    }
    m_sharedStringsLoaded = true;
    return std::nullopt;
}

std::optional<QString> XlsxReader::checkSheetPosition(int sheetPosition) const
{
    if (sheetPosition >= 1 && sheetPosition <= sheetCount()) {
        return std::nullopt;
    }
    if (m_worksheets.empty()) {
        return failure(QStringLiteral("it has no worksheets"));
    }
    return failure(QStringLiteral("it has no worksheet %1 (it has %2)")
                       .arg(QString::number(sheetPosition), sheetCount() == 1
                                                                ? QStringLiteral("only one")
                                                                : QStringLiteral("%1 worksheets").arg(sheetCount())));
}

std::optional<QString> XlsxReader::readSheetXml(int sheetPosition, QByteArray& xml, qint64& entryIndex)
{
    if (std::optional<QString> failed = open()) {
        return failed;
    }
    if (std::optional<QString> failed = checkSheetPosition(sheetPosition)) {
        return failed;
    }
    const Worksheet& sheet = m_worksheets[size_t(sheetPosition - 1)];
    const QString label = QStringLiteral("worksheet %1 (\"%2\")").arg(QString::number(sheetPosition), sheet.name);
    const zip_int64_t index = locate(m_zip, sheet.partName);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (index < 0 || zip_stat_index(m_zip, zip_uint64_t(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        return failure(QStringLiteral("%1 is missing from the file, so the file is damaged").arg(label));
    }
    if (stat.size > zip_uint64_t(m_maxPartSize)) {
        return failure(QStringLiteral("%1 would unpack to more than %2, the most this program reads from one part")
                           .arg(label, sizeText(m_maxPartSize)));
    }
    zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file) {
        return failure(
            QStringLiteral("%1 cannot be unpacked (%2)").arg(label, QString::fromLocal8Bit(zip_strerror(m_zip))));
    }
    const auto closeFile = qScopeGuard([file] { zip_fclose(file); });
    xml.resize(qsizetype(stat.size));
    if (zip_fread(file, xml.data(), stat.size) != zip_int64_t(stat.size)) {
        return failure(QStringLiteral("%1 cannot be unpacked (%2), so the file is damaged")
                           .arg(label, QString::fromLocal8Bit(zip_file_strerror(file))));
    }
    entryIndex = index;
    return std::nullopt;
}

std::optional<QString> XlsxReader::readRows(int sheetPosition, int columnCount, const XlsxRowHandler& onRow)
{
    if (std::optional<QString> failed = open()) {
        return failed;
    }
    if (columnCount < 1 || columnCount > kMaxColumns) {
        return failure(QStringLiteral("%1 columns were asked for").arg(columnCount));
    }
    if (std::optional<QString> failed = checkSheetPosition(sheetPosition)) {
        return failed;
    }
    if (std::optional<QString> failed = loadSharedStrings()) {
        return failed;
    }
    const Worksheet& sheet = m_worksheets[size_t(sheetPosition - 1)];
    const QString label = QStringLiteral("worksheet %1 (\"%2\")").arg(QString::number(sheetPosition), sheet.name);
    SheetHandler handler(label, columnCount, m_sharedStrings, onRow);
    if (std::optional<QString> failed = parsePart(sheet.partName, label, m_maxPartSize, handler)) {
        return failed;
    }
    if (!handler.m_stopped) {
        handler.finish();
    }
    return std::nullopt;
}

} // namespace wagetrove
