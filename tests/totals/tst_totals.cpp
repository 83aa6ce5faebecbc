#include "app/session.h"
#include "app/statecatalogue.h"
#include "tests/support/storefixture.h"
#include "totals/recalculatetotals.h"
#include "totals/totalslayout.h"

#include <QTest>

using namespace wagetrove;

namespace {

Currency money(const char* text)
{
    return Currency::fromText(QLatin1String(text)).value_or(Currency::fromRaw(-1));
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
        QCOMPARE(session.TotalWages, Currency());
        QCOMPARE(session.Month2Count, 0);
        const TotalsWindowBoxes& boxes = session.Form3;
        QCOMPARE(
            (QStringList{boxes.Text1, boxes.Text2, boxes.Text3, boxes.Text4, boxes.Text5, boxes.Text6, boxes.Text7}),
            (QStringList{QStringLiteral("0"), QStringLiteral("$.00"), QStringLiteral("0"), QStringLiteral("0"),
                         QStringLiteral("$.00"), QStringLiteral("2.700"), QStringLiteral("$.00")}));
        QCOMPARE(session.ModifiedRate, money("2.625"));
    }

    void sumsCountsAndCompletesRows()
    {
        test::StoreFixture store;
        Session& session = store.session();
        session.Rate = money("2.7");
        session.ToMonthYear = QStringLiteral("032025");
        session.SWHWagesTotal = money("1500.5");
        // Two loaded rows, a row no loader completed (counted once in each month, whatever its flags say), and
        // one without wages that the pass removes.
        QVERIFY(store.exec(QStringLiteral(
            "INSERT INTO Employee (Name, FirstName, MiddleName, LastName, GrossWages, TaxableWages, Month1, Month2, "
            "Month3, StateCode) VALUES "
            "('ANN CARTER', 'ANN', ' ', 'CARTER', 60000000, 40000000, 1, 1, 1, '48'), "
            "('BOB DAY', 'BOB', ' ', 'DAY', 30000000, 30000000, 0, 1, 0, '  '), "
            "('cy éclair', 'cy', 'b', 'éclair', 12345, 30000000, 1, 0, 0, ' '), "
            "('ZERO', 'Z', ' ', 'ZERO', 0, 0, 1, 1, 1, '48')")));
        session.Store.open(session.DataFolder + WageStore::kFileName);
        RecalculateTotals(session);
        session.Store.close();

        QCOMPARE(session.TotalWages, money("9001.2345"));
        QCOMPARE(session.TaxableTotal, money("10000"));
        const TotalsWindowBoxes& boxes = session.Form3;
        QCOMPARE(
            (QStringList{boxes.Text1, boxes.Text2, boxes.Text3, boxes.Text4, boxes.Text5, boxes.Text7, boxes.Text12}),
            (QStringList{QStringLiteral("2"), QStringLiteral("$9,001.23"), QStringLiteral("3"), QStringLiteral("2"),
                         QStringLiteral("$10,000.00"), QStringLiteral("$270.00"), QStringLiteral("$1,500.50")}));
        QCOMPARE(store.value(QStringLiteral("SELECT count(*) FROM Employee")).toInt(), 3);
        QCOMPARE(
            store
                .value(QStringLiteral("SELECT Month1 || Month2 || Month3 || '/' || StateCode || '/' || Name || '/' "
                                      "|| FirstName || MiddleName || LastName || '/' || QuarterEnding FROM "
                                      "Employee WHERE GrossWages = 12345"))
                .toString(),
            QStringLiteral("111/12/CY ÉCLAIR/CYBÉCLAIR/032025"));
        // Rows the loaders completed keep their own flags.
        QCOMPARE(store
                     .value(QStringLiteral("SELECT Month1 || Month2 || Month3 || StateCode FROM Employee WHERE "
                                           "LastName = 'DAY'"))
                     .toString(),
                 QStringLiteral("010  "));
    }

    void editChangeRecomputation_opensTheStoreForItself()
    {
        test::StoreFixture store;
        Session& session = store.session();
        QVERIFY(store.exec(QStringLiteral("INSERT INTO Employee (GrossWages, Month2) VALUES (150000, 1)")));
        {
            WageStore other;
            other.open(session.DataFolder + WageStore::kFileName);
            QVERIFY(RecalculateTotalsInStore(session).has_value());
        }
        QCOMPARE(RecalculateTotalsInStore(session), std::nullopt);
        QVERIFY(!session.Store.isOpen());
        QCOMPARE(session.Form3.Text2, QStringLiteral("$15.00"));
        QCOMPARE(session.Month2Count, 1);
    }

    void pfml_keepsItsSharesInTheRateBoxes()
    {
        test::StoreFixture store;
        Session& session = store.session();
        session.StatePosition = positionOf(StateItem::MassachusettsPFML);
        session.Rate = money("2.7");
        session.Store.open(session.DataFolder + WageStore::kFileName);
        RecalculateTotals(session);
        session.Store.close();
        QCOMPARE(session.Form3.Text6, QStringLiteral("100"));
        QCOMPARE(session.Form3.Text7, QStringLiteral("100"));
        const TotalsLayout layout = ShowTotalsWindowLayout(session, QString(), QString());
        QCOMPARE((QStringList{layout.Label3, layout.Label5, layout.Label6, layout.Label7}),
                 (QStringList{QStringLiteral("Y-T-D Wages"), QStringLiteral("Wages This Quarter"),
                              QStringLiteral("Med %"), QStringLiteral("Family %")}));
    }

    void taxAtRate_roundsOnceToTheCent_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("tax");
        QTest::newRow("2.7 on 10,000") << QStringLiteral("10000") << QStringLiteral("2.7") << QStringLiteral("270");
        QTest::newRow("half cent up") << QStringLiteral("1") << QStringLiteral("1.5") << QStringLiteral(".02");
        QTest::newRow("below half") << QStringLiteral("0.99") << QStringLiteral("0.5") << QStringLiteral("0");
        QTest::newRow("SCUF on 10,000") << QStringLiteral("10000") << QStringLiteral("0.075") << QStringLiteral("7.5");
        QTest::newRow("zero rate") << QStringLiteral("123456.78") << QStringLiteral("0") << QStringLiteral("0");
    }

    void taxAtRate_roundsOnceToTheCent()
    {
        QFETCH(QString, amount);
        QFETCH(QString, rate);
        QFETCH(QString, tax);
        QCOMPARE(taxAtRate(*Currency::fromText(amount), *Currency::fromText(rate)), *Currency::fromText(tax));
    }

    void kentuckySurcharges_followTheYearAndQuarter_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("quarter");
        QTest::addColumn<QString>("rateText"); // empty: no surcharge line
        QTest::addColumn<QString>("amount");
        QTest::newRow("2013") << 2013 << QStringLiteral("4") << QString() << QString();
        QTest::newRow("2014") << 2014 << QStringLiteral("1") << QStringLiteral(".22%") << QStringLiteral("$22.00");
        QTest::newRow("2015") << 2015 << QStringLiteral("4") << QStringLiteral(".21%") << QStringLiteral("$21.00");
        QTest::newRow("2016 Q2") << 2016 << QStringLiteral("2") << QStringLiteral(".21%") << QStringLiteral("$21.00");
        QTest::newRow("2016 Q3") << 2016 << QStringLiteral("3") << QString() << QString();
        QTest::newRow("2017") << 2017 << QStringLiteral("1") << QString() << QString();
        QTest::newRow("2018 Q2") << 2018 << QStringLiteral("2") << QString() << QString();
        QTest::newRow("2018 Q3") << 2018 << QStringLiteral("3") << QStringLiteral(".075%") << QStringLiteral("$7.50");
        QTest::newRow("2019") << 2019 << QStringLiteral("1") << QStringLiteral(".075%") << QStringLiteral("$7.50");
        QTest::newRow("2021") << 2021 << QStringLiteral("2") << QString() << QString();
        QTest::newRow("2022") << 2022 << QStringLiteral("4") << QString() << QString();
        QTest::newRow("2023") << 2023 << QStringLiteral("1") << QStringLiteral(".075%") << QStringLiteral("$7.50");
    }

    void kentuckySurcharges_followTheYearAndQuarter()
    {
        QFETCH(int, year);
        QFETCH(QString, quarter);
        QFETCH(QString, rateText);
        QFETCH(QString, amount);
        auto session = std::make_unique<Session>();
        session->StatePosition = positionOf(StateItem::Kentucky);
        session->TaxYear = static_cast<qint16>(year);
        session->Quarter = quarter;
        session->TaxableTotal = money("10000");
        session->Rate = money("2.7");
        session->ModifiedRate = modifiedRateOf(session->Rate);
        session->Form3.Text12 = QStringLiteral("kept");
        session->Form3.Text10 = QStringLiteral("kept");

        const TotalsLayout layout =
            ShowTotalsWindowLayout(*session, QStringLiteral("01/01/2019"), QStringLiteral("03/31/2019"));
        QCOMPARE(layout.Label4, QStringLiteral("Period: 01/01/2019 - 03/31/2019"));
        QVERIFY(!layout.text10Enabled);
        QVERIFY(!layout.outOfCountyVisible);
        QCOMPARE(layout.withholdingVisible, !rateText.isEmpty());
        QCOMPARE(session->Form3.Text12, rateText.isEmpty() ? QStringLiteral("kept") : rateText);
        if (!rateText.isEmpty()) {
            QCOMPARE(session->Form3.Text13, amount);
        }
        const bool scuf = rateText == QStringLiteral(".075%");
        QCOMPARE(layout.countyVisible, scuf);
        QCOMPARE(layout.Label15,
                 scuf ? QStringLiteral("SCUF Rate")
                      : (rateText.isEmpty() ? QStringLiteral("SWH Wages") : QStringLiteral("Surch Rate")));
        QCOMPARE(layout.Label6, scuf ? QStringLiteral("Established Rate") : QStringLiteral("Rate"));
        QCOMPARE(layout.Label7, scuf ? QStringLiteral("Tax Due including SCUF") : QStringLiteral("Tax Due"));
        QCOMPARE(layout.Label13, scuf ? QStringLiteral("Modified Rate") : QStringLiteral("County Code "));
        QCOMPARE(session->Form3.Text10, scuf ? QStringLiteral("2.625%") : QStringLiteral("kept"));
    }

    void layout_showsEachStatesLines()
    {
        auto session = std::make_unique<Session>();
        session->TaxYear = 2019;
        session->Quarter = QStringLiteral("1");
        session->StatePosition = positionOf(StateItem::Kentucky);
        ShowTotalsWindowLayout(*session, QString(), QString());

        // Nothing of the Kentucky layout stays behind for the next state.
        session->StatePosition = positionOf(StateItem::Texas);
        const TotalsLayout texas = ShowTotalsWindowLayout(*session, QString(), QString());
        QVERIFY(texas.countyVisible && texas.outOfCountyVisible && texas.text10Enabled && !texas.withholdingVisible);
        QCOMPARE(texas.Label13, QStringLiteral("County Code "));
        QCOMPARE(texas.Label6, QStringLiteral("Rate"));

        session->StatePosition = positionOf(StateItem::MassachusettsQuest);
        const TotalsLayout quest = ShowTotalsWindowLayout(*session, QString(), QString());
        QVERIFY(quest.withholdingVisible && !quest.countyVisible && !quest.outOfCountyVisible);
        QCOMPARE(quest.Label15, QStringLiteral("SWH Wages"));

        session->StatePosition = positionOf(StateItem::Illinois);
        const TotalsLayout illinois = ShowTotalsWindowLayout(*session, QString(), QString());
        QVERIFY(!illinois.withholdingVisible && !illinois.countyVisible && !illinois.outOfCountyVisible);
    }
};

QTEST_GUILESS_MAIN(TestTotals)
#include "tst_totals.moc"
