#include "common/currency.h"

#include <QTest>

#include <limits>
#include <optional>

using namespace Qt::StringLiterals;
using wagetrove::Currency;

Q_DECLARE_METATYPE(wagetrove::Currency)
Q_DECLARE_METATYPE(std::optional<wagetrove::Currency>)

namespace wagetrove {
char* toString(const Currency& value)
{
    return QTest::toString(QByteArray::number(static_cast<qlonglong>(value.raw())));
}
} // namespace wagetrove

namespace {

// Raw values are written with the digit separator at the decimal point (1234'5000 is 1234.5); values below one
// as plain ten-thousandths (5000 is 0.5), since a leading 0 would make the literal octal.
constexpr Currency money(std::int64_t raw)
{
    return Currency::fromRaw(raw);
}

constexpr Currency kMax = money(std::numeric_limits<std::int64_t>::max());
constexpr Currency kMin = money(std::numeric_limits<std::int64_t>::min());
const std::optional<Currency> kNothing = std::nullopt;

std::optional<Currency> some(std::int64_t raw)
{
    return Currency::fromRaw(raw);
}

} // namespace

class TestCurrency : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Typed amounts and everything else; the plain reader takes some of the forms and leaves the others, never
    // reading one otherwise.
    void fromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Currency>>("expected");
        QTest::newRow("plain") << u"1234.5"_s << some(1234'5000);
        QTest::newRow("dollar and commas") << u"$1,234.50"_s << some(1234'5000);
        QTest::newRow("blanks around") << u" \t$1,234.50  \n"_s << some(1234'5000);
        QTest::newRow("blank after dollar") << u"$ 12"_s << some(12'0000);
        QTest::newRow("trailing point") << u"5."_s << some(5'0000);
        QTest::newRow("no whole digit") << u".5"_s << some(5000);
        QTest::newRow("plus sign") << u"+12"_s << some(12'0000);
        QTest::newRow("minus before dollar") << u"-$1,234.50"_s << some(-1234'5000);
        QTest::newRow("minus after dollar") << u"$-12"_s << some(-12'0000);
        QTest::newRow("five decimals round up") << u"1.23455"_s << some(1'2346);
        QTest::newRow("half of smallest") << u"0.00005"_s << some(1);
        QTest::newRow("below half of smallest") << u"0.0000499"_s << some(0);
        QTest::newRow("rounding carries") << u"999.99995"_s << some(1000'0000);
        QTest::newRow("largest") << u"922,337,203,685,477.5807"_s << std::optional(kMax);
        QTest::newRow("most negative") << u"-922337203685477.5808"_s << std::optional(kMin);
        QTest::newRow("many leading zeros") << u"0000000000000000000000012.5"_s << some(12'5000);
        for (const char* text :
             {"",    "   ",   "$",        ".",     "$.",     "-",        "+",         "-$",   "abc", "12a",
              "a12", "1.2.3", "1e5",      "12 34", "--5",    "-+5",      "$$5",       "$-$5", "5-",  "5$",
              "(5)", "1,23",  "1234,567", ",123",  "1,,234", "1,234,56", "1,234.5,6", "0x1F"}) {
            QTest::newRow(text) << QString::fromLatin1(text) << kNothing;
        }
        QTest::newRow("Arabic-Indic digits") << u"\u0661\u0662"_s << kNothing;
        QTest::newRow("full-width digits") << u"\uFF11\uFF12"_s << kNothing;
        QTest::newRow("one past largest") << u"922337203685477.5808"_s << kNothing;
        QTest::newRow("rounds past largest") << u"922337203685477.58075"_s << kNothing;
        QTest::newRow("one past most negative") << u"-922337203685477.5809"_s << kNothing;
        QTest::newRow("twenty digits") << u"99999999999999999999"_s << kNothing;
        QTest::newRow("many grouped digits") << u"$999,999,999,999,999,999.00"_s << kNothing;
    }
    void fromText()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Currency>, expected);
        QCOMPARE(Currency::fromText(text), expected);
        const std::optional<Currency> plain = Currency::fromPlainDecimal(text.toUtf8());
        QVERIFY(!plain || plain == expected);
    }

    void fromPlainDecimal_readsProgramsForm_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<std::optional<Currency>>("expected");

        QTest::newRow("negative") << QByteArray("-15.87") << some(-15'8700);
        QTest::newRow("four decimals") << QByteArray("0.0001") << some(1);
        QTest::newRow("whole") << QByteArray("40") << some(40'0000);
        QTest::newRow("fourteen digits") << QByteArray("99999999999999.9999") << some(999999999999999999);
        QTest::newRow("fifteen digits: left to fromText") << QByteArray("100000000000000") << kNothing;
        QTest::newRow("five decimals: left to fromText") << QByteArray("1.23455") << kNothing;
        for (const char* text : {"", "-", ".", "-.", " 1", "1 ", "+1", "$1", "1,234", "1e5", "1.2.3", "--1"}) {
            QTest::newRow(text) << QByteArray(text) << kNothing;
        }
    }
    void fromPlainDecimal_readsProgramsForm()
    {
        QFETCH(QByteArray, text);
        QFETCH(std::optional<Currency>, expected);
        QCOMPARE(Currency::fromPlainDecimal(text), expected);
    }

    void fromNumericText_readsEveryNumericText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Currency>>("expected");

        QTest::newRow("rate") << u"2.7"_s << some(2'7000);
        QTest::newRow("blanks and sign") << u" - 2.7 "_s << some(-2'7000);
        QTest::newRow("exponent") << u"-1.5e2"_s << some(-150'0000);
        QTest::newRow("rounds half away") << u"5e-5"_s << some(1);
        QTest::newRow("rounds below half") << u"4.9e-5"_s << some(0);
        QTest::newRow("largest") << u"9.223372036854775807e14"_s << std::optional(kMax);
        QTest::newRow("too large") << u"1e15"_s << kNothing;
        QTest::newRow("huge exponent") << u"1e99999999999999999999"_s << kNothing;
        QTest::newRow("zero with huge exponent") << u"0e99999999999999999999"_s << some(0);
        QTest::newRow("tiny exponent") << u"7e-99999999999999999999"_s << some(0);
        QTest::newRow("commas") << u"1,000"_s << kNothing;
    }
    void fromNumericText_readsEveryNumericText()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Currency>, expected);
        QCOMPARE(Currency::fromNumericText(text), expected);
    }

    void sumsAndDifferences_areExactOrOverflow()
    {
        QCOMPARE(money(1000).plus(money(2000)), some(3000));
        QCOMPARE(money(1'0000).minus(money(1'2500)), some(-2500));
        QCOMPARE(kMax.plus(money(-1)), some((std::numeric_limits<std::int64_t>::max() - 1)));
        QCOMPARE(kMax.plus(money(1)), kNothing);
        QCOMPARE(kMin.minus(money(1)), kNothing);
        QCOMPARE(money(0).minus(kMin), kNothing);
        QCOMPARE(Currency::fromUnits(922337203685477), some(922337203685477'0000));
        QCOMPARE(Currency::fromUnits(922337203685478), kNothing);
        QCOMPARE(Currency::fromUnits(-922337203685478), kNothing);
    }

    void times_roundsOnceHalfAwayFromZero_data()
    {
        QTest::addColumn<Currency>("left");
        QTest::addColumn<Currency>("right");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<std::optional<Currency>>("expected");

        QTest::newRow("tax at 2.7") << money(10000'0000) << money(2'7000) << 4 << some(27000'0000);
        QTest::newRow("half up") << money(1) << money(5000) << 4 << some(1);
        QTest::newRow("below half") << money(1) << money(4999) << 4 << some(0);
        QTest::newRow("two negatives") << money(-2'0000) << money(-3'0000) << 4 << some(6'0000);
        QTest::newRow("to cents down") << money(2'2500) << money(22) << 2 << some(0);
        QTest::newRow("to cents half") << money(12'5000) << money(22) << 2 << some(300);
        QTest::newRow("wide intermediate") << money(900000000000'0000) << money(1'0000) << 4 << some(900000000000'0000);
        QTest::newRow("largest by one") << kMax << money(1'0000) << 4 << std::optional(kMax);
        QTest::newRow("most negative by one") << kMin << money(1'0000) << 4 << std::optional(kMin);
        QTest::newRow("largest doubled") << kMax << money(2'0000) << 4 << kNothing;
        QTest::newRow("most negative negated") << kMin << money(-1'0000) << 4 << kNothing;
        QTest::newRow("rounds past largest") << kMax << money(1'0000) << 0 << kNothing;
        QTest::newRow("five places") << money(1'0000) << money(1'0000) << 5 << kNothing;
        QTest::newRow("negative places") << money(1'0000) << money(1'0000) << -1 << kNothing;
    }
    void times_roundsOnceHalfAwayFromZero()
    {
        QFETCH(Currency, left);
        QFETCH(Currency, right);
        QFETCH(int, decimals);
        QFETCH(std::optional<Currency>, expected);
        QCOMPARE(left.times(right, decimals), expected);
        QCOMPARE(right.times(left, decimals), expected);
    }

    void dividedBy_roundsOnceHalfAwayFromZero_data()
    {
        QTest::addColumn<Currency>("value");
        QTest::addColumn<qint64>("divisor");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<std::optional<Currency>>("expected");

        QTest::newRow("no double rounding") << money(4950) << qint64(100) << 2 << some(0);
        QTest::newRow("half cent") << money(5000) << qint64(100) << 2 << some(100);
        QTest::newRow("thirds") << money(10'0000) << qint64(3) << 4 << some(3'3333);
        QTest::newRow("negative divisor") << money(10'0000) << qint64(-4) << 0 << some(-3'0000);
        QTest::newRow("most negative by one") << kMin << qint64(1) << 4 << std::optional(kMin);
        QTest::newRow("by zero") << money(1'0000) << qint64(0) << 4 << kNothing;
        QTest::newRow("most negative negated") << kMin << qint64(-1) << 4 << kNothing;
        QTest::newRow("five places") << money(1'0000) << qint64(1) << 5 << kNothing;
    }
    void dividedBy_roundsOnceHalfAwayFromZero()
    {
        QFETCH(Currency, value);
        QFETCH(qint64, divisor);
        QFETCH(int, decimals);
        QFETCH(std::optional<Currency>, expected);
        QCOMPARE(value.dividedBy(divisor, decimals), expected);
    }

    void rounded_goesHalfAwayFromZero()
    {
        QCOMPARE(money(1234'5650).rounded(2), some(1234'5700));
        QCOMPARE(kMax.rounded(0), kNothing);
        QCOMPARE(kMin.rounded(2), some(-922337203685477'5800));
        QCOMPARE(kMin.rounded(0), kNothing);
    }
};

QTEST_GUILESS_MAIN(TestCurrency)
#include "tst_currency.moc"
