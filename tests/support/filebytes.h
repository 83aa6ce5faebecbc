#pragma once

#include <QByteArray>
#include <QString>

namespace wagetrove::test {

/// The whole content of a file; empty when it cannot be read.
QByteArray bytesOf(const QString& path);

/// Writes `bytes` as the whole content of a file; false when it could not.
bool writeBytes(const QString& path, const QByteArray& bytes);

} // namespace wagetrove::test
