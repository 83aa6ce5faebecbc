#include "app/qtdialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

using namespace wagetrove;
using namespace Qt::StringLiterals;

/// The program's own progress window over long work, and its message boxes.
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

    // Enter answers with the box's default: No where the question says so, so that a hurried Enter does not
    // replace or remove anything.
    void messageBoxes_answerEnterWithTheirDefault_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("onEnter");
        QTest::newRow("message") << int(MessageButtons::Ok) << int(QMessageBox::Information) << int(Answer::Ok);
        QTest::newRow("yes or no") << int(MessageButtons::YesNo) << int(QMessageBox::Question) << int(Answer::Yes);
        QTest::newRow("no the default") << int(MessageButtons::YesNoDefaultNo) << int(QMessageBox::Question)
                                        << int(Answer::No);
        QTest::newRow("retry") << int(MessageButtons::RetryCancel) << int(QMessageBox::Warning) << int(Answer::Retry);
    }
    void messageBoxes_answerEnterWithTheirDefault()
    {
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QFETCH(int, onEnter);
        int shownIcon = -1;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownIcon = box->icon();
            QTest::keyClick(box, Qt::Key_Return);
        });
        const Answer answer =
            QtDialogs().message(u"text"_s, u"title"_s, MessageIcon::None, static_cast<MessageButtons>(buttons));
        QCOMPARE(shownIcon, icon);
        QCOMPARE(int(answer), onEnter);
    }
};

QTEST_MAIN(TestWindowFinish)
#include "tst_windowfinish.moc"
