#include "writers/fixedrecord.h"

#include "common/numerictext.h"

#include <QChar>
#include <QList>

#include <algorithm>

namespace wagetrove {

namespace {

// Letters that have no decomposition into a plain letter and a mark, spelled as their plain letters.
QString spelledOut(char32_t codePoint)
{
    switch (codePoint) {
    case U'ß':
        return QStringLiteral("ss");
    case U'Æ':
        return QStringLiteral("AE");
    case U'æ':
        return QStringLiteral("ae");
    case U'Œ':
        return QStringLiteral("OE");
    case U'œ':
        return QStringLiteral("oe");
    case U'Ø':
        return QStringLiteral("O");
    case U'ø':
        return QStringLiteral("o");
    case U'Ł':
        return QStringLiteral("L");
    case U'ł':
        return QStringLiteral("l");
    case U'Đ':
        return QStringLiteral("D");
    case U'đ':
        return QStringLiteral("d");
    case U'Þ':
        return QStringLiteral("TH");
    case U'þ':
        return QStringLiteral("th");
    default:
        return QStringLiteral("?");
    }
}

bool isPlainAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) {
            return false;
        }
    }
    return true;
}

} // namespace

QString plainAscii(const QString& text)
{
    if (isPlainAscii(text)) {
        return text;
    }
    QString plain;
    plain.reserve(text.size());
    const QList<uint> codePoints = text.normalized(QString::NormalizationForm_KD).toUcs4();
    for (const uint codePoint : codePoints) {
        if (codePoint >= 0x20 && codePoint <= 0x7E) {
            plain.append(QChar(char16_t(codePoint)));
        } else if (codePoint < 0x20 || codePoint == 0x7F || codePoint == 0x2028 || codePoint == 0x2029) {
            plain.append(QLatin1Char(' '));
        } else if (const QChar::Category category = QChar::category(char32_t(codePoint));
                   category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
                   category == QChar::Mark_Enclosing) {
            // The accent of a decomposed letter: the letter itself is already written.
        } else if (category == QChar::Separator_Space) {
            plain.append(QLatin1Char(' '));
        } else {
            plain.append(spelledOut(char32_t(codePoint)));
        }
    }
    return plain;
}

FieldValue FieldValue::fitted(const QString& text)
{
    FieldValue value;
    value.m_fitted = true;
    value.m_text = plainAscii(text);
    return value;
}

FieldValue FieldValue::exact(const FieldText& text)
{
    FieldValue value;
    value.m_text = text.text();
    value.m_failure = text.failureReason();
    return value;
}

namespace fields {

FieldValue Text(const QString& value)
{
    return FieldValue::fitted(value);
}

FieldValue UpperText(const QString& value)
{
    // Folded first, so that ß becomes SS and not a "?" in a name written in capitals.
    return FieldValue::fitted(plainAscii(value).toUpper());
}

FieldValue Blank()
{
    return FieldValue::fitted(QString());
}

FieldValue Fixed(const char* code)
{
    return FieldValue::exact(FieldText::written(QLatin1String(code)));
}

FieldValue EIN9(const QString& ein)
{
    return FieldValue::fitted(ein.left(2) + ein.right(7));
}

FieldValue Phone10(const QString& phone)
{
    return FieldValue::fitted(phone.mid(0, 3) + phone.mid(4, 3) + phone.mid(8, 4));
}

FieldValue Amount(Currency amount, int wholeDigits, int decimalDigits)
{
    return FieldValue::exact(amountField(amount, wholeDigits, decimalDigits));
}

FieldValue Amount(const std::optional<Currency>& amount, int wholeDigits, int decimalDigits)
{
    if (!amount) {
        return FieldValue::exact(FieldText::failure(QStringLiteral("The amount is too large to be computed.")));
    }
    return Amount(*amount, wholeDigits, decimalDigits);
}

FieldValue Count(std::int64_t value, int digits)
{
    return FieldValue::exact(countField(value, digits));
}

FieldValue CountOfText(const QString& text, int digits)
{
    return FieldValue::exact(countField(numericValueOf(text), digits));
}

FieldValue RateFraction(Currency ratePercent)
{
    return FieldValue::exact(rateFractionField(ratePercent));
}

FieldValue Year(const QString& toMonthYear)
{
    const QString year = toMonthYear.right(4);
    bool digits = year.size() == 4;
    for (const QChar c : year) {
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    }
    if (!digits) {
        return FieldValue::exact(FieldText::failure(
            QStringLiteral("The period \"%1\" does not end in a year of four digits.").arg(toMonthYear)));
    }
    return FieldValue::exact(FieldText::written(year));
}

FieldValue QuarterEndMonth(const QString& quarter)
{
    if (quarter == QLatin1String("1")) {
        return Fixed("03");
    }
    if (quarter == QLatin1String("2")) {
        return Fixed("06");
    }
    if (quarter == QLatin1String("3")) {
        return Fixed("09");
    }
    return Fixed("12");
}

FieldValue ZipExt(const QString& zip)
{
    return FieldValue::fitted(zip.size() == 10 ? zip.right(5) : QString());
}

} // namespace fields

FixedRecord::FixedRecord(int length, LineEnd lineEnd, std::initializer_list<Column> columns)
{
    // The record is written as bytes from the start: every text here is plain ASCII, and a field written
    // straight into its columns costs no copy of its own.
    QByteArray record;
    record.reserve(length + 2);
    for (const Column& column : columns) {
        const int expectedStart = int(record.size()) + 1;
        if (column.length <= 0 || column.start != expectedStart) {
            fail(column, QStringLiteral("The layout expects a column starting at %1.").arg(expectedStart));
            return;
        }
        if (!column.content.failureReason().isEmpty()) {
            fail(column, column.content.failureReason());
            return;
        }
        const QString& text = column.content.text();
        const qsizetype kept = std::min<qsizetype>(text.size(), column.length);
        if (!column.content.fitsAnyWidth() && (text.size() != column.length || !isPlainAscii(text))) {
            fail(column, QStringLiteral("\"%1\" does not fill the column exactly.").arg(text));
            return;
        }
        const qsizetype at = record.size();
        record.resize(at + column.length);
        char* const out = record.data() + at;
        for (qsizetype i = 0; i < kept; ++i) {
            const char16_t c = text[i].unicode();
            out[i] = c < 0x100 ? char(c) : '?';
        }
        std::fill(out + kept, out + column.length, ' ');
    }
    if (record.size() != length) {
        m_failure =
            QStringLiteral("The columns end at %1, not at the record's length %2.").arg(record.size()).arg(length);
        return;
    }
    switch (lineEnd) {
    case LineEnd::None:
        break;
    case LineEnd::Blank:
        record += ' ';
        break;
    case LineEnd::CR:
        record += '\r';
        break;
    case LineEnd::CRLF:
        record += "\r\n";
        break;
    }
    m_bytes = record;
}

void FixedRecord::fail(const Column& column, const QString& reason)
{
    const QString columns =
        column.length == 1 ? QStringLiteral("column %1").arg(column.start)
                           : QStringLiteral("columns %1-%2").arg(column.start).arg(column.start + column.length - 1);
    m_failure = column.name ? QStringLiteral("%1 (%2): %3").arg(QLatin1String(column.name), columns, reason)
                            : QStringLiteral("%1: %2").arg(columns, reason);
}

} // namespace wagetrove
