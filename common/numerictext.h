#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace wagetrove {

/// A number as written in a text, kept without loss: (negative ? -1 : 1) × digits × 10^exponent.
struct DecimalNumber
{
    bool negative = false;
    QString digits; ///< ASCII digits, at least one; leading zeros allowed.
    std::int64_t exponent = 0;
};

/// Reads a text that is a number and nothing else: blanks (spaces, tabs) around it and between the sign and the
/// digits, an optional sign, digits with an optional decimal point (at least one digit, "5." and ".5" both count)
/// and an optional exponent ("e" or "E", an optional sign and at least one digit). No currency sign, no group
/// separators. Nothing for any other text.
std::optional<DecimalNumber> readDecimalNumber(const QString& text);

/// Whether the whole text reads as a number, as readDecimalNumber() reads it: " -12.5e3 " is numeric; "", "1,000",
/// "$5", "1e", "12A" and "." are not.
bool isNumeric(const QString& text);

/// The numeric value of a text: its leading number, read the way the classic Val() reads it. Blanks, tabs and
/// line feeds anywhere are skipped; reading stops at the first character that cannot continue the number; an
/// exponent is "e" or "d" (either case) followed by digits. "12-345" gives 12, "" gives 0, " 1 2.5e1x" gives 125.
/// A value beyond the range of a double gives an infinity of its sign.
double numericValueOf(const QString& text);

} // namespace wagetrove
