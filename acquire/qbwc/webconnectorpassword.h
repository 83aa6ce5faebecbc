#pragma once

#include <QString>

namespace wagetrove {

/// The Web Connector password as the settings file keeps it: never the password, only a salted PBKDF2-SHA256
/// key, written "pbkdf2-sha256$ROUNDS$SALT$KEY" (salt and key in base64; a new random salt each time it is set).
QString passwordRecord(const QString& password);

/// Whether `password` is the one `record` was made from. Always derives the key and compares every byte, so
/// that the time taken does not tell how much of a guess was right. A record not in the form above matches
/// nothing.
bool passwordMatches(const QString& password, const QString& record);

/// Whether two texts are equal, compared without stopping at the first difference.
bool equalInConstantTime(const QByteArray& a, const QByteArray& b);

} // namespace wagetrove
