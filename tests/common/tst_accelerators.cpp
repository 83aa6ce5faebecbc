#include "common/accelerators.h"

#include <QTest>

using namespace wagetrove;

class TestAccelerators : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withAccelerators_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QString>("reserved");
        QTest::addColumn<QStringList>("marked");
        QTest::newRow("first letters") << QStringList{QStringLiteral("View Totals"), QStringLiteral("Create File")}
                                       << QString()
                                       << QStringList{QStringLiteral("&View Totals"), QStringLiteral("&Create File")};
        QTest::newRow("a later word's start")
            << QStringList{QStringLiteral("Edit/Change"), QStringLiteral("Edit Company Info")} << QString()
            << QStringList{QStringLiteral("&Edit/Change"), QStringLiteral("Edit &Company Info")};
        QTest::newRow("inside a word") << QStringList{QStringLiteral("Exit"), QStringLiteral("Edit")} << QString()
                                       << QStringList{QStringLiteral("&Exit"), QStringLiteral("E&dit")};
        QTest::newRow("reserved, any case")
            << QStringList{QStringLiteral("Help me")} << QStringLiteral("H") << QStringList{QStringLiteral("Help &me")};
        QTest::newRow("case-blind") << QStringList{QStringLiteral("ok"), QStringLiteral("OK")} << QString()
                                    << QStringList{QStringLiteral("&ok"), QStringLiteral("O&K")};
        QTest::newRow("no free letter") << QStringList{QStringLiteral("ab"), QStringLiteral("ba"), QStringLiteral("ab")}
                                        << QString()
                                        << QStringList{QStringLiteral("&ab"), QStringLiteral("&ba"),
                                                       QStringLiteral("ab")};
        QTest::newRow("a literal ampersand") << QStringList{QStringLiteral("& Save & Close")} << QString()
                                             << QStringList{QStringLiteral("&& &Save && Close")};
    }

    void withAccelerators()
    {
        QFETCH(QStringList, captions);
        QFETCH(QString, reserved);
        QFETCH(QStringList, marked);
        QCOMPARE(wagetrove::withAccelerators(captions, reserved), marked);
        for (qsizetype i = 0; i < captions.size(); ++i) {
            QCOMPARE(withoutAccelerator(marked[i]), captions[i]);
        }
    }
};

QTEST_GUILESS_MAIN(TestAccelerators)
#include "tst_accelerators.moc"
