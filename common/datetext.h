#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace wagetrove {

/// A date typed as MM/DD/YYYY: exactly ten characters and a real calendar date. Nothing otherwise.
std::optional<QDate> parseDateText(const QString& text);

} // namespace wagetrove
