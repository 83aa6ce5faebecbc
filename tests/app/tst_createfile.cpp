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

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        m_transmitterShown = 0;
        session().Rate = *Currency::fromText(QStringLiteral("1.5"));
        session().AllowZeroHours = true;
        session().Form3.Text8 = QStringLiteral("12-3456789");
        session().Form3.Text9 = QStringLiteral("1234567890");
        QVERIFY(m_store->exec(QStringLiteral(
            "UPDATE Submitter SET Name = 'PAYROLL LLC', Address = '2 OAK AVE', City = 'SEATTLE', State = 'WA', "
            "Zip = '98101', Contact = 'PAT DOE', Phone = '206-555-0100', EIN = '98-7654321', Email = "
            "'p@example.com'")));
    }

    void proposedNames_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("quarter");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("WA") << int(StateItem::Washington) << QDate(2025, 10, 3) << QStringLiteral("3")
                            << QStringLiteral("Create WA CSV File") << QStringLiteral("WA-UTAX-2025-3.csv");
        QTest::newRow("CT") << int(StateItem::Connecticut) << QDate(2025, 7, 14) << QStringLiteral("2")
                            << QStringLiteral("Create ICESA File") << QStringLiteral("ICESA-1234567890_07142025.txt");
        QTest::newRow("MA Quest") << int(StateItem::MassachusettsQuest) << QDate(2026, 1, 2) << QStringLiteral("4")
                                  << QStringLiteral("Create ICESA Quest File")
                                  << QStringLiteral("1234567890_01022026.txt");
        QTest::newRow("MA PFML") << int(StateItem::MassachusettsPFML) << QDate(2026, 1, 2) << QStringLiteral("4")
                                 << QStringLiteral("Create MA PFML File") << QStringLiteral("PFML-1234567890.xlsx");
    }

    void proposedNames()
    {
        QFETCH(int, state);
        QFETCH(QDate, today);
        QFETCH(QString, quarter);
        QFETCH(QString, title);
        QFETCH(QString, name);
        selectState(session(), positionOf(static_cast<StateItem>(state)));
        session().Today = today;
        session().TaxYear = 2025;
        session().Quarter = quarter;
        const auto target = mainWindowTargetFor(session());
        QVERIFY(target.has_value());
        QCOMPARE(target->dialogTitle, title);
        QCOMPARE(target->proposedName, name);
        QVERIFY(isCreateFileOffered(static_cast<StateItem>(state)));
    }

    void findings_showNoDialog_andTheStoreIsClosed()
    {
        selectState(session(), positionOf(StateItem::Washington));
        session().Form3.Text8 = QStringLiteral("123456789");
        createFile();
        QCOMPARE(m_dialogs.messages().size(), 1);
        QCOMPARE(m_dialogs.calls().size(), 1);
        QVERIFY(!session().ChecksPassed);
        QVERIFY(!session().Store.isOpen());
    }

    void cancelledDialog_writesNothingAndSaysNothing()
    {
        selectState(session(), positionOf(StateItem::Washington));
        m_dialogs.fileNext(std::nullopt);
        createFile();
        QVERIFY2(session().ChecksPassed, qPrintable(m_dialogs.messages().join(QLatin1Char('|'))));
        QCOMPARE(m_dialogs.calls().size(), 1);
        QCOMPARE(m_dialogs.calls().first().text, QStringLiteral("Create WA CSV File"));
        QVERIFY(m_dialogs.messages().isEmpty());
        QVERIFY(!session().Store.isOpen());
    }

    // Washington's message starts with the path written; the PFML workbook is then opened, and a system that
    // cannot open it says so. A file that could not be written is not taken as the one written.
    void written_theMessagesAfter_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QStringList>("messages"); // %1 is the path
        QTest::addColumn<QString>("lastTitle");
        const QString massachusetts =
            QStringLiteral("File Successfully Created. Now log into the Massachusetts website and upload this file.");
        QTest::newRow("WA") << int(StateItem::Washington) << QStringLiteral("WA-UTAX-2025-1.csv") << true
                            << QStringList{QStringLiteral("%1 File Successfully Created. Now log into the Washington "
                                                          "website and upload this file.")}
                            << kApplicationTitle;
        QTest::newRow("WA, folder missing")
            << int(StateItem::Washington) << QStringLiteral("missing/WA.csv") << true
            << QStringList{QStringLiteral("Unexpected Error has occured in CreateWACSVFile. Try Again.\r\n%1: No such "
                                          "file or directory")}
            << QStringLiteral("Error");
        QTest::newRow("PFML opened") << int(StateItem::MassachusettsPFML) << QStringLiteral("PFML-1.xlsx") << true
                                     << QStringList{massachusetts} << kApplicationTitle;
        QTest::newRow("PFML, no program") << int(StateItem::MassachusettsPFML) << QStringLiteral("PFML-1.xlsx") << false
                                          << QStringList{massachusetts, QStringLiteral("Could not start Excel")}
                                          << QStringLiteral("Excel not started");
    }
    void written_theMessagesAfter()
    {
        QFETCH(int, state);
        QFETCH(QString, fileName);
        QFETCH(bool, opens);
        QFETCH(QStringList, messages);
        QFETCH(QString, lastTitle);
        selectState(session(), positionOf(static_cast<StateItem>(state)));
        session().TaxYear = 2025;
        session().Quarter = QStringLiteral("1");
        QVERIFY(QFile::copy(test::programFolder() + QStringLiteral("/PFML.xlsx"),
                            session().DataFolder + QStringLiteral("PFML.xlsx")));
        const QString path = session().DataFolder + fileName;
        m_dialogs.fileNext(path);
        m_dialogs.setOpenDocumentSucceeds(opens);
        createFile();
        for (QString& message : messages) {
            message.replace(QStringLiteral("%1"), path);
        }
        QCOMPARE(m_dialogs.messages(), messages);
        const bool written = lastTitle != QLatin1String("Error");
        bool opened = false;
        QString title;
        for (const test::DialogCall& call : m_dialogs.calls()) {
            opened = opened || (call.kind == test::DialogCall::Kind::OpenDocument && call.text == path);
            title = call.kind == test::DialogCall::Kind::Message ? call.title : title;
        }
        QCOMPARE(title, lastTitle);
        QCOMPARE(opened, state == int(StateItem::MassachusettsPFML));
        QCOMPARE(QFile::exists(path), written);
        QCOMPARE(session().WrittenFile, written ? path : QString());
    }

    void otherState_asksFirst_data()
    {
        QTest::addColumn<int>("loaded"); // 0: nothing loaded in this process
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("transmitterShown");
        QTest::newRow("loaded for Texas") << int(StateItem::Texas) << false << QString() << 1;
        QTest::newRow("nothing loaded") << 0 << false << QString() << 1;
        const QString illinois = QStringLiteral("The wages were loaded for Illinois. Create the Texas file from them?");
        QTest::newRow("Illinois, yes") << int(StateItem::Illinois) << true << illinois << 1;
        QTest::newRow("Illinois, no") << int(StateItem::Illinois) << false << illinois << 0;
    }

    void otherState_asksFirst()
    {
        QFETCH(int, loaded);
        QFETCH(bool, yes);
        QFETCH(QString, question);
        QFETCH(int, transmitterShown);
        selectState(session(), positionOf(static_cast<StateItem>(loaded)));
        session().LoadedStatePosition = loaded == 0 ? -1 : session().StatePosition;
        selectState(session(), positionOf(StateItem::Texas));
        session().Form3.Text9 = QStringLiteral("12-345678-9");
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
