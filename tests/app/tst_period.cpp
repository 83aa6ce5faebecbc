#include "app/mainwindowstate.h"
#include "app/period.h"
#include "app/session.h"
#include "common/datetext.h"
#include "tests/support/scripteddialogs.h"

#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

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
        m_session.Quarter = u"0"_s;
        m_session.StartingUp = false;
        m_window = MainWindowState();
        m_dialogs = test::ScriptedDialogs();
    }

    void dateText_mustBeTenCharactersAndARealDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ordinary") << u"02/05/2025"_s << true;
        QTest::newRow("leap day") << u"02/29/2024"_s << true;
        QTest::newRow("short form of a real date") << u"2/5/2025"_s << false;
        QTest::newRow("no such day") << u"02/29/2025"_s << false;
        QTest::newRow("month 13") << u"13/01/2025"_s << false;
        QTest::newRow("ISO order") << u"2025-02-05"_s << false;
        QTest::newRow("mask blanks") << u"2_/5_/2025"_s << false;
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
        QTest::addColumn<QString>("period");
        QTest::newRow("1") << 1 << false << u"01/01/2025-03/31/2025"_s;
        QTest::newRow("4") << 4 << false << u"10/01/2025-12/31/2025"_s;
        QTest::newRow("4 at start-up") << 4 << true << u"10/01/2024-12/31/2024"_s;
        QTest::newRow("1 at start-up") << 1 << true << u"01/01/2025-03/31/2025"_s;
    }
    void quarterButtons_setBothBoxesAndQuarter()
    {
        QFETCH(int, quarter);
        QFETCH(bool, startingUp);
        QFETCH(QString, period);
        m_session.StartingUp = startingUp;
        m_window.resultsEnabled = true;
        clickQuarter(m_session, m_window, quarter, QDate(2025, 8, 20));
        QCOMPARE(m_window.fromText + u'-' + m_window.toText, period);
        QCOMPARE(m_session.Quarter, QString::number(quarter));
        QVERIFY(m_window.getPayrollDataEnabled);
        QVERIFY(!m_window.resultsEnabled);
        // Editing a date afterwards disables only the result buttons.
        m_window.resultsEnabled = true;
        dateTextChanged(m_window);
        QVERIFY(m_window.getPayrollDataEnabled && !m_window.resultsEnabled);
    }

    // Leaving the From or To box: where the focus goes, the quarter the To date sets, whether Get Payroll Data
    // can be pressed, and the one message of a refusal. The boxes keep what was typed.
    void leavingADateBox_data()
    {
        QTest::addColumn<bool>("fromBox");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("enabledBefore");
        QTest::addColumn<QString>("outcome"); // focus (next, stay, from, to), quarter, enabled, message
        const auto row = [](const char* name, bool fromBox, const char* from, const char* to, bool before,
                            const char* outcome) {
            QTest::newRow(name) << fromBox << QString::fromLatin1(from) << QString::fromLatin1(to) << before
                                << QString::fromLatin1(outcome);
        };
        row("To in April", false, "01/01/2025", "04/15/2025", false, "next 2 Y ");
        row("To the From day", false, "01/01/2025", "01/01/2025", false, "next 1 Y ");
        row("To in December next year", false, "01/01/2025", "12/31/2026", false, "next 4 Y ");
        row("To before From", false, "03/01/2025", "01/01/2025", true,
            "from 0 N To Date Can Not Be Earlier Than The From Date");
        row("To emptied", false, "01/01/2025", "", true, "to 0 N Invalid To Date. Format is MM/DD/YYYY");
        row("To valid, From bad", false, "13/01/2025", "03/31/2025", true, "stay 0 N ");
        row("To the empty pattern", false, "13/01/2025", "__/__/____", true, "stay 0 Y ");
        row("From emptied", true, "", "03/31/2025", true, "from 0 N Invalid From Date. Format is MM/DD/YYYY");
        row("From half typed", true, "02/0_/____", "03/31/2025", true,
            "from 0 N Invalid From Date. Format is MM/DD/YYYY");
        row("From valid, To half typed", true, "01/01/2025", "03/3_/2025", true, "stay 0 N ");
        row("From valid, To valid", true, "01/01/2025", "03/31/2025", false, "stay 0 Y ");
        row("From the empty pattern in blanks", true, " __/__/____ ", "03/3_/2025", true, "stay 0 Y ");
    }
    void leavingADateBox()
    {
        QFETCH(bool, fromBox);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, enabledBefore);
        QFETCH(QString, outcome);
        m_window.fromText = from;
        m_window.toText = to;
        m_window.getPayrollDataEnabled = enabledBefore;
        const FocusTarget focus =
            fromBox ? leaveFromBox(m_window, m_dialogs) : leaveToBox(m_session, m_window, m_dialogs);
        const QString focusName = focus == FocusTarget::GetPayrollData ? u"next"_s
                                  : focus == FocusTarget::Unchanged    ? u"stay"_s
                                  : focus == FocusTarget::FromBox      ? u"from"_s
                                  : focus == FocusTarget::ToBox        ? u"to"_s
                                                                       : u"?"_s;
        QCOMPARE(u"%1 %2 %3 %4"_s.arg(focusName, m_session.Quarter, m_window.getPayrollDataEnabled ? u"Y"_s : u"N"_s,
                                      m_dialogs.messages().join(u'|')),
                 outcome);
        if (!m_dialogs.messages().isEmpty()) {
            QCOMPARE(m_dialogs.calls().first().title, u"Invalid Date"_s);
            QCOMPARE(m_dialogs.calls().first().buttons, MessageButtons::Ok);
        }
        QCOMPARE(m_window.fromText + u'-' + m_window.toText, from + u'-' + to);
    }
};

QTEST_GUILESS_MAIN(TestPeriod)
#include "tst_period.moc"
