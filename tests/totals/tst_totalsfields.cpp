#include "app/period.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "common/inifile.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "totals/totalsfields.h"

#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

class TestTotalsFields : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;

    Session& session() { return m_store->session(); }
    void select(StateItem state) { selectState(session(), positionOf(state)); }
    QString setting(const QString& key) { return IniFile(session().SettingsFile).read(u"Options"_s, key); }

    /// StateID/County Code of each StateIDTable row, in the order they were added.
    QString stateIds()
    {
        return m_store->value(u"SELECT group_concat(StateID || '/' || [County Code], ' ') FROM StateIDTable"_s)
            .toString();
    }

private Q_SLOTS:
    // Rows of another company for Kentucky, then the company's own for Kentucky, Texas and South Carolina.
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
        QVERIFY(m_store->exec(u"INSERT INTO StateIDTable (EIN, State, StateID, [County Code]) VALUES "
                              "('11-1111111', 'KY', 'old', 'c'), ('12-3456789', 'KY', 'old', 'c'), "
                              "('12-3456789', 'TX', 'old', 'c'), ('12-3456789', 'SC', 'old', 'c')"_s));
        session().Form3.Text8 = u"12-3456789"_s;
    }

    void stateIdChecks_followTheState_data()
    {
        QTest::addColumn<StateItem>("state");
        QTest::addColumn<QString>("stateId");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString texas = u"State ID must be in xx-xxxxxx-x format."_s;
        const QString kentucky =
            u" State ID invalid. Must be 6 or 8 digits followed by optional 1 Alphabetic character suffix"_s;
        const QString carolina = u" State ID invalid. Must be 6 digits."_s;
        const auto rows = [](const char* name, StateItem state, std::initializer_list<const char*> ids,
                             const QString& message) {
            for (const char* id : ids) {
                QTest::addRow("%s %s", name, id) << state << QString::fromLatin1(id) << message;
            }
        };
        rows("TX", StateItem::Texas, {"12-345678-9"}, QString());
        rows("TX", StateItem::Texas, {"12-345678-", "12-345678-90"}, texas);
        rows("KY", StateItem::Kentucky, {"123456", "123456A", "12345678", "12345678Z"}, QString());
        rows("KY", StateItem::Kentucky, {"1234567", "12345A6", "123456a", "12345", "1234567890"}, kentucky);
        rows("SC", StateItem::SouthCarolina, {"123456"}, QString());
        rows("SC", StateItem::SouthCarolina, {"12345", "12345A"}, carolina);
        rows("IL", StateItem::Illinois, {"x"}, QString());
    }
    void stateIdChecks_followTheState()
    {
        QFETCH(StateItem, state);
        QFETCH(QString, stateId);
        QFETCH(QString, message);
        select(state);
        QCOMPARE(stateIdProblem(session(), stateId).value_or(QString()), message);
    }

    // A State ID or county code left is stored in the company's row of the state, trimmed; a refused one is not.
    // Standalone, the company's first row takes the State ID whatever its state; the county code still needs it.
    void stateIdAndCounty_storedInTheCompanysRow_data()
    {
        QTest::addColumn<StateItem>("state");
        QTest::addColumn<bool>("standAlone");
        QTest::addColumn<QString>("stateId"); // typed into Text9, then Text10 gets "201"
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("stored");
        const auto ky = StateItem::Kentucky;
        const auto il = StateItem::Illinois;
        const QString old = u"old/c old/c old/c old/c"_s;
        QTest::newRow("Kentucky") << ky << false << u"  123456A "_s << 0 << u"old/c 123456A/c old/c old/c"_s;
        QTest::newRow("Kentucky, refused") << ky << false << u"1234567"_s << 1 << old;
        QTest::newRow("Texas") << StateItem::Texas << false << u"12-345678-9"_s << 0
                               << u"old/c old/c 12-345678-9/201 old/c"_s;
        QTest::newRow("no row of the state") << il << false << u"IL-1"_s << 0 << old;
        QTest::newRow("no row of the state, standalone")
            << il << true << u"IL-1"_s << 0 << u"old/c IL-1/c old/c old/c"_s;
    }
    void stateIdAndCounty_storedInTheCompanysRow()
    {
        QFETCH(StateItem, state);
        QFETCH(bool, standAlone);
        QFETCH(QString, stateId);
        QFETCH(int, messages);
        QFETCH(QString, stored);
        select(state);
        session().StandAlone = standAlone;
        session().Form3.Text9 = stateId;
        session().Form3.Text10 = u"201"_s;
        QCOMPARE(leaveStateId(session(), m_dialogs), messages == 1);
        QCOMPARE(leaveCountyCode(session(), m_dialogs), false);
        QVERIFY(m_dialogs.messages().size() == messages && session().Form3.Text9 == stateId.trimmed());
        QCOMPARE(stateIds(), stored);
    }

    void lockedStore_isReportedAndTheBoxKept()
    {
        select(StateItem::Texas);
        WageStore other;
        other.open(session().DataFolder + WageStore::kFileName);
        session().Form3.Text9 = u"12-345678-9"_s;
        leaveStateId(session(), m_dialogs);
        QVERIFY2(m_dialogs.messages().size() == 1 &&
                     m_dialogs.messages().first().startsWith(u"The State ID could not be saved"_s),
                 qPrintable(m_dialogs.messages().join(u"/"_s)));
        QVERIFY(m_dialogs.calls().first().icon == MessageIcon::Exclamation &&
                session().Form3.Text9 == u"12-345678-9"_s);
        other.close();
        QCOMPARE(stateIds(), u"old/c old/c old/c old/c"_s);
    }

    void rateAndEin_areRememberedInStandAlone()
    {
        select(StateItem::Kentucky);
        session().TaxableTotal = *Currency::fromText(u"10000"_s);
        session().StandAlone = true;
        session().Form3.Text6 = u" 3.1 "_s;
        QVERIFY(!leaveRate(session(), m_dialogs) && session().Rate == *Currency::fromText(u"3.1"_s));
        // The tax and, in Kentucky, the rate without the fund share follow the rate.
        QCOMPARE(session().Form3.Text7 + u"|"_s + session().Form3.Text10 + u"|"_s + setting(u"Rate"_s),
                 u"$310.00|3.025%|3.1"_s);
        session().Form3.Text8 = u"  98-7654321 "_s;
        leaveEin(session(), m_dialogs);
        QVERIFY(m_dialogs.calls().isEmpty());
        QCOMPARE(session().FedID + u"|"_s + setting(u"FedID"_s), u"98-7654321|98-7654321"_s);
    }

    // A refused text gives way to the text in force; a box without a check leaves the texts in force as they were.
    void refusedText_givesWayToTheTextInForce_data()
    {
        QTest::addColumn<StateItem>("state");
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after"); // the box's text|the text in force|focus back|the message
        const auto il = StateItem::Illinois;
        const auto ky = StateItem::Kentucky;
        const auto pfml = StateItem::MassachusettsPFML;
        const auto sc = StateItem::SouthCarolina;
        const QString ein = u"EIN must be in xx-xxxxxxx format."_s;
        QTest::newRow("month count refused") << il << 1 << u"twelve"_s << u"5|5|1|Invalid Employee Count"_s;
        QTest::newRow("month count kept") << il << 4 << u"12"_s << u"12|12|0|"_s;
        QTest::newRow("rate refused") << il << 6 << u"abc"_s << u"2.7|2.7|1|Invalid Unemployment Rate."_s;
        QTest::newRow("rate kept") << il << 6 << u"3"_s << u"3|3|0|"_s;
        QTest::newRow("PFML percent unchecked") << pfml << 6 << u"sixty"_s << u"sixty|sixty|0|"_s;
        QTest::newRow("EIN without its hyphen") << il << 8 << u"123456789"_s << u"12-3456789|12-3456789|0|"_s + ein;
        QTest::newRow("EIN trimmed") << il << 8 << u" 98-7654321 "_s << u"98-7654321|98-7654321|0|"_s;
        QTest::newRow("State ID refused")
            << sc << 9 << u"12345"_s << u"654321|654321|0| State ID invalid. Must be 6 digits."_s;
        QTest::newRow("county refused") << StateItem::Texas << 10 << u"20A"_s << u"201|201|0|County must be numeric"_s;
        QTest::newRow("county unchecked in Kentucky") << ky << 10 << u"2.625%"_s << u"2.625%|2.625%|0|"_s;
        QTest::newRow("no check of its own") << il << 2 << u"$1.00"_s << u"$1.00|$9.00|0|"_s;
    }
    void refusedText_givesWayToTheTextInForce()
    {
        QFETCH(StateItem, state);
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        select(state);
        TotalsWindowBoxes& boxes = session().Form3;
        boxes.Text1 = u"5"_s;
        boxes.Text2 = u"$9.00"_s;
        boxes.Text6 = u"2.7"_s;
        boxes.Text9 = u"654321"_s;
        boxes.Text10 = u"201"_s;
        TotalsWindowBoxes inForce = boxes;
        boxes.box(box) = typed;
        const bool focusBack = leaveTotalsBox(session(), m_dialogs, box, inForce);
        QCOMPARE(QStringList(
                     {boxes.box(box), inForce.box(box), focusBack ? u"1"_s : u"0"_s, m_dialogs.messages().join(u"/"_s)})
                     .join(u"|"_s),
                 after);
        QVERIFY(m_dialogs.calls().isEmpty() || m_dialogs.calls().first().title == kApplicationTitle);
    }
};

QTEST_GUILESS_MAIN(TestTotalsFields)
#include "tst_totalsfields.moc"
