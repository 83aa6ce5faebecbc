#include "app/period.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "totals/prefilingvalidation.h"

#include <QFile>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

const QString kCrLf = u"\r\n"_s;
const QString kSSFinding =
    u"- At least one employee has invalid Social Security Number. If SS not known, use all zeros"_s;
const QString kQuestEmployeeFinding =
    u"- At least one employee has invalid Social Security Number or zero hours. Click the Edit/Change Button and make "
    "the change."_s;
const QString kSubmitterEinFinding = u"- Submitter EIN must be in xx-xxxxxxx format"_s;
const QString kEinFinding =
    u"- Company EIN Invalid. Edit the company information and make sure the EIN field is in XX-XXXXXXX format"_s;

} // namespace

class TestPreFilingValidation : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;

    Session& session() { return m_store->session(); }
    QString validate() { return PreFilingValidation(session(), m_dialogs); }
    void select(StateItem state) { selectState(session(), positionOf(state)); }

    /// The TotalHours of Ava, Ben and Cy; -1 for none.
    QString hours()
    {
        return m_store
            ->value(u"SELECT group_concat(COALESCE(TotalHours, -1), '/') FROM (SELECT TotalHours FROM Employee "
                    "ORDER BY Name)"_s)
            .toString();
    }

private Q_SLOTS:
    // A company that passes every check in every state; each test breaks one thing.
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        QVERIFY(m_store->exec(
            u"UPDATE Submitter SET Name = 'Payroll Pros', Address = '1 Main St', City = 'Springfield', State = 'IL', "
            "Zip = '62701', Contact = 'Ann Lee', Phone = '217-555-0100', EIN = '98-7654321', Email = 'ann@pp.test'"_s));
        QVERIFY(m_store->exec(u"INSERT INTO Employer (EIN, Name, Address, City, State, Zip) VALUES "
                              "('12-3456789', 'Acme Tools', '9 Elm Rd', 'Peoria', 'IL', '61602-1234'), "
                              "('55-5555555', 'Second Row', 'x', 'x', 'x', 'x')"_s));
        QVERIFY(m_store->exec(u"INSERT INTO Employee (Name, SS, TotalHours, GrossWages) VALUES "
                              "('Ava', '123456789', 4000000, 10000000), ('Ben', '000000000', 5200000, 20000000)"_s));
        select(StateItem::Illinois);
        session().Form3.Text8 = u"12-3456789"_s;
        session().Form3.Text9 = u"1234567"_s;
        session().Rate = Currency::fromRaw(27000);
        session().UseSUIItem = true;
    }

    void eachFinding_aloneInTheList_data()
    {
        QTest::addColumn<StateItem>("state");
        QTest::addColumn<QString>("statement"); // run on the store before the check
        QTest::addColumn<QString>("ein");
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<bool>("standAlone");
        QTest::addColumn<QString>("finding"); // empty: passes
        const auto il = StateItem::Illinois;
        const QString ein = u"12-3456789"_s;
        const QString none;
        const auto row = [&](const char* name, StateItem state, const QString& statement, const QString& companyEin,
                             const QString& stateId, bool standAlone, const QString& finding) {
            QTest::newRow(name) << state << statement << companyEin << stateId << standAlone << finding;
        };
        row("EIN 9 characters, QuickBooks", il, none, u"12-345678"_s, none, false, kEinFinding);
        row("EIN with a blank for the hyphen", il, none, u"12 3456789"_s, none, false, kEinFinding);
        row("EIN 11 characters, standalone", il, none, u"12-34567890"_s, none, true,
            u"- Company EIN Invalid. Click the View Totals button and verify ein is in XX-XXXXXXX format"_s);
        // Each state's State ID rule: IDs it takes, and IDs it refuses with its finding, once however broken.
        const auto stateId = [&](StateItem state, std::initializer_list<const char*> taken,
                                 std::initializer_list<const char*> refused, const QString& finding) {
            for (const char* id : taken) {
                QTest::addRow("%d takes %s", int(state), id)
                    << state << none << ein << QString::fromUtf8(id) << false << none;
            }
            for (const char* id : refused) {
                QTest::addRow("%d refuses '%s'", int(state), id)
                    << state << none << ein << QString::fromUtf8(id) << false << finding;
            }
        };
        const QString utId =
            u"- State UT ID invalid. Must be %1. Click the View Totals button and check the State ID Field."_s;
        const QString uiAccount =
            u"- State UI Account Number not valid. Must be %1 digits. Click the View Totals Button and change the "
            "number."_s;
        stateId(StateItem::Texas, {"12-345678-9"}, {"123456789"}, utId.arg(u"in xx-xxxxxx-x format"_s));
        stateId(StateItem::Florida, {"1234567"}, {"12345678"}, utId.arg(u"7 digits"_s));
        stateId(StateItem::Connecticut, {"12345-67-8"}, {"123456789"}, utId.arg(u"10 characteers"_s));
        stateId(StateItem::SouthCarolina, {"123456"}, {"1234567"}, utId.arg(u"6 digits"_s));
        stateId(StateItem::MassachusettsQuest, {"12345678"}, {"1234567"}, uiAccount.arg(8));
        stateId(StateItem::NorthCarolina, {"1234567"}, {""}, uiAccount.arg(7));
        stateId(StateItem::Mississippi, {"1234567890"}, {"12345678901"}, uiAccount.arg(10));
        stateId(StateItem::Kentucky, {"123456", "12345678", "123456A", "12345678B", "000000Z"},
                {"123456a", "12345", "1234567890", "12A45B7", "1234567", "123456789", "+12345", "12345-78", "123456-",
                 "123456\xc3\x84"},
                u"- State ID invalid. Must be 6 or 8 digits followed by optional 1 Alphabetic character suffix. Click "
                "the View Totals button and check the State ID Field."_s);
        stateId(StateItem::Washington, {"x"}, {}, none); // a state without a rule

        const QString submitterEin = u"UPDATE Submitter SET EIN = '%1'"_s;
        row("Submitter EIN 9", il, submitterEin.arg(u"98-765432"_s), ein, none, false, kSubmitterEinFinding);
        row("Submitter EIN 11", il, submitterEin.arg(u"98-76543210"_s), ein, none, false, kSubmitterEinFinding);
        row("Submitter EIN with a letter", il, submitterEin.arg(u"98-765432O"_s), ein, none, false,
            kSubmitterEinFinding);
        const std::pair<const char*, const char*> required[] = {
            {"Name", "- Submitter Company Name Required"},         {"Address", "- Submitter Company Address Required"},
            {"City", "- Submitter Company City Required"},         {"State", "- Submitter Company State Required"},
            {"Zip", "- Submitter Company Zip Required"},           {"Contact", "- Submitter Contact Name Required"},
            {"Phone", "- Submitter Contact Phone Number Required"}};
        for (const auto& [field, finding] : required) {
            QTest::addRow("Submitter %s empty", field)
                << il << u"UPDATE Submitter SET %1 = ''"_s.arg(QLatin1String(field)) << ein << none << false
                << QString::fromLatin1(finding);
        }
        const QString avaSs = u"UPDATE Employee SET SS = %1 WHERE Name = 'Ava'"_s;
        row("SS of 8 digits", il, avaSs.arg(u"'12345678'"_s), ein, none, false, kSSFinding);
        row("SS with a letter", il, avaSs.arg(u"'12345678A'"_s), ein, none, false, kSSFinding);
        row("SS missing", il, avaSs.arg(u"NULL"_s), ein, none, false, kSSFinding);
        row("SS bad in Quest", StateItem::MassachusettsQuest, u"UPDATE Employee SET SS = '1234' WHERE Name = 'Ben'"_s,
            ein, u"12345678"_s, false, kQuestEmployeeFinding);
        // Quest files no transmitter record: of the Submitter row only the EIN is checked.
        row("Quest, empty Submitter", StateItem::MassachusettsQuest,
            u"UPDATE Submitter SET Name = '', Address = '', City = '', State = '', Zip = '', Contact = '', Phone = '', "
            "EIN = ''"_s,
            ein, u"12345678"_s, false, kSubmitterEinFinding);
    }
    void eachFinding_aloneInTheList()
    {
        QFETCH(StateItem, state);
        QFETCH(QString, statement);
        QFETCH(QString, ein);
        QFETCH(QString, stateId);
        QFETCH(bool, standAlone);
        QFETCH(QString, finding);
        QVERIFY(statement.isEmpty() || m_store->exec(statement));
        select(state);
        session().Form3.Text8 = ein;
        session().Form3.Text9 = stateId;
        session().StandAlone = standAlone;
        // The company EIN finding is the first line; any other follows an empty first line.
        const QString expected =
            finding.isEmpty() || finding.startsWith(u"- Company EIN"_s) ? finding : kCrLf + finding;
        QCOMPARE(validate(), expected);
        QVERIFY(session().ChecksPassed == finding.isEmpty());
        QCOMPARE(m_dialogs.messages(), finding.isEmpty() ? QStringList() : QStringList{expected});
        QCOMPARE(m_dialogs.calls().size(), finding.isEmpty() ? 0 : 1); // and no question
    }

    // A sound company passes silently, the store left open; so do a rate above 0, and 0 without the SUI item.
    void rate_aboveZeroOrWithoutTheSuiItem_passes()
    {
        session().ChecksPassed = false;
        session().Rate = Currency::fromRaw(1);
        QCOMPARE(validate(), QString());
        QVERIFY(session().ChecksPassed && m_dialogs.calls().isEmpty() && session().Store.isOpen());
        session().UseSUIItem = false;
        session().Rate = Currency();
        QCOMPARE(validate(), QString());
    }

    // Every finding is listed, in this order, one a line, in one box.
    void allFindings_inOrderWithoutStopping()
    {
        QVERIFY(m_store->exec(u"UPDATE Submitter SET Name = '', Zip = '', Phone = NULL, EIN = ''"_s));
        QVERIFY(m_store->exec(u"UPDATE Employee SET SS = '' WHERE Name = 'Ben'"_s));
        select(StateItem::Texas);
        session().Form3.Text8 = u"123456789"_s;
        session().Form3.Text9 = u"1"_s;
        session().Rate = Currency();
        const QString list = validate();
        QCOMPARE(list.split(kCrLf),
                 (QStringList{kEinFinding,
                              u"- State UT ID invalid. Must be in xx-xxxxxx-x format. Click the View Totals button "
                              "and check the State ID Field."_s,
                              kSubmitterEinFinding, u"- Submitter Company Name Required"_s,
                              u"- Submitter Company Zip Required"_s, u"- Submitter Contact Phone Number Required"_s,
                              u"- Invalid SUI Rate. Click the View Totals button and enter a valid SUI Rate"_s,
                              kSSFinding}));
        QCOMPARE(m_dialogs.calls().size(), 1);
        const test::DialogCall& box = m_dialogs.calls().first();
        QVERIFY(box.text == list && box.title == kApplicationTitle && !session().ChecksPassed);
        QVERIFY(box.icon == MessageIcon::None && box.buttons == MessageButtons::Ok);
    }

    // Washington and Quest ask for the hours of the employees without, unless zero hours are allowed.
    void zeroHours_answers_data()
    {
        QTest::addColumn<StateItem>("state");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<QList<std::optional<QString>>>("answers");
        QTest::addColumn<QString>("hours"); // Ava's, Ben's and Cy's afterwards; -1: none
        QTest::addColumn<QString>("list");
        const auto wa = StateItem::Washington;
        const auto quest = StateItem::MassachusettsQuest;
        const QString ssLine = kCrLf + kSSFinding;
        const QString unfilled = u"0/5200000/-1"_s;
        const QString all520 = u"5200000/5200000/5200000"_s;
        using Answers = QList<std::optional<QString>>;
        QTest::newRow("520") << wa << false << Answers{u"520"_s} << all520 << QString();
        QTest::newRow("blanks and a fraction")
            << wa << false << Answers{u" 37.5 "_s} << u"375000/5200000/375000"_s << QString();
        QTest::newRow("0") << wa << false << Answers{u"0"_s} << unfilled << ssLine;
        QTest::newRow("cancel") << wa << false << Answers{std::nullopt} << unfilled << ssLine;
        QTest::newRow("not a number, then 40")
            << wa << false << Answers{u"forty"_s, u"40"_s} << u"400000/5200000/400000"_s << QString();
        QTest::newRow("negative, then cancel") << wa << false << Answers{u"-40"_s, std::nullopt} << unfilled << ssLine;
        QTest::newRow("Quest, 0") << quest << false << Answers{u"0"_s} << unfilled << kCrLf + kQuestEmployeeFinding;
        QTest::newRow("Washington, allowed") << wa << true << Answers{} << unfilled << QString();
        QTest::newRow("Illinois") << StateItem::Illinois << false << Answers{} << unfilled << QString();
    }
    void zeroHours_answers()
    {
        QFETCH(StateItem, state);
        QFETCH(bool, allowed);
        QFETCH(QList<std::optional<QString>>, answers);
        QFETCH(QString, hours);
        QFETCH(QString, list);
        QVERIFY(m_store->exec(u"INSERT INTO Employee (Name, SS, TotalHours) VALUES ('Cy', '111111111', NULL)"_s));
        QVERIFY(m_store->exec(u"UPDATE Employee SET TotalHours = 0 WHERE Name = 'Ava'"_s));
        select(state);
        session().Form3.Text9 = u"12345678"_s;
        session().AllowZeroHours = allowed;
        for (const auto& answer : answers) {
            m_dialogs.inputNext(answer);
        }
        QCOMPARE(validate(), list);
        QCOMPARE(m_dialogs.calls().size(), answers.size() + (list.isEmpty() ? 0 : 1));
        for (const test::DialogCall& question : m_dialogs.calls().first(answers.size())) {
            QCOMPARE(question.title + u"|"_s + question.text,
                     u"Enter Total Hours|Program found employees with zero hours. Please enter the total hours to use "
                     "for all salaried employees"_s);
        }
        QCOMPARE(this->hours(), hours);
        QVERIFY(session().ChecksPassed == list.isEmpty());
    }

    void transmitterBoxes_fromSubmitterAndEmployer_data()
    {
        QTest::addColumn<bool>("useEmployer");
        QTest::addColumn<bool>("standAlone");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("boxes"); // Text1 to Text14
        const QString employer = u"Acme Tools|9 Elm Rd|Peoria|IL|61602-1234|"_s;
        const QString transmitter = u"Payroll Pros|1 Main St|Springfield|Ann Lee|ann@pp.test|IL|62701|"_s;
        QTest::newRow("QuickBooks, submitter's EIN")
            << false << false << QString() << employer + transmitter + u"98-7654321|217-555-0100"_s;
        QTest::newRow("QuickBooks, employer's EIN")
            << true << false << QString() << employer + transmitter + u"12-3456789|217-555-0100"_s;
        QTest::newRow("standalone") << false << true << QString()
                                    << u"Payroll Pros|1 Main St|Springfield|IL|62701|"_s + transmitter +
                                           u"98-7654321|217-555-0100"_s;
        QTest::newRow("no employer row") << true << false << u"DELETE FROM Employer"_s
                                         << u"|||||"_s + transmitter + u"|217-555-0100"_s;
    }
    void transmitterBoxes_fromSubmitterAndEmployer()
    {
        QFETCH(bool, useEmployer);
        QFETCH(bool, standAlone);
        QFETCH(QString, statement);
        QFETCH(QString, boxes);
        QVERIFY(statement.isEmpty() || m_store->exec(statement));
        session().UseEmployer = useEmployer;
        session().StandAlone = standAlone;
        for (const int stale : {1, 10, 13}) {
            session().frmTXMag.box(stale) = u"left from the last run"_s;
        }
        QCOMPARE(validate(), QString());
        QStringList texts;
        for (int box = 1; box <= 14; ++box) {
            texts << session().frmTXMag.box(box);
        }
        QCOMPARE(texts.join(u"|"_s), boxes);
    }

    void storeThatCannotBeOpened_isReportedAndFails()
    {
        QVERIFY(QFile::remove(session().DataFolder + WageStore::kFileName));
        session().ChecksPassed = true;
        const QString shown = validate();
        QVERIFY(!session().ChecksPassed && !session().Store.isOpen());
        QCOMPARE(m_dialogs.calls().size(), 1);
        QVERIFY(m_dialogs.calls().first().text == shown && shown.contains(u"missing"_s) &&
                m_dialogs.calls().first().icon == MessageIcon::Critical);
    }
};

QTEST_GUILESS_MAIN(TestPreFilingValidation)
#include "tst_prefilingvalidation.moc"
