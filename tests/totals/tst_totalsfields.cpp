#include "app/period.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/inifile.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "totals/totalsfields.h"

#include <QTest>

using namespace wagetrove;

namespace {

QString setting(const Session& session, const QString& key)
{
    return IniFile(session.SettingsFile).read(QStringLiteral("Options"), key);
}

} // namespace

class TestTotalsFields : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;

    Session& session() { return m_store->session(); }

    QString stateIdOf(const QString& ein, const QString& state)
    {
        return m_store
            ->value(QStringLiteral("SELECT StateID || '/' || [County Code] FROM StateIDTable WHERE EIN = '%1' AND "
                                   "State = '%2'")
                        .arg(ein, state))
            .toString();
    }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        QVERIFY(m_store->exec(QStringLiteral("INSERT INTO StateIDTable (EIN, State, StateID, [County Code]) VALUES "
                                             "('11-1111111', 'KY', 'old', 'c'), ('12-3456789', 'KY', 'old', 'c'), "
                                             "('12-3456789', 'TX', 'old', 'c'), ('12-3456789', 'SC', 'old', 'c')")));
        session().Form3.Text8 = QStringLiteral("12-3456789");
    }

    void stateIdChecks_followTheState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString texas = QStringLiteral("State ID must be in xx-xxxxxx-x format.");
        const QString kentucky = QStringLiteral(
            " State ID invalid. Must be 6 or 8 digits followed by optional 1 Alphabetic character suffix");
        const QString carolina = QStringLiteral(" State ID invalid. Must be 6 digits.");
        const int tx = int(StateItem::Texas);
        const int ky = int(StateItem::Kentucky);
        const int sc = int(StateItem::SouthCarolina);
        QTest::newRow("TX 11") << tx << QStringLiteral("12-345678-9") << QString();
        QTest::newRow("TX 10") << tx << QStringLiteral("12-345678-") << texas;
        QTest::newRow("TX 12") << tx << QStringLiteral("12-345678-90") << texas;
        QTest::newRow("KY 6 digits") << ky << QStringLiteral("123456") << QString();
        QTest::newRow("KY 6 digits and letter") << ky << QStringLiteral("123456A") << QString();
        QTest::newRow("KY 8 digits") << ky << QStringLiteral("12345678") << QString();
        QTest::newRow("KY 8 digits and letter") << ky << QStringLiteral("12345678Z") << QString();
        QTest::newRow("KY 7 digits") << ky << QStringLiteral("1234567") << kentucky;
        QTest::newRow("KY letter inside") << ky << QStringLiteral("12345A6") << kentucky;
        QTest::newRow("KY lower-case letter") << ky << QStringLiteral("123456a") << kentucky;
        QTest::newRow("KY 5 digits") << ky << QStringLiteral("12345") << kentucky;
        QTest::newRow("KY 10 digits") << ky << QStringLiteral("1234567890") << kentucky;
        QTest::newRow("SC 6 digits") << sc << QStringLiteral("123456") << QString();
        QTest::newRow("SC 5 digits") << sc << QStringLiteral("12345") << carolina;
        QTest::newRow("SC letter") << sc << QStringLiteral("12345A") << carolina;
        QTest::newRow("IL anything") << int(StateItem::Illinois) << QStringLiteral("x") << QString();
    }

    void stateIdChecks_followTheState()
    {
        QFETCH(int, state);
        QFETCH(QString, stateId);
        QFETCH(QString, message);
        selectState(session(), positionOf(static_cast<StateItem>(state)));
        QCOMPARE(stateIdProblem(session(), stateId).value_or(QString()), message);
    }

    void stateId_isTrimmedAndStoredInTheCompanysRow()
    {
        selectState(session(), positionOf(StateItem::Kentucky));
        session().Form3.Text9 = QStringLiteral("  123456A ");
        leaveStateId(session(), m_dialogs);
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(session().Form3.Text9, QStringLiteral("123456A"));
        QCOMPARE(stateIdOf(QStringLiteral("12-3456789"), QStringLiteral("KY")), QStringLiteral("123456A/c"));
        QCOMPARE(stateIdOf(QStringLiteral("12-3456789"), QStringLiteral("TX")), QStringLiteral("old/c"));
        QCOMPARE(stateIdOf(QStringLiteral("11-1111111"), QStringLiteral("KY")), QStringLiteral("old/c"));

        // A rejected id is not stored.
        session().Form3.Text9 = QStringLiteral("1234567");
        leaveStateId(session(), m_dialogs);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QCOMPARE(stateIdOf(QStringLiteral("12-3456789"), QStringLiteral("KY")), QStringLiteral("123456A/c"));
    }

    void noMatchingRow_writesNothing_butStandAloneIgnoresTheStateForTheIdOnly()
    {
        selectState(session(), positionOf(StateItem::Illinois));
        session().Form3.Text9 = QStringLiteral("IL-1");
        session().Form3.Text10 = QStringLiteral("201");
        leaveStateId(session(), m_dialogs);
        leaveCountyCode(session(), m_dialogs);
        QCOMPARE(m_store
                     ->value(QStringLiteral("SELECT count(*) FROM StateIDTable WHERE StateID = 'old' AND "
                                            "[County Code] = 'c'"))
                     .toInt(),
                 4);

        session().StandAlone = true;
        leaveStateId(session(), m_dialogs);
        leaveCountyCode(session(), m_dialogs);
        QVERIFY(m_dialogs.calls().isEmpty());
        // The first row of the company takes the id; the county code still needs the state to match.
        QCOMPARE(m_store->value(QStringLiteral("SELECT count(*) FROM StateIDTable WHERE StateID = 'IL-1'")).toInt(), 1);
        QCOMPARE(
            m_store->value(QStringLiteral("SELECT count(*) FROM StateIDTable WHERE [County Code] = '201'")).toInt(), 0);
    }

    void countyCode_storedExceptForKentucky()
    {
        for (const StateItem state : {StateItem::Texas, StateItem::Kentucky}) {
            selectState(session(), positionOf(state));
            session().Form3.Text10 = QStringLiteral("201");
            leaveCountyCode(session(), m_dialogs);
        }
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(stateIdOf(QStringLiteral("12-3456789"), QStringLiteral("TX")), QStringLiteral("old/201"));
        QCOMPARE(stateIdOf(QStringLiteral("12-3456789"), QStringLiteral("KY")), QStringLiteral("old/c"));
    }

    void lockedStore_isReportedAndTheBoxKept()
    {
        selectState(session(), positionOf(StateItem::Texas));
        WageStore other;
        other.open(session().DataFolder + WageStore::kFileName);
        session().Form3.Text9 = QStringLiteral("12-345678-9");
        leaveStateId(session(), m_dialogs);
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY2(m_dialogs.messages().first().startsWith(QStringLiteral("The State ID could not be saved")),
                 qPrintable(m_dialogs.messages().first()));
        QCOMPARE(m_dialogs.calls().first().icon, MessageIcon::Exclamation);
        QCOMPARE(session().Form3.Text9, QStringLiteral("12-345678-9"));
        other.close();
        QCOMPARE(stateIdOf(QStringLiteral("12-3456789"), QStringLiteral("TX")), QStringLiteral("old/c"));
    }

    void rate_recomputesTaxAndIsRememberedInStandAlone()
    {
        selectState(session(), positionOf(StateItem::Kentucky));
        session().TaxableTotal = *Currency::fromText(QStringLiteral("10000"));
        session().StandAlone = true;
        session().Form3.Text6 = QStringLiteral(" 3.1 ");
        QVERIFY(!leaveRate(session(), m_dialogs));
        QCOMPARE(session().Rate, *Currency::fromText(QStringLiteral("3.1")));
        QCOMPARE(session().Form3.Text7, QStringLiteral("$310.00"));
        QCOMPARE(session().Form3.Text10, QStringLiteral("3.025%"));
        QCOMPARE(setting(session(), QStringLiteral("Rate")), QStringLiteral("3.1"));
    }

    void ein_isRememberedInStandAlone()
    {
        session().StandAlone = true;
        session().Form3.Text8 = QStringLiteral("  98-7654321 ");
        leaveEin(session(), m_dialogs);
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(session().FedID, QStringLiteral("98-7654321"));
        QCOMPARE(setting(session(), QStringLiteral("FedID")), QStringLiteral("98-7654321"));
    }

    void refusedText_givesWayToTheTextInForce_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // the box's text afterwards, and the text in force
        QTest::addColumn<bool>("focusBack");
        QTest::addColumn<QString>("message"); // empty: none
        const int il = int(StateItem::Illinois);
        const auto row = [](const char* name, int state, int box, const char* typed, const char* shown, bool focusBack,
                            const char* message) {
            QTest::newRow(name) << state << box << QString::fromLatin1(typed) << QString::fromLatin1(shown) << focusBack
                                << QString::fromLatin1(message);
        };
        row("month count refused", il, 1, "twelve", "5", true, "Invalid Employee Count");
        row("month count kept", il, 4, "12", "12", false, "");
        row("rate refused", il, 6, "abc", "2.7", true, "Invalid Unemployment Rate.");
        row("rate kept", il, 6, "3", "3", false, "");
        row("PFML percent unchecked", int(StateItem::MassachusettsPFML), 6, "sixty", "sixty", false, "");
        row("EIN without its hyphen", il, 8, "123456789", "12-3456789", false, "EIN must be in xx-xxxxxxx format.");
        row("EIN of letters", il, 8, "AB-CDEFGHI", "12-3456789", false, "EIN must be in xx-xxxxxxx format.");
        row("EIN trimmed", il, 8, " 98-7654321 ", "98-7654321", false, "");
        row("State ID refused", int(StateItem::SouthCarolina), 9, "12345", "654321", false,
            " State ID invalid. Must be 6 digits.");
        row("county refused", int(StateItem::Texas), 10, "20A", "201", false, "County must be numeric");
        row("county unchecked in Kentucky", int(StateItem::Kentucky), 10, "2.625%", "2.625%", false, "");
        row("no check of its own", il, 2, "$1.00", "$1.00", false, "");
    }
    void refusedText_givesWayToTheTextInForce()
    {
        QFETCH(int, state);
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, focusBack);
        QFETCH(QString, message);
        selectState(session(), positionOf(static_cast<StateItem>(state)));
        TotalsWindowBoxes& boxes = session().Form3;
        boxes.Text1 = QStringLiteral("5");
        boxes.Text2 = QStringLiteral("$9.00");
        boxes.Text6 = QStringLiteral("2.7");
        boxes.Text9 = QStringLiteral("654321");
        boxes.Text10 = QStringLiteral("201");
        TotalsWindowBoxes inForce = boxes;
        boxes.box(box) = typed;
        QCOMPARE(leaveTotalsBox(session(), m_dialogs, box, inForce), focusBack);
        QCOMPARE(boxes.box(box), shown);
        // A box without a check leaves the texts in force as they were.
        QCOMPARE(inForce.box(box), box == 2 ? QStringLiteral("$9.00") : shown);
        QCOMPARE(m_dialogs.messages(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(m_dialogs.calls().first().title, kApplicationTitle);
        }
    }

    void computedBoxes_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("box");
        QTest::addColumn<bool>("computed");
        const int il = int(StateItem::Illinois);
        QTest::newRow("total wages") << il << 2 << true;
        QTest::newRow("taxable wages") << il << 5 << true;
        QTest::newRow("tax due") << il << 7 << true;
        QTest::newRow("Florida tax due") << int(StateItem::Florida) << 7 << false;
        QTest::newRow("PFML family percent") << int(StateItem::MassachusettsPFML) << 7 << false;
        QTest::newRow("Kentucky surcharge rate") << int(StateItem::Kentucky) << 12 << true;
        QTest::newRow("Quest withholding amount") << int(StateItem::MassachusettsQuest) << 13 << true;
        QTest::newRow("month count") << il << 3 << false;
        QTest::newRow("rate") << il << 6 << false;
        QTest::newRow("Texas out-of-county") << int(StateItem::Texas) << 11 << false;
    }

    void computedBoxes()
    {
        QFETCH(int, state);
        QFETCH(int, box);
        QFETCH(bool, computed);
        selectState(session(), positionOf(static_cast<StateItem>(state)));
        QCOMPARE(isComputedBox(session(), box), computed);
    }
};

QTEST_GUILESS_MAIN(TestTotalsFields)
#include "tst_totalsfields.moc"
