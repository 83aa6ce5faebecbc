#include "app/session.h"
#include "app/statecatalogue.h"
#include "tests/support/storefixture.h"
#include "totals/recalculatetotals.h"
#include "totals/totalslayout.h"

#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

Currency money(const char* text)
{
    return Currency::fromText(QLatin1String(text)).value_or(Currency::fromRaw(-1));
}

/// The totals boxes Text1 to Text7 and Text12, joined by "|".
QString boxes(Session& session)
{
    QStringList texts;
    for (const int box : {1, 2, 3, 4, 5, 6, 7, 12}) {
        texts << session.Form3.box(box);
    }
    return texts.join(u"|"_s);
}

} // namespace

class TestTotals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyTable_givesZeroTotals()
    {
        test::StoreFixture store;
        Session& session = store.session();
        session.Rate = money("2.7");
        session.TotalWages = money("5");
        session.Month2Count = 4;
        OpenWageStore(session);
        RecalculateTotals(session);
        CloseWageStore(session);
        QVERIFY(session.TotalWages == Currency() && session.Month2Count == 0);
        QCOMPARE(boxes(session), u"0|$.00|0|0|$.00|2.700|$.00|$.00"_s);
        QCOMPARE(session.ModifiedRate, money("2.625"));
    }

    void sumsCountsAndCompletesRows()
    {
        test::StoreFixture store;
        Session& session = store.session();
        session.Rate = money("2.7");
        session.ToMonthYear = u"032025"_s;
        session.SWHWagesTotal = money("1500.5");
        // Two loaded rows, a row no loader completed (counted once in each month, whatever its flags say), and
        // one without wages that the pass removes.
        QVERIFY(store.exec(u"INSERT INTO Employee (Name, FirstName, MiddleName, LastName, GrossWages, TaxableWages, "
                           "Month1, Month2, Month3, StateCode) VALUES "
                           "('ANN CARTER', 'ANN', ' ', 'CARTER', 60000000, 40000000, 1, 1, 1, '48'), "
                           "('BOB DAY', 'BOB', ' ', 'DAY', 30000000, 30000000, 0, 1, 0, '  '), "
                           "('cy éclair', 'cy', 'b', 'éclair', 12345, 30000000, 1, 0, 0, ' '), "
                           "('ZERO', 'Z', ' ', 'ZERO', 0, 0, 1, 1, 1, '48')"_s));
        session.Store.open(session.DataFolder + WageStore::kFileName);
        RecalculateTotals(session);
        session.Store.close();
        QCOMPARE(session.TotalWages, money("9001.2345"));
        QCOMPARE(session.TaxableTotal, money("10000"));
        QCOMPARE(boxes(session), u"2|$9,001.23|3|2|$10,000.00|2.700|$270.00|$1,500.50"_s);
        // The completed row is flagged in every month and upper-cased; the loaded rows keep their own flags.
        QCOMPARE(store
                     .value(u"SELECT count(*) || '/' || group_concat(Month1 || Month2 || Month3 || '/' || StateCode || "
                            "'/' || Name || '/' || FirstName || MiddleName || LastName || '/' || QuarterEnding, ',') "
                            "FROM (SELECT * FROM Employee WHERE LastName <> 'CARTER' ORDER BY LastName)"_s)
                     .toString(),
                 u"2/010/  /BOB DAY/BOB DAY/,111/12/CY ÉCLAIR/CYBÉCLAIR/032025"_s);
    }

    void editChangeRecomputation_opensTheStoreForItself()
    {
        test::StoreFixture store;
        Session& session = store.session();
        QVERIFY(store.exec(u"INSERT INTO Employee (GrossWages, Month2) VALUES (150000, 1)"_s));
        {
            WageStore other;
            other.open(session.DataFolder + WageStore::kFileName);
            QVERIFY(RecalculateTotalsInStore(session).has_value());
        }
        QVERIFY(!RecalculateTotalsInStore(session) && !session.Store.isOpen());
        QCOMPARE(session.Form3.Text2 + u"|"_s + QString::number(session.Month2Count), u"$15.00|1"_s);
    }

    // The tax is rounded to the cent once, halves up; whole amounts are pinned by the totals and Kentucky lines.
    void taxAtRate_roundsHalfACentUp()
    {
        QCOMPARE(taxAtRate(money("1"), money("1.5")), money(".02"));
        QCOMPARE(taxAtRate(money("0.99"), money("0.5")), money("0"));
    }

    void kentuckySurcharges_followTheYearAndQuarter_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("quarter");
        QTest::addColumn<QString>("lines"); // withholding lines shown, Label15, Text12, Text13, Label13, Text10
        const QString none = u"0|SWH Wages|kept|kept|County Code |kept"_s;
        const QString scuf = u"1|SCUF Rate|.075%|$7.50|Modified Rate|2.625%"_s;
        QTest::newRow("2013") << 2013 << u"4"_s << none;
        QTest::newRow("2014") << 2014 << u"1"_s << u"1|Surch Rate|.22%|$22.00|County Code |kept"_s;
        QTest::newRow("2015") << 2015 << u"4"_s << u"1|Surch Rate|.21%|$21.00|County Code |kept"_s;
        QTest::newRow("2016 Q2") << 2016 << u"2"_s << u"1|Surch Rate|.21%|$21.00|County Code |kept"_s;
        QTest::newRow("2016 Q3") << 2016 << u"3"_s << none;
        QTest::newRow("2018 Q2") << 2018 << u"2"_s << none;
        QTest::newRow("2018 Q3") << 2018 << u"3"_s << scuf;
        QTest::newRow("2021") << 2021 << u"2"_s << none;
        QTest::newRow("2022") << 2022 << u"4"_s << none;
        QTest::newRow("2023") << 2023 << u"1"_s << scuf;
    }
    void kentuckySurcharges_followTheYearAndQuarter()
    {
        QFETCH(int, year);
        QFETCH(QString, quarter);
        QFETCH(QString, lines);
        auto session = std::make_unique<Session>();
        session->StatePosition = positionOf(StateItem::Kentucky);
        session->TaxYear = static_cast<qint16>(year);
        session->Quarter = quarter;
        session->TaxableTotal = money("10000");
        session->Rate = money("2.7");
        session->ModifiedRate = modifiedRateOf(session->Rate);
        session->Form3.Text10 = session->Form3.Text12 = session->Form3.Text13 = u"kept"_s;
        const TotalsLayout layout = ShowTotalsWindowLayout(*session, QString(), QString());
        const TotalsWindowBoxes& texts = session->Form3;
        QCOMPARE(QStringList({layout.withholdingVisible ? u"1"_s : u"0"_s, layout.Label15, texts.Text12, texts.Text13,
                              layout.Label13, texts.Text10})
                     .join(u"|"_s),
                 lines);
    }
};

QTEST_GUILESS_MAIN(TestTotals)
#include "tst_totals.moc"
