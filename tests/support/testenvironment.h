#pragma once

#include "app/startup.h"

#include <QDate>
#include <QString>

namespace wagetrove::test {

/// The folder where the build puts the program and the files that ship with it.
QString programFolder();

/// A start-up environment over the built program's templates, a documents folder of the test's own and a
/// fixed day.
StartupEnvironment startupEnvironment(const QString& documentsFolder, QDate today = QDate(2025, 5, 15));

/// Copies the empty store that ships with the program to `path`.
bool copyEmptyStore(const QString& path);

} // namespace wagetrove::test
