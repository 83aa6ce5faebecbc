#include "store/frmgrosstaxable.h"

#include "store/gridtables.h"

namespace wagetrove {

frmGrossTaxable::frmGrossTaxable(const QSqlDatabase& store, StateItem state, Dialogs& dialogs, QWidget* parent)
    : GridWindow(QStringLiteral("frmGrossTaxable"), QStringLiteral("Wage Details"), store, wageDetailsGrid(),
                 wageDetailsColumnsShown(state), dialogs, true, parent)
{}

} // namespace wagetrove
