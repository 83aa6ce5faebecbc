#include "common/lettercase.h"

#include <QTest>

class TestLetterCase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void letterCase_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("folded");

        QTest::newRow("empty") << QString() << QString() << QString();
        QTest::newRow("mixed ASCII") << QStringLiteral("Ann-Marie O'Day 2nd, Jr.")
                                     << QStringLiteral("ANN-MARIE O'DAY 2ND, JR.")
                                     << QStringLiteral("ann-marie o'day 2nd, jr.");
        QTest::newRow("the letters' ends")
            << QStringLiteral("aAzZ@[`{") << QStringLiteral("AAZZ@[`{") << QStringLiteral("aazz@[`{");
        QTest::newRow("nothing to change")
            << QStringLiteral("12-34") << QStringLiteral("12-34") << QStringLiteral("12-34");
        QTest::newRow("accents") << QStringLiteral("Renée DUPRÉ") << QStringLiteral("RENÉE DUPRÉ")
                                 << QStringLiteral("renée dupré");
        QTest::newRow("sharp s") << QStringLiteral("Strauß") << QStringLiteral("STRAUSS") << QStringLiteral("strauß");
    }
    void letterCase()
    {
        QFETCH(QString, text);
        QFETCH(QString, upper);
        QFETCH(QString, folded);
        QCOMPARE(wagetrove::upperCased(text), upper);
        QCOMPARE(wagetrove::caseFolded(text), folded);
    }
};

QTEST_GUILESS_MAIN(TestLetterCase)
#include "tst_lettercase.moc"
