#pragma once

#include "common/currency.h"
#include "common/formats.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace wagetrove {

/// The text as plain ASCII, one byte per character, so that no fixed-width field shifts: letters lose their
/// accents (José gives Jose, Zoë gives Zoe), compatibility forms become their plain letters (the ligature ﬁ gives
/// fi), and ß, Æ, Œ, Ø, Ł, Đ and Þ become ss, AE, OE, O, L, D and TH. Case is kept. A control character (a tab or
/// line break pasted into a name) becomes a blank, and any other character with no plain form becomes "?", so that
/// a field keeps its width and the loss stays visible in the file.
QString plainAscii(const QString& text);

/// What one column of a fixed-field record holds, before it is placed at its columns.
class FieldValue
{
public:
    /// A text placed left-justified, padded with blanks on the right, cut on the right when longer.
    static FieldValue fitted(const QString& text);
    /// A text that must fill the column exactly (numbers, codes); a failure makes the record fail.
    static FieldValue exact(const FieldText& text);

    bool fitsAnyWidth() const { return m_fitted; }
    const QString& text() const { return m_text; }
    const QString& failureReason() const { return m_failure; }

private:
    FieldValue() = default;

    bool m_fitted = false;
    QString m_text;
    QString m_failure;
};

/// The field contents of the state file layouts, named as the layout tables name them.
namespace fields {

/// Text: left-justified, blank-padded, cut to the column; folded to plain ASCII.
FieldValue Text(const QString& value);
/// Text in upper case.
FieldValue UpperText(const QString& value);
/// The column all blanks.
FieldValue Blank();
/// A code written as it stands ("A", "UTAX", "0000000001"); it must fill its column exactly.
FieldValue Fixed(const char* code);
/// EIN9: the first 2 and the last 7 characters of an EIN entered as NN-NNNNNNN (12-3456789 gives 123456789).
FieldValue EIN9(const QString& ein);
/// Phone10: characters 1-3, 5-7 and 9-12 of a phone entered as NNN-NNN-NNNN (312-555-1234 gives 3125551234).
FieldValue Phone10(const QString& phone);
/// Amount(n, d): rounded half away from zero, n whole and d decimal digits, zero-filled, no point or sign.
/// Fails for a negative amount or one too large for n digits.
FieldValue Amount(Currency amount, int wholeDigits, int decimalDigits = 2);
/// Amount(n, d) of a computation that may have overflowed.
FieldValue Amount(const std::optional<Currency>& amount, int wholeDigits, int decimalDigits = 2);
/// Count(n): a whole number zero-filled to n digits. Fails for a negative number or one with more digits.
FieldValue Count(std::int64_t value, int digits);
/// Count(n) of the numeric value of a text (its leading number: "12-345" gives 12, "" gives 0).
FieldValue CountOfText(const QString& text, int digits);
/// The rate in percent as a fraction with the mask ".00000" (2.7 gives .02700). Fails at 100 percent or more.
FieldValue RateFraction(Currency ratePercent);
/// Year: the last 4 characters of the period's MMYYYY text. Fails when they are not four digits.
FieldValue Year(const QString& toMonthYear);
/// QuarterEndMonth: "03", "06", "09" for quarters "1" to "3", "12" for any other value.
FieldValue QuarterEndMonth(const QString& quarter);
/// ZipExt: the last 5 characters of a 10-character ZIP code (62701-1234 gives -1234), otherwise blank.
FieldValue ZipExt(const QString& zip);

} // namespace fields

/// One column of a record as the layout tables give it: first column (1-based), width, content, and the name
/// that a failure reports.
struct Column
{
    int start = 0;
    int length = 0;
    FieldValue content;
    const char* name = nullptr;
};

/// What follows the record's declared characters in the file.
enum class LineEnd
{
    None,
    Blank,
    CR,
    CRLF,
};

/// A fixed-field record built from its columns left to right. The columns must follow each other without gap or
/// overlap from column 1 to the declared length; a layout that does not, or a value that cannot be written in its
/// column, makes the record fail with a reason naming the column.
class FixedRecord
{
public:
    FixedRecord(int length, LineEnd lineEnd, std::initializer_list<Column> columns);

    bool ok() const { return m_failure.isEmpty(); }
    /// The record's bytes, line end included; empty after a failure.
    const QByteArray& bytes() const { return m_bytes; }
    /// Which column could not be written and why; empty when the record is complete.
    const QString& failureReason() const { return m_failure; }

private:
    void fail(const Column& column, const QString& reason);

    QByteArray m_bytes;
    QString m_failure;
};

} // namespace wagetrove
