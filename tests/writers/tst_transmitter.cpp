#include "app/period.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/inifile.h"
#include "tests/support/filebytes.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "writers/transmitter.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace wagetrove;

class TestTransmitter : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;
    int m_instructionsShown = 0;

    Session& session() { return m_store->session(); }

    bool createFile()
    {
        return CreateTransmitterFile(session(), m_dialogs, [this] { ++m_instructionsShown; });
    }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        m_instructionsShown = 0;
        selectState(session(), positionOf(StateItem::Illinois));
        session().TaxYear = 2024;
        session().Quarter = QStringLiteral("1");
        session().ToMonthYear = QStringLiteral("032024");
        session().Form3.Text8 = QStringLiteral("12-3456789");
        session().Form3.Text9 = QStringLiteral("1234567");
        TransmitterWindowBoxes& boxes = session().frmTXMag;
        boxes.Text1 = QStringLiteral("ACME INC");
        boxes.Text2 = QStringLiteral("1 MAIN ST");
        boxes.Text3 = QStringLiteral("SPRINGFIELD");
        boxes.Text4 = QStringLiteral(" IL ");
        boxes.Text5 = QStringLiteral("62701");
        boxes.Text6 = QStringLiteral("PAYROLL LLC");
        boxes.Text7 = QStringLiteral("2 OAK AVE");
        boxes.Text8 = QStringLiteral("CHICAGO");
        boxes.Text11 = QStringLiteral("IL");
        boxes.Text12 = QStringLiteral("60601");
        boxes.Text13 = QStringLiteral("98-7654321");
        boxes.Text9 = QStringLiteral("PAT DOE");
        boxes.Text14 = QStringLiteral("312-555-0100");
    }

    // Every required box in its turn; a later problem is not reported while an earlier one stands.
    void fieldChecks_stopAtTheFirstProblem_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("Text1") << 1 << QString() << QStringLiteral("Company Name Missing");
        QTest::newRow("Text2") << 2 << QString() << QStringLiteral("Address Missing");
        QTest::newRow("Text3") << 3 << QString() << QStringLiteral("City Missing");
        QTest::newRow("Text4") << 4 << QString() << QStringLiteral("2 character State Missing");
        QTest::newRow("Text5") << 5 << QString() << QStringLiteral("Zip Code Missing");
        QTest::newRow("Text6") << 6 << QString() << QStringLiteral("Transmitter Name Missing");
        QTest::newRow("Text7") << 7 << QString() << QStringLiteral("Transmitter Address Missing");
        QTest::newRow("Text8") << 8 << QString() << QStringLiteral("Transmitter City Missing");
        QTest::newRow("Text11") << 11 << QString() << QStringLiteral("Transmitter State Missing");
        QTest::newRow("Text12") << 12 << QString() << QStringLiteral("Transmitter Zip Code Missing");
        QTest::newRow("Text13") << 13 << QString() << QStringLiteral("Transmitter Federal EIN Missing");
        QTest::newRow("Text9") << 9 << QString() << QStringLiteral("Transmitter Contact Name Missing");
        QTest::newRow("Text14") << 14 << QString() << QStringLiteral("Transmitter Contact Phone Missing");
        QTest::newRow("blanks only") << 2 << QStringLiteral("   ") << QStringLiteral("Address Missing");
        QTest::newRow("one-letter state") << 4 << QStringLiteral("I") << QStringLiteral("State must be 2 characters");
    }

    void fieldChecks_stopAtTheFirstProblem()
    {
        QFETCH(int, box);
        QFETCH(QString, value);
        QFETCH(QString, message);
        TransmitterWindowBoxes& boxes = session().frmTXMag;
        boxes.box(box) = value;
        boxes.Text14.clear();
        QVERIFY(!createFile());
        QCOMPARE(m_dialogs.messages(), QStringList{message});
        QCOMPARE(m_dialogs.calls().size(), 1); // no save dialog
    }

    void illinois_proposesItsNameAndReports()
    {
        QVERIFY(!transmitterFieldProblem(session().frmTXMag)); // Text10 may stay empty
        const QString path = m_store->session().DataFolder + QStringLiteral("L1234567.241");
        session().DocumentsFolder = QStringLiteral("/documents");
        m_dialogs.fileNext(path);
        QVERIFY2(createFile(), qPrintable(m_dialogs.messages().join(QLatin1Char('|'))));
        QCOMPARE(m_dialogs.calls().first().text, QStringLiteral("Create ICESA File"));
        QCOMPARE(m_dialogs.calls().first().title, QStringLiteral("L1234567.241"));
        QCOMPARE(m_dialogs.calls().first().folder, QStringLiteral("/documents"));
        QCOMPARE(session().WrittenFile, path);
        QCOMPARE(m_dialogs.messages(),
                 QStringList{
                     QStringLiteral("File Successfully Created. Now log into Illinois Website and upload this file.")});
        QVERIFY(QFile::exists(path));
    }

    void cancel_writesNothingAndKeepsTheWindow()
    {
        m_dialogs.fileNext(std::nullopt);
        QVERIFY(!createFile());
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("File creation cancelled")});
    }

    void failingWriter_showsNoSuccess()
    {
        m_dialogs.fileNext(m_store->session().DataFolder + QStringLiteral("Suta.mdb/not-a-folder/L.241"));
        QVERIFY(!createFile());
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY2(!m_dialogs.messages().first().startsWith(QStringLiteral("File Successfully Created")),
                 qPrintable(m_dialogs.messages().first()));
        QCOMPARE(m_instructionsShown, 0);
        QVERIFY(session().WrittenFile.isEmpty());
    }

    // Long writing reports its progress; cancelling it leaves the file that was there.
    void progress_cancelledLeavesNoFile_data()
    {
        QTest::addColumn<qint64>("cancelAt"); // -1: not cancelled
        QTest::addColumn<bool>("written");
        QTest::newRow("to the end") << qint64(-1) << true;
        QTest::newRow("cancelled") << qint64(256) << false;
    }

    void progress_cancelledLeavesNoFile()
    {
        QFETCH(qint64, cancelAt);
        QFETCH(bool, written);
        QVERIFY(m_store->exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) INSERT INTO Employee "
            "(SS, FirstName, LastName, Name, GrossWages, TaxableWages, Month1) SELECT printf('%09d', 100000000 + i), "
            "'A', 'B' || i, 'A B' || i, 10000000, 10000000, 1 FROM n")));
        const QString path = session().DataFolder + QStringLiteral("L1234567.241");
        QVERIFY(test::writeBytes(path, "the old file"));
        m_dialogs.fileNext(path);
        m_dialogs.cancelProgressAt(cancelAt);
        QCOMPARE(createFile(), written);
        QCOMPARE(m_dialogs.progressReported(), written ? 512 : 256);
        QCOMPARE(test::bytesOf(path) == "the old file", !written);
        if (!written) {
            QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("File creation cancelled")});
            QCOMPARE(QDir(session().DataFolder).entryList({QStringLiteral("L1234567*")}, QDir::Files),
                     QStringList{QStringLiteral("L1234567.241")});
        }
    }

    void proposedNames_followTheState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("quarter");
        QTest::addColumn<QString>("title"); // empty: not written through this window
        QTest::addColumn<QString>("name");
        const QString icesa = QStringLiteral("Create ICESA File");
        QTest::newRow("IL") << int(StateItem::Illinois) << QStringLiteral("1") << icesa
                            << QStringLiteral("L 12345678 .241");
        QTest::newRow("FL") << int(StateItem::Florida) << QStringLiteral("3") << QStringLiteral("Create UCT-6 File")
                            << QStringLiteral("UCT62403.txt");
        QTest::newRow("MD") << int(StateItem::Maryland) << QStringLiteral("1") << icesa
                            << QStringLiteral("MD-UTAX-12345678.txt");
        QTest::newRow("TN") << int(StateItem::Tennessee) << QStringLiteral("1") << icesa
                            << QStringLiteral("TN-UTAX-12345678.txt");
        QTest::newRow("MS") << int(StateItem::Mississippi) << QStringLiteral("1") << icesa
                            << QStringLiteral("MS-UTAX-12-3456789.txt");
        QTest::newRow("KY") << int(StateItem::Kentucky) << QStringLiteral("1") << icesa
                            << QStringLiteral("KY-UTAX-12-3456789.txt");
        QTest::newRow("WA") << int(StateItem::Washington) << QStringLiteral("1") << QString() << QString();
        QTest::newRow("MA PFML") << int(StateItem::MassachusettsPFML) << QStringLiteral("1") << QString() << QString();
    }

    void proposedNames_followTheState()
    {
        QFETCH(int, state);
        QFETCH(QString, quarter);
        QFETCH(QString, title);
        QFETCH(QString, name);
        selectState(session(), positionOf(static_cast<StateItem>(state)));
        session().Quarter = quarter;
        session().Form3.Text9 = QStringLiteral(" 12345678 ");
        session().Form3.Text8 = QStringLiteral(" 12-3456789");
        const auto target = icesaTargetFor(session());
        QCOMPARE(target.has_value(), !title.isEmpty());
        QCOMPARE(hasTransmitterWriter(static_cast<StateItem>(state)), !title.isEmpty());
        if (target) {
            QCOMPARE(target->dialogTitle, title);
            QCOMPARE(target->proposedName, name);
        }
    }

    void texas_showsItsInstructionsOrItsMessage()
    {
        selectState(session(), positionOf(StateItem::Texas));
        session().Form3.Text9 = QStringLiteral("12-345678-9");
        session().Form3.Text10 = QStringLiteral("5");
        session().Form3.Text11 = QStringLiteral("0");
        session().frmTXMag.Text4 = QStringLiteral("TX");
        session().TWCMessage = true;
        m_dialogs.fileNext(session().DataFolder + QStringLiteral("first.txt"));
        QVERIFY2(createFile(), qPrintable(m_dialogs.messages().join(QLatin1Char('|'))));
        QCOMPARE(m_instructionsShown, 1);
        QVERIFY(m_dialogs.messages().isEmpty());

        session().TWCMessage = false;
        m_dialogs.fileNext(session().DataFolder + QStringLiteral("second.txt"));
        QVERIFY(createFile());
        QCOMPARE(m_instructionsShown, 1);
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral(
                                           "File Successfully Created. Now Start the TWC QuickFile Utility to send.")});
    }

    void texasInstructions_rememberDontShowAgain()
    {
        session().TWCMessage = true;
        closeTexasInstructions(session(), m_dialogs, false);
        QVERIFY(session().TWCMessage);
        closeTexasInstructions(session(), m_dialogs, true);
        QVERIFY(!session().TWCMessage);
        QCOMPARE(IniFile(session().SettingsFile).read(QStringLiteral("Options"), QStringLiteral("TWCMessage")),
                 QStringLiteral("N"));
    }
};

QTEST_GUILESS_MAIN(TestTransmitter)
#include "tst_transmitter.moc"
