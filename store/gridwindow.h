#pragma once

#include "store/storegridmodel.h"

#include <QDialog>

class QPushButton;
class QTableView;

namespace wagetrove {

/// A window with a grid over one table of the wage store and a row of buttons below: "&Add", "&Delete",
/// "&Refresh" (when asked for), "&Update" and "&Close". Leaving a row writes it; the Delete key deletes the
/// current row and Esc forgets the unwritten changes of the row being edited.
class GridWindow : public QDialog
{
    Q_OBJECT

public:
    /// `shownColumns` says which columns show (all when empty); it is applied again after every resize, once the
    /// grid has its new height.
    GridWindow(const QString& name, const QString& caption, const QSqlDatabase& store, GridDefinition definition,
               QList<bool> shownColumns, Dialogs& dialogs, bool withRefresh, QWidget* parent = nullptr);

    StoreGridModel& model() { return *m_model; }
    QTableView* grid() const { return m_grid; }

    /// "&Close": writes the row being edited and closes the window. The close box and Esc outside the grid do
    /// the same.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* addButton(const QString& name, const QString& caption, void (GridWindow::*handler)());
    void addClicked();
    void deleteClicked();
    void refreshClicked();
    void updateClicked();
    void makeCurrent(int row);
    void commitOpenEditor();
    void applyColumnLayout();

    StoreGridModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QList<bool> m_shownColumns;
};

} // namespace wagetrove
