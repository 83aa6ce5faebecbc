#include "common/lettercase.h"

#include <QTest>

using namespace Qt::StringLiterals;
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
        QTest::newRow("mixed ASCII") << u"Ann-Marie O'Day 2nd, Jr."_s << u"ANN-MARIE O'DAY 2ND, JR."_s
                                     << u"ann-marie o'day 2nd, jr."_s;
        QTest::newRow("the letters' ends") << u"aAzZ@[`{"_s << u"AAZZ@[`{"_s << u"aazz@[`{"_s;
        QTest::newRow("nothing to change") << u"12-34"_s << u"12-34"_s << u"12-34"_s;
        QTest::newRow("accents") << u"Renée DUPRÉ"_s << u"RENÉE DUPRÉ"_s << u"renée dupré"_s;
        QTest::newRow("sharp s") << u"Strauß"_s << u"STRAUSS"_s << u"strauß"_s;
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
