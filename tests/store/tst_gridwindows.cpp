#include "app/statecatalogue.h"
#include "store/frmgrosstaxable.h"
#include "store/frmstateidtable.h"
#include "store/gridtables.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"

#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

// SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages of the stored employees, in last-name order.
const QString kEmployeeColumns = u"Name, SS, LastName, FirstName, MiddleName, GrossWages, TaxableWages"_s;
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

    QTableView* grid() const { return m_window->grid(); }
    QModelIndex cell(int row, int column) const { return m_window->model().index(row, column); }
    QString shown(int row, int column) const { return cell(row, column).data().toString(); }
    QPushButton* button(const char* name) const { return m_window->findChild<QPushButton*>(QLatin1String(name)); }
    QString stored(const QString& query) { return m_store->value(query).toString(); }
    void click(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_store->session().Store.open(m_store->session().DataFolder + WageStore::kFileName);
        QVERIFY(m_store->exec(u"INSERT INTO Employee (%1) VALUES (%2), (%3), (%4)"_s.arg(
            kEmployeeColumns, QLatin1String(kEmployees[0]), QLatin1String(kEmployees[1]),
            QLatin1String(kEmployees[2]))));
        m_dialogs = test::ScriptedDialogs();
    }

    void cleanup() { m_window.reset(); } // before the store it shows

    void cellEdit_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: no message
        QTest::addColumn<QString>("after");   // stored|shown
        const QString ssMessage =
            u"Invalid Social Security Number. SS # must be 9 digits. If unknown, use all zeros."_s;
        const QString blank = u"Name can't be blank"_s;
        const int ss = SsColumn, gross = GrossWagesColumn, taxable = TaxableWagesColumn, hours = TotalHoursColumn;
        QTest::newRow("ss of eight digits") << ss << u"11122333"_s << ssMessage << u"111223333|111223333"_s;
        QTest::newRow("ss of letters") << ss << u"ABCDEFGHI"_s << ssMessage << u"111223333|111223333"_s;
        QTest::newRow("ss unknown") << ss << u"000000000"_s << QString() << u"000000000|000000000"_s;
        QTest::newRow("last name of blanks") << int(LastNameColumn) << u"   "_s << blank << u"COLE|COLE"_s;
        QTest::newRow("first name emptied") << int(FirstNameColumn) << QString() << blank << u"ANA|ANA"_s;
        QTest::newRow("middle name emptied") << int(MiddleNameColumn) << QString() << QString() << u"|"_s;
        QTest::newRow("gross wages of text") << gross << u"abc"_s << QString() << u"12345000|1,234.50"_s;
        QTest::newRow("gross wages grouped") << gross << u"12,000.25"_s << QString() << u"120002500|12,000.25"_s;
        QTest::newRow("taxable to four places") << taxable << u"6999.9951"_s << QString() << u"69999951|6,999.9951"_s;
        QTest::newRow("withholding emptied") << int(SwhWagesColumn) << QString() << QString() << u"|"_s;
        QTest::newRow("hours") << hours << u"37.5"_s << QString() << u"375000|37.5"_s;
        QTest::newRow("hours of text") << hours << u"forty"_s
                                       << u"Data error event hit err:\"forty\" is not a number, "
                                          "and TotalHours holds numbers only."_s
                                       << u"0|0"_s;
    }
    void cellEdit()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, after);
        openWageDetails();
        m_window->model().setData(cell(0, column), typed);
        QVERIFY(m_window->model().submitPending());
        QCOMPARE(m_dialogs.messages().join(u"/"_s), message);
        const QString field = wageDetailsGrid().columns[column].field;
        QCOMPARE(stored(u"SELECT [%1] FROM Employee WHERE LastName = 'COLE'"_s.arg(field)) + u"|"_s + shown(0, column),
                 after);
    }

    // A new row gets its name from its parts and the table's defaults; a row added and left empty is not stored.
    void newRow_getsItsNameAndTheTableDefaults()
    {
        openWageDetails();
        click("cmdAdd");
        QCOMPARE(grid()->currentIndex().row(), 3);
        const std::pair<int, QString> typed[] = {{SsColumn, u"123456789"_s},
                                                 {FirstNameColumn, u"JOHN"_s},
                                                 {MiddleNameColumn, u"Q"_s},
                                                 {LastNameColumn, u"PUBLIC"_s},
                                                 {GrossWagesColumn, u"500"_s}};
        for (const auto& [column, text] : typed) {
            QVERIFY(m_window->model().setData(cell(3, column), text));
        }
        click("cmdUpdate");
        QCOMPARE(stored(u"SELECT Name || '|' || TaxableWages || '|' || Owner || '|' || Month1 || '|' || StateCode || "
                        "'|' || GrossWages FROM Employee WHERE SS = '123456789'"_s),
                 u"JOHN Q PUBLIC|0|0|0||5000000"_s);
        QCOMPARE(grid()->currentIndex().row(), 3);
        click("cmdAdd");
        QCOMPARE(m_window->model().rowCount(), 5);
        click("cmdUpdate");
        QCOMPARE(QString::number(m_window->model().rowCount()) + stored(u"SELECT count(*) FROM Employee"_s), u"44"_s);
        QCOMPARE(m_dialogs.messages(), QStringList());
    }

    // An edited row keeps its stored name, and of two equal rows only the one edited changes.
    void editedRows_keepTheirNameAndAreTakenApart()
    {
        QVERIFY(m_store->exec(
            u"INSERT INTO Employee (%1) VALUES (%2)"_s.arg(kEmployeeColumns, QLatin1String(kEmployees[2]))));
        openWageDetails();
        m_window->model().setData(cell(1, FirstNameColumn), u"LEO"_s);
        m_window->model().setData(cell(3, GrossWagesColumn), u"200"_s);
        click("cmdUpdate");
        QCOMPARE(stored(u"SELECT group_concat(Name || '|' || FirstName || '|' || GrossWages, ',') FROM (SELECT * FROM "
                        "Employee WHERE LastName IN ('DIAZ', 'EVANS') ORDER BY rowid)"_s),
                 u"LEE  DIAZ|LEO|5000000,MAE  EVANS|MAE|1000000,MAE  EVANS|MAE|2000000"_s);
    }

    // The Delete button and key delete the current row and move to the next one, or to the last one.
    void deleteButtonAndKey_moveToTheNextOrTheLast()
    {
        openWageDetails();
        grid()->setCurrentIndex(cell(1, LastNameColumn));
        click("cmdDelete");
        QCOMPARE(shown(grid()->currentIndex().row(), LastNameColumn), u"EVANS"_s);
        QTest::keyClick(grid(), Qt::Key_Delete);
        QCOMPARE(shown(grid()->currentIndex().row(), LastNameColumn) +
                     stored(u"SELECT group_concat(LastName) FROM Employee"_s),
                 u"COLECOLE"_s);
        click("cmdDelete");
        QCOMPARE(QString::number(m_window->model().rowCount()) + stored(u"SELECT count(*) FROM Employee"_s), u"00"_s);
        QCOMPARE(m_dialogs.messages(), QStringList());
    }

    void storeError_isShownAndTheRowRevertsToTheStore()
    {
        QVERIFY(m_store->exec(u"CREATE TRIGGER refuseUpdate BEFORE UPDATE ON Employee WHEN NEW.GrossWages = 70000 "
                              "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END"_s));
        openWageDetails();
        StoreGridModel& model = m_window->model();
        model.setData(cell(0, SsColumn), u"999888777"_s);
        model.setData(cell(0, GrossWagesColumn), u"7"_s);
        QVERIFY(!model.submitPending() && m_dialogs.messages().size() == 1);
        QVERIFY(m_dialogs.messages().first().startsWith(u"Data error event hit err:"_s) &&
                m_dialogs.messages().first().contains(u"refused by the test"_s));
        QCOMPARE(stored(u"SELECT SS || '|' || GrossWages FROM Employee WHERE LastName = 'COLE'"_s) + u"|"_s +
                     shown(0, SsColumn) + u"|"_s + shown(0, GrossWagesColumn),
                 u"111223333|12345000|111223333|1,234.50"_s);
    }

    void stateIdTable_storesWhatIsTypedUnchecked()
    {
        QVERIFY(m_store->exec(u"INSERT INTO StateIDTable (EIN, State, StateID, PayrollItem) VALUES "
                              "('12-3456789', 'IL', '1234567', 'IL - Unemployment')"_s));
        m_window = std::make_unique<frmStateIDTable>(m_store->session().Store.database(), m_dialogs);
        showWindow();
        QCOMPARE(button("cmdRefresh"), nullptr); // the wage grid's alone
        m_window->model().setData(cell(0, 1), u"not checked"_s);
        m_window->model().setData(cell(0, 3), QString());
        click("cmdClose");
        QCOMPARE(stored(u"SELECT StateID || '|' || [County Code] FROM StateIDTable"_s), u"not checked|"_s);
        QCOMPARE(m_dialogs.messages(), QStringList());
    }
};

QTEST_MAIN(TestGridWindows)
#include "tst_gridwindows.moc"
