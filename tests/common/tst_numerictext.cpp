#include "common/numerictext.h"

#include <QTest>

#include <cstring>

using namespace Qt::StringLiterals;

class TestNumericText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Whether a text is numeric, and the value read of its start as a BASIC Val would.
    void values_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("expected");
        const auto numeric = [](const char* name, const QString& text, bool expected) {
            QTest::newRow(name) << (wagetrove::isNumeric(text) ? u"numeric"_s : u"not numeric"_s)
                                << (expected ? u"numeric"_s : u"not numeric"_s);
        };
        for (const char* text : {"0", "12", "007", "123456789", " 12 ", "\t12\t", "-12", "+12", "- 12", " + 12 ", "1.5",
                                 ".5", "5.", "-.5", "1e5", "1E+5", "1.5e-3", " -1.5e2 ", "2.7"}) {
            numeric(text, QString::fromLatin1(text), true);
        }
        for (const char* text : {"",    " ",    ".",     "-",     "+",     "-.",  "e5",   ".e5",  "1e",
                                 "1e+", "1e 5", "1e5.5", "1.2.3", "1,000", "$5",  "12A",  "A12",  "12-345678-9",
                                 "1 2", "5-",   "(5)",   "--5",   "+-5",   "1d2", "&H10", "0x1F", "12%"}) {
            numeric(text, QString::fromLatin1(text), false);
        }
        numeric("line feed", u"12\n"_s, false);
        numeric("Arabic-Indic digits", u"\u0661\u0662"_s, false);
        numeric("full-width digits", u"\uFF11\uFF12"_s, false);
        numeric("superscript digit", u"1\u00B2"_s, false);

        const auto value = [](const QString& name, const QString& text, const char* expected) {
            QTest::newRow(qPrintable(name))
                << QString::number(wagetrove::numericValueOf(text), 'g', 15) << QString::fromLatin1(expected);
        };
        // Each text, then after the last "=" its value.
        for (const char* row :
             {"=0", "12=12", "12-345=12", " 1 2.5e1x=125", "- 3=-3", ".5=0.5", "1.2.3=1.2", "1e3=1000", "1.5e-1=0.15",
              "2d2=200", "2D-1=0.2", "1e=1", "1e 2=100", "1e400=inf", "1e-400=0", ".=0", "e5=0", "--5=0"}) {
            const char* at = std::strrchr(row, '=');
            value(u"value of "_s + QString::fromLatin1(row), QString::fromLatin1(row, at - row), at + 1);
        }
        value(u"value of Arabic-Indic digits"_s, u"\u0661\u0662"_s, "0");
        value(u"value with tab and line feed skipped"_s, u"\t4\n2"_s, "42");
        value(u"value up to a carriage return"_s, u"1\r2"_s, "1");

        // Every digit kept, as typed; a giant exponent capped, not wrapped round to a small or negative one.
        const auto number = wagetrove::readDecimalNumber(u" -0012.3450e-2 "_s).value_or(wagetrove::DecimalNumber{});
        QTest::newRow("digits") << u"%1 %2 %3"_s.arg(number.negative).arg(number.digits).arg(number.exponent)
                                << u"1 00123450 -6"_s;
        const auto huge =
            wagetrove::readDecimalNumber(u"1e99999999999999999999"_s).value_or(wagetrove::DecimalNumber{});
        const auto tiny =
            wagetrove::readDecimalNumber(u"1.5e-99999999999999999999"_s).value_or(wagetrove::DecimalNumber{});
        QTest::newRow("exponents capped")
            << u"%1 %2"_s.arg(huge.exponent >= 1'000'000'000).arg(tiny.exponent <= -1'000'000'000) << u"1 1"_s;
    }
    void values()
    {
        QFETCH(QString, result);
        QFETCH(QString, expected);
        QCOMPARE(result, expected);
    }
};

QTEST_GUILESS_MAIN(TestNumericText)
#include "tst_numerictext.moc"
