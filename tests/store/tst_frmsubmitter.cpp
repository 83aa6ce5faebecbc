#include "app/form1.h"
#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/startup.h"
#include "common/inifile.h"
#include "store/frmsubmitter.h"
#include "store/wagestore.h"
#include "tests/support/startedprogram.h"
#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace wagetrove;

class TestFrmSubmitter : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    std::unique_ptr<frmSubmitter> m_window;

    template <typename T>
    static T* child(QWidget* window, const QString& name)
    {
        T* found = window->findChild<T*>(name);
        if (found == nullptr) {
            qFatal("no child %s", qPrintable(name));
        }
        return found;
    }

    QCheckBox* check(int number) const
    {
        return child<QCheckBox>(m_window.get(), QStringLiteral("Check%1").arg(number));
    }

    void openWindow()
    {
        m_window = std::make_unique<frmSubmitter>(*m_session, m_state, m_dialogs);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void setSubmitterName(const QString& name)
    {
        WageStore store;
        store.open(m_session->DataFolder + WageStore::kFileName);
        QSqlQuery query(store.database());
        query.prepare(QStringLiteral("UPDATE Submitter SET Name = ?"));
        query.addBindValue(name);
        QVERIFY(query.exec());
    }

    QString submitterName()
    {
        WageStore store;
        store.open(m_session->DataFolder + WageStore::kFileName);
        QSqlQuery query(store.database());
        return query.exec(QStringLiteral("SELECT Name FROM Submitter")) && query.next() ? query.value(0).toString()
                                                                                        : QString();
    }

    /// Runs `act` on the Submitter window once the main window has opened it modally.
    static void whenModalOpens(const std::function<void(QWidget*)>& act)
    {
        auto* timer = new QTimer(qApp);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
            if (auto* window = qobject_cast<frmSubmitter*>(QApplication::activeModalWidget())) {
                timer->deleteLater();
                timer->stop();
                act(window);
            }
        });
        timer->start(10);
    }

private Q_SLOTS:
    void init()
    {
        resetProgram();
        QCOMPARE(startProgram(), StartupResult::Ready);
    }

    void cleanup() { m_window.reset(); }

    void opens_overTheSubmitterRow()
    {
        setSubmitterName(QStringLiteral("Tarrow Payroll"));
        openWindow();
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Submitter Information"));
        for (int i = 1; i <= 8; ++i) {
            QVERIFY(!check(i)->isChecked());
        }
        QCOMPARE(child<QLineEdit>(m_window.get(), QStringLiteral("txtFields(0)"))->text(),
                 QStringLiteral("Tarrow Payroll"));
        QCOMPARE(child<QLineEdit>(m_window.get(), QStringLiteral("txtFields(10)"))->text(), QStringLiteral("999996"));
        QCOMPARE(child<QLabel>(m_window.get(), QStringLiteral("recordCaption"))->text(), QStringLiteral("Record: 1"));
        QVERIFY(!child<QLineEdit>(m_window.get(), QStringLiteral("Text1"))->isEnabled());
        QCOMPARE(m_dialogs.busyDepth(), 0);
        // The long captions wrap instead of widening the window past a laptop's screen.
        QVERIFY(m_window->width() < 1000);
    }

    void clicks_keepEachPairExclusive()
    {
        openWindow();
        auto* wageLimit = child<QLineEdit>(m_window.get(), QStringLiteral("Text1"));
        QTest::mouseClick(check(3), Qt::LeftButton);
        QVERIFY(check(3)->isChecked() && wageLimit->isEnabled());
        QTest::mouseClick(check(2), Qt::LeftButton);
        QVERIFY(check(2)->isChecked() && !check(3)->isChecked() && !wageLimit->isEnabled());
        QTest::mouseClick(check(7), Qt::LeftButton);
        QTest::mouseClick(check(8), Qt::LeftButton);
        QVERIFY(!check(7)->isChecked() && check(8)->isChecked());
        QTest::mouseClick(check(7), Qt::LeftButton);
        QVERIFY(check(7)->isChecked() && !check(8)->isChecked());
    }

    void invalidLimitKeepsTheWindow_andCancelSavesTypedFields()
    {
        setSubmitterName(QStringLiteral("Old Name"));
        openWindow();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::mouseClick(check(3), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(m_window.get(), QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("Invalid Wage Limit.")});
        QVERIFY(m_window->isVisible());
        QVERIFY(m_session->Store.isOpen());

        auto* name = child<QLineEdit>(m_window.get(), QStringLiteral("txtFields(0)"));
        name->setFocus(Qt::MouseFocusReason);
        // Entering a bound field selects its whole text, so typing replaces it.
        QTRY_COMPARE(name->selectedText(), QStringLiteral("Old Name"));
        QTest::keyClicks(name, QStringLiteral("Acme Payroll"));
        QTest::mouseClick(child<QPushButton>(m_window.get(), QStringLiteral("Command2")), Qt::LeftButton);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_window->result(), int(QDialog::Rejected));
        QVERIFY(!m_session->Store.isOpen());
        QVERIFY(!m_session->CalcTaxable);
        QCOMPARE(submitterName(), QStringLiteral("Acme Payroll"));
    }

    void quickBooksConnection_browsedAndSavedByOk_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("a company to simulate")
            << QStringLiteral("/x/demo-company.JSON") << QStringLiteral("simulated:/x/demo-company.JSON");
        QTest::newRow("a saved answer") << QStringLiteral("/x/QBData.xml") << QStringLiteral("replay:/x/QBData.xml");
    }
    void quickBooksConnection_browsedAndSavedByOk()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        openWindow();
        m_dialogs.fileNext(chosen);
        QTest::mouseClick(child<QPushButton>(m_window.get(), QStringLiteral("cmdBrowseQuickBooks")), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(m_window.get(), QStringLiteral("txtQuickBooks"))->text(), saved);
        QTest::mouseClick(child<QPushButton>(m_window.get(), QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(m_session->QuickBooksConnection, saved);
        QCOMPARE(IniFile(m_session->SettingsFile).read(QStringLiteral("Options"), QStringLiteral("QuickBooks")), saved);
    }

    void webConnectorFile_writtenForTheConnectionBox_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("message"); // the start of the one message shown
        QTest::addColumn<QString>("appUrl");  // in the file written; empty when none is
        QTest::newRow("this machine") << QStringLiteral("webconnector:8089") << QStringLiteral("bk")
                                      << QStringLiteral("") << QStringLiteral("http://localhost:8089/qbwc");
        QTest::newRow("another machine") << QStringLiteral("webconnector:192.168.1.20:8443") << QStringLiteral("bk")
                                         << QStringLiteral("") << QStringLiteral("https://192.168.1.20:8443/qbwc");
        QTest::newRow("not a Web Connector connection")
            << QStringLiteral("replay:/x/QBData.xml") << QStringLiteral("bk")
            << QStringLiteral("Put webconnector:PORT in the QuickBooks connection box first") << QString();
        QTest::newRow("no user name set")
            << QStringLiteral("webconnector:8089") << QString()
            << QStringLiteral("Set the Web Connector's user name and password first") << QString();
    }
    void webConnectorFile_writtenForTheConnectionBox()
    {
        QFETCH(QString, connection);
        QFETCH(QString, user);
        QFETCH(QString, message);
        QFETCH(QString, appUrl);
        m_session->QBWCUserName = user;
        openWindow();
        const QString path = m_session->DataFolder + QStringLiteral("Wagetrove.qwc");
        m_dialogs.fileNext(path);
        child<QLineEdit>(m_window.get(), QStringLiteral("txtQuickBooks"))->setText(connection);
        QTest::mouseClick(child<QPushButton>(m_window.get(), QStringLiteral("cmdWebConnectorFile")), Qt::LeftButton);
        const QStringList messages = m_dialogs.messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith(message.isEmpty() ? QDir::toNativeSeparators(path) : message),
                 qPrintable(messages.first()));
        QFile file(path);
        QCOMPARE(file.open(QIODevice::ReadOnly), !appUrl.isEmpty());
        if (!appUrl.isEmpty()) {
            const QByteArray written = file.readAll();
            QVERIFY(written.contains("<AppURL>" + appUrl.toUtf8() + "</AppURL>"));
            QVERIFY(written.contains("<UserName>bk</UserName>"));
            // The identifiers are made once and kept.
            const QString owner =
                IniFile(m_session->SettingsFile).read(QStringLiteral("Options"), QStringLiteral("QBWCOwnerID"));
            QVERIFY(written.contains("<OwnerID>" + owner.toUtf8() + "</OwnerID>"));
        }
    }

    void mainWindowButton_opensTheWindow_andOkCaptionsCommand1()
    {
        Form1 form(*m_session, m_state, m_dialogs, QDate(2025, 5, 15));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QPushButton* command6 = form.button(MainCommand::SubmitterOptions);
        QVERIFY(command6->isEnabled());

        for (const QString& caption : {QStringLiteral("&Load Wages"), QStringLiteral("&Get Payroll Data")}) {
            whenModalOpens([](QWidget* window) {
                QTest::mouseClick(child<QCheckBox>(window, QStringLiteral("Check7")), Qt::LeftButton);
                QTest::mouseClick(child<QPushButton>(window, QStringLiteral("Command1")), Qt::LeftButton);
            });
            QTest::mouseClick(command6, Qt::LeftButton);
            QCOMPARE(form.button(MainCommand::GetPayrollData)->text(), caption);
        }
        QVERIFY(!m_session->StandAlone);
        QVERIFY(!m_session->Store.isOpen());
    }
};

QTEST_MAIN(TestFrmSubmitter)
#include "tst_frmsubmitter.moc"
