#include "writers/fixedrecord.h"

#include <QTest>

using namespace wagetrove;
using namespace wagetrove::fields;

Q_DECLARE_METATYPE(wagetrove::LineEnd)

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
        QTest::newRow("acute") << QStringLiteral("José") << QStringLiteral("Jose");
        QTest::newRow("diaeresis") << QStringLiteral("Zoë") << QStringLiteral("Zoe");
        QTest::newRow("decomposed input") << QStringLiteral("Zoe\u0308") << QStringLiteral("Zoe");
        QTest::newRow("capitals keep case") << QStringLiteral("ÉLODIE Ñúñez") << QStringLiteral("ELODIE Nunez");
        QTest::newRow("sharp s") << QStringLiteral("Straße") << QStringLiteral("Strasse");
        QTest::newRow("stroke letters") << QStringLiteral("Øster Łukasz") << QStringLiteral("Oster Lukasz");
        QTest::newRow("ligature") << QStringLiteral("ﬁn") << QStringLiteral("fin");
        QTest::newRow("no plain form") << QStringLiteral("李 Li") << QStringLiteral("? Li");
        QTest::newRow("outside the basic plane") << QStringLiteral("a\U0001F600b") << QStringLiteral("a?b");
        QTest::newRow("control characters") << QStringLiteral("a\tb\r\nc") << QStringLiteral("a b  c");
        QTest::newRow("delete") << QStringLiteral("a\u007Fb") << QStringLiteral("a b");
        QTest::newRow("no-break space") << QStringLiteral("a\u00A0b") << QStringLiteral("a b");
        QTest::newRow("plain") << QStringLiteral("O'Brien-Smith, Jr.") << QStringLiteral("O'Brien-Smith, Jr.");
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
                                     {2, 6, UpperText(QStringLiteral("Zoë Müller"))},
                                     {8, 5, Text(QStringLiteral("ab"))},
                                     {13, 9, EIN9(QStringLiteral("12-3456789"))},
                                     {22, 10, Phone10(QStringLiteral("312-555-1234"))},
                                     {32, 5, Text(QStringLiteral("62701-1234"))},
                                     {37, 5, ZipExt(QStringLiteral("62701-1234"))},
                                     {42, 5, ZipExt(QStringLiteral("62701"))},
                                     {47, 14, Amount(money(1234'5650), 12)},
                                     {61, 7, CountOfText(QStringLiteral("12-345"), 7)},
                                     {68, 2, QuarterEndMonth(QStringLiteral("2"))},
                                     {70, 4, Year(QStringLiteral("062024"))},
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
        QCOMPARE(month("1"), QByteArray("03"));
        QCOMPARE(month("3"), QByteArray("09"));
        QCOMPARE(month("4"), QByteArray("12"));
        QCOMPARE(month(""), QByteArray("12"));
    }

    void lineEnd_isPartOfTheRecord_data()
    {
        QTest::addColumn<LineEnd>("lineEnd");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("none") << LineEnd::None << QByteArray("AB");
        QTest::newRow("blank") << LineEnd::Blank << QByteArray("AB ");
        QTest::newRow("CR") << LineEnd::CR << QByteArray("AB\r");
        QTest::newRow("CR LF") << LineEnd::CRLF << QByteArray("AB\r\n");
    }
    void lineEnd_isPartOfTheRecord()
    {
        QFETCH(LineEnd, lineEnd);
        QFETCH(QByteArray, bytes);
        QCOMPARE(FixedRecord(2, lineEnd, {{1, 1, Fixed("A")}, {2, 1, Text(QStringLiteral("B"))}}).bytes(), bytes);
    }

    void faultyLayout_failsNamingTheColumn_data()
    {
        QTest::addColumn<int>("secondStart");
        QTest::addColumn<int>("secondLength");
        QTest::addColumn<int>("recordLength");
        QTest::addColumn<QString>("reason");
        QTest::newRow("gap") << 4 << 2 << 5
                             << QStringLiteral("columns 4-5: The layout expects a column starting at 3.");
        QTest::newRow("overlap") << 2 << 3 << 5
                                 << QStringLiteral("columns 2-4: The layout expects a column starting at 3.");
        QTest::newRow("short of the length")
            << 3 << 2 << 6 << QStringLiteral("The columns end at 4, not at the record's length 6.");
        QTest::newRow("past the length") << 3 << 4 << 5
                                         << QStringLiteral("The columns end at 6, not at the record's length 5.");
    }
    void faultyLayout_failsNamingTheColumn()
    {
        QFETCH(int, secondStart);
        QFETCH(int, secondLength);
        QFETCH(int, recordLength);
        QFETCH(QString, reason);
        const FixedRecord record(recordLength, LineEnd::Blank,
                                 {{1, 2, Text(QStringLiteral("AB"))}, {secondStart, secondLength, Blank()}});
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
                 QStringLiteral("GrossWages (columns 2-15): The amount -5 is negative and cannot be written in a "
                                "field of 12 whole and 2 decimal digits."));
        QVERIFY(failure(Amount(money(1'000'000'000'000'0000), 12), 14).contains(QStringLiteral("1000000000000")));
        QVERIFY(failure(Amount(std::nullopt, 12), 14).startsWith(QStringLiteral("GrossWages (columns 2-15)")));
        QVERIFY(failure(Count(12345678, 7), 7).contains(QStringLiteral("12345678")));
        QVERIFY(failure(RateFraction(money(100'0000)), 6).contains(QStringLiteral("100")));
        QVERIFY(failure(Year(QString()), 4).startsWith(QStringLiteral("GrossWages (columns 2-5)")));
        QCOMPARE(failure(Fixed("UTAX"), 5),
                 QStringLiteral("GrossWages (columns 2-6): \"UTAX\" does not fill the column exactly."));
        QVERIFY(failure(Amount(money(1'0000), 12), 13).contains(QStringLiteral("does not fill")));
    }
};

QTEST_GUILESS_MAIN(TestFixedRecord)
#include "tst_fixedrecord.moc"
