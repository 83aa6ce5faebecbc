// Money, numbers and dates as typed into the settings, a workbook cell or a report: the bytes are read as UTF-8
// and as Latin-1 by every text reader, and readers whose forms overlap must read the overlap alike.
#include "common/currency.h"
#include "common/datetext.h"
#include "common/numerictext.h"
#include "fuzz/fuzzsupport.h"

#include <QByteArrayView>
#include <QString>

#include <cmath>
#include <cstdlib>

using wagetrove::Currency;
using wagetrove::fuzz::require;

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

void checkMoney(const QString& text, QByteArrayView bytes)
{
    const std::optional<Currency> typed = Currency::fromText(text);
    const std::optional<Currency> numeric = Currency::fromNumericText(text);
    const std::optional<Currency> any = Currency::fromAnyText(text);
    // The plain form is ASCII, so the bytes and either reading of them are the same text.
    if (const std::optional<Currency> plain = Currency::fromPlainDecimal(bytes)) {
        require(typed == plain);
        require(numeric == plain);
    }
    // Both read a sign, digits and a point with blanks around; they differ only in what else they accept.
    if (typed && numeric) {
        require(*typed == *numeric);
    }
    require(any == (typed ? typed : numeric));

    for (const std::optional<Currency>& value : {typed, numeric}) {
        if (!value) {
            continue;
        }
        // Rounding moves a value by at most half a unit of the last place kept; every operation reports
        // overflow rather than wrapping, which the sanitizer would catch.
        if (const std::optional<Currency> cents = value->rounded(2)) {
            require(std::llabs(cents->raw() - value->raw()) <= 50);
            require(cents->raw() % 100 == 0);
        }
        (void)value->times(*value, 2);
        (void)value->atRate(*value);
        (void)value->dividedBy(-1);
        (void)value->plus(*value);
        (void)value->minus(*value);
    }
}

void checkNumber(const QString& text)
{
    const std::optional<wagetrove::DecimalNumber> number = wagetrove::readDecimalNumber(text);
    require(number.has_value() == wagetrove::isNumeric(text));
    const std::optional<Currency> exact = Currency::fromNumericText(text);
    require(!exact || number);
    if (number) {
        require(!number->digits.isEmpty());
        for (const QChar c : number->digits) {
            require(isAsciiDigit(c));
        }
    }

    const double value = wagetrove::numericValueOf(text);
    require(!std::isnan(value));
    // A numeric text is read by numericValueOf() in full, so the double and the exact value agree to the
    // rounding of the fourth decimal.
    if (exact) {
        const double rounded = double(exact->raw()) / double(Currency::kScale);
        const double tolerance = 0.5 / double(Currency::kScale) * (1 + 1e-9) + std::fabs(rounded) * 1e-15;
        require(std::fabs(value - rounded) <= tolerance);
    }
}

void checkDate(const QString& text)
{
    const std::optional<QDate> date = wagetrove::parseDateText(text);
    if (date) {
        require(date->isValid());
        require(QString::asprintf("%02d/%02d/%04d", date->month(), date->day(), date->year()) == text);
        return;
    }
    // Every real date in the form is read.
    if (text.size() != 10 || text[2] != QLatin1Char('/') || text[5] != QLatin1Char('/')) {
        return;
    }
    for (const int i : {0, 1, 3, 4, 6, 7, 8, 9}) {
        if (!isAsciiDigit(text[i])) {
            return;
        }
    }
    const int month = QStringView(text).mid(0, 2).toInt();
    const int day = QStringView(text).mid(3, 2).toInt();
    const int year = QStringView(text).mid(6, 4).toInt();
    require(!QDate::isValid(year, month, day));
}

void checkText(const QString& text, QByteArrayView bytes)
{
    checkMoney(text, bytes);
    checkNumber(text);
    checkDate(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = wagetrove::fuzz::bytesOf(data, size);
    checkText(QString::fromUtf8(bytes), bytes);
    checkText(QString::fromLatin1(bytes), bytes);
    return 0;
}
