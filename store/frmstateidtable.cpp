#include "store/frmstateidtable.h"

#include "store/gridtables.h"

namespace wagetrove {

frmStateIDTable::frmStateIDTable(const QSqlDatabase& store, Dialogs& dialogs, QWidget* parent)
    : GridWindow(QStringLiteral("frmStateIDTable"), QStringLiteral("StateIDTable"), store, stateIdTableGrid(), {},
                 dialogs, false, parent)
{}

} // namespace wagetrove
