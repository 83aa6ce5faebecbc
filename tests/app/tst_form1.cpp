#include "acquire/payrollitemlist.h"
#include "acquire/qbwc/webconnectorpassword.h"
#include "app/datafolder.h"
#include "app/form1.h"
#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/settings.h"
#include "app/startup.h"
#include "common/inifile.h"
#include "store/frmgrosstaxable.h"
#include "store/frmstateidtable.h"
#include "store/gridtables.h"
#include "tests/support/filebytes.h"
#include "tests/support/startedprogram.h"
#include "tests/support/testenvironment.h"
#include "totals/form3.h"
#include "writers/frmtxmag.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

using namespace wagetrove;

class TestForm1 : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    std::unique_ptr<Form1> m_form;
    const QDate m_today{2025, 5, 15};

    template <typename T>
    T* child(const QString& name) const
    {
        return m_form->findChild<T*>(name);
    }

    /// Starts the program with the given settings file and shows its main window.
    void start(const QByteArray& settings)
    {
        m_form.reset();
        resetProgram();
        QVERIFY(writeSettings(settings));
        QCOMPARE(startProgram(m_today), StartupResult::Ready);
        m_form = std::make_unique<Form1>(*m_session, m_state, m_dialogs, m_today);
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    /// Runs `act` on the modal window of type W the next click opens, once it is shown.
    template <typename W>
    void whenShown(std::function<void(W*)> act)
    {
        QTimer::singleShot(0, this, [act] {
            if (auto* window = qobject_cast<W*>(QApplication::activeModalWidget())) {
                act(window);
            }
        });
    }

private Q_SLOTS:
    void init() { start("[Options]\r\n"); }

    void cleanup() { m_form.reset(); }

    void startsPopulatedWithCaptions()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Wagetrove 1.0"));
        QCOMPARE(child<QGroupBox>(QStringLiteral("Frame1"))->title(), QStringLiteral("State and Period"));
        // Each with an Alt+letter of its own; the Help menu has Alt+H. The result buttons wait for a run and say so.
        QStringList buttons;
        for (int i = 1; i <= 9; ++i) {
            const QPushButton* button = m_form->button(static_cast<MainCommand>(i));
            buttons << button->text() +
                           (button->isEnabled() ? QString() : QStringLiteral(" (") + button->toolTip() + u')');
        }
        const QString load = QStringLiteral(" (Load the quarter's wages first)");
        QCOMPARE(buttons, (QStringList{QStringLiteral("&Get Payroll Data"), QStringLiteral("E&xit"),
                                       QStringLiteral("&View Totals") + load, QStringLiteral("&Edit/Change") + load,
                                       QStringLiteral("&Create File") + load, QStringLiteral("&Submitter/Options"),
                                       QStringLiteral("Click here &to visit our site"),
                                       QStringLiteral("Edit Company &Info"), QStringLiteral("&Wage Listing") + load}));
        for (int i = 1; i <= 4; ++i) {
            QCOMPARE(child<QRadioButton>(QStringLiteral("Option%1").arg(i))->text(), QStringLiteral("%1 QTR").arg(i));
        }
        auto* combo = child<QComboBox>(QStringLiteral("Combo1"));
        QCOMPARE(combo->count(), 13);
        QCOMPARE(combo->itemText(11) + combo->itemData(11).toString(), QStringLiteral("Texas1"));
        QCOMPARE(combo->currentIndex(), 0);
        // Mid-May the last completed quarter is the first.
        QVERIFY(child<QRadioButton>(QStringLiteral("Option1"))->isChecked());
        QCOMPARE(child<QLineEdit>(QStringLiteral("Text1"))->displayText(), QStringLiteral("01/01/2025"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("Text2"))->displayText(), QStringLiteral("03/31/2025"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("Text1"))->maxLength(), 10);
    }

    void quarterClick_fillsDatesAndDisablesResults()
    {
        m_state.resultsEnabled = true;
        QTest::mouseClick(child<QRadioButton>(QStringLiteral("Option3")), Qt::LeftButton);
        QCOMPARE(m_session->Quarter, QStringLiteral("3"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("Text1"))->displayText(), QStringLiteral("07/01/2025"));
        QCOMPARE(child<QLineEdit>(QStringLiteral("Text2"))->displayText(), QStringLiteral("09/30/2025"));
        QVERIFY(m_form->button(MainCommand::GetPayrollData)->isEnabled());
        QVERIFY(!m_form->button(MainCommand::ViewTotals)->isEnabled());
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
        QCOMPARE(m_form->button(MainCommand::GetPayrollData)->toolTip(),
                 QStringLiteral("Choose a quarter or enter its From and To dates first"));
        QTRY_COMPARE(QApplication::focusWidget(), from);
        QCOMPARE(from->displayText(), QStringLiteral("13/45/2025"));
    }

    void choosingState_followsSessionAndLeavingRemembersIt_data()
    {
        QTest::addColumn<bool>("closeButton");
        QTest::newRow("Exit") << false;
        QTest::newRow("the window's close button") << true;
    }

    void choosingState_followsSessionAndLeavingRemembersIt()
    {
        QFETCH(bool, closeButton);
        auto* combo = child<QComboBox>(QStringLiteral("Combo1"));
        combo->setCurrentIndex(11);
        QCOMPARE(m_session->StateAbbrev, QStringLiteral("TX"));
        if (closeButton) {
            m_form->close();
        } else {
            QTest::mouseClick(m_form->button(MainCommand::Exit), Qt::LeftButton);
        }
        QCOMPARE(IniFile(m_session->SettingsFile).read(QStringLiteral("Options"), QStringLiteral("LastState")),
                 QStringLiteral("11"));
    }

    // Tab goes down the window as it reads; Enter presses the focused button, here the one to the web site.
    void tabOrderAndEnter_webSiteOpenedOrWhyNot()
    {
        QWidget* focused = child<QComboBox>(QStringLiteral("Combo1"));
        focused->setFocus(Qt::TabFocusReason);
        QStringList order;
        while (order.size() < 20 && (order.isEmpty() || focused->objectName() != order.first())) {
            order << focused->objectName();
            QTest::keyClick(focused, Qt::Key_Tab);
            focused = QApplication::focusWidget();
        }
        // The checked quarter stands for its group; disabled commands are passed over.
        QCOMPARE(order.join(u' '),
                 QStringLiteral("Combo1 Option1 Text1 Text2 Command1 Command6 Command8 Command7 Command2"));
        m_form->button(MainCommand::WebSite)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_form->button(MainCommand::WebSite), Qt::Key_Return);
        QCOMPARE(m_dialogs.calls().size(), 1);
        QCOMPARE(m_dialogs.calls().first().kind, test::DialogCall::Kind::OpenDocument);
        QCOMPARE(m_dialogs.calls().first().text, kDefaultWebSite);

        m_dialogs.setOpenDocumentSucceeds(false);
        QTest::mouseClick(m_form->button(MainCommand::WebSite), Qt::LeftButton);
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("Could not start browser")});
        QCOMPARE(m_dialogs.calls().last().title, QStringLiteral("Browser not started"));
        QCOMPARE(m_dialogs.calls().last().icon, MessageIcon::Exclamation);
    }

    // After a file is written the status line names it and opens its folder.
    void statusLine_namesTheFileWritten()
    {
        auto* written = child<QLabel>(QStringLiteral("writtenFile"));
        auto* openFolder = child<QPushButton>(QStringLiteral("openFolder"));
        QVERIFY(!written->isVisible());
        QVERIFY(!openFolder->isVisible());
        m_session->WrittenFile = QStringLiteral("/home/pat/reports/L1234567.251");
        QTest::mouseClick(child<QRadioButton>(QStringLiteral("Option2")), Qt::LeftButton);
        QCOMPARE(written->text(), QStringLiteral("File written: /home/pat/reports/L1234567.251"));
        QVERIFY(openFolder->isVisible());
        QTest::mouseClick(openFolder, Qt::LeftButton);
        QCOMPARE(m_dialogs.calls().last().kind, test::DialogCall::Kind::OpenDocument);
        QCOMPARE(m_dialogs.calls().last().text, QStringLiteral("/home/pat/reports"));
    }

    void aboutBox_showsVersionDataFolderAndLicence()
    {
        auto* about = m_form->findChild<QAction*>(QStringLiteral("aboutAction"));
        QVERIFY(about != nullptr);
        QCOMPARE(about->text(), QStringLiteral("&About Wagetrove"));
        about->trigger();
        QCOMPARE(m_dialogs.calls().size(), 1);
        const test::DialogCall& shown = m_dialogs.calls().first();
        QCOMPARE(shown.title, QStringLiteral("About Wagetrove"));
        QCOMPARE(shown.icon, MessageIcon::Information);
        QCOMPARE(shown.text,
                 QStringLiteral("Wagetrove 1.0\n\nData folder: ") + m_documents->path() +
                     QStringLiteral("/Tarrow Software/Wagetrove\n"
                                    "It holds your wage store, settings and workbook templates. Uninstalling "
                                    "Wagetrove leaves it in place.\n\n"
                                    "Copyright 2026 The Wagetrove developers. All rights reserved.\n"
                                    "Wagetrove is proprietary software: it may be copied, modified or distributed "
                                    "only with the written permission of its copyright holders."));
    }

    void loadWages_thenViewTotalsAndTheWageListing()
    {
        start("[Options]\r\nStandAlonenoqb=Y\r\n");
        QPushButton* loadWages = m_form->button(MainCommand::GetPayrollData);
        QCOMPARE(loadWages->text(), QStringLiteral("&Load Wages"));
        m_dialogs.fileNext(m_session->DataFolder + kSampleWagesName);
        QTest::mouseClick(loadWages, Qt::LeftButton);
        QCOMPARE(m_dialogs.messages(),
                 QStringList{QStringLiteral(
                     "Program has gathered all the data. Click the View Totals button and check the amounts")});
        QCOMPARE(m_session->FromDate + m_session->ToMonthYear, QStringLiteral("01/01/2025032025"));
        QCOMPARE(m_session->TaxYear, qint16(2025));
        QVERIFY(!m_session->Store.isOpen());

        // The sample's employee without wages is not counted.
        QStringList shown;
        whenShown<Form3>([&shown](Form3* totals) {
            for (int box : {1, 3, 4, 2, 5, 6, 7, 8, 9}) {
                shown << totals->text(box)->text();
            }
            totals->accept();
        });
        QTest::mouseClick(m_form->button(MainCommand::ViewTotals), Qt::LeftButton);
        QCOMPARE(shown.join(u'|'),
                 QStringLiteral("11|11|11|$136,356.89|$121,776.89|2.700|$3,287.98|12-3456789|1234567"));

        // The loaded quarter's wage listing is filled into the data folder and shown.
        m_dialogs.clear();
        QTest::mouseClick(m_form->button(MainCommand::WageListing), Qt::LeftButton);
        QCOMPARE(m_dialogs.calls().size(), 1);
        QCOMPARE(m_dialogs.calls().first().text, m_session->DataFolder + QStringLiteral("FilledInWL.pdf"));
        QVERIFY(QFile(m_dialogs.calls().first().text).size() > 0);
        QCOMPARE(m_dialogs.busyDepth(), 0);
    }

    void illinoisQuarter_fromWorkbookThroughEditsToFile()
    {
        start("[Options]\r\nStandAlonenoqb=Y\r\n");
        {
            WageStore store;
            store.open(m_session->DataFolder + WageStore::kFileName);
            QSqlQuery submitter(store.database());
            QVERIFY(submitter.exec(QStringLiteral(
                "UPDATE Submitter SET Name = 'PAYROLL SERVICES LLC', Address = '2 OAK AVE', City = 'CHICAGO', "
                "State = 'IL', Zip = '60601', Contact = 'PAT DOE', Phone = '312-555-0100', EIN = '98-7654321', "
                "Email = 'pat@example.com'")));
        }
        child<QComboBox>(QStringLiteral("Combo1"))->setCurrentIndex(2);
        QCOMPARE(m_session->StateAbbrev, QStringLiteral("IL"));
        m_dialogs.fileNext(m_session->DataFolder + kSampleWagesName);
        QTest::mouseClick(m_form->button(MainCommand::GetPayrollData), Qt::LeftButton);
        QVERIFY(m_form->button(MainCommand::CreateFile)->isEnabled());

        // Edit/Change: Brown's wages corrected from 3,125.75 to 3,200.00; the totals follow.
        whenShown<frmGrossTaxable>([](frmGrossTaxable* grid) {
            StoreGridModel& model = grid->model();
            QCOMPARE(model.index(0, LastNameColumn).data().toString(), QStringLiteral("BROWN"));
            model.setData(model.index(0, GrossWagesColumn), QStringLiteral("3,200.00"));
            model.setData(model.index(0, TaxableWagesColumn), QStringLiteral("3200"));
            QTest::mouseClick(grid->findChild<QPushButton*>(QStringLiteral("cmdClose")), Qt::LeftButton);
        });
        QTest::mouseClick(m_form->button(MainCommand::EditChange), Qt::LeftButton);
        QCOMPARE(m_session->Form3.Text2 + u'|' + m_session->Form3.Text5, QStringLiteral("$136,431.14|$121,851.14"));
        QVERIFY(!m_session->Store.isOpen());

        // Edit Company Info: the workbook's company keeps its account in the settings, so the table is empty.
        QString accountsShown;
        whenShown<frmStateIDTable>([&accountsShown](frmStateIDTable* accounts) {
            accountsShown = accounts->windowTitle() + QLatin1Char('|') + QString::number(accounts->model().rowCount());
            accounts->reject();
        });
        QTest::mouseClick(m_form->button(MainCommand::EditCompanyInfo), Qt::LeftButton);
        QCOMPARE(accountsShown, QStringLiteral("StateIDTable|0"));
        QVERIFY(!m_session->Store.isOpen());

        const QString path = m_session->DataFolder + QStringLiteral("L1234567.251");
        m_dialogs.fileNext(path);
        QString employerShown;
        whenShown<frmTXMag>([&employerShown](frmTXMag* transmitter) {
            employerShown = transmitter->text(1)->text() + QLatin1Char('|') + transmitter->text(6)->text();
            QTest::mouseClick(transmitter->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        });
        QTest::mouseClick(m_form->button(MainCommand::CreateFile), Qt::LeftButton);
        QCOMPARE(employerShown, QStringLiteral("SAMPLE COMPANY INC|PAYROLL SERVICES LLC"));
        QCOMPARE(m_dialogs.messages().last(),
                 QStringLiteral("File Successfully Created. Now log into Illinois Website and upload this file."));
        QVERIFY(!m_session->Store.isOpen());

        // One S record per employee with wages, in last-name order, with the edit; then T with its totals.
        const QByteArray bytes = test::bytesOf(path);
        QCOMPARE(bytes.size(), 18 * 276);
        QStringList names;
        for (int record = 3; record < 16; ++record) {
            names << QString::fromLatin1(bytes.mid(record * 276, 30)).trimmed();
        }
        QCOMPARE(names.join(u'|'),
                 QStringLiteral("S666778888BROWN|S777889999DAVIS|S555667777GARCIA|S444556666JOHNSON|S888990000MILLER|"
                                "S101112222MOORE|S222334444NGUYEN|S111223333O'NEIL|S123456789PUBLIC|S987654321SMITH|"
                                "S121314444TAYLOR|S333445555WILLIAMS, JR.|S999001111WILSON"));
        QCOMPARE(bytes.mid(3 * 276 + 63, 42), "00000000320000" + QByteArray(14, ' ') + "00000000320000");
        const QByteArray total = bytes.mid(16 * 276, 276);
        QCOMPARE(total.left(8) + total.mid(26, 14) + total.mid(54, 14) + total.mid(267, 7),
                 QByteArray("T000001300000013643114000000121851141234567"));
    }

    void quickBooksMode_saysWhatIsMissingAndTouchesNothing()
    {
        QPushButton* getPayrollData = m_form->button(MainCommand::GetPayrollData);
        QCOMPARE(getPayrollData->text(), QStringLiteral("&Get Payroll Data"));
        QTest::mouseClick(getPayrollData, Qt::LeftButton);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY(m_dialogs.messages().first().contains(QStringLiteral("QuickBooks")));
        QVERIFY(m_dialogs.unscripted().isEmpty());
        QVERIFY(!m_form->button(MainCommand::ViewTotals)->isEnabled());
    }

    void quickBooks_demoCompanyThroughTheItemList_thenViewTotals()
    {
        start("[Options]\r\nMessage=N\r\nQuickBooks=simulated:" +
              (test::programFolder() + QStringLiteral("/demo-company.json")).toUtf8() + "\r\n");
        // Texas: the demo company has no Texas item, so the list asks which item tracks unemployment.
        child<QComboBox>(QStringLiteral("Combo1"))->setCurrentIndex(11);
        QStringList offered;
        whenShown<PayrollItemList>([&offered](PayrollItemList* list) {
            auto* items = list->findChild<QListWidget*>(QStringLiteral("List1"));
            for (int i = 0; i < items->count(); ++i) {
                offered << items->item(i)->text();
            }
            auto* ok = list->findChild<QPushButton*>(QStringLiteral("Command1"));
            QTest::mouseClick(ok, Qt::LeftButton); // nothing selected: the window stays
            items->setCurrentRow(0);
            list->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("12345678"));
            QTest::mouseClick(ok, Qt::LeftButton); // not the Texas form: the window stays
            list->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral(" 12-345678-9 "));
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QTest::mouseClick(m_form->button(MainCommand::GetPayrollData), Qt::LeftButton);
        QCOMPARE(offered.join(u'|'), QStringLiteral("IL - Unemployment Company|MA - Unemployment Company|"
                                                    "MA - Paid Family Leave Company"));
        QCOMPARE(m_dialogs.messages(),
                 (QStringList{QStringLiteral("Please Select the QuickBooks Payroll Item that is used to track State "
                                             "Unemployment"),
                              QStringLiteral("State Account ID invalid. Enter in xx-xxxxxx-x format"),
                              QStringLiteral("Program has gathered all the data. Click the View Totals button and "
                                             "check the amounts")}));
        QVERIFY(!m_session->Store.isOpen());

        QStringList shown;
        whenShown<Form3>([&shown](Form3* totals) {
            for (int box : {2, 5, 6, 8, 9}) {
                shown << totals->text(box)->text();
            }
            totals->accept();
        });
        QTest::mouseClick(m_form->button(MainCommand::ViewTotals), Qt::LeftButton);
        QCOMPARE(shown.join(u'|'), QStringLiteral("$137,340.44|$99,404.44|3.175|36-1234567|12-345678-9"));
    }

    void webConnector_waitShownAndCancelled()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        start("[Options]\r\nMessage=N\r\nQuickBooks=webconnector:" + QByteArray::number(port) +
              "\r\nQBWCUserName=bk\r\nQBWCPassword=" + passwordRecord(QStringLiteral("pw")).toUtf8() + "\r\n");
        QString shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&shown] {
            auto* wait = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (wait != nullptr && wait->objectName() == QLatin1String("WebConnectorWait") && shown.isEmpty()) {
                shown = wait->labelText();
                QTest::mouseClick(wait->findChild<QPushButton*>(), Qt::LeftButton);
            }
        });
        poll.start(50);
        QTest::mouseClick(m_form->button(MainCommand::GetPayrollData), Qt::LeftButton);
        poll.stop();
        QCOMPARE(shown, QStringLiteral("Waiting for QuickBooks Web Connector — in the Web Connector, tick Wagetrove "
                                       "and press Update Selected.\nServing http://127.0.0.1:%1/qbwc")
                            .arg(port));
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("Wagetrove could not get the payroll data from "
                                                                  "QuickBooks. The wait for the QuickBooks Web "
                                                                  "Connector was cancelled.")});
        QVERIFY(m_session->DataError);
        QVERIFY(!m_form->button(MainCommand::ViewTotals)->isEnabled());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
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

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
