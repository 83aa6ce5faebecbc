#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/startup.h"
#include "common/inifile.h"
#include "store/storeerror.h"
#include "store/submittermodel.h"
#include "store/submitteroptions.h"
#include "store/wagestore.h"
#include "tests/support/startedprogram.h"
#include "tests/support/storefixture.h"

#include <QFile>
#include <QTest>

#include <cstdlib>

using namespace wagetrove;
using namespace Qt::StringLiterals;

class TestSubmitterOptions : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    void start() { QCOMPARE(startProgram(), StartupResult::Ready); }

    QString setting(const QString& key) const { return IniFile(m_session->SettingsFile).read(u"Options"_s, key); }

    QByteArray settingsBytes() const
    {
        QFile file(m_session->SettingsFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    /// OK on the boxes as the window opens them, after the clicks (a negative number clears the box) and `edit`.
    bool ok(const QList<int>& clicks, const std::function<void(SubmitterOptionBoxes&)>& edit = {})
    {
        SubmitterOptionBoxes boxes = loadSubmitterOptions(*m_session);
        for (int box : clicks) {
            clickSubmitterCheck(boxes, static_cast<SubmitterCheck>(std::abs(box)), box > 0);
        }
        if (edit) {
            edit(boxes);
        }
        return acceptSubmitterOptions(*m_session, m_state, boxes, m_dialogs);
    }

    QString sql(const QString& statement) { return test::storeRows(m_session->DataFolder, statement); }

    static QString bits(std::initializer_list<bool> flags)
    {
        QString text;
        for (const bool flag : flags) {
            text += flag ? QLatin1Char('1') : QLatin1Char('0');
        }
        return text;
    }

private Q_SLOTS:
    void init()
    {
        resetProgram();
        start();
    }

    void check3_rejectsALimitNotAbove0_andChangesNothing_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::newRow("0") << u"0"_s;
        QTest::newRow("words") << u"nine grand"_s;
    }
    void check3_rejectsALimitNotAbove0_andChangesNothing()
    {
        QFETCH(QString, limit);
        QVERIFY(ok({}, [](SubmitterOptionBoxes& boxes) { boxes.Text1 = u"7000"_s; }));
        const QByteArray settings = settingsBytes();
        m_dialogs.clear();
        QVERIFY(!ok({3, 1, 7}, [&](SubmitterOptionBoxes& boxes) {
            boxes.Text1 = limit;
            boxes.RemitterIdText = u"1"_s;
        }));
        QCOMPARE(m_dialogs.messages(), QStringList{u"Invalid Wage Limit."_s});
        QVERIFY(m_dialogs.calls().first().icon == MessageIcon::None && settingsBytes() == settings);
        QVERIFY(m_session->WageLimit == Currency::fromUnits(7000) && !m_session->CalcTaxable &&
                !m_session->MergeFiles && !m_session->StandAlone);
        QCOMPARE(m_session->RemitID + u"|"_s + m_state.command1Caption, u"999996|Get Payroll Data"_s);
    }

    // The wage modes (Check2, Check3) and standalone modes (Check7, Check8), from CalcTaxable in the second one.
    void modes_data()
    {
        QTest::addColumn<QList<int>>("clicks");
        // UseSUIItem CalcTaxable StandAlone StandAlonenoqb, the StandAlone and StandAlonenoqb settings, the caption
        // of Command1, and Check2 Check3 Text1Enabled as the window opens again.
        QTest::addColumn<QString>("after");
        QTest::newRow("no wage mode, Check7") << QList<int>{-3, -2, 7} << u"1010 YN Load Wages 000"_s;
        QTest::newRow("Check2, Check8") << QList<int>{2, 8} << u"0001 NY Load Wages 100"_s;
        QTest::newRow("Check3, no standalone") << QList<int>{3, -8} << u"0100 NN Get Payroll Data 011"_s;
    }
    void modes()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(QString, after);
        m_session->UseSUIItem = false;
        m_session->CalcTaxable = true;
        m_session->StandAlonenoqb = true;
        m_state.command1Caption = u"Load Wages"_s;
        QVERIFY(ok(clicks, [](SubmitterOptionBoxes& boxes) { boxes.Text1 = u"9000"_s; }));
        const SubmitterOptionBoxes reopened = loadSubmitterOptions(*m_session);
        QCOMPARE(
            bits({m_session->UseSUIItem, m_session->CalcTaxable, m_session->StandAlone, m_session->StandAlonenoqb}) +
                u" "_s + setting(u"StandAlone"_s) + setting(u"StandAlonenoqb"_s) + u" "_s + m_state.command1Caption +
                u" "_s + bits({reopened.Check2, reopened.Check3, reopened.Text1Enabled}),
            after);
    }

    void restart_keepsTheKeyedOptions_andResetsTheOthers()
    {
        m_session->SupportFile = true;
        QVERIFY(!loadSubmitterOptions(*m_session).Check4);
        QVERIFY(ok({1, 3, 4, 5, 6, 8}, [](SubmitterOptionBoxes& boxes) {
            boxes.Text1 = u"9000"_s;
            boxes.RemitterIdText = u"123456"_s;
            boxes.Text2 = u"SOC Code"_s;
        }));
        start();
        // MergeFiles SupportFile AllowZeroHours UseSUIItem CalcTaxable UseEmployer StandAlone StandAlonenoqb
        QCOMPARE(
            bits({m_session->MergeFiles, m_session->SupportFile, m_session->AllowZeroHours, m_session->UseSUIItem,
                  m_session->CalcTaxable, m_session->UseEmployer, m_session->StandAlone, m_session->StandAlonenoqb}),
            u"00010101"_s);
        QCOMPARE(m_session->WageLimit, Currency::fromUnits(9000));
        QCOMPARE(m_session->RemitID + u"|"_s + m_session->QBFieldNameSoc + u"|"_s + m_state.command1Caption,
                 u"123456|SOC Code|Load Wages"_s);
    }

    void boundFieldEdits_reachTheSubmitterRow_onOkAndCancel_data()
    {
        QTest::addColumn<bool>("pressOk");
        QTest::addColumn<bool>("emptyTable");
        QTest::newRow("OK") << true << false;
        QTest::newRow("Cancel, table without a row") << false << true;
    }

    void boundFieldEdits_reachTheSubmitterRow_onOkAndCancel()
    {
        QFETCH(bool, pressOk);
        QFETCH(bool, emptyTable);
        sql(emptyTable ? u"DELETE FROM Submitter"_s : u"UPDATE Submitter SET Name = 'Old', Email = 'a@b.c'"_s);
        sql(u"INSERT INTO Employee (Name) VALUES ('Of this run')"_s);

        SubmitterEditor editor(*m_session, m_state, m_dialogs);
        editor.open();
        SubmitterModel* model = editor.model();
        QVERIFY(model != nullptr && model->rowCount() == 1);
        const auto field = [model](const char* name) {
            return model->index(0, model->fieldIndex(QLatin1String(name)));
        };
        QCOMPARE(model->data(field("Name")).toString(), emptyTable ? QString() : u"Old"_s);
        // The window holds the store alone while it is up.
        WageStore other;
        QVERIFY_THROWS_EXCEPTION(StoreError, other.open(m_session->DataFolder + WageStore::kFileName));

        model->setData(field("Name"), u"Acme Payroll"_s);
        model->setData(field("Email"), QString());
        if (pressOk) {
            QVERIFY(editor.accept());
        }
        editor.finish();
        QVERIFY(!m_session->Store.isOpen() && m_dialogs.messages().isEmpty() && m_dialogs.busyDepth() == 0);
        // Opening the window is not a run: the quarter's rows stay.
        QCOMPARE(sql(u"SELECT Name || '|' || quote(Email) || '|' || quote(EIN) || '|' || (SELECT count(*) FROM "
                     "Employee) FROM Submitter"_s),
                 u"Acme Payroll|''|''|1"_s);
    }

    void storeHeldElsewhere_isADataError_andTheOptionsStillWork()
    {
        WageStore other;
        other.open(m_session->DataFolder + WageStore::kFileName);
        SubmitterEditor editor(*m_session, m_state, m_dialogs);
        editor.open();
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY(m_dialogs.messages().first().startsWith(u"Data error event hit err:The wage store"_s));
        QVERIFY(editor.model() == nullptr && m_dialogs.busyDepth() == 0);
        editor.click(SubmitterCheck::Check7, true);
        QVERIFY(editor.accept());
        editor.finish();
        QVERIFY(m_session->StandAlone && m_dialogs.messages().size() == 1);
    }

    void unwritableSettings_areReported_andTheOptionsHoldForTheSession()
    {
        m_session->SettingsFile = m_documents->filePath(u"missing/suta.ini"_s);
        QVERIFY(ok({6}));
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY(m_dialogs.messages().first().contains(u"could not be written"_s) && m_session->UseEmployer);
        QCOMPARE(m_dialogs.calls().first().icon, MessageIcon::Exclamation);
    }
};

QTEST_GUILESS_MAIN(TestSubmitterOptions)
#include "tst_submitteroptions.moc"
