#include "common/currency.h"

#include <QTest>

#include <limits>
#include <optional>

using namespace Qt::StringLiterals;
using wagetrove::Currency;

Q_DECLARE_METATYPE(std::optional<wagetrove::Currency>)

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
    // Typed amounts and everything else; the program's own plain form (a quick path that leaves anything else to
    // the typed reading) and every numeric text; sums and differences exact or overflowing, products and quotients
    // rounded once, half away from zero, to the places asked for.
    void values_data()
    {
        QTest::addColumn<std::optional<Currency>>("result");
        QTest::addColumn<std::optional<Currency>>("expected");
        const auto row = [](const char* name, std::optional<Currency> result, std::optional<Currency> expected) {
            QTest::newRow(name) << result << expected;
        };
        const auto typed = [](const char* name, const QString& text, std::optional<Currency> expected) {
            QTest::newRow(name) << Currency::fromText(text) << expected;
        };
        typed("plain", u"1234.5"_s, money(1234'5000));
        typed("blanks around", u" \t$1,234.50  \n"_s, money(1234'5000));
        typed("blank after dollar", u"$ 12"_s, money(12'0000));
        typed("no whole digit", u".5"_s, money(5000));
        typed("plus sign", u"+12"_s, money(12'0000));
        typed("minus before dollar", u"-$1,234.50"_s, money(-1234'5000));
        typed("minus after dollar", u"$-12"_s, money(-12'0000));
        typed("five decimals round up", u"1.23455"_s, money(1'2346));
        typed("half of smallest", u"0.00005"_s, money(1));
        typed("below half of smallest", u"0.0000499"_s, money(0));
        typed("rounding carries", u"999.99995"_s, money(1000'0000));
        typed("largest", u"922,337,203,685,477.5807"_s, kMax);
        typed("most negative", u"-922337203685477.5808"_s, kMin);
        typed("many leading zeros", u"0000000000000000000000012.5"_s, money(12'5000));
        for (const char* text :
             {"",    "   ",   "$",        ".",     "$.",     "-",        "+",         "-$",   "abc", "12a",
              "a12", "1.2.3", "1e5",      "12 34", "--5",    "-+5",      "$$5",       "$-$5", "5-",  "5$",
              "(5)", "1,23",  "1234,567", ",123",  "1,,234", "1,234,56", "1,234.5,6", "0x1F"}) {
            typed(text, QString::fromLatin1(text), kNothing);
        }
        typed("Arabic-Indic digits", u"\u0661\u0662"_s, kNothing);
        typed("full-width digits", u"\uFF11\uFF12"_s, kNothing);
        typed("one past largest", u"922337203685477.5808"_s, kNothing);
        typed("rounds past largest", u"922337203685477.58075"_s, kNothing);
        typed("one past most negative", u"-922337203685477.5809"_s, kNothing);
        typed("twenty digits", u"99999999999999999999"_s, kNothing);

        const auto plain = [](const char* text, std::optional<Currency> expected) {
            QTest::newRow(("plain " + QByteArray(text)).constData())
                << Currency::fromPlainDecimal(QByteArray(text)) << expected;
        };
        plain("-15.87", money(-15'8700));
        plain("0.0001", money(1));
        plain("40", money(40'0000));
        plain("99999999999999.9999", money(999999999999999999)); // fourteen whole digits
        plain("100000000000000", kNothing);                      // fifteen
        plain("1.23455", kNothing);
        for (const char* text : {"", "-", ".", "-.", " 1", "1 ", "+1", "$1", "1,234", "1e5", "1.2.3", "--1"}) {
            plain(text, kNothing);
        }
        const auto numeric = [](const char* name, const QString& text, std::optional<Currency> expected) {
            QTest::newRow(name) << Currency::fromNumericText(text) << expected;
        };
        numeric("numeric blanks and sign", u" - 2.7 "_s, money(-2'7000));
        numeric("numeric exponent", u"-1.5e2"_s, money(-150'0000));
        numeric("numeric rounds half away", u"5e-5"_s, money(1));
        numeric("numeric rounds below half", u"4.9e-5"_s, money(0));
        numeric("numeric largest", u"9.223372036854775807e14"_s, kMax);
        numeric("numeric too large", u"1e15"_s, kNothing);
        numeric("numeric huge exponent", u"1e99999999999999999999"_s, kNothing);
        numeric("numeric zero with huge exponent", u"0e99999999999999999999"_s, money(0));
        numeric("numeric tiny exponent", u"7e-99999999999999999999"_s, money(0));
        numeric("numeric commas", u"1,000"_s, kNothing);
        row("sum", money(1000).plus(money(2000)), money(3000));
        row("difference", money(1'0000).minus(money(1'2500)), money(-2500));
        row("sum below largest", kMax.plus(money(-1)), money(std::numeric_limits<std::int64_t>::max() - 1));
        row("sum past largest", kMax.plus(money(1)), kNothing);
        row("difference past most negative", kMin.minus(money(1)), kNothing);
        row("most negative subtracted", money(0).minus(kMin), kNothing);
        row("most units", Currency::fromUnits(922337203685477), money(922337203685477'0000));
        row("one unit too many", Currency::fromUnits(922337203685478), kNothing);
        row("one negative unit too many", Currency::fromUnits(-922337203685478), kNothing);

        row("tax at 2.7", money(10000'0000).times(money(2'7000), 4), money(27000'0000));
        row("product half up", money(1).times(money(5000), 4), money(1));
        row("product below half", money(4999).times(money(1), 4), money(0));
        row("two negatives", money(-2'0000).times(money(-3'0000), 4), money(6'0000));
        row("product to cents down", money(2'2500).times(money(22), 2), money(0));
        row("wide intermediate", money(900000000000'0000).times(money(1'0000), 4), money(900000000000'0000));
        row("largest by one", kMax.times(money(1'0000), 4), kMax);
        row("most negative by one", money(1'0000).times(kMin, 4), kMin);
        row("largest doubled", kMax.times(money(2'0000), 4), kNothing);
        row("most negative negated", kMin.times(money(-1'0000), 4), kNothing);
        row("product rounds past largest", kMax.times(money(1'0000), 0), kNothing);
        row("product to five places", money(1'0000).times(money(1'0000), 5), kNothing);
        row("product to negative places", money(1'0000).times(money(1'0000), -1), kNothing);

        row("quotient without double rounding", money(4950).dividedBy(100, 2), money(0));
        row("quotient half cent", money(5000).dividedBy(100, 2), money(100));
        row("thirds", money(10'0000).dividedBy(3, 4), money(3'3333));
        row("negative divisor", money(10'0000).dividedBy(-4, 0), money(-3'0000));
        row("most negative divided by one", kMin.dividedBy(1, 4), kMin);
        row("divided by zero", money(1'0000).dividedBy(0, 4), kNothing);
        row("most negative divided by minus one", kMin.dividedBy(-1, 4), kNothing);
        row("quotient to five places", money(1'0000).dividedBy(1, 5), kNothing);

        row("most negative rounded to cents", kMin.rounded(2), money(-922337203685477'5800));
        row("most negative rounded", kMin.rounded(0), kNothing);
    }
    void values()
    {
        QFETCH(std::optional<Currency>, result);
        QFETCH(std::optional<Currency>, expected);
        QCOMPARE(result, expected);
    }
};

QTEST_GUILESS_MAIN(TestCurrency)
#include "tst_currency.moc"
