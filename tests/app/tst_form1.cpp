#include "app/datafolder.h"
#include "app/form1.h"
#include "common/inifile.h"
#include "tests/support/startedprogram.h"
#include "totals/form3.h"
#include "writers/frmtxmag.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

using namespace wagetrove;
using namespace Qt::StringLiterals;

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
    void click(MainCommand command) { QTest::mouseClick(m_form->button(command), Qt::LeftButton); }

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

    /// The texts of the totals window's boxes `boxes` when View Totals shows it, '|'-separated.
    QString totalsShown(std::initializer_list<int> boxes)
    {
        QStringList shown;
        whenShown<Form3>([&shown, boxes](Form3* totals) {
            for (int box : boxes) {
                shown << totals->text(box)->text();
            }
            totals->accept();
        });
        click(MainCommand::ViewTotals);
        return shown.join(u'|');
    }

private Q_SLOTS:
    void init() { start("[Options]\r\n"); }
    void cleanup() { m_form.reset(); }

    // The state chosen is the session's, and closing the window remembers it for the next start.
    void choosingState_followsSessionAndClosingRemembersIt()
    {
        child<QComboBox>(u"Combo1"_s)->setCurrentIndex(11);
        QCOMPARE(m_session->StateAbbrev, u"TX"_s);
        click(MainCommand::Exit);
        QCOMPARE(IniFile(m_session->SettingsFile).read(u"Options"_s, u"LastState"_s), u"11"_s);
    }

    void illinoisQuarter_fromWorkbookThroughTheWindowsToFile()
    {
        start("[Options]\r\nStandAlonenoqb=Y\r\n");
        {
            WageStore store;
            store.open(m_session->DataFolder + WageStore::kFileName);
            QVERIFY(QSqlQuery(store.database())
                        .exec(u"UPDATE Submitter SET Name = 'PAYROLL SERVICES LLC', Address = '2 OAK AVE', City = "
                              "'CHICAGO', State = 'IL', Zip = '60601', Contact = 'PAT DOE', Phone = '312-555-0100', "
                              "EIN = '98-7654321', Email = 'pat@example.com'"_s));
        }
        child<QComboBox>(u"Combo1"_s)->setCurrentIndex(2);
        QCOMPARE(m_session->StateAbbrev, u"IL"_s);
        m_dialogs.fileNext(m_session->DataFolder + kSampleWagesName);
        QCOMPARE(m_form->button(MainCommand::GetPayrollData)->text(), u"&Load Wages"_s);
        click(MainCommand::GetPayrollData);
        QVERIFY(!m_session->Store.isOpen());
        // The sample's employee without wages is not counted.
        QCOMPARE(totalsShown({1, 3, 4, 2, 5, 6, 7, 8, 9}),
                 u"11|11|11|$136,356.89|$121,776.89|2.700|$3,287.98|12-3456789|1234567"_s);
        // The loaded quarter's wage listing is filled into the data folder and shown.
        m_dialogs.clear();
        click(MainCommand::WageListing);
        QCOMPARE(m_dialogs.calls().size(), 1);
        QCOMPARE(m_dialogs.calls().first().text, m_session->DataFolder + u"FilledInWL.pdf"_s);
        QVERIFY(QFile(m_dialogs.calls().first().text).size() > 0);
        QCOMPARE(m_dialogs.busyDepth(), 0);

        const QString path = m_session->DataFolder + u"L1234567.251"_s;
        m_dialogs.fileNext(path);
        QString employerShown;
        whenShown<frmTXMag>([&employerShown](frmTXMag* transmitter) {
            employerShown = transmitter->text(1)->text() + u'|' + transmitter->text(6)->text();
            QTest::mouseClick(transmitter->findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
        });
        click(MainCommand::CreateFile);
        QCOMPARE(employerShown, u"SAMPLE COMPANY INC|PAYROLL SERVICES LLC"_s);
        QCOMPARE(m_dialogs.messages().last(),
                 u"File Successfully Created. Now log into Illinois Website and upload this file."_s);
        QVERIFY(!m_session->Store.isOpen());
        // The status line names the file written, and opens its folder.
        QCOMPARE(child<QLabel>(u"writtenFile"_s)->text(), u"File written: "_s + path);
        QTest::mouseClick(child<QPushButton>(u"openFolder"_s), Qt::LeftButton);
        QCOMPARE(m_dialogs.calls().last().kind, test::DialogCall::Kind::OpenDocument);
        QCOMPARE(m_dialogs.calls().last().text, m_session->DataFolder.chopped(1));
        QCOMPARE(QFile(path).size(), 18 * 276);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
