#include "app/datafolder.h"
#include "app/form1.h"
#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/startup.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/testenvironment.h"
#include "totals/form3.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace wagetrove;

/// The quarter's whole first move through the main window: Load Wages from the shipped sample, then View Totals.
class TestLoadWages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_documents;
    std::unique_ptr<Session> m_session;
    MainWindowState m_state;
    test::ScriptedDialogs m_dialogs;
    std::unique_ptr<Form1> m_form;

    void start(const QByteArray& settings)
    {
        m_documents = std::make_unique<QTemporaryDir>();
        const QString dataFolder = m_documents->path() + QStringLiteral("/Tarrow Software/Wagetrove/");
        QVERIFY(QDir().mkpath(dataFolder));
        QFile ini(dataFolder + QStringLiteral("suta.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(settings);
        ini.close();

        m_session = std::make_unique<Session>();
        m_state = MainWindowState();
        m_dialogs = test::ScriptedDialogs();
        SingleInstanceGuard guard(m_documents->path());
        const QDate today(2025, 5, 15);
        QCOMPARE(
            runStartup(*m_session, m_state, m_dialogs, test::startupEnvironment(m_documents->path(), today), guard),
            StartupResult::Ready);
        m_form = std::make_unique<Form1>(*m_session, m_state, m_dialogs, today);
        m_form->show();
    }

private Q_SLOTS:
    void cleanup()
    {
        m_form.reset();
        m_session.reset();
    }

    void loadWages_thenViewTotals()
    {
        start("[Options]\r\nStandAlonenoqb=Y\r\n");
        QPushButton* loadWages = m_form->button(MainCommand::GetPayrollData);
        QCOMPARE(loadWages->text(), QStringLiteral("Load Wages"));
        QVERIFY(loadWages->isEnabled());
        QVERIFY(!m_form->button(MainCommand::ViewTotals)->isEnabled());

        m_dialogs.fileNext(m_session->DataFolder + kSampleWagesName);
        QTest::mouseClick(loadWages, Qt::LeftButton);
        QCOMPARE(m_dialogs.messages(),
                 QStringList{QStringLiteral(
                     "Program has gathered all the data. Click the View Totals button and check the amounts")});
        QCOMPARE(m_session->FromDate, QStringLiteral("01/01/2025"));
        QCOMPARE(m_session->ToMonthYear, QStringLiteral("032025"));
        QCOMPARE(m_session->TaxYear, qint16(2025));
        QVERIFY(!m_session->Store.isOpen());
        QVERIFY(m_form->button(MainCommand::ViewTotals)->isEnabled());

        QStringList shown;
        QTimer::singleShot(0, this, [&shown] {
            auto* totals = qobject_cast<Form3*>(QApplication::activeModalWidget());
            if (totals != nullptr) {
                for (int box : {1, 3, 4, 2, 5, 6, 7, 8, 9}) {
                    shown << totals->text(box)->text();
                }
                totals->accept();
            }
        });
        QTest::mouseClick(m_form->button(MainCommand::ViewTotals), Qt::LeftButton);
        // The sample's employee without wages is not counted.
        QCOMPARE(shown,
                 (QStringList{QStringLiteral("11"), QStringLiteral("11"), QStringLiteral("11"),
                              QStringLiteral("$136,356.89"), QStringLiteral("$121,776.89"), QStringLiteral("2.700"),
                              QStringLiteral("$3,287.98"), QStringLiteral("12-3456789"), QStringLiteral("1234567")}));
    }

    void quickBooksMode_saysWhatIsMissingAndTouchesNothing()
    {
        start("[Options]\r\n");
        QPushButton* getPayrollData = m_form->button(MainCommand::GetPayrollData);
        QCOMPARE(getPayrollData->text(), QStringLiteral("Get Payroll Data"));
        QTest::mouseClick(getPayrollData, Qt::LeftButton);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY(m_dialogs.messages().first().contains(QStringLiteral("QuickBooks")));
        QVERIFY(m_dialogs.unscripted().isEmpty());
        QVERIFY(!m_form->button(MainCommand::ViewTotals)->isEnabled());
    }

    void mergeQuestion_cancelledChangesNothing()
    {
        start("[Options]\r\nStandAlonenoqb=Y\r\n");
        m_session->MergeFiles = true;
        m_dialogs.answerNext(Answer::Cancel);
        QTest::mouseClick(m_form->button(MainCommand::GetPayrollData), Qt::LeftButton);
        QCOMPARE(m_dialogs.messages(),
                 QStringList{QStringLiteral("The Merge option is set to Yes. Click OK to continue")});
        QCOMPARE(m_dialogs.calls().first().buttons, MessageButtons::OkCancel);
        QVERIFY(m_session->FromDate.isEmpty());
        QVERIFY(!m_form->button(MainCommand::ViewTotals)->isEnabled());
    }
};

QTEST_MAIN(TestLoadWages)
#include "tst_loadwages.moc"
