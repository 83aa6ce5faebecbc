#include "common/formats.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;
using namespace wagetrove;

namespace {

// Raw values are written with the digit separator at the decimal point (1234'5000 is 1234.5); values below one
// as plain ten-thousandths (5000 is 0.5), since a leading 0 would make the literal octal.
constexpr Currency money(std::int64_t raw)
{
    return Currency::fromRaw(raw);
}

constexpr Currency kMax = money(std::numeric_limits<std::int64_t>::max());
constexpr Currency kMin = money(std::numeric_limits<std::int64_t>::min());

/// A field's text, or "refused" when it holds no text and says why.
QString shown(const FieldText& field)
{
    return field.ok()
               ? field.text()
               : (field.text().isEmpty() && !field.failureReason().isEmpty() ? u"refused"_s : u"refused badly"_s);
}

} // namespace

class TestFormats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each value in the masks "$##,###,###.00", "##.##0" and "###########0.00", as a plain decimal and grouped;
    // then the fixed-width fields of the state files: amounts, counts of every type and rates as fractions, each
    // rounded half away from zero once and refused rather than cut or signed.
    void values_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const FieldText& field, const QString& expected) {
            QTest::newRow(name) << shown(field) << expected;
        };
        const auto shownAs = [](const char* name, Currency value, const QString& expected) {
            QTest::newRow(name) << QStringList({formatDollars(value), formatRate(value), formatTwoDecimals(value),
                                                formatPlainDecimal(value), formatGroupedAmount(value)})
                                       .join(u' ')
                                << expected;
        };
        shownAs("zero", money(0), u"$.00 .000 0.00 0 0.00"_s);
        shownAs("below half cent", money(49), u"$.00 .005 0.00 0.0049 0.0049"_s);
        shownAs("half cent", money(50), u"$.01 .005 0.01 0.005 0.005"_s);
        shownAs("rate half", money(2'7125), u"$2.71 2.713 2.71 2.7125 2.7125"_s);
        shownAs("three digits", money(123'4000), u"$123.40 123.400 123.40 123.4 123.40"_s);
        shownAs("carry to a group", money(999'9950), u"$1,000.00 999.995 1000.00 999.995 999.995"_s);
        shownAs("thousands", money(1234'5000), u"$1,234.50 1234.500 1234.50 1234.5 1,234.50"_s);
        shownAs("cents half up", money(1234'5650), u"$1,234.57 1234.565 1234.57 1234.565 1,234.565"_s);
        shownAs("largest", kMax,
                u"$922,337,203,685,477.58 922337203685477.581 922337203685477.58 922337203685477.5807 "
                "922,337,203,685,477.5807"_s);
        shownAs("negative", money(-1234'5000), u"-$1,234.50 -1234.500 -1234.50 -1234.5 -1,234.50"_s);
        shownAs("negative half cent", money(-50), u"-$.01 -.005 -0.01 -0.005 -0.005"_s);
        shownAs("negative rounding to zero", money(-49), u"$.00 -.005 0.00 -0.0049 -0.0049"_s);
        shownAs("most negative", kMin,
                u"-$922,337,203,685,477.58 -922337203685477.581 -922337203685477.58 -922337203685477.5808 "
                "-922,337,203,685,477.5808"_s);

        row("amount half cent up", amountField(money(1234'5650), 12, 2), u"00000000123457"_s);
        row("amount below half cent down", amountField(money(1234'5649), 12, 2), u"00000000123456"_s);
        row("amount fills the field", amountField(money(999999999'9900), 9, 2), u"99999999999"_s);
        row("amount largest", amountField(kMax, 15, 2), u"92233720368547758"_s);
        row("amount whole digits only", amountField(money(40'5000), 3, 0), u"041"_s);
        row("amount four decimals", amountField(money(1'2345), 2, 4), u"012345"_s);
        row("amount negative rounding to zero", amountField(money(-49), 9, 2), u"00000000000"_s);
        row("amount negative half cent", amountField(money(-50), 12, 2), u"refused"_s);
        row("amount one digit too many", amountField(money(1000000000'0000), 9, 2), u"refused"_s);
        row("amount rounds into one digit too many", amountField(money(999999999'9950), 9, 2), u"refused"_s);
        row("amount most negative", amountField(kMin, 15, 2), u"refused"_s);
        row("amount without whole digits", amountField(money(1'0000), 0, 2), u"refused"_s);
        row("amount of five decimals", amountField(money(1'0000), 5, 5), u"refused"_s);

        row("count fills the field", countField(qint64(9999999), 7), u"9999999"_s);
        row("count largest", countField(std::numeric_limits<qint64>::max(), 19), u"9223372036854775807"_s);
        row("count one digit too many", countField(qint64(10000000), 7), u"refused"_s);
        row("count negative", countField(qint64(-1), 7), u"refused"_s);
        row("count without digits", countField(qint64(5), 0), u"refused"_s);
        row("count of short", countField(qint16(32767), 7), u"0032767"_s);
        row("count of unsigned", countField(quint64(9999999), 7), u"9999999"_s);
        row("count of largest unsigned", countField(std::numeric_limits<quint64>::max(), 20), u"refused"_s);

        row("amount count half up", countField(money(40'5000), 3), u"041"_s);
        row("amount count below half down", countField(money(40'4999), 3), u"040"_s);
        row("amount count fills the field", countField(money(999'4999), 3), u"999"_s);
        row("amount count negative rounding to zero", countField(money(-4999), 3), u"000"_s);
        row("amount count rounds into one digit too many", countField(money(999'5000), 3), u"refused"_s);
        row("amount count negative half", countField(money(-5000), 3), u"refused"_s);

        row("numeric count negative zero", countField(-0.0, 7), u"0000000"_s);
        row("numeric count half up", countField(2.5, 7), u"0000003"_s);
        row("numeric count below half down", countField(2.4999, 7), u"0000002"_s);
        row("numeric count negative rounding to zero", countField(-0.4, 7), u"0000000"_s);
        row("numeric count fills the field", countField(9999999.4, 7), u"9999999"_s);
        row("numeric count rounds into one digit too many", countField(9999999.5, 7), u"refused"_s);
        row("numeric count negative half", countField(-0.5, 7), u"refused"_s);
        row("numeric count huge", countField(1e300, 7), u"refused"_s);
        row("numeric count infinite", countField(std::numeric_limits<double>::infinity(), 7), u"refused"_s);
        row("numeric count not a number", countField(std::numeric_limits<double>::quiet_NaN(), 7), u"refused"_s);

        row("rate typical", rateFractionField(money(2'7000)), u".02700"_s);
        row("rate smallest that shows", rateFractionField(money(5)), u".00001"_s);
        row("rate largest that fits", rateFractionField(money(99'9994)), u".99999"_s);
        row("rate negative vanishing", rateFractionField(money(-4)), u".00000"_s);
        row("rate rounding to one", rateFractionField(money(99'9995)), u"refused"_s);
        row("rate of a hundred percent", rateFractionField(money(100'0000)), u"refused"_s);
        row("rate negative smallest that shows", rateFractionField(money(-5)), u"refused"_s);
    }
    void values()
    {
        QFETCH(QString, result);
        QFETCH(QString, expected);
        QCOMPARE(result, expected);
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
