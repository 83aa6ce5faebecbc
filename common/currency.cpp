#include "common/currency.h"

#include <QStringList>

#include <limits>

namespace wagetrove {

std::optional<Currency> Currency::fromUnits(std::int64_t units)
{
    std::int64_t raw = 0;
    if (__builtin_mul_overflow(units, kScale, &raw)) {
        return std::nullopt;
    }
    return fromRaw(raw);
}

std::optional<Currency> Currency::fromText(const QString& text)
{
    QString s = text.trimmed();
    bool negative = false;
    if (s.startsWith(QLatin1Char('-'))) {
        negative = true;
        s = s.mid(1).trimmed();
    } else if (s.startsWith(QLatin1Char('+'))) {
        s = s.mid(1).trimmed();
    }
    if (s.startsWith(QLatin1Char('$'))) {
        s = s.mid(1).trimmed();
        if (!negative && s.startsWith(QLatin1Char('-'))) {
            negative = true;
            s = s.mid(1);
        }
    }
    if (s.isEmpty()) {
        return std::nullopt;
    }

    // Whole part: digits, optionally grouped by commas of three digits each.
    const qsizetype point = s.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? s : s.left(point);
    const QString fraction = point < 0 ? QString() : s.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty()) {
        return std::nullopt;
    }
    const QStringList groups = whole.split(QLatin1Char(','));
    QString digits;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString& group = groups[i];
        const bool sizeOk = groups.size() == 1 || (i == 0 ? !group.isEmpty() && group.size() <= 3 : group.size() == 3);
        if (!sizeOk) {
            return std::nullopt;
        }
        digits += group;
    }
    for (const QChar c : digits + fraction) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }

    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t raw = 0;
    for (const QChar c : digits) {
        if (__builtin_mul_overflow(raw, 10, &raw) || __builtin_add_overflow(raw, c.digitValue(), &raw)) {
            return std::nullopt;
        }
    }
    if (__builtin_mul_overflow(raw, kScale, &raw)) {
        return std::nullopt;
    }
    std::int64_t place = kScale / 10;
    for (qsizetype i = 0; i < fraction.size() && i < 4; ++i, place /= 10) {
        raw += fraction[i].digitValue() * place;
    }
    if (fraction.size() > 4 && fraction[4].digitValue() >= 5) {
        if (raw == kMax) {
            return std::nullopt;
        }
        ++raw;
    }
    return fromRaw(negative ? -raw : raw);
}

std::optional<Currency> Currency::plus(Currency other) const
{
    std::int64_t raw = 0;
    if (__builtin_add_overflow(m_raw, other.m_raw, &raw)) {
        return std::nullopt;
    }
    return fromRaw(raw);
}

std::optional<Currency> Currency::minus(Currency other) const
{
    std::int64_t raw = 0;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &raw)) {
        return std::nullopt;
    }
    return fromRaw(raw);
}

} // namespace wagetrove
