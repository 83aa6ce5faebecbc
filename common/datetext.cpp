#include "common/datetext.h"

namespace wagetrove {

std::optional<QDate> parseDateText(const QString& text)
{
    if (text.size() != 10) {
        return std::nullopt;
    }
    const QDate date = QDate::fromString(text, QStringLiteral("MM/dd/yyyy"));
    if (!date.isValid()) {
        return std::nullopt;
    }
    return date;
}

} // namespace wagetrove
