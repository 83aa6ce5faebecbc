#pragma once

#include "app/session.h"

#include <QTemporaryDir>

#include <memory>

namespace wagetrove::test {

/// A session over a fresh copy of the empty store in a temporary data folder, with its settings file beside it.
class StoreFixture
{
public:
    StoreFixture();

    Session& session() { return *m_session; }
    /// Runs a statement on the session's store, opening it for the call when closed; false on failure.
    bool exec(const QString& statement);
    /// The first value of a query's first row.
    QVariant value(const QString& query);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Session> m_session;
};

/// The rows a statement reads from the store of `dataFolder` (its path ends in "/"): values joined by "|", rows
/// by new lines; "failed: " and the statement when it does not run.
QString storeRows(const QString& dataFolder, const QString& statement);

} // namespace wagetrove::test
