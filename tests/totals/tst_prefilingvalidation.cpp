#include "app/period.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "totals/prefilingvalidation.h"

#include <QFile>
#include <QTest>

using namespace wagetrove;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kHoursPrompt = QStringLiteral(
    "Program found employees with zero hours. Please enter the total hours to use for all salaried employees");
const QString kSSFinding =
    QStringLiteral("- At least one employee has invalid Social Security Number. If SS not known, use all zeros");
const QString kQuestEmployeeFinding = QStringLiteral("- At least one employee has invalid Social Security Number or "
                                                     "zero hours. Click the Edit/Change Button and make the change.");
const QString kKentuckyFinding =
    QStringLiteral("- State ID invalid. Must be 6 or 8 digits followed by optional 1 Alphabetic character suffix. "
                   "Click the View Totals button and check the State ID Field.");

} // namespace

class TestPreFilingValidation : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;

    Session& session() { return m_store->session(); }

    QString validate() { return PreFilingValidation(session(), m_dialogs); }

    int inputCalls() const
    {
        int count = 0;
        for (const test::DialogCall& call : m_dialogs.calls()) {
            count += call.kind == test::DialogCall::Kind::Input ? 1 : 0;
        }
        return count;
    }

    qint64 hoursOf(const QString& name)
    {
        return m_store
            ->value(QStringLiteral("SELECT COALESCE(TotalHours, -1) FROM Employee WHERE Name = '%1'").arg(name))
            .toLongLong();
    }

private Q_SLOTS:
    // A company that passes every check in every state; each test breaks one thing.
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        QVERIFY(m_store->exec(QStringLiteral(
            "UPDATE Submitter SET Name = 'Payroll Pros', Address = '1 Main St', City = 'Springfield', State = 'IL', "
            "Zip = '62701', Contact = 'Ann Lee', Phone = '217-555-0100', EIN = '98-7654321', Email = 'ann@pp.test'")));
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employer (EIN, Name, Address, City, State, Zip) VALUES "
                                             "('12-3456789', 'Acme Tools', '9 Elm Rd', 'Peoria', 'IL', '61602-1234'), "
                                             "('55-5555555', 'Second Row', 'x', 'x', 'x', 'x')")));
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employee (Name, SS, TotalHours, GrossWages) VALUES "
                                             "('Ava', '123456789', 4000000, 10000000), "
                                             "('Ben', '000000000', 5200000, 20000000)")));
        selectState(session(), positionOf(StateItem::Illinois));
        session().Form3.Text8 = QStringLiteral("12-3456789");
        session().Form3.Text9 = QStringLiteral("1234567");
        session().Rate = Currency::fromRaw(27000);
        session().UseSUIItem = true;
    }

    void cleanup()
    {
        session().Store.close();
        m_store.reset();
    }

    void soundCompany_passesSilentlyAndLeavesStoreOpen()
    {
        session().ChecksPassed = false;
        QCOMPARE(validate(), QString());
        QVERIFY(session().ChecksPassed);
        QVERIFY(m_dialogs.calls().isEmpty());
        QVERIFY(session().Store.isOpen());
    }

    void eachFinding_aloneInTheList_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("statement"); // run on the store before the check
        QTest::addColumn<QString>("ein");
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<bool>("standAlone");
        QTest::addColumn<QString>("finding"); // empty: passes

        const int il = int(StateItem::Illinois);
        const QString ein = QStringLiteral("12-3456789");
        const QString none;
        const auto row = [&](const char* name, int state, const QString& statement, const QString& companyEin,
                             const QString& stateId, bool standAlone, const QString& finding) {
            QTest::newRow(name) << state << statement << companyEin << stateId << standAlone << finding;
        };

        const QString einFinding = QStringLiteral(
            "- Company EIN Invalid. Edit the company information and make sure the EIN field is in XX-XXXXXXX format");
        row("EIN 9 characters, QuickBooks", il, none, QStringLiteral("12-345678"), none, false, einFinding);
        row("EIN with the hyphen elsewhere", il, none, QStringLiteral("123-456789"), none, false, einFinding);
        row("EIN with a blank for the hyphen", il, none, QStringLiteral("12 3456789"), none, false, einFinding);
        row("EIN 11 characters, standalone", il, none, QStringLiteral("12-34567890"), none, true,
            QStringLiteral(
                "- Company EIN Invalid. Click the View Totals button and verify ein is in XX-XXXXXXX format"));

        const auto utId = [](const char* rule) {
            return QStringLiteral("- State UT ID invalid. Must be %1. Click the View Totals button and check the State "
                                  "ID Field.")
                .arg(QLatin1String(rule));
        };
        const auto uiAccount = [](int digits) {
            return QStringLiteral("- State UI Account Number not valid. Must be %1 digits. Click the View Totals "
                                  "Button and change the number.")
                .arg(digits);
        };
        row("TX 11 characters", int(StateItem::Texas), none, ein, QStringLiteral("12-345678-9"), false, none);
        row("TX 9 characters", int(StateItem::Texas), none, ein, QStringLiteral("123456789"), false,
            utId("in xx-xxxxxx-x format"));
        row("FL 7", int(StateItem::Florida), none, ein, QStringLiteral("1234567"), false, none);
        row("FL 8", int(StateItem::Florida), none, ein, QStringLiteral("12345678"), false, utId("7 digits"));
        row("CT 10", int(StateItem::Connecticut), none, ein, QStringLiteral("12345-67-8"), false, none);
        row("CT 9", int(StateItem::Connecticut), none, ein, QStringLiteral("123456789"), false, utId("10 characteers"));
        row("SC 6", int(StateItem::SouthCarolina), none, ein, QStringLiteral("123456"), false, none);
        row("SC 7", int(StateItem::SouthCarolina), none, ein, QStringLiteral("1234567"), false, utId("6 digits"));
        row("MA Quest 8", int(StateItem::MassachusettsQuest), none, ein, QStringLiteral("12345678"), false, none);
        row("MA Quest 7", int(StateItem::MassachusettsQuest), none, ein, QStringLiteral("1234567"), false,
            uiAccount(8));
        row("NC 7", int(StateItem::NorthCarolina), none, ein, QStringLiteral("1234567"), false, none);
        row("NC empty", int(StateItem::NorthCarolina), none, ein, QString(), false, uiAccount(7));
        row("MS 10", int(StateItem::Mississippi), none, ein, QStringLiteral("1234567890"), false, none);
        row("MS 11", int(StateItem::Mississippi), none, ein, QStringLiteral("12345678901"), false, uiAccount(10));
        for (const StateItem unchecked : {StateItem::Maryland, StateItem::Illinois, StateItem::MassachusettsPFML,
                                          StateItem::Tennessee, StateItem::Washington}) {
            QTest::addRow("no State ID rule for %d", int(unchecked))
                << int(unchecked) << none << ein << QStringLiteral("x") << false << none;
        }

        row("Submitter EIN 9", il, QStringLiteral("UPDATE Submitter SET EIN = '98-765432'"), ein, none, false,
            QStringLiteral("- Submitter EIN must be in xx-xxxxxxx format"));
        row("Submitter EIN 11", il, QStringLiteral("UPDATE Submitter SET EIN = '98-76543210'"), ein, none, false,
            QStringLiteral("- Submitter EIN must be in xx-xxxxxxx format"));
        row("Submitter EIN with a letter", il, QStringLiteral("UPDATE Submitter SET EIN = '98-765432O'"), ein, none,
            false, QStringLiteral("- Submitter EIN must be in xx-xxxxxxx format"));
        const std::pair<const char*, const char*> required[] = {
            {"Name", "- Submitter Company Name Required"},
            {"Address", "- Submitter Company Address Required"},
            {"City", "- Submitter Company City Required"},
            {"State", "- Submitter Company State Required"},
            {"Zip", "- Submitter Company Zip Required"},
            {"Contact", "- Submitter Contact Name Required"},
            {"Phone", "- Submitter Contact Phone Number Required"},
        };
        for (const auto& [field, finding] : required) {
            QTest::addRow("Submitter %s empty", field)
                << il << QStringLiteral("UPDATE Submitter SET %1 = ''").arg(QLatin1String(field)) << ein << none
                << false << QString::fromLatin1(finding);
        }

        row("Submitter Phone missing", il, QStringLiteral("UPDATE Submitter SET Phone = NULL"), ein, none, false,
            QStringLiteral("- Submitter Contact Phone Number Required"));
        const char* const badNumbers[] = {"12345678", "12345678A"};
        for (const char* ss : badNumbers) {
            QTest::addRow("SS '%s'", ss)
                << il << QStringLiteral("UPDATE Employee SET SS = '%1' WHERE Name = 'Ava'").arg(QLatin1String(ss))
                << ein << none << false << kSSFinding;
        }
        row("SS missing", il, QStringLiteral("UPDATE Employee SET SS = NULL WHERE Name = 'Ava'"), ein, none, false,
            kSSFinding);
        row("SS bad in Quest", int(StateItem::MassachusettsQuest),
            QStringLiteral("UPDATE Employee SET SS = '1234' WHERE Name = 'Ben'"), ein, QStringLiteral("12345678"),
            false, kQuestEmployeeFinding);
    }

    void eachFinding_aloneInTheList()
    {
        QFETCH(int, state);
        QFETCH(QString, statement);
        QFETCH(QString, ein);
        QFETCH(QString, stateId);
        QFETCH(bool, standAlone);
        QFETCH(QString, finding);
        if (!statement.isEmpty()) {
            QVERIFY(m_store->exec(statement));
        }
        selectState(session(), positionOf(StateItem(state)));
        session().Form3.Text8 = ein;
        session().Form3.Text9 = stateId;
        session().StandAlone = standAlone;

        const QString list = validate();

        // The company EIN finding is the first line; any other follows an empty first line.
        const QString expected =
            finding.isEmpty() || finding.startsWith(QStringLiteral("- Company EIN")) ? finding : kCrLf + finding;
        QCOMPARE(list, expected);
        QCOMPARE(session().ChecksPassed, finding.isEmpty());
        QCOMPARE(m_dialogs.messages(), finding.isEmpty() ? QStringList() : QStringList{expected});
        QCOMPARE(inputCalls(), 0);
    }

    void rate_zeroIsAFindingOnlyWhenTheSuiItemIsUsed_data()
    {
        QTest::addColumn<bool>("useSuiItem");
        QTest::addColumn<qint64>("rate");
        QTest::addColumn<bool>("finding");
        QTest::newRow("SUI item, rate 0") << true << qint64(0) << true;
        QTest::newRow("SUI item, rate 0.0001") << true << qint64(1) << false;
        QTest::newRow("no SUI item, rate 0") << false << qint64(0) << false;
    }

    void rate_zeroIsAFindingOnlyWhenTheSuiItemIsUsed()
    {
        QFETCH(bool, useSuiItem);
        QFETCH(qint64, rate);
        QFETCH(bool, finding);
        session().UseSUIItem = useSuiItem;
        session().Rate = Currency::fromRaw(rate);
        QCOMPARE(validate(),
                 finding ? kCrLf + QStringLiteral("- Invalid SUI Rate. Click the View Totals button and enter a valid "
                                                  "SUI Rate")
                         : QString());
    }

    void kentucky_accountNumberPattern_data()
    {
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<bool>("valid");
        for (const char* valid : {"123456", "12345678", "123456A", "12345678B", "000000Z"}) {
            QTest::addRow("%s", valid) << QString::fromLatin1(valid) << true;
        }
        for (const char* invalid : {"123456a", "1234567A", "12345", "1234567890", "12A45B7", "1234567", "123456789",
                                    "+12345", "1234.5", "12345 ", "12345-78", "123456-", "123456\xc3\x84"}) {
            QTest::addRow("%s", invalid) << QString::fromUtf8(invalid) << false;
        }
    }

    void kentucky_accountNumberPattern()
    {
        QFETCH(QString, stateId);
        QFETCH(bool, valid);
        selectState(session(), positionOf(StateItem::Kentucky));
        session().Form3.Text9 = stateId;
        // Compared whole, so a text that breaks the pattern in several places is still reported once.
        QCOMPARE(validate(), valid ? QString() : kCrLf + kKentuckyFinding);
    }

    void twoFindings_oneBoxOnSeparateLines()
    {
        QVERIFY(m_store->exec(QStringLiteral("UPDATE Submitter SET Zip = ''")));
        session().Form3.Text8 = QStringLiteral("123456789");
        const QString expected =
            QStringLiteral("- Company EIN Invalid. Edit the company information and make sure the "
                           "EIN field is in XX-XXXXXXX format\r\n- Submitter Company Zip Required");
        QCOMPARE(validate(), expected);
        QCOMPARE(m_dialogs.calls().size(), 1);
        const test::DialogCall& box = m_dialogs.calls().first();
        QCOMPARE(box.text, expected);
        QCOMPARE(box.title, kApplicationTitle);
        QCOMPARE(box.icon, MessageIcon::None);
        QCOMPARE(box.buttons, MessageButtons::Ok);
        QVERIFY(!session().ChecksPassed);
    }

    void allFindings_inOrderWithoutStopping()
    {
        QVERIFY(m_store->exec(QStringLiteral("UPDATE Submitter SET Name = '', Phone = NULL, EIN = ''")));
        QVERIFY(m_store->exec(QStringLiteral("UPDATE Employee SET SS = '' WHERE Name = 'Ben'")));
        selectState(session(), positionOf(StateItem::Texas));
        session().Form3.Text9 = QStringLiteral("1");
        session().Rate = Currency();
        QCOMPARE(validate().split(kCrLf),
                 (QStringList{QString(),
                              QStringLiteral("- State UT ID invalid. Must be in xx-xxxxxx-x format. Click the View "
                                             "Totals button and check the State ID Field."),
                              QStringLiteral("- Submitter EIN must be in xx-xxxxxxx format"),
                              QStringLiteral("- Submitter Company Name Required"),
                              QStringLiteral("- Submitter Contact Phone Number Required"),
                              QStringLiteral("- Invalid SUI Rate. Click the View Totals button and enter a valid SUI "
                                             "Rate"),
                              kSSFinding}));
        QCOMPARE(m_dialogs.messages().size(), 1);
    }

    void zeroHours_answers_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QList<std::optional<QString>>>("answers");
        QTest::addColumn<qint64>("filledHours"); // -1: Ava and Cy keep no hours
        QTest::addColumn<QString>("list");

        const int wa = int(StateItem::Washington);
        const int quest = int(StateItem::MassachusettsQuest);
        const QString ssLine = kCrLf + kSSFinding;
        using Answers = QList<std::optional<QString>>;
        QTest::newRow("520") << wa << Answers{QStringLiteral("520")} << qint64(5200000) << QString();
        QTest::newRow("blanks and a fraction")
            << wa << Answers{QStringLiteral(" 37.5 ")} << qint64(375000) << QString();
        QTest::newRow("0") << wa << Answers{QStringLiteral("0")} << qint64(-1) << ssLine;
        QTest::newRow("0.0 counts as 0") << wa << Answers{QStringLiteral("0.0")} << qint64(-1) << ssLine;
        QTest::newRow("cancel") << wa << Answers{std::nullopt} << qint64(-1) << ssLine;
        QTest::newRow("blanks only") << wa << Answers{QStringLiteral("   ")} << qint64(-1) << ssLine;
        QTest::newRow("not a number, then 40")
            << wa << Answers{QStringLiteral("forty"), QStringLiteral("40")} << qint64(400000) << QString();
        QTest::newRow("negative, then cancel")
            << wa << Answers{QStringLiteral("-40"), std::nullopt} << qint64(-1) << ssLine;
        QTest::newRow("Quest, 520") << quest << Answers{QStringLiteral("520")} << qint64(5200000) << QString();
        QTest::newRow("Quest, 0") << quest << Answers{QStringLiteral("0")} << qint64(-1)
                                  << kCrLf + kQuestEmployeeFinding;
    }

    void zeroHours_answers()
    {
        QFETCH(int, state);
        QFETCH(QList<std::optional<QString>>, answers);
        QFETCH(qint64, filledHours);
        QFETCH(QString, list);
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO Employee (Name, SS, TotalHours) VALUES "
                                             "('Cy', '111111111', NULL)")));
        QVERIFY(m_store->exec(QStringLiteral("UPDATE Employee SET TotalHours = 0 WHERE Name = 'Ava'")));
        selectState(session(), positionOf(StateItem(state)));
        session().Form3.Text9 = QStringLiteral("12345678");
        for (const auto& answer : answers) {
            m_dialogs.inputNext(answer);
        }

        QCOMPARE(validate(), list);

        QCOMPARE(inputCalls(), int(answers.size()));
        const test::DialogCall& question = m_dialogs.calls().first();
        QCOMPARE(question.text, kHoursPrompt);
        QCOMPARE(question.title, QStringLiteral("Enter Total Hours"));
        QCOMPARE(hoursOf(QStringLiteral("Ava")), filledHours == -1 ? 0 : filledHours);
        QCOMPARE(hoursOf(QStringLiteral("Cy")), filledHours);
        QCOMPARE(hoursOf(QStringLiteral("Ben")), qint64(5200000));
        QCOMPARE(session().ChecksPassed, list.isEmpty());
    }

    void zeroHours_notAskedWhenAllowedOrNotNeeded_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("allowZeroHours");
        QTest::newRow("Washington, zero hours allowed") << int(StateItem::Washington) << true;
        QTest::newRow("Quest, zero hours allowed") << int(StateItem::MassachusettsQuest) << true;
        QTest::newRow("Illinois") << int(StateItem::Illinois) << false;
        QTest::newRow("PFML") << int(StateItem::MassachusettsPFML) << false;
    }

    void zeroHours_notAskedWhenAllowedOrNotNeeded()
    {
        QFETCH(int, state);
        QFETCH(bool, allowZeroHours);
        QVERIFY(m_store->exec(QStringLiteral("UPDATE Employee SET TotalHours = 0")));
        selectState(session(), positionOf(StateItem(state)));
        session().Form3.Text9 = QStringLiteral("12345678");
        session().AllowZeroHours = allowZeroHours;
        QCOMPARE(validate(), QString());
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(hoursOf(QStringLiteral("Ava")), qint64(0));
    }

    void transmitterBoxes_fromSubmitterAndEmployer_data()
    {
        QTest::addColumn<bool>("useEmployer");
        QTest::addColumn<bool>("standAlone");
        QTest::addColumn<QString>("transmitterEin");
        QTest::addColumn<QStringList>("employerBoxes");
        const QString submitterEin = QStringLiteral("98-7654321");
        const QStringList submitter{QStringLiteral("Payroll Pros"), QStringLiteral("1 Main St"),
                                    QStringLiteral("Springfield"), QStringLiteral("IL"), QStringLiteral("62701")};
        const QStringList employer{QStringLiteral("Acme Tools"), QStringLiteral("9 Elm Rd"), QStringLiteral("Peoria"),
                                   QStringLiteral("IL"), QStringLiteral("61602-1234")};
        QTest::newRow("QuickBooks, submitter's EIN") << false << false << submitterEin << employer;
        QTest::newRow("QuickBooks, employer's EIN") << true << false << QStringLiteral("12-3456789") << employer;
        QTest::newRow("standalone") << false << true << submitterEin << submitter;
    }

    void transmitterBoxes_fromSubmitterAndEmployer()
    {
        QFETCH(bool, useEmployer);
        QFETCH(bool, standAlone);
        QFETCH(QString, transmitterEin);
        QFETCH(QStringList, employerBoxes);
        session().UseEmployer = useEmployer;
        session().StandAlone = standAlone;
        session().frmTXMag.Text10 = QStringLiteral("left from the last run");

        validate();

        const TransmitterWindowBoxes& boxes = session().frmTXMag;
        QCOMPARE((QStringList{boxes.Text1, boxes.Text2, boxes.Text3, boxes.Text4, boxes.Text5}), employerBoxes);
        QCOMPARE((QStringList{boxes.Text6, boxes.Text7, boxes.Text8, boxes.Text11, boxes.Text12}),
                 (QStringList{QStringLiteral("Payroll Pros"), QStringLiteral("1 Main St"),
                              QStringLiteral("Springfield"), QStringLiteral("IL"), QStringLiteral("62701")}));
        QCOMPARE(boxes.Text13, transmitterEin);
        QCOMPARE(
            (QStringList{boxes.Text9, boxes.Text14, boxes.Text10}),
            (QStringList{QStringLiteral("Ann Lee"), QStringLiteral("217-555-0100"), QStringLiteral("ann@pp.test")}));
    }

    void transmitterBoxes_emptyEmployerTableGivesEmptyBoxes()
    {
        QVERIFY(m_store->exec(QStringLiteral("DELETE FROM Employer")));
        session().UseEmployer = true;
        session().frmTXMag.Text1 = QStringLiteral("stale");
        session().frmTXMag.Text13 = QStringLiteral("stale");
        QCOMPARE(validate(), QString());
        QCOMPARE(session().frmTXMag.Text1, QString());
        QCOMPARE(session().frmTXMag.Text13, QString());
    }

    void massachusettsQuest_emptySubmitter_onlyTheSubmitterEinFinding()
    {
        QVERIFY(m_store->exec(QStringLiteral("UPDATE Submitter SET Name = '', Address = '', City = '', State = '', "
                                             "Zip = '', Contact = '', Phone = '', EIN = '', Email = ''")));
        selectState(session(), positionOf(StateItem::MassachusettsQuest));
        session().Form3.Text9 = QStringLiteral("12345678");
        session().Rate = Currency(); // the rate is not checked for Quest either
        session().frmTXMag.Text6 = QStringLiteral("kept");

        QCOMPARE(validate(), kCrLf + QStringLiteral("- Submitter EIN must be in xx-xxxxxxx format"));
        QCOMPARE(session().frmTXMag.Text6, QStringLiteral("kept"));
        QVERIFY(!session().ChecksPassed);
    }

    void storeThatCannotBeOpened_isReportedAndFails()
    {
        QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
        session().ChecksPassed = true;
        const QString shown = validate();
        QVERIFY(!session().ChecksPassed);
        QCOMPARE(m_dialogs.calls().size(), 1);
        QCOMPARE(m_dialogs.calls().first().text, shown);
        QCOMPARE(m_dialogs.calls().first().icon, MessageIcon::Critical);
        QVERIFY(shown.contains(QStringLiteral("missing")));
        QVERIFY(!session().Store.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestPreFilingValidation)
#include "tst_prefilingvalidation.moc"
