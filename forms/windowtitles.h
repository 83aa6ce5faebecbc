#pragma once

#include <QStringList>

namespace wagetrove {

/// The titles of the desktop's top-level windows, first to last, each cut to 127 characters. Where the
/// platform does not let a program see other programs' windows, none.
QStringList topLevelWindowTitles();

} // namespace wagetrove
