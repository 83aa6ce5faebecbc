#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace wagetrove {

/// A date typed as MM/DD/YYYY: exactly ten characters and a real calendar date. Nothing otherwise.
std::optional<QDate> parseDateText(const QString& text);

/// The date as MM/DD/YYYY.
QString dateText(const QDate& date);

} // namespace wagetrove
