#include "common/numerictext.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;
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
        QTest::newRow("line feed") << u"12\n"_s << false;
        QTest::newRow("Arabic-Indic digits") << u"\u0661\u0662"_s << false;
        QTest::newRow("full-width digits") << u"\uFF11\uFF12"_s << false;
        QTest::newRow("superscript digit") << u"1\u00B2"_s << false;
    }
    void isNumeric()
    {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(wagetrove::isNumeric(text), numeric);
    }

    // Every digit kept, as typed; a giant exponent capped, not wrapped round to a small or negative one.
    void readDecimalNumber_keepsEveryDigit()
    {
        const auto number = wagetrove::readDecimalNumber(u" -0012.3450e-2 "_s);
        QVERIFY(number.has_value());
        QCOMPARE(u"%1 %2 %3"_s.arg(number->negative).arg(number->digits).arg(number->exponent), u"1 00123450 -6"_s);
        const auto huge = wagetrove::readDecimalNumber(u"1e99999999999999999999"_s);
        const auto tiny = wagetrove::readDecimalNumber(u"1.5e-99999999999999999999"_s);
        QVERIFY(huge && tiny && huge->exponent >= 1'000'000'000 && tiny->exponent <= -1'000'000'000);
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
        row(" 1 2.5e1x", 125);
        row("- 3", -3);
        row(".5", 0.5);
        row("1.2.3", 1.2);
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
        row("--5", 0);
        QTest::newRow("Arabic-Indic digits") << u"\u0661\u0662"_s << 0.0;
        QTest::newRow("tab and line feed skipped") << u"\t4\n2"_s << 42.0;
        QTest::newRow("carriage return stops") << u"1\r2"_s << 1.0;
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
