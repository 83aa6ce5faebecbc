#include "tests/support/storefixture.h"

#include "tests/support/testenvironment.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace wagetrove::test {

StoreFixture::StoreFixture() : m_session(std::make_unique<Session>())
{
    m_session->DataFolder = m_dir.path() + QLatin1Char('/');
    m_session->SettingsFile = m_session->DataFolder + QStringLiteral("suta.ini");
    copyEmptyStore(m_session->DataFolder + WageStore::kFileName);
}

namespace {

/// Runs `statement` on the session's store, opening it for the call when closed: whether it ran, and the first
/// value of its first row.
std::pair<bool, QVariant> run(Session& session, const QString& statement)
{
    WageStore own;
    WageStore& store = session.Store.isOpen() ? session.Store : own;
    if (!store.isOpen()) {
        store.open(session.DataFolder + WageStore::kFileName);
    }
    QSqlQuery query(store.database());
    const bool ran = query.exec(statement);
    return {ran, ran && query.next() ? query.value(0) : QVariant()};
}

} // namespace

bool StoreFixture::exec(const QString& statement)
{
    return run(*m_session, statement).first;
}

QVariant StoreFixture::value(const QString& statement)
{
    return run(*m_session, statement).second;
}

QString storeRows(const QString& dataFolder, const QString& statement)
{
    WageStore store;
    store.open(dataFolder + WageStore::kFileName);
    QSqlQuery rows(store.database());
    if (!rows.exec(statement)) {
        return QStringLiteral("failed: ") + statement;
    }
    QStringList lines;
    while (rows.next()) {
        QStringList values;
        for (int i = 0; i < rows.record().count(); ++i) {
            values << rows.value(i).toString();
        }
        lines << values.join(QLatin1Char('|'));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace wagetrove::test
