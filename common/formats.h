#pragma once

#include "common/currency.h"

#include <QString>

#include <concepts>
#include <cstdint>
#include <utility>

namespace wagetrove {

// The number texts the program shows and files. Rounding is exact arithmetic on the value given (never a detour
// through a double) and goes half away from zero. A value that rounds to zero shows no minus sign.

/// Money in the totals window, mask "$##,###,###.00": a dollar sign, comma groups, two decimals and no digit forced
/// before the point. 1234.5 gives $1,234.50, 0.5 gives $.50, 0 gives $.00. A negative amount gets a minus sign in
/// front of everything: -$1,234.50. Amounts above the mask's eight whole digits keep every digit and group.
QString formatDollars(Currency amount);

/// A rate in percent, mask "##.##0": three decimals, no digit forced before the point. 2.7 gives 2.700, 0.5 gives
/// .500, 0 gives .000, -1.5 gives -1.500.
QString formatRate(Currency rate);

/// Mask "###########0.00": two decimals, at least one whole digit, no groups and no currency sign. 1234.5 gives
/// 1234.50, 0.5 gives 0.50, -3 gives -3.00.
QString formatTwoDecimals(Currency amount);

/// Money as a user reads it in a grid: comma groups, at least one whole digit, two decimals and up to four when
/// the value has them, so that nothing stored is hidden. 1234.5 gives 1,234.50, 0.5 gives 0.50, 12.3456 gives
/// 12.3456, -3 gives -3.00.
QString formatGroupedAmount(Currency amount);

/// The plain decimal form of a number: no trailing zeros after the point, no point for a whole number, a leading
/// zero below one. 1234.50 gives 1234.5, 40.00 gives 40, 0.075 gives 0.075, -0.075 gives -0.075.
/// (A whole-number count's plain form is QString::number.)
QString formatPlainDecimal(Currency value);

/// The text of a fixed-width field of a state file, or why the value cannot be written there. A field never
/// receives a number that has been shifted or cut to fit: such a value is a failure with a reason.
class [[nodiscard]] FieldText
{
public:
    static FieldText written(QString text) { return FieldText(std::move(text), QString()); }
    static FieldText failure(QString reason) { return FieldText(QString(), std::move(reason)); }

    bool ok() const { return m_failure.isEmpty(); }
    /// The field's characters; empty after a failure.
    const QString& text() const { return m_text; }
    /// Why the value cannot be written; empty when it can.
    const QString& failureReason() const { return m_failure; }

private:
    FieldText(QString text, QString failure) : m_text(std::move(text)), m_failure(std::move(failure)) {}

    QString m_text;
    QString m_failure;
};

/// Amount(n, d): the amount rounded to d decimals (0 to 4), written as n whole digits and d decimal digits,
/// zero-filled on the left, with no point and no sign: 12345.6 as Amount(12, 2) is 00000001234560.
/// Fails for a negative amount and for one whose whole part needs more than n digits.
FieldText amountField(Currency amount, int wholeDigits, int decimalDigits = 2);

/// Count(n), and the zero-filled masks "000", "00000" and "00000000": a whole number written with exactly n digits,
/// zero-filled on the left. Fails for a negative number and for one that needs more than n digits.
FieldText countField(std::int64_t value, int digits);

/// Count(n) of a value with decimals, rounded to a whole number first: hours of 40.5 as Count(3) give 041.
FieldText countField(Currency value, int digits);

/// Count(n) of the numeric value of a text, rounded to a whole number first (numericValueOf("2.5") as Count(7)
/// gives 0000003). Fails also for an infinite or undefined value.
FieldText countField(double value, int digits);

/// Count(n) of any other whole-number type (the employee count, a month count).
template <std::integral Whole>
FieldText countField(Whole value, int digits)
{
    if (!std::in_range<std::int64_t>(value)) {
        return FieldText::failure(QStringLiteral("The number %1 does not fit in a field of %2 digits.")
                                      .arg(QString::number(value))
                                      .arg(digits));
    }
    return countField(static_cast<std::int64_t>(value), digits);
}

/// A rate in percent as a fraction with the mask ".00000": the rate ÷ 100 rounded to five decimals after a leading
/// point, six characters. 2.7 gives .02700, 0 gives .00000, 2.7125 gives .02713. Fails for a negative rate and for
/// one of 100 or more, which would not fit the six characters.
FieldText rateFractionField(Currency ratePercent);

} // namespace wagetrove
