#include "app/createfile.h"
#include "app/period.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

/// Create File for the states written straight from the main window, and its closing of the store.
class TestCreateFile : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;
    int m_transmitterShown = 0;

    Session& session() { return m_store->session(); }
    void createFile()
    {
        CreateFileCommand(session(), m_dialogs, [this] { ++m_transmitterShown; });
    }
    void choose(StateItem state) { selectState(session(), positionOf(state)); }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        m_transmitterShown = 0;
        session().Rate = *Currency::fromText(u"1.5"_s);
        session().AllowZeroHours = true;
        session().Form3.Text8 = u"12-3456789"_s;
        session().Form3.Text9 = u"1234567890"_s;
        QVERIFY(m_store->exec(u"UPDATE Submitter SET Name = 'PAYROLL LLC', Address = '2 OAK AVE', City = 'SEATTLE', "
                              "State = 'WA', Zip = '98101', Contact = 'PAT DOE', Phone = '206-555-0100', EIN = "
                              "'98-7654321', Email = 'p@example.com'"_s));
    }

    void proposedNames_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("quarter");
        QTest::addColumn<QString>("offered"); // the save dialog's title and the name it proposes
        QTest::newRow("WA") << int(StateItem::Washington) << QDate(2025, 10, 3) << u"3"_s
                            << u"Create WA CSV File|WA-UTAX-2025-3.csv"_s;
        QTest::newRow("CT") << int(StateItem::Connecticut) << QDate(2025, 7, 14) << u"2"_s
                            << u"Create ICESA File|ICESA-1234567890_07142025.txt"_s;
        QTest::newRow("MA Quest") << int(StateItem::MassachusettsQuest) << QDate(2026, 1, 2) << u"4"_s
                                  << u"Create ICESA Quest File|1234567890_01022026.txt"_s;
        QTest::newRow("MA PFML") << int(StateItem::MassachusettsPFML) << QDate(2026, 1, 2) << u"4"_s
                                 << u"Create MA PFML File|PFML-1234567890.xlsx"_s;
    }
    void proposedNames()
    {
        QFETCH(int, state);
        QFETCH(QDate, today);
        QFETCH(QString, quarter);
        QFETCH(QString, offered);
        choose(static_cast<StateItem>(state));
        session().Today = today;
        session().TaxYear = 2025;
        session().Quarter = quarter;
        const auto target = mainWindowTargetFor(session());
        QVERIFY(target.has_value());
        QCOMPARE(target->dialogTitle + u'|' + target->proposedName, offered);
        QVERIFY(isCreateFileOffered(static_cast<StateItem>(state)));
    }

    // A finding is shown alone; a cancelled dialog says nothing; either way the store is closed.
    void findingsOrCancel_writeNothing_data()
    {
        QTest::addColumn<QString>("ein");
        QTest::addColumn<bool>("checksPassed");
        QTest::newRow("EIN without its hyphen") << u"123456789"_s << false;
        QTest::newRow("dialog cancelled") << u"12-3456789"_s << true;
    }
    void findingsOrCancel_writeNothing()
    {
        QFETCH(QString, ein);
        QFETCH(bool, checksPassed);
        choose(StateItem::Washington);
        session().Form3.Text8 = ein;
        m_dialogs.fileNext(std::nullopt);
        createFile();
        QCOMPARE(session().ChecksPassed, checksPassed);
        QCOMPARE(m_dialogs.calls().size(), 1);
        QCOMPARE(m_dialogs.messages().size(), checksPassed ? 0 : 1);
        if (checksPassed) {
            QCOMPARE(m_dialogs.calls().first().text, u"Create WA CSV File"_s);
        }
        QVERIFY(!session().Store.isOpen());
    }

    // Washington's message starts with the path written; the PFML workbook is then opened, and a system that
    // cannot open it says so. A file that could not be written is not taken as the one written.
    void written_theMessagesAfter_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("messages"); // %1 is the path; the last message's title follows the last '|'
        const QString massachusetts =
            u"File Successfully Created. Now log into the Massachusetts website and upload this file."_s;
        QTest::newRow("WA") << int(StateItem::Washington) << u"WA-UTAX-2025-1.csv"_s << true
                            << u"%1 File Successfully Created. Now log into the Washington website and upload this "
                               "file.|Wagetrove"_s;
        QTest::newRow("WA, folder missing")
            << int(StateItem::Washington) << u"missing/WA.csv"_s << true
            << u"Unexpected Error has occured in CreateWACSVFile. Try Again.\r\n%1: No such file or directory|Error"_s;
        QTest::newRow("PFML opened") << int(StateItem::MassachusettsPFML) << u"PFML-1.xlsx"_s << true
                                     << massachusetts + u"|Wagetrove"_s;
        QTest::newRow("PFML, no program") << int(StateItem::MassachusettsPFML) << u"PFML-1.xlsx"_s << false
                                          << massachusetts + u"|Could not start Excel|Excel not started"_s;
    }
    void written_theMessagesAfter()
    {
        QFETCH(int, state);
        QFETCH(QString, fileName);
        QFETCH(bool, opens);
        QFETCH(QString, messages);
        choose(static_cast<StateItem>(state));
        session().TaxYear = 2025;
        session().Quarter = u"1"_s;
        QVERIFY(QFile::copy(test::programFolder() + u"/PFML.xlsx"_s, session().DataFolder + u"PFML.xlsx"_s));
        const QString path = session().DataFolder + fileName;
        m_dialogs.fileNext(path);
        m_dialogs.setOpenDocumentSucceeds(opens);
        createFile();
        bool opened = false;
        QString title;
        for (const test::DialogCall& call : m_dialogs.calls()) {
            opened = opened || (call.kind == test::DialogCall::Kind::OpenDocument && call.text == path);
            title = call.kind == test::DialogCall::Kind::Message ? call.title : title;
        }
        QCOMPARE(m_dialogs.messages().join(u'|') + u'|' + title, messages.replace(u"%1"_s, path));
        QCOMPARE(opened, state == int(StateItem::MassachusettsPFML));
        const bool written = title != u"Error"_s;
        QCOMPARE(QFile::exists(path), written);
        QCOMPARE(session().WrittenFile, written ? path : QString());
    }

    void otherState_asksFirst_data()
    {
        QTest::addColumn<int>("loaded"); // 0: nothing loaded in this process
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("transmitterShown");
        const QString illinois = u"The wages were loaded for Illinois. Create the Texas file from them?"_s;
        QTest::newRow("loaded for Texas") << int(StateItem::Texas) << false << QString() << 1;
        QTest::newRow("nothing loaded") << 0 << false << QString() << 1;
        QTest::newRow("Illinois, yes") << int(StateItem::Illinois) << true << illinois << 1;
        QTest::newRow("Illinois, no") << int(StateItem::Illinois) << false << illinois << 0;
    }
    void otherState_asksFirst()
    {
        QFETCH(int, loaded);
        QFETCH(bool, yes);
        QFETCH(QString, question);
        QFETCH(int, transmitterShown);
        choose(static_cast<StateItem>(loaded));
        session().LoadedStatePosition = loaded == 0 ? -1 : session().StatePosition;
        choose(StateItem::Texas);
        session().Form3.Text9 = u"12-345678-9"_s;
        m_dialogs.answerNext(yes ? Answer::Yes : Answer::No);
        createFile();
        QCOMPARE(m_transmitterShown, transmitterShown);
        QVERIFY(!session().Store.isOpen());
        QCOMPARE(m_dialogs.messages(), question.isEmpty() ? QStringList() : QStringList{question});
        if (!question.isEmpty()) {
            QCOMPARE(m_dialogs.calls().first().buttons, MessageButtons::YesNoDefaultNo);
            QCOMPARE(m_dialogs.calls().first().icon, MessageIcon::Question);
        }
    }
};

QTEST_GUILESS_MAIN(TestCreateFile)
#include "tst_createfile.moc"
