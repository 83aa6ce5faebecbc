#include "app/startup.h"
#include "store/frmsubmitter.h"
#include "store/wagestore.h"
#include "tests/support/startedprogram.h"
#include "tests/support/storefixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

class TestFrmSubmitter : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    std::unique_ptr<frmSubmitter> m_window;

    template <typename T>
    T* child(const QString& name) const
    {
        T* found = m_window->findChild<T*>(name);
        QTEST_ASSERT(found != nullptr);
        return found;
    }
    QCheckBox* check(int number) const { return child<QCheckBox>(u"Check%1"_s.arg(number)); }
    QLineEdit* box(const QString& name) const { return child<QLineEdit>(name); }
    void click(const QString& name) const { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }

    void openWindow()
    {
        m_window = std::make_unique<frmSubmitter>(*m_session, m_state, m_dialogs);
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    QString sql(const QString& statement) { return test::storeRows(m_session->DataFolder, statement); }

private Q_SLOTS:
    void init()
    {
        resetProgram();
        QCOMPARE(startProgram(), StartupResult::Ready);
    }

    void cleanup() { m_window.reset(); }

    void opens_overTheSubmitterRow_andKeepsEachPairExclusive()
    {
        sql(u"UPDATE Submitter SET Name = 'Tarrow Payroll'"_s);
        openWindow();
        QCOMPARE(box(u"txtFields(0)"_s)->text() + u"|"_s + box(u"txtFields(10)"_s)->text(), u"Tarrow Payroll|999996"_s);
        QCOMPARE(m_dialogs.busyDepth(), 0);
        // The long captions wrap instead of widening the window past a laptop's screen.
        QVERIFY(m_window->width() < 1000);
        // A tick clears the other box of its pair; the wage limit box takes entries with Check3 alone.
        QVERIFY(!box(u"Text1"_s)->isEnabled());
        const auto tick = [this](int number) { QTest::mouseClick(check(number), Qt::LeftButton); };
        tick(3);
        QVERIFY(check(3)->isChecked() && box(u"Text1"_s)->isEnabled());
        tick(2);
        QVERIFY(check(2)->isChecked() && !check(3)->isChecked() && !box(u"Text1"_s)->isEnabled());
        tick(8);
        tick(7);
        QVERIFY(check(7)->isChecked() && !check(8)->isChecked());
    }

    void invalidLimitKeepsTheWindow_andCancelSavesTypedFields()
    {
        sql(u"UPDATE Submitter SET Name = 'Old Name'"_s);
        openWindow();
        QTest::mouseClick(check(3), Qt::LeftButton);
        click(u"Command1"_s);
        QCOMPARE(m_dialogs.messages(), QStringList{u"Invalid Wage Limit."_s});
        QVERIFY(m_window->isVisible() && m_session->Store.isOpen());

        QLineEdit* name = box(u"txtFields(0)"_s);
        name->setFocus(Qt::MouseFocusReason);
        // Entering a bound field selects its whole text, so typing replaces it.
        QTRY_COMPARE(name->selectedText(), u"Old Name"_s);
        QTest::keyClicks(name, u"Acme Payroll"_s);
        click(u"Command2"_s);
        QVERIFY(!m_window->isVisible() && !m_session->Store.isOpen() && !m_session->CalcTaxable &&
                m_window->result() == QDialog::Rejected);
        QCOMPARE(sql(u"SELECT Name FROM Submitter"_s), u"Acme Payroll"_s);
    }

    void webConnectorFile_writtenForTheConnectionBox_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("message"); // the start of the one message shown; empty: the file's path
        QTest::addColumn<QString>("appUrl");  // in the file written; empty when none is
        const QString user = u"bk"_s;
        QTest::newRow("here") << u"webconnector:8089"_s << user << QString() << u"http://localhost:8089/qbwc"_s;
        QTest::newRow("elsewhere") << u"webconnector:192.168.1.20:8443"_s << user << QString()
                                   << u"https://192.168.1.20:8443/qbwc"_s;
        QTest::newRow("no Web Connector")
            << u"replay:/x/QBData.xml"_s << user << u"Put webconnector:PORT in"_s << QString();
        QTest::newRow("no user name") << u"webconnector:8089"_s << QString() << u"Set the Web Connector's"_s
                                      << QString();
    }
    void webConnectorFile_writtenForTheConnectionBox()
    {
        QFETCH(QString, connection);
        QFETCH(QString, user);
        QFETCH(QString, message);
        QFETCH(QString, appUrl);
        m_session->QBWCUserName = user;
        openWindow();
        const QString path = m_session->DataFolder + u"Wagetrove.qwc"_s;
        m_dialogs.fileNext(path);
        box(u"txtQuickBooks"_s)->setText(connection);
        click(u"cmdWebConnectorFile"_s);
        const QStringList messages = m_dialogs.messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith(message.isEmpty() ? QDir::toNativeSeparators(path) : message),
                 qPrintable(messages.first()));
        QFile file(path);
        QCOMPARE(file.open(QIODevice::ReadOnly), !appUrl.isEmpty());
        QVERIFY(appUrl.isEmpty() || file.readAll().contains("<AppURL>" + appUrl.toUtf8() + "</AppURL>"));
    }
};

QTEST_MAIN(TestFrmSubmitter)
#include "tst_frmsubmitter.moc"
