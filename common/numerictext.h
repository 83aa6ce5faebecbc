#pragma once

#include <QString>

namespace wagetrove {

/// The numeric value of a text: its leading number, read the way the classic Val() reads it. Blanks, tabs and
/// line feeds anywhere are skipped; reading stops at the first character that cannot continue the number.
/// "12-345" gives 12, "" gives 0, " 1 2.5e1x" gives 125.
double numericValueOf(const QString& text);

} // namespace wagetrove
