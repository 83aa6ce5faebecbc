#include "writers/fixedrecord.h"

#include <QTest>

using namespace wagetrove;
using namespace wagetrove::fields;
using namespace Qt::Literals::StringLiterals;

namespace {

Currency money(std::int64_t raw)
{
    return Currency::fromRaw(raw);
}

} // namespace

class TestFixedRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plainAscii_keepsOneCharacterPerLetter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plain");
        QTest::newRow("acute") << u"José"_s << u"Jose"_s;
        QTest::newRow("sharp s") << u"Straße"_s << u"Strasse"_s;
        QTest::newRow("ligature") << u"ﬁn"_s << u"fin"_s;
        QTest::newRow("no plain form") << u"李 Li"_s << u"? Li"_s;
        QTest::newRow("outside the basic plane") << u"a\U0001F600b"_s << u"a?b"_s;
        QTest::newRow("control characters") << u"a\tb\r\nc"_s << u"a b  c"_s;
        QTest::newRow("delete") << u"a\u007Fb"_s << u"a b"_s;
        QTest::newRow("no-break space") << u"a\u00A0b"_s << u"a b"_s;
        QTest::newRow("plain") << u"O'Brien-Smith, Jr."_s << u"O'Brien-Smith, Jr."_s;
    }
    void plainAscii_keepsOneCharacterPerLetter()
    {
        QFETCH(QString, text);
        QFETCH(QString, plain);
        QCOMPARE(plainAscii(text), plain);
    }

    void record_placesEachContentAtItsColumns()
    {
        const FixedRecord record(80, LineEnd::None,
                                 {
                                     {1, 1, Fixed("S")},
                                     {2, 6, UpperText(u"Zoë Müller"_s)},
                                     {8, 5, Text(u"ab"_s)},
                                     {13, 9, EIN9(u"12-3456789"_s)},
                                     {22, 10, Phone10(u"312-555-1234"_s)},
                                     {32, 5, Text(u"62701-1234"_s)},
                                     {37, 5, ZipExt(u"62701-1234"_s)},
                                     {42, 5, ZipExt(u"62701"_s)},
                                     {47, 14, Amount(money(1234'5650), 12)},
                                     {61, 7, CountOfText(u"12-345"_s, 7)},
                                     {68, 2, QuarterEndMonth(u"2"_s)},
                                     {70, 4, Year(u"062024"_s)},
                                     {74, 6, RateFraction(money(2'7000))},
                                     {80, 1, Blank()},
                                 });
        QVERIFY2(record.ok(), qPrintable(record.failureReason()));
        QCOMPARE(record.bytes(), QByteArray("SZOE MUab   1234567893125551234"
                                            "62701-1234     00000000123457000001206"
                                            "2024.02700 "));
    }

    void quarterEndMonth_coversEveryQuarter()
    {
        const auto month = [](const char* quarter) {
            return FixedRecord(2, LineEnd::None, {{1, 2, QuarterEndMonth(QLatin1String(quarter))}}).bytes();
        };
        QCOMPARE(month("1") + month("3") + month("4") + month(""), QByteArray("03091212"));
    }

    void faultyLayout_failsNamingTheColumn_data()
    {
        QTest::addColumn<int>("secondStart");
        QTest::addColumn<int>("secondLength");
        QTest::addColumn<int>("recordLength");
        QTest::addColumn<QString>("reason");
        QTest::newRow("gap") << 4 << 2 << 5 << u"columns 4-5: The layout expects a column starting at 3."_s;
        QTest::newRow("short of the length") << 3 << 2 << 6 << u"The columns end at 4, not at the record's length 6."_s;
    }
    void faultyLayout_failsNamingTheColumn()
    {
        QFETCH(int, secondStart);
        QFETCH(int, secondLength);
        QFETCH(int, recordLength);
        QFETCH(QString, reason);
        const FixedRecord record(recordLength, LineEnd::Blank,
                                 {{1, 2, Text(u"AB"_s)}, {secondStart, secondLength, Blank()}});
        QVERIFY(!record.ok());
        QVERIFY(record.bytes().isEmpty());
        QCOMPARE(record.failureReason(), reason);
    }

    void valueThatDoesNotFit_failsNamingTheFieldAndValue()
    {
        const auto failure = [](const FieldValue& value, int length) {
            return FixedRecord(length + 1, LineEnd::None, {{1, 1, Fixed("S")}, {2, length, value, "GrossWages"}})
                .failureReason();
        };
        QCOMPARE(failure(Amount(money(-5'0000), 12), 14),
                 u"GrossWages (columns 2-15): The amount -5 is negative and cannot be written in a field of 12 whole "_s
                 u"and 2 decimal digits."_s);
        QVERIFY(failure(Amount(std::nullopt, 12), 14).startsWith(u"GrossWages (columns 2-15)"_s));
        QVERIFY(failure(Year(QString()), 4).startsWith(u"GrossWages (columns 2-5)"_s));
        QCOMPARE(failure(Fixed("UTAX"), 5), u"GrossWages (columns 2-6): \"UTAX\" does not fill the column exactly."_s);
        QVERIFY(failure(Amount(money(1'0000), 12), 13).contains(u"does not fill"_s));
    }
};

QTEST_GUILESS_MAIN(TestFixedRecord)
#include "tst_fixedrecord.moc"
