#include "common/lettercase.h"

#include <QTest>

using namespace Qt::StringLiterals;
class TestLetterCase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each text upper-cased, then case-folded.
    void letterCase_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QString() << u" / "_s;
        QTest::newRow("mixed ASCII") << u"Ann-Marie O'Day 2nd, Jr."_s
                                     << u"ANN-MARIE O'DAY 2ND, JR. / ann-marie o'day 2nd, jr."_s;
        QTest::newRow("the letters' ends") << u"aAzZ@[`{"_s << u"AAZZ@[`{ / aazz@[`{"_s;
        QTest::newRow("nothing to change") << u"12-34"_s << u"12-34 / 12-34"_s;
        QTest::newRow("accents") << u"Renée DUPRÉ"_s << u"RENÉE DUPRÉ / renée dupré"_s;
        QTest::newRow("sharp s") << u"Strauß"_s << u"STRAUSS / strauß"_s;
    }
    void letterCase()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(wagetrove::upperCased(text) + u" / "_s + wagetrove::caseFolded(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestLetterCase)
#include "tst_lettercase.moc"
