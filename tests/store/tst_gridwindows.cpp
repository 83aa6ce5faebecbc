#include "app/commands.h"
#include "app/statecatalogue.h"
#include "store/frmgrosstaxable.h"
#include "store/frmstateidtable.h"
#include "store/gridtables.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace wagetrove;

namespace {

// SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages of the stored employees, in last-name order.
const QString kEmployeeColumns = QStringLiteral("Name, SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages");
const char* const kEmployees[] = {
    "'ANA B COLE', '111223333', 'COLE', 'ANA', 'B', 12345000, 70000000",
    "'LEE  DIAZ', '222334444', 'DIAZ', 'LEE', '', 5000000, 5000000",
    "'MAE  EVANS', '333445555', 'EVANS', 'MAE', '', 1000000, 1000000",
};

} // namespace

class TestGridWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;
    std::unique_ptr<GridWindow> m_window;

    void openWageDetails(StateItem state = StateItem::Illinois)
    {
        m_window = std::make_unique<frmGrossTaxable>(m_store->session().Store.database(), state, m_dialogs);
        showWindow();
    }

    void showWindow()
    {
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    /// Types into the grid as a user does: the first key opens the cell's editor, the rest go to it.
    void type(const QString& text)
    {
        for (const QChar c : text) {
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        }
    }

    QTableView* grid() const { return m_window->grid(); }
    QModelIndex cell(int row, int column) const { return m_window->model().index(row, column); }
    QString shown(int row, int column) const { return cell(row, column).data().toString(); }
    QPushButton* button(const char* name) const { return m_window->findChild<QPushButton*>(QLatin1String(name)); }
    QString stored(const QString& query) { return m_store->value(query).toString(); }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_store->session().Store.open(m_store->session().DataFolder + WageStore::kFileName);
        for (const char* values : kEmployees) {
            QVERIFY(m_store->exec(
                QStringLiteral("INSERT INTO Employee (%1) VALUES (%2)").arg(kEmployeeColumns, QLatin1String(values))));
        }
        m_dialogs = test::ScriptedDialogs();
    }

    void cleanup()
    {
        m_window.reset();
        m_store.reset();
    }

    void cellEdit_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: no message
        QTest::addColumn<QString>("storedAfter");
        QTest::addColumn<QString>("shownAfter");

        const QString ss =
            QStringLiteral("Invalid Social Security Number. SS # must be 9 digits. If unknown, use all zeros.");
        const QString blank = QStringLiteral("Name can't be blank");
        const auto row = [](const char* name, int column, const char* typed, const QString& message,
                            const char* storedAfter, const char* shownAfter) {
            QTest::newRow(name) << column << QString::fromLatin1(typed) << message << QString::fromLatin1(storedAfter)
                                << QString::fromLatin1(shownAfter);
        };
        row("ss of eight digits", SsColumn, "11122333", ss, "111223333", "111223333");
        row("ss of letters", SsColumn, "ABCDEFGHI", ss, "111223333", "111223333");
        row("ss nine long but signed", SsColumn, "-11223333", ss, "111223333", "111223333");
        row("ss unknown", SsColumn, "000000000", QString(), "000000000", "000000000");
        row("last name of blanks", LastNameColumn, "   ", blank, "COLE", "COLE");
        row("first name emptied", FirstNameColumn, "", blank, "ANA", "ANA");
        row("middle name emptied", MiddleNameColumn, "", QString(), "", "");
        row("gross wages of text", GrossWagesColumn, "abc", QString(), "12345000", "1,234.50");
        row("gross wages emptied", GrossWagesColumn, "", QString(), "12345000", "1,234.50");
        row("gross wages grouped", GrossWagesColumn, "12,000.25", QString(), "120002500", "12,000.25");
        row("taxable wages of text", TaxableWagesColumn, "7,000.OO", QString(), "70000000", "7,000.00");
        row("taxable wages to four places", TaxableWagesColumn, "6999.9951", QString(), "69999951", "6,999.9951");
        row("withholding emptied", SwhWagesColumn, "", QString(), "", "");
        row("hours", TotalHoursColumn, "37.5", QString(), "375000", "37.5");
        row("hours of text", TotalHoursColumn, "forty",
            QStringLiteral("Data error event hit err:\"forty\" is not a number, and TotalHours holds numbers only."),
            "0", "0");
    }
    void cellEdit()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, storedAfter);
        QFETCH(QString, shownAfter);
        openWageDetails();
        const QString field = wageDetailsGrid().columns[column].field;

        m_window->model().setData(cell(0, column), typed);
        QCOMPARE(m_window->model().submitPending(), true);
        QCOMPARE(m_dialogs.messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(stored(QStringLiteral("SELECT [%1] FROM Employee WHERE LastName = 'COLE'").arg(field)), storedAfter);
        QCOMPARE(shown(0, column), shownAfter);
    }

    void newRow_getsItsNameAndTheTableDefaults_data()
    {
        QTest::addColumn<QString>("middle");
        QTest::addColumn<QString>("name");
        QTest::newRow("middle name") << QStringLiteral("Q") << QStringLiteral("JOHN Q PUBLIC");
        QTest::newRow("no middle name") << QString() << QStringLiteral("JOHN  PUBLIC");
    }
    void newRow_getsItsNameAndTheTableDefaults()
    {
        QFETCH(QString, middle);
        QFETCH(QString, name);
        openWageDetails();
        QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
        QCOMPARE(grid()->currentIndex().row(), 3);
        StoreGridModel& model = m_window->model();
        model.setData(cell(3, SsColumn), QStringLiteral("123456789"));
        model.setData(cell(3, FirstNameColumn), QStringLiteral("JOHN"));
        if (!middle.isEmpty()) {
            model.setData(cell(3, MiddleNameColumn), middle);
        }
        model.setData(cell(3, LastNameColumn), QStringLiteral("PUBLIC"));
        model.setData(cell(3, GrossWagesColumn), QStringLiteral("500"));
        QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);

        QCOMPARE(stored(QStringLiteral("SELECT Name || '|' || TaxableWages || '|' || Owner || '|' || Month1 || '|' || "
                                       "StateCode || '|' || GrossWages FROM Employee WHERE SS = '123456789'")),
                 name + QStringLiteral("|0|0|0||5000000"));
        QCOMPARE(grid()->currentIndex().row(), 3);
        QCOMPARE(m_dialogs.messages(), QStringList());

        // A row added and left empty is not stored.
        QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
        QCOMPARE(m_window->model().rowCount(), 5);
        QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);
        QCOMPARE(m_window->model().rowCount(), 4);
        QCOMPARE(stored(QStringLiteral("SELECT count(*) FROM Employee")), QStringLiteral("4"));
        QCOMPARE(m_dialogs.messages(), QStringList());
    }

    void storedName_isKept()
    {
        openWageDetails();
        m_window->model().setData(cell(1, FirstNameColumn), QStringLiteral("LEO"));
        QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);
        QCOMPARE(stored(QStringLiteral("SELECT Name || '|' || FirstName FROM Employee WHERE SS = '222334444'")),
                 QStringLiteral("LEE  DIAZ|LEO"));
    }

    void equalRows_areEditedApart()
    {
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employee (%1) VALUES (%2)")
                                  .arg(kEmployeeColumns, QLatin1String(kEmployees[2]))));
        openWageDetails();
        m_window->model().setData(cell(3, GrossWagesColumn), QStringLiteral("200"));
        QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);
        QCOMPARE(stored(QStringLiteral("SELECT group_concat(GrossWages, ',') FROM (SELECT GrossWages FROM Employee "
                                       "WHERE LastName = 'EVANS' ORDER BY rowid)")),
                 QStringLiteral("1000000,2000000"));
    }

    void columnsShown_data()
    {
        QTest::addColumn<StateItem>("state");
        QTest::addColumn<QStringList>("headers");
        const QStringList names = {QStringLiteral("Social Security #"), QStringLiteral("Last Name"),
                                   QStringLiteral("Middle"), QStringLiteral("First Name"),
                                   QStringLiteral("Gross Wages")};
        QTest::newRow("Illinois") << StateItem::Illinois << names + QStringList{QStringLiteral("Taxable Wages")};
        QTest::newRow("Washington") << StateItem::Washington
                                    << names + QStringList{QStringLiteral("TotalHours"), QStringLiteral("SOC")};
        QTest::newRow("Massachusetts Quest")
            << StateItem::MassachusettsQuest
            << names + QStringList{QStringLiteral("Taxable Wages"), QStringLiteral("Witholding Wages"),
                                   QStringLiteral("Withholding Amount"), QStringLiteral("TotalHours"),
                                   QStringLiteral("Owner")};
    }
    void columnsShown()
    {
        QFETCH(StateItem, state);
        QFETCH(QStringList, headers);
        openWageDetails(state);
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Wage Details"));
        for (const QSize size : {QSize(700, 400), QSize(1000, 300)}) {
            m_window->resize(size);
            QStringList visible;
            for (int column = 0; column < WageDetailsColumnCount; ++column) {
                if (!grid()->isColumnHidden(column)) {
                    visible << m_window->model().headerData(column, Qt::Horizontal).toString();
                }
            }
            QCOMPARE(visible, headers);
        }
        QCOMPARE(grid()->currentIndex(), cell(0, SsColumn));
    }

    void deleteButtonAndKey_moveToTheNextOrTheLast()
    {
        openWageDetails();
        grid()->setCurrentIndex(cell(1, LastNameColumn));
        QTest::mouseClick(button("cmdDelete"), Qt::LeftButton);
        QCOMPARE(shown(grid()->currentIndex().row(), LastNameColumn), QStringLiteral("EVANS"));
        QTest::keyClick(grid(), Qt::Key_Delete);
        QCOMPARE(shown(grid()->currentIndex().row(), LastNameColumn), QStringLiteral("COLE"));
        QCOMPARE(stored(QStringLiteral("SELECT group_concat(LastName) FROM Employee")), QStringLiteral("COLE"));
        QTest::mouseClick(button("cmdDelete"), Qt::LeftButton);
        QCOMPARE(m_window->model().rowCount(), 0);
        QCOMPARE(stored(QStringLiteral("SELECT count(*) FROM Employee")), QStringLiteral("0"));
        QCOMPARE(m_dialogs.messages(), QStringList());
    }

    void keyboard_enterCommitsEscUndoes()
    {
        openWageDetails();
        grid()->setFocus();
        grid()->setCurrentIndex(cell(0, GrossWagesColumn));
        type(QStringLiteral("99"));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor != nullptr);
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(shown(0, GrossWagesColumn), QStringLiteral("1,234.50"));

        type(QStringLiteral("99"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(shown(0, GrossWagesColumn), QStringLiteral("99.00")); // Enter commits once events run
        QTest::keyClick(grid(), Qt::Key_Escape);                           // the row's unwritten change goes
        QCOMPARE(shown(0, GrossWagesColumn), QStringLiteral("1,234.50"));

        type(QStringLiteral("98"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(shown(0, GrossWagesColumn), QStringLiteral("98.00"));
        QTest::keyClick(grid(), Qt::Key_Down); // leaving the row writes it
        QCOMPARE(stored(QStringLiteral("SELECT GrossWages FROM Employee WHERE SS = '111223333'")),
                 QStringLiteral("980000"));
    }

    void storeError_isShownAndTheRowRevertsToTheStore()
    {
        QVERIFY(
            m_store->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Employee WHEN NEW.SS = '999999999' "
                                         "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END")));
        QVERIFY(m_store->exec(
            QStringLiteral("CREATE TRIGGER refuseUpdate BEFORE UPDATE ON Employee WHEN NEW.GrossWages = 70000 "
                           "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END")));
        openWageDetails();
        StoreGridModel& model = m_window->model();
        model.setData(cell(0, SsColumn), QStringLiteral("999888777"));
        model.setData(cell(0, GrossWagesColumn), QStringLiteral("7"));
        QCOMPARE(model.submitPending(), false);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY(m_dialogs.messages().first().startsWith(QStringLiteral("Data error event hit err:")));
        QVERIFY(m_dialogs.messages().first().contains(QStringLiteral("refused by the test")));
        QCOMPARE(stored(QStringLiteral("SELECT SS || '|' || GrossWages FROM Employee WHERE LastName = 'COLE'")),
                 QStringLiteral("111223333|12345000"));
        QCOMPARE(shown(0, SsColumn) + QLatin1Char('|') + shown(0, GrossWagesColumn),
                 QStringLiteral("111223333|1,234.50"));

        // A new row the store refuses is not kept.
        QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
        model.setData(cell(3, SsColumn), QStringLiteral("999999999"));
        QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);
        QCOMPARE(m_dialogs.messages().size(), 2);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(stored(QStringLiteral("SELECT count(*) FROM Employee")), QStringLiteral("3"));
    }

    void editChange_onALockedStore_saysWhyAndShowsNothing()
    {
        Session& session = m_store->session();
        session.Store.close();
        WageStore otherProgram;
        otherProgram.open(session.DataFolder + WageStore::kFileName);
        bool shownWindow = false;
        EditChangeCommand(session, m_dialogs, [&shownWindow](QSqlDatabase&) { shownWindow = true; });
        QVERIFY(!shownWindow);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY(m_dialogs.messages().first().startsWith(QStringLiteral("Data error event hit err:")));
        QVERIFY(!session.Store.isOpen());
    }

    void stateIdTable_showsItsSixFieldsUnchecked()
    {
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO StateIDTable (EIN, State, StateID, PayrollItem) VALUES "
                                             "('12-3456789', 'IL', '1234567', 'IL - Unemployment')")));
        m_window = std::make_unique<frmStateIDTable>(m_store->session().Store.database(), m_dialogs);
        showWindow();
        QCOMPARE(m_window->windowTitle(), QStringLiteral("StateIDTable"));
        QCOMPARE(button("cmdRefresh"), nullptr);
        QStringList headers;
        for (int column = 0; column < m_window->model().columnCount(); ++column) {
            headers << m_window->model().headerData(column, Qt::Horizontal).toString();
        }
        QCOMPARE(headers, (QStringList{QStringLiteral("EIN"), QStringLiteral("StateID"), QStringLiteral("PayrollItem"),
                                       QStringLiteral("County Code"), QStringLiteral("SWHPayrollItem"),
                                       QStringLiteral("State")}));
        m_window->model().setData(cell(0, 1), QStringLiteral("not checked"));
        m_window->model().setData(cell(0, 3), QString());
        QTest::mouseClick(button("cmdClose"), Qt::LeftButton);
        QCOMPARE(stored(QStringLiteral("SELECT StateID || '|' || [County Code] FROM StateIDTable")),
                 QStringLiteral("not checked|"));
        QCOMPARE(m_dialogs.messages(), QStringList());
    }
};

QTEST_MAIN(TestGridWindows)
#include "tst_gridwindows.moc"
