#include "common/formats.h"

#include <QTest>

#include <cmath>
#include <limits>

using wagetrove::Currency;
using wagetrove::FieldText;

Q_DECLARE_METATYPE(wagetrove::Currency)

namespace {

// Raw values are written with the digit separator at the decimal point (1234'5000 is 1234.5); values below one
// as plain ten-thousandths (5000 is 0.5), since a leading 0 would make the literal octal.
constexpr Currency money(std::int64_t raw)
{
    return Currency::fromRaw(raw);
}

constexpr Currency kMax = money(std::numeric_limits<std::int64_t>::max());
constexpr Currency kMin = money(std::numeric_limits<std::int64_t>::min());

// An expected field: its text, or an empty text for a value the field must refuse.
const QString kRefused;

void verifyField(const FieldText& field, const QString& expected)
{
    if (expected.isEmpty()) {
        QVERIFY2(!field.ok(), qPrintable(QStringLiteral("written as \"%1\"").arg(field.text())));
        QVERIFY(field.text().isEmpty());
        QVERIFY(!field.failureReason().isEmpty());
    } else {
        QVERIFY2(field.ok(), qPrintable(field.failureReason()));
        QCOMPARE(field.text(), expected);
    }
}

} // namespace

class TestFormats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayMasks_data()
    {
        QTest::addColumn<Currency>("value");
        QTest::addColumn<QString>("dollars");     // "$##,###,###.00"
        QTest::addColumn<QString>("rate");        // "##.##0"
        QTest::addColumn<QString>("twoDecimals"); // "###########0.00"
        QTest::addColumn<QString>("plain");       // plain decimal form

        const auto row = [](const char* name, Currency value, const char* dollars, const char* rate,
                            const char* twoDecimals, const char* plain) {
            QTest::newRow(name) << value << QString::fromLatin1(dollars) << QString::fromLatin1(rate)
                                << QString::fromLatin1(twoDecimals) << QString::fromLatin1(plain);
        };
        row("zero", money(0), "$.00", ".000", "0.00", "0");
        row("half dollar", money(5000), "$.50", ".500", "0.50", "0.5");
        row("below half cent", money(49), "$.00", ".005", "0.00", "0.0049");
        row("half cent", money(50), "$.01", ".005", "0.01", "0.005");
        row("half of rate's last place", money(5), "$.00", ".001", "0.00", "0.0005");
        row("modified rate", money(2'6250), "$2.63", "2.625", "2.63", "2.625");
        row("rate half", money(2'7125), "$2.71", "2.713", "2.71", "2.7125");
        row("SCUF rate", money(750), "$.08", ".075", "0.08", "0.075");
        row("three digits", money(123'4000), "$123.40", "123.400", "123.40", "123.4");
        row("carry to a group", money(999'9950), "$1,000.00", "999.995", "1000.00", "999.995");
        row("thousands", money(1234'5000), "$1,234.50", "1234.500", "1234.50", "1234.5");
        row("cents half up", money(1234'5650), "$1,234.57", "1234.565", "1234.57", "1234.565");
        row("cents below half", money(1234'5649), "$1,234.56", "1234.565", "1234.56", "1234.5649");
        row("mask full", money(12345678'9000), "$12,345,678.90", "12345678.900", "12345678.90", "12345678.9");
        row("beyond the mask", money(12345678901'2300), "$12,345,678,901.23", "12345678901.230", "12345678901.23",
            "12345678901.23");
        row("largest", kMax, "$922,337,203,685,477.58", "922337203685477.581", "922337203685477.58",
            "922337203685477.5807");
        row("negative", money(-1234'5000), "-$1,234.50", "-1234.500", "-1234.50", "-1234.5");
        row("negative below one", money(-5000), "-$.50", "-.500", "-0.50", "-0.5");
        row("negative half cent", money(-50), "-$.01", "-.005", "-0.01", "-0.005");
        row("negative rounding to zero", money(-49), "$.00", "-.005", "0.00", "-0.0049");
        row("most negative", kMin, "-$922,337,203,685,477.58", "-922337203685477.581", "-922337203685477.58",
            "-922337203685477.5808");
    }
    void displayMasks()
    {
        QFETCH(Currency, value);
        QFETCH(QString, dollars);
        QFETCH(QString, rate);
        QFETCH(QString, twoDecimals);
        QFETCH(QString, plain);
        QCOMPARE(wagetrove::formatDollars(value), dollars);
        QCOMPARE(wagetrove::formatRate(value), rate);
        QCOMPARE(wagetrove::formatTwoDecimals(value), twoDecimals);
        QCOMPARE(wagetrove::formatPlainDecimal(value), plain);
    }

    void groupedAmount_data()
    {
        QTest::addColumn<Currency>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << money(0) << QStringLiteral("0.00");
        QTest::newRow("thousands") << money(1234'5000) << QStringLiteral("1,234.50");
        QTest::newRow("four places kept") << money(12'3456) << QStringLiteral("12.3456");
        QTest::newRow("three places kept") << money(1000000'1230) << QStringLiteral("1,000,000.123");
        QTest::newRow("negative") << money(-3'0000) << QStringLiteral("-3.00");
        QTest::newRow("largest") << kMax << QStringLiteral("922,337,203,685,477.5807");
    }
    void groupedAmount()
    {
        QFETCH(Currency, value);
        QFETCH(QString, shown);
        QCOMPARE(wagetrove::formatGroupedAmount(value), shown);
    }

    void amountField_data()
    {
        QTest::addColumn<Currency>("amount");
        QTest::addColumn<int>("wholeDigits");
        QTest::addColumn<int>("decimalDigits");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char* name, Currency amount, int whole, int decimals, const QString& expected) {
            QTest::newRow(name) << amount << whole << decimals << expected;
        };
        row("zero", money(0), 12, 2, QStringLiteral("00000000000000"));
        row("below one", money(5000), 9, 2, QStringLiteral("00000000050"));
        row("half cent up", money(1234'5650), 12, 2, QStringLiteral("00000000123457"));
        row("below half cent down", money(1234'5649), 12, 2, QStringLiteral("00000000123456"));
        row("lone half cent", money(50), 9, 2, QStringLiteral("00000000001"));
        row("fills the field", money(999999999'9900), 9, 2, QStringLiteral("99999999999"));
        row("largest", kMax, 15, 2, QStringLiteral("92233720368547758"));
        row("whole digits only", money(40'5000), 3, 0, QStringLiteral("041"));
        row("four decimals", money(1'2345), 2, 4, QStringLiteral("012345"));
        row("negative rounding to zero", money(-49), 9, 2, QStringLiteral("00000000000"));
        row("negative", money(-1'0000), 12, 2, kRefused);
        row("negative half cent", money(-50), 12, 2, kRefused);
        row("one digit too many", money(1000000000'0000), 9, 2, kRefused);
        row("rounds into one digit too many", money(999999999'9950), 9, 2, kRefused);
        row("largest in one digit less", kMax, 14, 2, kRefused);
        row("most negative", kMin, 15, 2, kRefused);
        row("no whole digits", money(1'0000), 0, 2, kRefused);
        row("five decimals", money(1'0000), 5, 5, kRefused);
    }
    void amountField()
    {
        QFETCH(Currency, amount);
        QFETCH(int, wholeDigits);
        QFETCH(int, decimalDigits);
        QFETCH(QString, expected);
        verifyField(wagetrove::amountField(amount, wholeDigits, decimalDigits), expected);
    }

    void countField_wholeNumbers_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("expected");

        QTest::newRow("zero") << qint64(0) << 7 << QStringLiteral("0000000");
        QTest::newRow("fills the field") << qint64(9999999) << 7 << QStringLiteral("9999999");
        QTest::newRow("state id") << qint64(1234567) << 8 << QStringLiteral("01234567");
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << 19 << QStringLiteral("9223372036854775807");
        QTest::newRow("one digit too many") << qint64(10000000) << 7 << kRefused;
        QTest::newRow("negative") << qint64(-1) << 7 << kRefused;
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << 19 << kRefused;
        QTest::newRow("no digits") << qint64(5) << 0 << kRefused;
    }
    void countField_wholeNumbers()
    {
        QFETCH(qint64, value);
        QFETCH(int, digits);
        QFETCH(QString, expected);
        verifyField(wagetrove::countField(value, digits), expected);
    }

    void countField_roundsCurrency_data()
    {
        QTest::addColumn<Currency>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("zero") << money(0) << QStringLiteral("000");
        QTest::newRow("half up") << money(40'5000) << QStringLiteral("041");
        QTest::newRow("below half down") << money(40'4999) << QStringLiteral("040");
        QTest::newRow("fills the field") << money(999'4999) << QStringLiteral("999");
        QTest::newRow("negative rounding to zero") << money(-4999) << QStringLiteral("000");
        QTest::newRow("rounds into one digit too many") << money(999'5000) << kRefused;
        QTest::newRow("negative half") << money(-5000) << kRefused;
        QTest::newRow("most negative") << kMin << kRefused;
    }
    void countField_roundsCurrency()
    {
        QFETCH(Currency, value);
        QFETCH(QString, expected);
        verifyField(wagetrove::countField(value, 3), expected);
    }

    void countField_roundsNumericValues_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");

        QTest::newRow("zero") << 0.0 << QStringLiteral("0000000");
        QTest::newRow("negative zero") << -0.0 << QStringLiteral("0000000");
        QTest::newRow("half up") << 2.5 << QStringLiteral("0000003");
        QTest::newRow("below half down") << 2.4999 << QStringLiteral("0000002");
        QTest::newRow("negative rounding to zero") << -0.4 << QStringLiteral("0000000");
        QTest::newRow("fills the field") << 9999999.4 << QStringLiteral("9999999");
        QTest::newRow("rounds into one digit too many") << 9999999.5 << kRefused;
        QTest::newRow("negative half") << -0.5 << kRefused;
        QTest::newRow("huge") << 1e300 << kRefused;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << kRefused;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << kRefused;
    }
    void countField_roundsNumericValues()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        verifyField(wagetrove::countField(value, 7), expected);
    }

    void countField_takesEveryWholeNumberType()
    {
        verifyField(wagetrove::countField(qint16(32767), 7), QStringLiteral("0032767"));
        verifyField(wagetrove::countField(qint16(-1), 7), kRefused);
        verifyField(wagetrove::countField(42, 5), QStringLiteral("00042"));
        verifyField(wagetrove::countField(quint64(9999999), 7), QStringLiteral("9999999"));
        verifyField(wagetrove::countField(std::numeric_limits<quint64>::max(), 20), kRefused);
    }

    void rateFractionField_data()
    {
        QTest::addColumn<Currency>("ratePercent");
        QTest::addColumn<QString>("expected");

        QTest::newRow("typical") << money(2'7000) << QStringLiteral(".02700");
        QTest::newRow("zero") << money(0) << QStringLiteral(".00000");
        QTest::newRow("half of last place up") << money(2'7125) << QStringLiteral(".02713");
        QTest::newRow("below half down") << money(2'7124) << QStringLiteral(".02712");
        QTest::newRow("smallest that shows") << money(5) << QStringLiteral(".00001");
        QTest::newRow("largest that fits") << money(99'9994) << QStringLiteral(".99999");
        QTest::newRow("negative vanishing") << money(-4) << QStringLiteral(".00000");
        QTest::newRow("rounds to one") << money(99'9995) << kRefused;
        QTest::newRow("hundred percent") << money(100'0000) << kRefused;
        QTest::newRow("negative") << money(-2'7000) << kRefused;
        QTest::newRow("negative smallest that shows") << money(-5) << kRefused;
    }
    void rateFractionField()
    {
        QFETCH(Currency, ratePercent);
        QFETCH(QString, expected);
        verifyField(wagetrove::rateFractionField(ratePercent), expected);
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
