#include "common/currency.h"

#include <QTest>

#include <limits>
#include <optional>

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

} // namespace

class TestCurrency : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromText_readsTypedMoney_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Currency>("expected");

        QTest::newRow("plain") << QStringLiteral("1234.5") << money(1234'5000);
        QTest::newRow("dollar and commas") << QStringLiteral("$1,234.50") << money(1234'5000);
        QTest::newRow("blanks around") << QStringLiteral(" \t$1,234.50  \n") << money(1234'5000);
        QTest::newRow("blank after dollar") << QStringLiteral("$ 12") << money(12'0000);
        QTest::newRow("millions grouped") << QStringLiteral("1,234,567.89") << money(1234567'8900);
        QTest::newRow("trailing point") << QStringLiteral("5.") << money(5'0000);
        QTest::newRow("no whole digit") << QStringLiteral(".5") << money(5000);
        QTest::newRow("zero") << QStringLiteral("0") << money(0);
        QTest::newRow("plus sign") << QStringLiteral("+12") << money(12'0000);
        QTest::newRow("minus") << QStringLiteral("-12") << money(-12'0000);
        QTest::newRow("minus before dollar") << QStringLiteral("-$1,234.50") << money(-1234'5000);
        QTest::newRow("minus after dollar") << QStringLiteral("$-12") << money(-12'0000);
        QTest::newRow("five decimals round up") << QStringLiteral("1.23455") << money(1'2346);
        QTest::newRow("half of smallest") << QStringLiteral("0.00005") << money(1);
        QTest::newRow("negative half of smallest") << QStringLiteral("-0.00005") << money(-1);
        QTest::newRow("below half of smallest") << QStringLiteral("0.0000499") << money(0);
        QTest::newRow("rounding carries") << QStringLiteral("999.99995") << money(1000'0000);
        QTest::newRow("largest") << QStringLiteral("922,337,203,685,477.5807") << kMax;
        QTest::newRow("most negative") << QStringLiteral("-922337203685477.5808") << kMin;
        QTest::newRow("many leading zeros") << QStringLiteral("0000000000000000000000012.5") << money(12'5000);
    }
    void fromText_readsTypedMoney()
    {
        QFETCH(QString, text);
        QFETCH(Currency, expected);
        const std::optional<Currency> value = Currency::fromText(text);
        QVERIFY(value.has_value());
        QCOMPARE(*value, expected);
        // The plain reader takes some of these forms and leaves the others, never reading one otherwise.
        const std::optional<Currency> plain = Currency::fromPlainDecimal(text.toUtf8());
        QVERIFY(!plain || *plain == expected);
    }

    void fromPlainDecimal_readsProgramsForm_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<std::optional<Currency>>("expected");

        QTest::newRow("two decimals") << QByteArray("1234.50") << std::optional(money(1234'5000));
        QTest::newRow("negative") << QByteArray("-15.87") << std::optional(money(-15'8700));
        QTest::newRow("four decimals") << QByteArray("0.0001") << std::optional(money(1));
        QTest::newRow("whole") << QByteArray("40") << std::optional(money(40'0000));
        QTest::newRow("fourteen digits") << QByteArray("99999999999999.9999")
                                         << std::optional(money(999999999999999999));
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

    void fromText_rejectsEverythingElse_data()
    {
        QTest::addColumn<QString>("text");

        for (const char* text :
             {"",    "   ",   "$",        ".",     "$.",     "-",        "+",         "-$",   "abc", "12a",
              "a12", "1.2.3", "1e5",      "12 34", "--5",    "-+5",      "$$5",       "$-$5", "5-",  "5$",
              "(5)", "1,23",  "1234,567", ",123",  "1,,234", "1,234,56", "1,234.5,6", "0x1F"}) {
            QTest::newRow(text) << QString::fromLatin1(text);
        }
        QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0661\u0662");
        QTest::newRow("full-width digits") << QStringLiteral("\uFF11\uFF12");
        QTest::newRow("one past largest") << QStringLiteral("922337203685477.5808");
        QTest::newRow("rounds past largest") << QStringLiteral("922337203685477.58075");
        QTest::newRow("one past most negative") << QStringLiteral("-922337203685477.5809");
        QTest::newRow("twenty digits") << QStringLiteral("99999999999999999999");
        QTest::newRow("many grouped digits") << QStringLiteral("$999,999,999,999,999,999.00");
    }
    void fromText_rejectsEverythingElse()
    {
        QFETCH(QString, text);
        QCOMPARE(Currency::fromText(text), kNothing);
        QCOMPARE(Currency::fromPlainDecimal(text.toUtf8()), kNothing);
    }

    void fromNumericText_readsEveryNumericText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Currency>>("expected");

        QTest::newRow("rate") << QStringLiteral("2.7") << std::optional(money(2'7000));
        QTest::newRow("blanks and sign") << QStringLiteral(" - 2.7 ") << std::optional(money(-2'7000));
        QTest::newRow("exponent") << QStringLiteral("-1.5e2") << std::optional(money(-150'0000));
        QTest::newRow("negative exponent") << QStringLiteral("1E-4") << std::optional(money(1));
        QTest::newRow("rounds half away") << QStringLiteral("5e-5") << std::optional(money(1));
        QTest::newRow("rounds below half") << QStringLiteral("4.9e-5") << std::optional(money(0));
        QTest::newRow("largest") << QStringLiteral("9.223372036854775807e14") << std::optional(kMax);
        QTest::newRow("too large") << QStringLiteral("1e15") << kNothing;
        QTest::newRow("huge exponent") << QStringLiteral("1e99999999999999999999") << kNothing;
        QTest::newRow("zero with huge exponent") << QStringLiteral("0e99999999999999999999") << std::optional(money(0));
        QTest::newRow("tiny exponent") << QStringLiteral("7e-99999999999999999999") << std::optional(money(0));
        QTest::newRow("dollar sign") << QStringLiteral("$5") << kNothing;
        QTest::newRow("commas") << QStringLiteral("1,000") << kNothing;
        QTest::newRow("empty") << QString() << kNothing;
    }
    void fromNumericText_readsEveryNumericText()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Currency>, expected);
        QCOMPARE(Currency::fromNumericText(text), expected);
    }

    void sumsAndDifferences_areExactOrOverflow()
    {
        QCOMPARE(money(1000).plus(money(2000)), std::optional(money(3000)));
        QCOMPARE(money(1'0000).minus(money(1'2500)), std::optional(money(-2500)));
        QCOMPARE(kMax.plus(money(-1)), std::optional(money(std::numeric_limits<std::int64_t>::max() - 1)));
        QCOMPARE(kMax.plus(money(1)), kNothing);
        QCOMPARE(kMin.minus(money(1)), kNothing);
        QCOMPARE(money(0).minus(kMin), kNothing);
        QCOMPARE(Currency::fromUnits(922337203685477), std::optional(money(922337203685477'0000)));
        QCOMPARE(Currency::fromUnits(922337203685478), kNothing);
        QCOMPARE(Currency::fromUnits(-922337203685478), kNothing);
    }

    void times_roundsOnceHalfAwayFromZero_data()
    {
        QTest::addColumn<Currency>("left");
        QTest::addColumn<Currency>("right");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<std::optional<Currency>>("expected");

        QTest::newRow("tax at 2.7") << money(10000'0000) << money(2'7000) << 4 << std::optional(money(27000'0000));
        QTest::newRow("zero") << money(0) << kMax << 4 << std::optional(money(0));
        QTest::newRow("half up") << money(1) << money(5000) << 4 << std::optional(money(1));
        QTest::newRow("half of negative") << money(-1) << money(5000) << 4 << std::optional(money(-1));
        QTest::newRow("below half") << money(1) << money(4999) << 4 << std::optional(money(0));
        QTest::newRow("two negatives") << money(-2'0000) << money(-3'0000) << 4 << std::optional(money(6'0000));
        QTest::newRow("to cents down") << money(2'2500) << money(22) << 2 << std::optional(money(0));
        QTest::newRow("to cents half") << money(12'5000) << money(22) << 2 << std::optional(money(300));
        QTest::newRow("to cents negative") << money(-12'5000) << money(22) << 2 << std::optional(money(-300));
        QTest::newRow("to whole") << money(40'5000) << money(1'0000) << 0 << std::optional(money(41'0000));
        QTest::newRow("wide intermediate")
            << money(900000000000'0000) << money(1'0000) << 4 << std::optional(money(900000000000'0000));
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

        QTest::newRow("tax due") << money(27000'0000) << qint64(100) << 2 << std::optional(money(270'0000));
        QTest::newRow("no double rounding") << money(4950) << qint64(100) << 2 << std::optional(money(0));
        QTest::newRow("half cent") << money(5000) << qint64(100) << 2 << std::optional(money(100));
        QTest::newRow("negative half cent") << money(-5000) << qint64(100) << 2 << std::optional(money(-100));
        QTest::newRow("thirds") << money(10'0000) << qint64(3) << 4 << std::optional(money(3'3333));
        QTest::newRow("negative divisor") << money(10'0000) << qint64(-4) << 0 << std::optional(money(-3'0000));
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
        QCOMPARE(money(1234'5650).rounded(2), std::optional(money(1234'5700)));
        QCOMPARE(money(1234'5649).rounded(2), std::optional(money(1234'5600)));
        QCOMPARE(money(5000).rounded(0), std::optional(money(1'0000)));
        QCOMPARE(kMax.rounded(0), kNothing);
        QCOMPARE(kMin.rounded(2), std::optional(money(-922337203685477'5800)));
        QCOMPARE(kMin.rounded(0), kNothing);
    }
};

QTEST_GUILESS_MAIN(TestCurrency)
#include "tst_currency.moc"
