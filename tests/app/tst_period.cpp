#include "app/mainwindowstate.h"
#include "app/period.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/datetext.h"
#include "tests/support/scripteddialogs.h"

#include <QSet>
#include <QTest>

using namespace wagetrove;

class TestPeriod : public QObject
{
    Q_OBJECT

private:
    Session m_session;
    MainWindowState m_window;
    test::ScriptedDialogs m_dialogs;

    FocusTarget leaveTo(const QString& from, const QString& to)
    {
        m_window.fromText = from;
        m_window.toText = to;
        return leaveToBox(m_session, m_window, m_dialogs);
    }

private Q_SLOTS:
    void init()
    {
        m_session.Quarter.clear();
        m_session.StartingUp = false;
        m_window = MainWindowState();
        m_dialogs = test::ScriptedDialogs();
    }

    void dateText_mustBeTenCharactersAndARealDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ordinary") << QStringLiteral("02/05/2025") << true;
        QTest::newRow("leap day") << QStringLiteral("02/29/2024") << true;
        QTest::newRow("short form of a real date") << QStringLiteral("2/5/2025") << false;
        QTest::newRow("no such day") << QStringLiteral("02/29/2025") << false;
        QTest::newRow("month 13") << QStringLiteral("13/01/2025") << false;
        QTest::newRow("ISO order") << QStringLiteral("2025-02-05") << false;
        QTest::newRow("mask blanks") << QStringLiteral("2_/5_/2025") << false;
        QTest::newRow("empty") << QString() << false;
    }

    void dateText_mustBeTenCharactersAndARealDate()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(parseDateText(text).has_value(), valid);
    }

    void quarterButtons_setBothBoxesAndQuarter_data()
    {
        QTest::addColumn<int>("quarter");
        QTest::addColumn<bool>("startingUp");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("1") << 1 << false << QStringLiteral("01/01/2025") << QStringLiteral("03/31/2025");
        QTest::newRow("2") << 2 << false << QStringLiteral("04/01/2025") << QStringLiteral("06/30/2025");
        QTest::newRow("3") << 3 << false << QStringLiteral("07/01/2025") << QStringLiteral("09/30/2025");
        QTest::newRow("4") << 4 << false << QStringLiteral("10/01/2025") << QStringLiteral("12/31/2025");
        QTest::newRow("4 at start-up") << 4 << true << QStringLiteral("10/01/2024") << QStringLiteral("12/31/2024");
        QTest::newRow("1 at start-up") << 1 << true << QStringLiteral("01/01/2025") << QStringLiteral("03/31/2025");
    }

    void quarterButtons_setBothBoxesAndQuarter()
    {
        QFETCH(int, quarter);
        QFETCH(bool, startingUp);
        QFETCH(QString, from);
        QFETCH(QString, to);
        m_session.StartingUp = startingUp;
        m_window.resultsEnabled = true;
        clickQuarter(m_session, m_window, quarter, QDate(2025, 8, 20));
        QCOMPARE(m_window.fromText, from);
        QCOMPARE(m_window.toText, to);
        QCOMPARE(m_session.Quarter, QString::number(quarter));
        QVERIFY(m_window.getPayrollDataEnabled);
        QVERIFY(!m_window.resultsEnabled);
    }

    void toDate_setsQuarterFromItsMonth_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("quarter");
        QTest::newRow("February") << QStringLiteral("02/15/2025") << QStringLiteral("1");
        QTest::newRow("April") << QStringLiteral("04/15/2025") << QStringLiteral("2");
        QTest::newRow("same day") << QStringLiteral("01/01/2025") << QStringLiteral("1");
        QTest::newRow("December next year") << QStringLiteral("12/31/2026") << QStringLiteral("4");
    }

    void toDate_setsQuarterFromItsMonth()
    {
        QFETCH(QString, to);
        QFETCH(QString, quarter);
        QCOMPARE(leaveTo(QStringLiteral("01/01/2025"), to), FocusTarget::GetPayrollData);
        QCOMPARE(m_session.Quarter, quarter);
        QVERIFY(m_window.getPayrollDataEnabled);
        QVERIFY(m_dialogs.calls().isEmpty());
    }

    void toDateBeforeFromDate_isRefused()
    {
        m_session.Quarter = QStringLiteral("1");
        QCOMPARE(leaveTo(QStringLiteral("03/01/2025"), QStringLiteral("01/01/2025")), FocusTarget::FromBox);
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("To Date Can Not Be Earlier Than The From Date")});
        QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Invalid Date"));
        QVERIFY(!m_window.getPayrollDataEnabled);
        QCOMPARE(m_session.Quarter, QStringLiteral("1"));
    }

    void invalidDates_areRefusedWithTheirMessage_data()
    {
        QTest::addColumn<bool>("fromBox");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString fromMessage = QStringLiteral("Invalid From Date. Format is MM/DD/YYYY");
        const QString toMessage = QStringLiteral("Invalid To Date. Format is MM/DD/YYYY");
        QTest::newRow("From emptied") << true << QString() << fromMessage;
        QTest::newRow("From short") << true << QStringLiteral("2/5/2025") << fromMessage;
        QTest::newRow("From half typed") << true << QStringLiteral("02/0_/____") << fromMessage;
        QTest::newRow("To no such day") << false << QStringLiteral("04/31/2025") << toMessage;
        QTest::newRow("To emptied") << false << QString() << toMessage;
    }

    void invalidDates_areRefusedWithTheirMessage()
    {
        QFETCH(bool, fromBox);
        QFETCH(QString, text);
        QFETCH(QString, message);
        m_window.getPayrollDataEnabled = true;
        m_window.fromText = fromBox ? text : QStringLiteral("01/01/2025");
        m_window.toText = fromBox ? QStringLiteral("03/31/2025") : text;
        const FocusTarget focus =
            fromBox ? leaveFromBox(m_window, m_dialogs) : leaveToBox(m_session, m_window, m_dialogs);
        QCOMPARE(focus, fromBox ? FocusTarget::FromBox : FocusTarget::ToBox);
        QCOMPARE(m_dialogs.messages(), QStringList{message});
        QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Invalid Date"));
        QCOMPARE(m_dialogs.calls().first().buttons, MessageButtons::Ok);
        QVERIFY(!m_window.getPayrollDataEnabled);
        QCOMPARE(fromBox ? m_window.fromText : m_window.toText, text); // left as typed
    }

    void emptyPattern_isNotChecked()
    {
        m_window.getPayrollDataEnabled = true;
        m_window.fromText = QStringLiteral(" __/__/____ ");
        QCOMPARE(leaveFromBox(m_window, m_dialogs), FocusTarget::Unchanged);
        m_window.toText = kEmptyDatePattern;
        QCOMPARE(leaveToBox(m_session, m_window, m_dialogs), FocusTarget::Unchanged);
        QVERIFY(m_dialogs.calls().isEmpty());
        QVERIFY(m_window.getPayrollDataEnabled);
    }

    void getPayrollData_needsBothDatesValid()
    {
        m_window.fromText = QStringLiteral("01/01/2025");
        m_window.toText = QStringLiteral("03/3_/2025");
        leaveFromBox(m_window, m_dialogs);
        QVERIFY(!m_window.getPayrollDataEnabled);

        m_window.toText = QStringLiteral("03/31/2025");
        leaveFromBox(m_window, m_dialogs);
        QVERIFY(m_window.getPayrollDataEnabled);

        // A valid To date with a bad From date disables the button without a second message.
        m_window.fromText = QStringLiteral("13/01/2025");
        QCOMPARE(leaveToBox(m_session, m_window, m_dialogs), FocusTarget::Unchanged);
        QVERIFY(!m_window.getPayrollDataEnabled);
        QVERIFY(m_dialogs.calls().isEmpty());
    }

    void editingADate_disablesOnlyTheResultButtons()
    {
        m_window.getPayrollDataEnabled = true;
        m_window.resultsEnabled = true;
        dateTextChanged(m_window);
        QVERIFY(m_window.getPayrollDataEnabled);
        QVERIFY(!m_window.resultsEnabled);
    }

    void choosingAState_setsItsCodesAndKeepsTheResults()
    {
        m_window.resultsEnabled = true;
        selectState(m_session, 11);
        QCOMPARE(m_session.StateAbbrev, QStringLiteral("TX"));
        QCOMPARE(m_session.StateFips, QStringLiteral("48"));
        QCOMPARE(stateAt(11).item(), StateItem::Texas);
        selectState(m_session, 6);
        QCOMPARE(m_session.StateAbbrev, QStringLiteral("MA"));
        QCOMPARE(m_session.StateFips, QStringLiteral("25"));
        QCOMPARE(stateAt(6).item(), StateItem::MassachusettsPFML);
        QVERIFY(m_window.resultsEnabled);
    }

    void catalogue_tagsAreDistinctAndCodesFollowThem()
    {
        QCOMPARE(stateCatalogue().size(), std::size_t(13));
        QSet<int> tags;
        for (const StateEntry& entry : stateCatalogue()) {
            tags.insert(entry.itemData);
            QCOMPARE(stateCodeFor(entry.itemData), entry.code);
            QCOMPARE(entry.code.size(), 4);
        }
        QCOMPARE(tags.size(), 13);
        QCOMPARE(*tags.begin() >= 1, true);
        QCOMPARE(stateCodeFor(0), QString());
        QCOMPARE(stateCodeFor(14), QString());
    }
};

QTEST_GUILESS_MAIN(TestPeriod)
#include "tst_period.moc"
