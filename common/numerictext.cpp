#include "common/numerictext.h"

namespace wagetrove {

double numericValueOf(const QString& text)
{
    QString compact;
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r')) {
            compact += c;
        }
    }

    const auto isDigit = [&](qsizetype i) { return i < compact.size() && compact[i].isDigit() && compact[i].unicode() < 128; };
    qsizetype end = 0;
    if (end < compact.size() && (compact[end] == QLatin1Char('-') || compact[end] == QLatin1Char('+'))) {
        ++end;
    }
    const qsizetype digitsStart = end;
    while (isDigit(end)) {
        ++end;
    }
    if (end < compact.size() && compact[end] == QLatin1Char('.')) {
        ++end;
        while (isDigit(end)) {
            ++end;
        }
    }
    if (end == digitsStart || (end == digitsStart + 1 && compact[digitsStart] == QLatin1Char('.'))) {
        return 0.0;
    }
    // An exponent counts only when digits follow it.
    if (end < compact.size() && (compact[end] == QLatin1Char('e') || compact[end] == QLatin1Char('E') ||
                                 compact[end] == QLatin1Char('d') || compact[end] == QLatin1Char('D'))) {
        qsizetype exponent = end + 1;
        if (exponent < compact.size() && (compact[exponent] == QLatin1Char('-') || compact[exponent] == QLatin1Char('+'))) {
            ++exponent;
        }
        if (isDigit(exponent)) {
            while (isDigit(exponent)) {
                ++exponent;
            }
            QString number = compact.left(exponent);
            number[end] = QLatin1Char('e');
            return number.toDouble();
        }
    }
    return compact.left(end).toDouble();
}

} // namespace wagetrove
