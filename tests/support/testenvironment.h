#pragma once

#include "app/startup.h"

#include <QDate>
#include <QString>

namespace wagetrove::test {

/// The folder where the build puts the program and the files that ship with it.
QString programFolder();

/// Copies the empty store that ships with the program to `path`.
bool copyEmptyStore(const QString& path);

} // namespace wagetrove::test
