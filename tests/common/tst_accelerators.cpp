#include "common/accelerators.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace wagetrove;

class TestAccelerators : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Captions and their marked forms joined by "|"; each marked form reads back as its caption.
    void withAccelerators_data()
    {
        QTest::addColumn<QString>("captions");
        QTest::addColumn<QString>("reserved");
        QTest::addColumn<QString>("marked");
        QTest::newRow("first letters") << u"View Totals|Create File"_s << QString() << u"&View Totals|&Create File"_s;
        QTest::newRow("a later word's start")
            << u"Edit/Change|Edit Company Info"_s << QString() << u"&Edit/Change|Edit &Company Info"_s;
        QTest::newRow("inside a word") << u"Exit|Edit"_s << QString() << u"&Exit|E&dit"_s;
        QTest::newRow("reserved, any case") << u"Help me"_s << u"H"_s << u"Help &me"_s;
        QTest::newRow("case-blind") << u"ok|OK"_s << QString() << u"&ok|O&K"_s;
        QTest::newRow("no free letter") << u"ab|ba|ab"_s << QString() << u"&ab|&ba|ab"_s;
        QTest::newRow("a literal ampersand") << u"& Save & Close"_s << QString() << u"&& &Save && Close"_s;
    }
    void withAccelerators()
    {
        QFETCH(QString, captions);
        QFETCH(QString, reserved);
        QFETCH(QString, marked);
        const QStringList markedList = wagetrove::withAccelerators(captions.split(u'|'), reserved);
        QCOMPARE(markedList.join(u'|'), marked);
        for (qsizetype i = 0; i < markedList.size(); ++i) {
            QCOMPARE(withoutAccelerator(markedList[i]), captions.section(u'|', i, i));
        }
    }
};

QTEST_GUILESS_MAIN(TestAccelerators)
#include "tst_accelerators.moc"
