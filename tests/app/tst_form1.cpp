#include "app/form1.h"
#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/settings.h"
#include "app/startup.h"
#include "common/inifile.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;

class TestForm1 : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_documents;
    std::unique_ptr<Session> m_session;
    MainWindowState m_state;
    test::ScriptedDialogs m_dialogs;
    std::unique_ptr<Form1> m_form;
    const QDate m_today{2025, 5, 15};

    template <typename T>
    T* child(const QString& name) const
    {
        return m_form->findChild<T*>(name);
    }

private Q_SLOTS:
    void init()
    {
        m_session = std::make_unique<Session>();
        m_state = MainWindowState();
        m_dialogs = test::ScriptedDialogs();
        SingleInstanceGuard guard(m_documents.path());
        QCOMPARE(
            runStartup(*m_session, m_state, m_dialogs, test::startupEnvironment(m_documents.path(), m_today), guard),
            StartupResult::Ready);
        m_form = std::make_unique<Form1>(*m_session, m_state, m_dialogs, m_today);
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void cleanup() { m_form.reset(); }

    void startsPopulatedWithCaptions()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Wagetrove 1.0"));
        QCOMPARE(child<QGroupBox>(QStringLiteral("Frame1"))->title(), QStringLiteral("State and Period"));
        const QStringList captions = {QStringLiteral("Get Payroll Data"),
                                      QStringLiteral("Exit"),
                                      QStringLiteral("View Totals"),
                                      QStringLiteral("Edit/Change"),
                                      QStringLiteral("Create File"),
                                      QStringLiteral("Submitter/Options"),
                                      QStringLiteral("Click here to visit our site"),
                                      QStringLiteral("Edit Company Info"),
                                      QStringLiteral("Wage Listing")};
        for (int i = 0; i < captions.size(); ++i) {
            QCOMPARE(child<QPushButton>(QStringLiteral("Command%1").arg(i + 1))->text(), captions[i]);
        }
        for (int i = 1; i <= 4; ++i) {
            QCOMPARE(child<QRadioButton>(QStringLiteral("Option%1").arg(i))->text(), QStringLiteral("%1 QTR").arg(i));
        }
        auto* combo = child<QComboBox>(QStringLiteral("Combo1"));
        QCOMPARE(combo->count(), 13);
        QCOMPARE(combo->itemText(11), QStringLiteral("Texas"));
        QCOMPARE(combo->itemData(11).toInt(), 1);
        QCOMPARE(combo->currentIndex(), 0);

        // Mid-May the last completed quarter is the first.
        QVERIFY(child<QRadioButton>(QStringLiteral("Option1"))->isChecked());
        QCOMPARE(child<QLineEdit>(QStringLiteral("Text1"))->displayText(), QStringLiteral("01/01/2025"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("Text2"))->displayText(), QStringLiteral("03/31/2025"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("Text1"))->maxLength(), 10);

        // Only the commands this release carries are enabled; the result buttons wait for a run.
        for (int i = 1; i <= 9; ++i) {
            const auto command = static_cast<MainCommand>(i);
            QCOMPARE(m_form->button(command)->isEnabled(), m_state.isEnabled(command));
        }
        QVERIFY(m_form->button(MainCommand::Exit)->isEnabled());
        QVERIFY(!m_form->button(MainCommand::ViewTotals)->isEnabled());
    }

    void quarterClick_fillsDatesAndDisablesResults()
    {
        m_state.resultsEnabled = true;
        QTest::mouseClick(child<QRadioButton>(QStringLiteral("Option3")), Qt::LeftButton);
        QCOMPARE(m_session->Quarter, QStringLiteral("3"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("Text1"))->displayText(), QStringLiteral("07/01/2025"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("Text2"))->displayText(), QStringLiteral("09/30/2025"));
        QVERIFY(m_state.getPayrollDataEnabled);
        QVERIFY(!m_state.resultsEnabled);
        QCOMPARE(m_form->button(MainCommand::GetPayrollData)->isEnabled(),
                 m_state.isEnabled(MainCommand::GetPayrollData));
    }

    void invalidFromDate_showsMessageAndKeepsFocus()
    {
        auto* from = child<QLineEdit>(QStringLiteral("Text1"));
        from->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), from);
        from->selectAll();
        QTest::keyClicks(from, QStringLiteral("13452025"));
        QCOMPARE(from->displayText(), QStringLiteral("13/45/2025"));
        QTest::keyClick(from, Qt::Key_Tab);
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("Invalid From Date. Format is MM/DD/YYYY")});
        QVERIFY(!m_state.getPayrollDataEnabled);
        QVERIFY(!m_form->button(MainCommand::GetPayrollData)->isEnabled());
        QTRY_COMPARE(QApplication::focusWidget(), from);
        QCOMPARE(from->displayText(), QStringLiteral("13/45/2025"));
    }

    void choosingState_followsSessionAndExitRemembersIt()
    {
        auto* combo = child<QComboBox>(QStringLiteral("Combo1"));
        combo->setCurrentIndex(11);
        QCOMPARE(m_session->StateAbbrev, QStringLiteral("TX"));
        QTest::mouseClick(m_form->button(MainCommand::Exit), Qt::LeftButton);
        QCOMPARE(IniFile(m_session->SettingsFile).read(QStringLiteral("Options"), QStringLiteral("LastState")),
                 QStringLiteral("11"));
    }

    void webSiteButton_opensAddressOrSaysWhy()
    {
        QTest::mouseClick(m_form->button(MainCommand::WebSite), Qt::LeftButton);
        QCOMPARE(m_dialogs.calls().size(), 1);
        QCOMPARE(m_dialogs.calls().first().kind, test::DialogCall::Kind::OpenDocument);
        QCOMPARE(m_dialogs.calls().first().text, kDefaultWebSite);

        m_dialogs.setOpenDocumentSucceeds(false);
        QTest::mouseClick(m_form->button(MainCommand::WebSite), Qt::LeftButton);
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("Could not start browser")});
        QCOMPARE(m_dialogs.calls().last().title, QStringLiteral("Browser not started"));
        QCOMPARE(m_dialogs.calls().last().icon, MessageIcon::Exclamation);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
