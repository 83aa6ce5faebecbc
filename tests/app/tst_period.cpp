#include "app/mainwindowstate.h"
#include "app/period.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/datetext.h"
#include "tests/support/scripteddialogs.h"

#include <QTest>

using namespace wagetrove;

class TestPeriod : public QObject
{
    Q_OBJECT

private:
    Session m_session;
    MainWindowState m_window;
    test::ScriptedDialogs m_dialogs;

private Q_SLOTS:
    void init()
    {
        m_session.Quarter = QStringLiteral("0");
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

    // A quarter button sets both boxes; the fourth at start-up is last year's, as on 20 August 2025.
    void quarterButtons_setBothBoxesAndQuarter_data()
    {
        QTest::addColumn<int>("quarter");
        QTest::addColumn<bool>("startingUp");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("1") << 1 << false << QStringLiteral("01/01/2025") << QStringLiteral("03/31/2025");
        QTest::newRow("2") << 2 << false << QStringLiteral("04/01/2025") << QStringLiteral("06/30/2025");
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
        QCOMPARE(m_window.fromText + QLatin1Char('-') + m_window.toText, from + QLatin1Char('-') + to);
        QCOMPARE(m_session.Quarter, QString::number(quarter));
        QVERIFY(m_window.getPayrollDataEnabled);
        QVERIFY(!m_window.resultsEnabled);
    }

    // Leaving the From or To box: where the focus goes, the quarter the To date sets, whether Get Payroll Data
    // can be pressed, and the one message of a refusal. The boxes keep what was typed.
    void leavingADateBox_data()
    {
        QTest::addColumn<bool>("fromBox");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("enabledBefore");
        QTest::addColumn<FocusTarget>("focus");
        QTest::addColumn<QString>("quarter");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, bool fromBox, const char* from, const char* to, bool before,
                            FocusTarget focus, const char* quarter, bool enabled, const char* message) {
            QTest::newRow(name) << fromBox << QString::fromLatin1(from) << QString::fromLatin1(to) << before << focus
                                << QString::fromLatin1(quarter) << enabled << QString::fromLatin1(message);
        };
        const char* const invalidFrom = "Invalid From Date. Format is MM/DD/YYYY";
        const char* const invalidTo = "Invalid To Date. Format is MM/DD/YYYY";
        const FocusTarget next = FocusTarget::GetPayrollData;
        const FocusTarget stay = FocusTarget::Unchanged;
        row("To in February", false, "01/01/2025", "02/15/2025", false, next, "1", true, "");
        row("To in April", false, "01/01/2025", "04/15/2025", false, next, "2", true, "");
        row("To the From day", false, "01/01/2025", "01/01/2025", false, next, "1", true, "");
        row("To in December next year", false, "01/01/2025", "12/31/2026", false, next, "4", true, "");
        row("To before From", false, "03/01/2025", "01/01/2025", true, FocusTarget::FromBox, "0", false,
            "To Date Can Not Be Earlier Than The From Date");
        row("To no such day", false, "01/01/2025", "04/31/2025", true, FocusTarget::ToBox, "0", false, invalidTo);
        row("To emptied", false, "01/01/2025", "", true, FocusTarget::ToBox, "0", false, invalidTo);
        row("To valid, From bad", false, "13/01/2025", "03/31/2025", true, stay, "0", false, "");
        row("To the empty pattern", false, "13/01/2025", "__/__/____", true, stay, "0", true, "");
        row("From emptied", true, "", "03/31/2025", true, FocusTarget::FromBox, "0", false, invalidFrom);
        row("From short", true, "2/5/2025", "03/31/2025", true, FocusTarget::FromBox, "0", false, invalidFrom);
        row("From half typed", true, "02/0_/____", "03/31/2025", true, FocusTarget::FromBox, "0", false, invalidFrom);
        row("From valid, To half typed", true, "01/01/2025", "03/3_/2025", true, stay, "0", false, "");
        row("From valid, To valid", true, "01/01/2025", "03/31/2025", false, stay, "0", true, "");
        row("From the empty pattern in blanks", true, " __/__/____ ", "03/3_/2025", true, stay, "0", true, "");
    }

    void leavingADateBox()
    {
        QFETCH(bool, fromBox);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, enabledBefore);
        QFETCH(FocusTarget, focus);
        QFETCH(QString, quarter);
        QFETCH(bool, enabled);
        QFETCH(QString, message);
        m_window.fromText = from;
        m_window.toText = to;
        m_window.getPayrollDataEnabled = enabledBefore;
        QCOMPARE(fromBox ? leaveFromBox(m_window, m_dialogs) : leaveToBox(m_session, m_window, m_dialogs), focus);
        QCOMPARE(m_session.Quarter, quarter);
        QCOMPARE(m_window.getPayrollDataEnabled, enabled);
        QCOMPARE(m_dialogs.messages(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("Invalid Date"));
            QCOMPARE(m_dialogs.calls().first().buttons, MessageButtons::Ok);
        }
        QCOMPARE(m_window.fromText + QLatin1Char('-') + m_window.toText, from + QLatin1Char('-') + to);
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
        QCOMPARE(m_session.StateAbbrev + m_session.StateFips, QStringLiteral("TX48"));
        QCOMPARE(stateAt(11).item(), StateItem::Texas);
        selectState(m_session, 6);
        QCOMPARE(m_session.StateAbbrev + m_session.StateFips, QStringLiteral("MA25"));
        QCOMPARE(stateAt(6).item(), StateItem::MassachusettsPFML);
        QVERIFY(m_window.resultsEnabled);
    }
};

QTEST_GUILESS_MAIN(TestPeriod)
#include "tst_period.moc"
