#include "store/gridwindow.h"

#include "app/windowfinish.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace wagetrove {
namespace {

/// The grid: Delete and Esc outside an editor act on the current row; inside an editor they edit the text.
class GridView : public QTableView
{
public:
    GridView(std::function<void()> deleteRow, std::function<void()> revertRow, QWidget* parent)
        : QTableView(parent), m_deleteRow(std::move(deleteRow)), m_revertRow(std::move(revertRow))
    {}

    bool isEditing() const { return state() == EditingState; }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!isEditing() && event->key() == Qt::Key_Delete) {
            m_deleteRow();
        } else if (!isEditing() && event->key() == Qt::Key_Escape) {
            m_revertRow();
        } else {
            QTableView::keyPressEvent(event);
        }
    }

private:
    std::function<void()> m_deleteRow;
    std::function<void()> m_revertRow;
};

} // namespace

GridWindow::GridWindow(const QString& name, const QString& caption, const QSqlDatabase& store,
                       GridDefinition definition, QList<bool> shownColumns, Dialogs& dialogs, bool withRefresh,
                       QWidget* parent)
    : QDialog(parent), m_shownColumns(std::move(shownColumns))
{
    setObjectName(name);
    setWindowTitle(caption);
    m_model = new StoreGridModel(store, std::move(definition), dialogs, this);

    m_grid = new GridView([this] { deleteClicked(); }, [this] { m_model->revertPending(); }, this);
    m_grid->setObjectName(QStringLiteral("grdDataGrid"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton(QStringLiteral("cmdAdd"), QStringLiteral("&Add"), &GridWindow::addClicked));
    buttons->addWidget(addButton(QStringLiteral("cmdDelete"), QStringLiteral("&Delete"), &GridWindow::deleteClicked));
    if (withRefresh) {
        buttons->addWidget(
            addButton(QStringLiteral("cmdRefresh"), QStringLiteral("&Refresh"), &GridWindow::refreshClicked));
    }
    buttons->addWidget(addButton(QStringLiteral("cmdUpdate"), QStringLiteral("&Update"), &GridWindow::updateClicked));
    buttons->addWidget(addButton(QStringLiteral("cmdClose"), QStringLiteral("&Close"), &GridWindow::reject));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);

    // Leaving the row being edited writes it.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex&, const QModelIndex& previous) {
                if (previous.isValid() && previous.row() == m_model->editedRow()) {
                    m_model->submitPending();
                }
            });

    applyColumnLayout();
    m_model->load();
    m_grid->resizeColumnsToContents();
    makeCurrent(0);
    resize(900, 500);
    finishWindow(this);
}

QPushButton* GridWindow::addButton(const QString& name, const QString& caption, void (GridWindow::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    // Enter belongs to the grid's editor, never to a button.
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

void GridWindow::commitOpenEditor()
{
    if (static_cast<GridView*>(m_grid)->isEditing()) {
        // Taking the focus from the editor hands its text to the model, as leaving the cell does.
        m_grid->setFocus();
    }
}

void GridWindow::makeCurrent(int row)
{
    if (row < 0 || row >= m_model->rowCount()) {
        return;
    }
    int column = m_grid->currentIndex().isValid() ? m_grid->currentIndex().column() : 0;
    for (int i = 0; m_grid->isColumnHidden(column) && i < m_model->columnCount(); ++i) {
        column = (column + 1) % m_model->columnCount();
    }
    m_grid->setCurrentIndex(m_model->index(row, column));
}

void GridWindow::addClicked()
{
    commitOpenEditor();
    const int row = m_model->addRow();
    m_grid->setFocus();
    makeCurrent(row);
    m_grid->scrollTo(m_grid->currentIndex());
    m_grid->edit(m_grid->currentIndex());
}

void GridWindow::deleteClicked()
{
    commitOpenEditor();
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid()) {
        return;
    }
    makeCurrent(m_model->deleteRow(current.row()));
}

void GridWindow::refreshClicked()
{
    commitOpenEditor();
    const int row = m_grid->currentIndex().row();
    m_model->load();
    makeCurrent(qMin(row, m_model->rowCount() - 1));
}

void GridWindow::updateClicked()
{
    commitOpenEditor();
    m_model->submitPending();
    makeCurrent(m_model->lastModifiedRow());
}

void GridWindow::reject()
{
    commitOpenEditor();
    m_model->submitPending();
    QDialog::reject();
}

void GridWindow::applyColumnLayout()
{
    for (int column = 0; column < m_shownColumns.size(); ++column) {
        m_grid->setColumnHidden(column, !m_shownColumns[column]);
    }
}

void GridWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    applyColumnLayout();
}

} // namespace wagetrove
