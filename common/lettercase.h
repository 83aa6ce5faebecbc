#pragma once

#include <QString>

namespace wagetrove {

/// The text in upper case, as QString::toUpper() gives it. Nearly every payroll text is ASCII, which is converted
/// here without Qt's Unicode tables: a load converts several names of each of its employees.
QString upperCased(const QString& text);

/// The text case-folded, as QString::toCaseFolded() gives it, with the same shortcut for ASCII.
QString caseFolded(const QString& text);

} // namespace wagetrove
