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

} // namespace wagetrove::test
