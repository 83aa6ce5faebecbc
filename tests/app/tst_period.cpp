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
        const FocusTarget fromBack = FocusTarget::FromBox;
        row("To in April", false, "01/01/2025", "04/15/2025", false, next, "2", true, "");
        row("To the From day", false, "01/01/2025", "01/01/2025", false, next, "1", true, "");
        row("To in December next year", false, "01/01/2025", "12/31/2026", false, next, "4", true, "");
        row("To before From", false, "03/01/2025", "01/01/2025", true, fromBack, "0", false,
            "To Date Can Not Be Earlier Than The From Date");
        row("To emptied", false, "01/01/2025", "", true, FocusTarget::ToBox, "0", false, invalidTo);
        row("To valid, From bad", false, "13/01/2025", "03/31/2025", true, stay, "0", false, "");
        row("To the empty pattern", false, "13/01/2025", "__/__/____", true, stay, "0", true, "");
        row("From emptied", true, "", "03/31/2025", true, fromBack, "0", false, invalidFrom);
        row("From half typed", true, "02/0_/____", "03/31/2025", true, fromBack, "0", false, invalidFrom);
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
            QCOMPARE(m_dialogs.calls().first().title, u"Invalid Date"_s);
            QCOMPARE(m_dialogs.calls().first().buttons, MessageButtons::Ok);
        }
        QCOMPARE(m_window.fromText + u'-' + m_window.toText, from + u'-' + to);
    }
};

QTEST_GUILESS_MAIN(TestPeriod)
#include "tst_period.moc"
