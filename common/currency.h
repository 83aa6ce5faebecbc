#pragma once

#include <QString>

#include <compare>
#include <cstdint>
#include <optional>

namespace wagetrove {

/// Money, hours and rates: an exact fixed-point number, a 64-bit integer scaled by 10,000 (four decimals).
/// Never a double. Arithmetic that would leave the 64-bit range is reported, never wrapped.
class Currency
{
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr Currency() = default;

    static constexpr Currency fromRaw(std::int64_t raw)
    {
        Currency value;
        value.m_raw = raw;
        return value;
    }
    /// A whole number of units (dollars, hours, percent).
    static std::optional<Currency> fromUnits(std::int64_t units);

    /// Reads money as a user types it: "1234.5", "1,234.50", "$1,234.50", "-12", with blanks around.
    /// Digits past the fourth decimal are rounded half away from zero. Nothing for any other text or a value
    /// outside the range.
    static std::optional<Currency> fromText(const QString& text);

    constexpr std::int64_t raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }

    /// Exact sum or difference; nothing on overflow.
    std::optional<Currency> plus(Currency other) const;
    std::optional<Currency> minus(Currency other) const;

    constexpr auto operator<=>(const Currency&) const = default;

private:
    std::int64_t m_raw = 0;
};

} // namespace wagetrove
