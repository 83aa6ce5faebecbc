#include "totals/stateidwriteback.h"

#include "app/session.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"
#include "store/wagestore.h"

namespace wagetrove {

std::optional<QString> updateStateIdRow(Session& session, StateIdField field, const QString& value,
                                        bool anyStateInStandAlone)
{
    const QString what = field == StateIdField::StateID ? QStringLiteral("State ID") : QStringLiteral("county code");
    const QString column =
        field == StateIdField::StateID ? QStringLiteral("[StateID]") : QStringLiteral("[County Code]");
    const bool anyState = anyStateInStandAlone && session.StandAlone;
    try {
        // A command that holds the store lends it; otherwise the store is opened for this change alone.
        WageStore ownStore;
        WageStore& store = session.Store.isOpen() ? session.Store : ownStore;
        if (!store.isOpen()) {
            store.open(session.DataFolder + WageStore::kFileName);
        }
        QString match = QStringLiteral("[EIN] = ?");
        QVariantList values{value, session.Form3.Text8};
        if (!anyState) {
            match += QStringLiteral(" AND [State] = ?");
            values << session.StateAbbrev;
        }
        Transaction transaction(store.database());
        exec(store.database(),
             QStringLiteral("UPDATE [StateIDTable] SET %1 = ? WHERE rowid = (SELECT rowid FROM [StateIDTable] WHERE %2 "
                            "ORDER BY [EIN], rowid LIMIT 1)")
                 .arg(column, match),
             values);
        transaction.commit();
    } catch (const StoreError& error) {
        return QStringLiteral("The %1 could not be saved in the wage store. %2").arg(what, error.message());
    }
    return std::nullopt;
}

} // namespace wagetrove
