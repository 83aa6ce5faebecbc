#include "app/period.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/inifile.h"
#include "tests/writers/writerfixture.h"
#include "writers/transmitter.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace wagetrove;
using namespace Qt::Literals::StringLiterals;

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
        session().Quarter = u"1"_s;
        session().ToMonthYear = u"032024"_s;
        session().Form3.Text8 = u"12-3456789"_s;
        session().Form3.Text9 = u"1234567"_s;
        // The contact's e-mail, Text10, may stay empty.
        test::fillBoxes(session().frmTXMag, u"ACME INC|1 MAIN ST|SPRINGFIELD| IL |62701|PAYROLL LLC|2 OAK AVE|CHICAGO|"
                                            "PAT DOE||IL|60601|98-7654321|312-555-0100"_s);
    }

    // Every required box in its turn; a later problem is not reported while an earlier one stands.
    void fieldChecks_stopAtTheFirstProblem_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("Text1") << 1 << QString() << u"Company Name Missing"_s;
        QTest::newRow("Text2") << 2 << QString() << u"Address Missing"_s;
        QTest::newRow("Text3") << 3 << QString() << u"City Missing"_s;
        QTest::newRow("Text4") << 4 << QString() << u"2 character State Missing"_s;
        QTest::newRow("Text5") << 5 << QString() << u"Zip Code Missing"_s;
        QTest::newRow("Text6") << 6 << QString() << u"Transmitter Name Missing"_s;
        QTest::newRow("Text7") << 7 << QString() << u"Transmitter Address Missing"_s;
        QTest::newRow("Text8") << 8 << QString() << u"Transmitter City Missing"_s;
        QTest::newRow("Text11") << 11 << QString() << u"Transmitter State Missing"_s;
        QTest::newRow("Text12") << 12 << QString() << u"Transmitter Zip Code Missing"_s;
        QTest::newRow("Text13") << 13 << QString() << u"Transmitter Federal EIN Missing"_s;
        QTest::newRow("Text9") << 9 << QString() << u"Transmitter Contact Name Missing"_s;
        QTest::newRow("Text14") << 14 << QString() << u"Transmitter Contact Phone Missing"_s;
        QTest::newRow("blanks only") << 2 << u"   "_s << u"Address Missing"_s;
        QTest::newRow("one-letter state") << 4 << u"I"_s << u"State must be 2 characters"_s;
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

    // The save dialog's title, proposed name and folder; the file remembered as written, and the state's message.
    void illinois_proposesItsNameAndReports()
    {
        const QString path = session().DataFolder + u"L1234567.241"_s;
        session().DocumentsFolder = u"/documents"_s;
        m_dialogs.fileNext(path);
        QVERIFY2(createFile(), qPrintable(m_dialogs.messages().join(QLatin1Char('|'))));
        const auto& dialog = m_dialogs.calls().first();
        QCOMPARE(QStringList({dialog.text, dialog.title, dialog.folder, session().WrittenFile}),
                 QStringList({u"Create ICESA File"_s, u"L1234567.241"_s, u"/documents"_s, path}));
        QCOMPARE(m_dialogs.messages(),
                 QStringList{u"File Successfully Created. Now log into Illinois Website and upload this file."_s});
        QVERIFY(QFile::exists(path));
    }

    void cancel_writesNothingAndKeepsTheWindow()
    {
        m_dialogs.fileNext(std::nullopt);
        QVERIFY(!createFile());
        QCOMPARE(m_dialogs.messages(), QStringList{u"File creation cancelled"_s});
    }

    void failingWriter_showsNoSuccess()
    {
        m_dialogs.fileNext(session().DataFolder + u"Suta.mdb/not-a-folder/L.241"_s);
        QVERIFY(!createFile());
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY2(!m_dialogs.messages().first().startsWith(u"File Successfully Created"_s),
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
        const QString path = session().DataFolder + u"L1234567.241"_s;
        QVERIFY(test::writeBytes(path, "the old file"));
        m_dialogs.fileNext(path);
        m_dialogs.cancelProgressAt(cancelAt);
        QCOMPARE(createFile(), written);
        QCOMPARE(m_dialogs.progressReported(), written ? 512 : 256);
        QCOMPARE(test::bytesOf(path) == "the old file", !written);
        if (!written) {
            QCOMPARE(m_dialogs.messages(), QStringList{u"File creation cancelled"_s});
            QCOMPARE(QDir(session().DataFolder).entryList({u"L1234567*"_s}, QDir::Files),
                     QStringList{u"L1234567.241"_s});
        }
    }

    // By the State ID, by the EIN, Illinois's and Florida's own; none for a state this window does not write.
    void proposedNames_followTheState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("quarter");
        QTest::addColumn<QString>("title"); // empty: not written through this window
        QTest::addColumn<QString>("name");
        const QString icesa = u"Create ICESA File"_s;
        QTest::newRow("IL") << int(StateItem::Illinois) << u"1"_s << icesa << u"L 12345678 .241"_s;
        QTest::newRow("FL") << int(StateItem::Florida) << u"3"_s << u"Create UCT-6 File"_s << u"UCT62403.txt"_s;
        QTest::newRow("MD") << int(StateItem::Maryland) << u"1"_s << icesa << u"MD-UTAX-12345678.txt"_s;
        QTest::newRow("MS") << int(StateItem::Mississippi) << u"1"_s << icesa << u"MS-UTAX-12-3456789.txt"_s;
        QTest::newRow("WA") << int(StateItem::Washington) << u"1"_s << QString() << QString();
    }

    void proposedNames_followTheState()
    {
        QFETCH(int, state);
        QFETCH(QString, quarter);
        QFETCH(QString, title);
        QFETCH(QString, name);
        selectState(session(), positionOf(static_cast<StateItem>(state)));
        session().Quarter = quarter;
        session().Form3.Text9 = u" 12345678 "_s;
        session().Form3.Text8 = u" 12-3456789"_s;
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
        session().Form3.Text9 = u"12-345678-9"_s;
        session().frmTXMag.Text4 = u"TX"_s;
        session().TWCMessage = true;
        m_dialogs.fileNext(session().DataFolder + u"first.txt"_s);
        QVERIFY2(createFile(), qPrintable(m_dialogs.messages().join(QLatin1Char('|'))));
        QCOMPARE(m_instructionsShown, 1);
        QVERIFY(m_dialogs.messages().isEmpty());

        session().TWCMessage = false;
        m_dialogs.fileNext(session().DataFolder + u"second.txt"_s);
        QVERIFY(createFile());
        QCOMPARE(m_instructionsShown, 1);
        QCOMPARE(m_dialogs.messages(),
                 QStringList{u"File Successfully Created. Now Start the TWC QuickFile Utility to send."_s});
    }

    void texasInstructions_rememberDontShowAgain()
    {
        session().TWCMessage = true;
        closeTexasInstructions(session(), m_dialogs, false);
        QVERIFY(session().TWCMessage);
        closeTexasInstructions(session(), m_dialogs, true);
        QVERIFY(!session().TWCMessage);
        QCOMPARE(IniFile(session().SettingsFile).read(u"Options"_s, u"TWCMessage"_s), u"N"_s);
    }
};

QTEST_GUILESS_MAIN(TestTransmitter)
#include "tst_transmitter.moc"
