#pragma once

#include "store/gridwindow.h"

namespace wagetrove {

/// "StateIDTable": the company's account numbers and payroll items per state.
class frmStateIDTable : public GridWindow
{
    Q_OBJECT

public:
    frmStateIDTable(const QSqlDatabase& store, Dialogs& dialogs, QWidget* parent = nullptr);
};

} // namespace wagetrove
