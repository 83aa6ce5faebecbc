#pragma once

#include <QString>

#include <stdexcept>

namespace wagetrove {

/// Starts the message of a store failure met by a bound window (the Submitter row, the grids); the error's text
/// follows.
inline const QString kDataErrorPrefix = QStringLiteral("Data error event hit err:");

/// A failure of the wage store (file missing, locked, not a store, a statement that failed). The message is
/// written for the user: it names the file or the operation and what went wrong.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}

    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace wagetrove
