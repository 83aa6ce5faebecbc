#include "app/session.h"
#include "app/statecatalogue.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "totals/form3.h"
#include "totals/recalculatetotals.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

class TestForm3 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;
    std::unique_ptr<Form3> m_window;

    void open(StateItem item, int year = 2025, const QString& quarter = u"1"_s)
    {
        Session& session = m_store->session();
        session.StatePosition = positionOf(item);
        session.TaxYear = static_cast<qint16>(year);
        session.Quarter = quarter;
        session.Rate = *Currency::fromText(u"2.7"_s);
        session.Store.open(session.DataFolder + WageStore::kFileName);
        RecalculateTotals(session);
        session.Store.close();
        m_window = std::make_unique<Form3>(session, m_dialogs,
                                           ShowTotalsWindowLayout(session, u"01/01/2025"_s, u"03/31/2025"_s));
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    QStringList shown() const
    {
        QStringList names;
        for (QWidget* widget : m_window->findChildren<QWidget*>()) {
            if (widget->isVisibleTo(m_window.get()) &&
                (widget->objectName().startsWith(u"Label1"_s) || widget->objectName().startsWith(u"Text1"_s))) {
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
        QVERIFY(m_store->exec(u"INSERT INTO Employee (GrossWages, TaxableWages, Month1, Month2, Month3) VALUES "
                              "(150000000, 100000000, 1, 1, 0)"_s));
        m_dialogs = test::ScriptedDialogs();
    }

    void cleanup() { m_window.reset(); }

    // Each state's lines: the boxes and labels 10 to 16 shown, and the texts of some ("Label4=...").
    void layout_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("texts");
        const QString lines = u"Label1 Label10 Label11 Label12 "_s;
        QTest::newRow("Texas") << int(StateItem::Texas) << 2025 << lines + u"Label13 Label14 Text1 Text10 Text11"_s
                               << u"Label4=Period: 01/01/2025 - 03/31/2025|Label13=County Code |Text2=$15,000.00|"
                                  "Text4=0|Text7=$270.00"_s;
        QTest::newRow("Quest") << int(StateItem::MassachusettsQuest) << 2025
                               << lines + u"Label15 Label16 Text1 Text12 Text13"_s << u"Label15=SWH Wages"_s;
        QTest::newRow("Kentucky") << int(StateItem::Kentucky) << 2019
                                  << lines + u"Label13 Label15 Label16 Text1 Text10 Text12 Text13"_s
                                  << u"Label7=Tax Due including SCUF|Text10=2.625%|Text13=$7.50"_s;
        QTest::newRow("PFML") << int(StateItem::MassachusettsPFML) << 2025 << lines + u"Text1"_s
                              << u"Label5=Wages This Quarter|Text6=100|Text7=100"_s;
    }
    void layout()
    {
        QFETCH(int, state);
        QFETCH(int, year);
        QFETCH(QString, shown);
        QFETCH(QString, texts);
        open(StateItem(state), year);
        QCOMPARE(this->shown().join(QLatin1Char(' ')), shown);
        // Texas takes a county code; Kentucky shows its modified rate there.
        if (shown.contains(u"Text10"_s)) {
            QCOMPARE(m_window->text(10)->isEnabled(), StateItem(state) == StateItem::Texas);
        }
        QStringList found;
        for (const QString& expected : texts.split(QLatin1Char('|'))) {
            const QString name = expected.section(QLatin1Char('='), 0, 0);
            const QObject* box = m_window->findChild<QWidget*>(name);
            found << name + QLatin1Char('=') + (box ? box->property("text").toString() : u"(none)"_s);
        }
        QCOMPARE(found.join(QLatin1Char('|')), texts);
    }

    void rateEdit_recomputesTaxDue()
    {
        open(StateItem::Illinois);
        QLineEdit* rate = m_window->text(6);
        const auto retype = [rate](const QString& text) {
            rate->setFocus(Qt::MouseFocusReason);
            QTRY_COMPARE(QApplication::focusWidget(), rate);
            rate->selectAll();
            QTest::keyClicks(rate, text);
            QTest::keyClick(rate, Qt::Key_Tab);
        };
        retype(u"3.4"_s);
        QCOMPARE(m_window->text(7)->text() + u"|"_s + m_store->session().Form3.Text6 + u"|"_s +
                     m_dialogs.messages().join(u"/"_s),
                 u"$340.00|3.4|"_s);
        // A rate that is not a number is refused and the focus goes back.
        retype(u"x"_s);
        QCOMPARE(m_dialogs.messages(), QStringList{u"Invalid Unemployment Rate."_s});
        QTRY_COMPARE(QApplication::focusWidget(), rate);
        QCOMPARE(rate->text() + u"|"_s + m_window->text(7)->text(), u"3.4|$340.00"_s);
        // Typing into a computed box changes nothing.
        QVERIFY(m_window->text(5)->isReadOnly());
        QTest::keyClicks(m_window->text(5), u"1"_s);
        QCOMPARE(m_store->session().Form3.Text5, u"$10,000.00"_s);
    }
};

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
