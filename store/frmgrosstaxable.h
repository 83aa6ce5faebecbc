#pragma once

#include "store/gridwindow.h"

namespace wagetrove {

enum class StateItem;

/// "Wage Details": the quarter's employees, with the columns the chosen state's report uses.
class frmGrossTaxable : public GridWindow
{
    Q_OBJECT

public:
    frmGrossTaxable(const QSqlDatabase& store, StateItem state, Dialogs& dialogs, QWidget* parent = nullptr);
};

} // namespace wagetrove
