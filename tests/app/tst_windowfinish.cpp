#include "app/qtdialogs.h"

#include <QApplication>
#include <QProgressDialog>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

/// The program's own progress window over long work.
class TestWindowFinish : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Long work shows its progress once it has taken half a second, and Cancel stops it.
    void progress_showsAfterHalfASecondAndCancels()
    {
        QtDialogs dialogs;
        QVERIFY(dialogs.progress(u"Writing"_s, 1, 10));
        QVERIFY(!QApplication::activeModalWidget());
        QTest::qWait(600);
        QVERIFY(dialogs.progress(u"Writing"_s, 5, 10));
        auto* shown = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        QVERIFY(shown);
        QCOMPARE(shown->value(), 500);
        shown->cancel();
        QVERIFY(!dialogs.progress(u"Writing"_s, 6, 10));
        dialogs.endProgress();
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(dialogs.progress(u"Writing"_s, 1, 10));
    }
};

QTEST_MAIN(TestWindowFinish)
#include "tst_windowfinish.moc"
