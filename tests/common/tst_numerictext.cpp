#include "common/numerictext.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestNumericText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isNumeric_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");

        for (const char* text : {"0", "12", "007", "123456789", " 12 ", "\t12\t", "-12", "+12", "- 12", " + 12 ", "1.5",
                                 ".5", "5.", "-.5", "1e5", "1E+5", "1.5e-3", " -1.5e2 ", "2.7"}) {
            QTest::newRow(text) << QString::fromLatin1(text) << true;
        }
        for (const char* text : {"",    " ",    ".",     "-",     "+",     "-.",  "e5",   ".e5",  "1e",
                                 "1e+", "1e 5", "1e5.5", "1.2.3", "1,000", "$5",  "12A",  "A12",  "12-345678-9",
                                 "1 2", "5-",   "(5)",   "--5",   "+-5",   "1d2", "&H10", "0x1F", "12%"}) {
            QTest::newRow(text) << QString::fromLatin1(text) << false;
        }
        QTest::newRow("line feed") << QStringLiteral("12\n") << false;
        QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0661\u0662") << false;
        QTest::newRow("full-width digits") << QStringLiteral("\uFF11\uFF12") << false;
        QTest::newRow("superscript digit") << QStringLiteral("1\u00B2") << false;
    }
    void isNumeric()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(wagetrove::isNumeric(text), numeric);
    }

    void readDecimalNumber_keepsEveryDigit()
    {
        const auto number = wagetrove::readDecimalNumber(QStringLiteral(" -0012.3450e-2 "));
        QVERIFY(number.has_value());
        QCOMPARE(number->negative, true);
        QCOMPARE(number->digits, QStringLiteral("00123450"));
        QCOMPARE(number->exponent, -6);

        // A giant exponent is capped, not wrapped round to a small or negative one.
        const auto huge = wagetrove::readDecimalNumber(QStringLiteral("1e99999999999999999999"));
        QVERIFY(huge.has_value());
        QVERIFY(huge->exponent >= 1'000'000'000);
        const auto tiny = wagetrove::readDecimalNumber(QStringLiteral("1.5e-99999999999999999999"));
        QVERIFY(tiny.has_value());
        QVERIFY(tiny->exponent <= -1'000'000'000);
    }

    void numericValueOf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");

        const auto row = [](const char* text, double value) {
            QTest::newRow(text) << QString::fromLatin1(text) << value;
        };
        row("", 0);
        row("12", 12);
        row("12-345", 12);
        row("123456A", 123456);
        row(" 1 2.5e1x", 125);
        row("-12.5", -12.5);
        row("- 3", -3);
        row(".5", 0.5);
        row("1.2.3", 1.2);
        row("1,234", 1);
        row("1e3", 1000);
        row("1.5e-1", 0.15);
        row("2d2", 200);
        row("2D-1", 0.2);
        row("1e", 1);
        row("1e 2", 100);
        row("1e400", std::numeric_limits<double>::infinity());
        row("1e-400", 0);
        row(".", 0);
        row("e5", 0);
        row("$5", 0);
        row("--5", 0);
        QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0661\u0662") << 0.0;
        QTest::newRow("tab and line feed skipped") << QStringLiteral("\t4\n2") << 42.0;
        QTest::newRow("carriage return stops") << QStringLiteral("1\r2") << 1.0;
    }
    void numericValueOf()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(wagetrove::numericValueOf(text), value);
    }
};

QTEST_GUILESS_MAIN(TestNumericText)
#include "tst_numerictext.moc"
