#include "tests/support/storefixture.h"

#include "tests/support/testenvironment.h"

#include <QSqlQuery>

namespace wagetrove::test {

StoreFixture::StoreFixture() : m_session(std::make_unique<Session>())
{
    m_session->DataFolder = m_dir.path() + QLatin1Char('/');
    m_session->SettingsFile = m_session->DataFolder + QStringLiteral("suta.ini");
    copyEmptyStore(m_session->DataFolder + WageStore::kFileName);
}

namespace {

template <typename Use>
auto withStore(Session& session, Use use)
{
    WageStore own;
    WageStore& store = session.Store.isOpen() ? session.Store : own;
    if (!store.isOpen()) {
        store.open(session.DataFolder + WageStore::kFileName);
    }
    QSqlQuery query(store.database());
    return use(query);
}

} // namespace

bool StoreFixture::exec(const QString& statement)
{
    return withStore(*m_session, [&](QSqlQuery& query) { return query.exec(statement); });
}

QVariant StoreFixture::value(const QString& statement)
{
    return withStore(*m_session, [&](QSqlQuery& query) {
        return query.exec(statement) && query.next() ? query.value(0) : QVariant();
    });
}

} // namespace wagetrove::test
