#include "acquire/payrollitemlist.h"
#include "app/qtdialogs.h"
#include "app/session.h"
#include "app/statecatalogue.h"
#include "app/windowfinish.h"
#include "store/frmgrosstaxable.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/storefixture.h"
#include "totals/form3.h"
#include "writers/frmtxmag.h"

#include <QApplication>
#include <QProgressDialog>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

enum class Window
{
    TotalsTexas,
    Transmitter,
    WageDetails,
    WithholdingItem,
};

} // namespace

/// Every window's Tab order reads as the window does; long work shows its progress.
class TestWindowFinish : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::StoreFixture> m_store;
    test::ScriptedDialogs m_dialogs;

    std::unique_ptr<QDialog> open(Window window)
    {
        Session& session = m_store->session();
        switch (window) {
        case Window::TotalsTexas:
            session.StatePosition = positionOf(StateItem::Texas);
            return std::make_unique<Form3>(session, m_dialogs, ShowTotalsWindowLayout(session, QString(), QString()));
        case Window::Transmitter:
            return std::make_unique<frmTXMag>(session, m_dialogs);
        case Window::WageDetails:
            session.Store.open(session.DataFolder + WageStore::kFileName);
            return std::make_unique<frmGrossTaxable>(session.Store.database(), StateItem::Illinois, m_dialogs);
        case Window::WithholdingItem:
            return std::make_unique<PayrollItemList>(PayrollItemList::Purpose::Withholding, session, m_dialogs,
                                                     QStringList{u"IL SUI"_s}, QString());
        }
        return nullptr;
    }

private Q_SLOTS:
    void init()
    {
        m_store = std::make_unique<test::StoreFixture>();
        m_dialogs = test::ScriptedDialogs();
    }

    // Boxes side by side in a row, a box placed beside the column, a grid whose own parts take no Tab stop, and a
    // hidden box left out.
    void tabOrder_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("tabOrder"); // object names, space-separated
        QTest::newRow("the totals window, Texas")
            << int(Window::TotalsTexas)
            << u"Text1 Text3 Text4 Text11 Text2 Text5 Text6 Text7 Text8 Text9 Text10 Command1"_s;
        QTest::newRow("the transmitter window")
            << int(Window::Transmitter)
            << u"Text1 Text2 Text3 Text4 Text5 Text6 Text13 Text7 Text8 Text11 Text12 Text9 Text14 Text10 Command1 Command3"_s;
        QTest::newRow("Wage Details") << int(Window::WageDetails)
                                      << u"grdDataGrid cmdAdd cmdDelete cmdRefresh cmdUpdate cmdClose"_s;
        QTest::newRow("withholding item") << int(Window::WithholdingItem) << u"List1 Command1 Command2"_s;
    }
    void tabOrder()
    {
        QFETCH(int, window);
        QFETCH(QString, tabOrder);
        const std::unique_ptr<QDialog> shown = open(static_cast<Window>(window));
        shown->show();
        QApplication::setActiveWindow(shown.get());
        QVERIFY(QTest::qWaitForWindowActive(shown.get()));
        QWidget* first = shown->nextInFocusChain();
        while (!(first->focusPolicy() & Qt::TabFocus) || !first->isVisible() || !first->isEnabled()) {
            first = first->nextInFocusChain();
        }
        first->setFocus(Qt::TabFocusReason);
        QStringList order;
        for (int i = 0; i < 40; ++i) {
            QWidget* focused = QApplication::focusWidget();
            const QString name = focused->objectName().isEmpty() ? QLatin1String(focused->metaObject()->className())
                                                                 : focused->objectName();
            if (!order.isEmpty() && name == order.first()) {
                break;
            }
            order << name;
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        QCOMPARE(order.join(u' '), tabOrder);
    }

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
