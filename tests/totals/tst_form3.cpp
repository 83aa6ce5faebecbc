#include "app/session.h"
#include "app/statecatalogue.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "totals/form3.h"
#include "totals/recalculatetotals.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace wagetrove;

class TestForm3 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;
    std::unique_ptr<Form3> m_window;

    void open(StateItem item, int year = 2025, const QString& quarter = QStringLiteral("1"))
    {
        Session& session = m_store->session();
        session.StatePosition = positionOf(item);
        session.TaxYear = static_cast<qint16>(year);
        session.Quarter = quarter;
        session.Rate = *Currency::fromText(QStringLiteral("2.7"));
        session.Store.open(session.DataFolder + WageStore::kFileName);
        RecalculateTotals(session);
        session.Store.close();
        m_window = std::make_unique<Form3>(
            session, m_dialogs,
            ShowTotalsWindowLayout(session, QStringLiteral("01/01/2025"), QStringLiteral("03/31/2025")));
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    QStringList shown() const
    {
        QStringList names;
        for (QWidget* widget : m_window->findChildren<QWidget*>()) {
            if (widget->isVisibleTo(m_window.get()) && (widget->objectName().startsWith(QStringLiteral("Label1")) ||
                                                        widget->objectName().startsWith(QStringLiteral("Text1")))) {
                names << widget->objectName();
            }
        }
        names.sort();
        return names;
    }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employee (GrossWages, TaxableWages, Month1, Month2, Month3) "
                                             "VALUES (150000000, 100000000, 1, 1, 0)")));
        m_dialogs = test::ScriptedDialogs();
    }

    void cleanup() { m_window.reset(); }

    void texas_showsCountyAndOutOfCounty()
    {
        open(StateItem::Texas);
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Quarterl y Unemployment Totals"));
        QCOMPARE(m_window->label(4)->text(), QStringLiteral("Period: 01/01/2025 - 03/31/2025"));
        QCOMPARE(shown(), (QStringList{QStringLiteral("Label1"), QStringLiteral("Label10"), QStringLiteral("Label11"),
                                       QStringLiteral("Label12"), QStringLiteral("Label13"), QStringLiteral("Label14"),
                                       QStringLiteral("Text1"), QStringLiteral("Text10"), QStringLiteral("Text11")}));
        QCOMPARE(m_window->text(2)->text(), QStringLiteral("$15,000.00"));
        QCOMPARE(m_window->text(7)->text(), QStringLiteral("$270.00"));
        QCOMPARE(m_window->text(4)->text(), QStringLiteral("0"));
    }

    void quest_showsWithholding()
    {
        open(StateItem::MassachusettsQuest);
        QCOMPARE(shown(), (QStringList{QStringLiteral("Label1"), QStringLiteral("Label10"), QStringLiteral("Label11"),
                                       QStringLiteral("Label12"), QStringLiteral("Label15"), QStringLiteral("Label16"),
                                       QStringLiteral("Text1"), QStringLiteral("Text12"), QStringLiteral("Text13")}));
        QCOMPARE(m_window->label(15)->text(), QStringLiteral("SWH Wages"));
    }

    void kentucky2019_showsScufAndModifiedRate()
    {
        open(StateItem::Kentucky, 2019);
        QVERIFY(m_window->text(10)->isVisibleTo(m_window.get()));
        QVERIFY(!m_window->text(10)->isEnabled());
        QCOMPARE(m_window->label(13)->text(), QStringLiteral("Modified Rate"));
        QCOMPARE(m_window->text(10)->text(), QStringLiteral("2.625%"));
        QCOMPARE(m_window->label(15)->text(), QStringLiteral("SCUF Rate"));
        QCOMPARE(m_window->text(12)->text(), QStringLiteral(".075%"));
        QCOMPARE(m_window->text(13)->text(), QStringLiteral("$7.50"));
        QCOMPARE(m_window->label(7)->text(), QStringLiteral("Tax Due including SCUF"));
    }

    void pfml_relabelsAndKeeps100()
    {
        open(StateItem::MassachusettsPFML);
        QCOMPARE(m_window->label(3)->text(), QStringLiteral("Y-T-D Wages"));
        QCOMPARE(m_window->label(5)->text(), QStringLiteral("Wages This Quarter"));
        QCOMPARE(m_window->label(6)->text(), QStringLiteral("Med %"));
        QCOMPARE(m_window->label(7)->text(), QStringLiteral("Family %"));
        QCOMPARE(m_window->text(6)->text(), QStringLiteral("100"));
        QCOMPARE(m_window->text(7)->text(), QStringLiteral("100"));
    }

    void rateEdit_recomputesTaxDue()
    {
        open(StateItem::Illinois);
        QLineEdit* rate = m_window->text(6);
        rate->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), rate);
        rate->selectAll();
        QTest::keyClicks(rate, QStringLiteral("3.4"));
        QTest::keyClick(rate, Qt::Key_Tab);
        QCOMPARE(m_window->text(7)->text(), QStringLiteral("$340.00"));
        QCOMPARE(m_store->session().Form3.Text6, QStringLiteral("3.4"));
        QVERIFY(m_dialogs.calls().isEmpty());

        // A rate that is not a number is refused and the focus goes back.
        rate->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), rate);
        rate->selectAll();
        QTest::keyClicks(rate, QStringLiteral("x"));
        QTest::keyClick(rate, Qt::Key_Tab);
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("Invalid Unemployment Rate.")});
        QTRY_COMPARE(QApplication::focusWidget(), rate);
        QCOMPARE(rate->text(), QStringLiteral("3.4"));
        QCOMPARE(m_window->text(7)->text(), QStringLiteral("$340.00"));

        // Typing into a computed box changes nothing.
        QVERIFY(m_window->text(5)->isReadOnly());
        QTest::keyClicks(m_window->text(5), QStringLiteral("1"));
        QCOMPARE(m_store->session().Form3.Text5, QStringLiteral("$10,000.00"));
    }
};

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
