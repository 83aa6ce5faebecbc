#include "app/mainwindowstate.h"
#include "app/session.h"
#include "app/startup.h"
#include "common/inifile.h"
#include "store/storeerror.h"
#include "store/submittermodel.h"
#include "store/submitteroptions.h"
#include "store/wagestore.h"
#include "tests/support/startedprogram.h"
#include "tests/support/testenvironment.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

using namespace wagetrove;

class TestSubmitterOptions : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    void start() { QCOMPARE(startProgram(), StartupResult::Ready); }

    QString setting(const QString& key) const
    {
        return IniFile(m_session->SettingsFile).read(QStringLiteral("Options"), key);
    }

    QByteArray settingsBytes() const
    {
        QFile file(m_session->SettingsFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    /// OK on the boxes as the window opens them, after the clicks (a negative number clears the box) and `edit`.
    bool ok(std::initializer_list<int> clicks, const std::function<void(SubmitterOptionBoxes&)>& edit = {})
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

    /// Runs one statement on the closed store; the first column of its rows.
    QStringList sql(const QString& statement)
    {
        WageStore store;
        store.open(m_session->DataFolder + WageStore::kFileName);
        QSqlQuery query(store.database());
        QStringList rows;
        if (!query.exec(statement)) {
            qWarning("%s failed", qPrintable(statement));
        }
        while (query.next()) {
            rows << query.value(0).toString();
        }
        return rows;
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
        QTest::newRow("empty") << QString();
        QTest::newRow("0") << QStringLiteral("0");
        QTest::newRow("words") << QStringLiteral("nine grand");
    }

    void check3_rejectsALimitNotAbove0_andChangesNothing()
    {
        QFETCH(QString, limit);
        QVERIFY(ok({}, [](SubmitterOptionBoxes& boxes) { boxes.Text1 = QStringLiteral("7000"); }));
        const QByteArray settings = settingsBytes();
        m_dialogs.clear();

        QVERIFY(!ok({3, 1, 7}, [&](SubmitterOptionBoxes& boxes) {
            boxes.Text1 = limit;
            boxes.RemitterIdText = QStringLiteral("1");
        }));
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("Invalid Wage Limit.")});
        QCOMPARE(m_dialogs.calls().first().icon, MessageIcon::None);
        QCOMPARE(settingsBytes(), settings);
        QCOMPARE(m_session->WageLimit, Currency::fromUnits(7000));
        QVERIFY(!m_session->CalcTaxable && !m_session->MergeFiles && !m_session->StandAlone);
        QCOMPARE(m_session->RemitID, QStringLiteral("999996"));
        QCOMPARE(m_state.command1Caption, QStringLiteral("Get Payroll Data"));
    }

    void wageLimit_isStoredAsTyped_andCountsOnlyWhenNumeric()
    {
        QVERIFY(ok({3}, [](SubmitterOptionBoxes& boxes) { boxes.Text1 = QStringLiteral("7000.50"); }));
        QCOMPARE(m_session->WageLimit, Currency::fromText(QStringLiteral("7000.5")));
        QCOMPARE(setting(QStringLiteral("WageLimit")), QStringLiteral("7000.50"));
        QCOMPARE(loadSubmitterOptions(*m_session).Text1, QStringLiteral("7000.5"));

        QVERIFY(ok({-3}, [](SubmitterOptionBoxes& boxes) { boxes.Text1 = QStringLiteral("nine grand"); }));
        QCOMPARE(m_session->WageLimit, Currency());
        QCOMPARE(setting(QStringLiteral("WageLimit")), QStringLiteral("nine grand"));
        QCOMPARE(loadSubmitterOptions(*m_session).Text1, QString());
        QVERIFY(m_dialogs.messages().isEmpty());
    }

    void wageModes_mapToUseSUIItemAndCalcTaxable_andReopenAsSet_data()
    {
        QTest::addColumn<int>("ticked");
        QTest::addColumn<bool>("useSUIItem");
        QTest::addColumn<bool>("calcTaxable");
        QTest::newRow("neither") << 0 << true << false;
        QTest::newRow("Check2") << 2 << false << false;
        QTest::newRow("Check3") << 3 << false << true;
    }

    void wageModes_mapToUseSUIItemAndCalcTaxable_andReopenAsSet()
    {
        QFETCH(int, ticked);
        QFETCH(bool, useSUIItem);
        QFETCH(bool, calcTaxable);
        // Start from another mode so that every row changes something.
        m_session->UseSUIItem = ticked != 0;
        m_session->CalcTaxable = ticked == 0;
        QVERIFY(ok({ticked == 3 ? 3 : -3, ticked == 2 ? 2 : -2},
                   [](SubmitterOptionBoxes& boxes) { boxes.Text1 = QStringLiteral("9000"); }));
        QCOMPARE(m_session->UseSUIItem, useSUIItem);
        QCOMPARE(m_session->CalcTaxable, calcTaxable);
        const SubmitterOptionBoxes reopened = loadSubmitterOptions(*m_session);
        QCOMPARE(reopened.Check2, ticked == 2);
        QCOMPARE(reopened.Check3, ticked == 3);
        QCOMPARE(reopened.Text1Enabled, ticked == 3);
    }

    void standaloneModes_writeBothKeys_andCaptionCommand1_data()
    {
        QTest::addColumn<int>("click");
        QTest::addColumn<QString>("standAlone");
        QTest::addColumn<QString>("noqb");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Check7") << 7 << QStringLiteral("Y") << QStringLiteral("N") << QStringLiteral("Load Wages");
        QTest::newRow("Check8") << 8 << QStringLiteral("N") << QStringLiteral("Y") << QStringLiteral("Load Wages");
        QTest::newRow("neither") << -8 << QStringLiteral("N") << QStringLiteral("N")
                                 << QStringLiteral("Get Payroll Data");
    }

    void standaloneModes_writeBothKeys_andCaptionCommand1()
    {
        QFETCH(int, click);
        QFETCH(QString, standAlone);
        QFETCH(QString, noqb);
        QFETCH(QString, caption);
        m_session->StandAlonenoqb = true;
        m_state.command1Caption = QStringLiteral("Load Wages");
        QVERIFY(ok({click}));
        QCOMPARE(setting(QStringLiteral("StandAlone")), standAlone);
        QCOMPARE(setting(QStringLiteral("StandAlonenoqb")), noqb);
        QCOMPARE(flagText(m_session->StandAlone), standAlone);
        QCOMPARE(flagText(m_session->StandAlonenoqb), noqb);
        QCOMPARE(m_state.command1Caption, caption);
    }

    void restart_keepsTheKeyedOptions_andResetsTheOthers()
    {
        m_session->SupportFile = true;
        QVERIFY(!loadSubmitterOptions(*m_session).Check4);
        QVERIFY(ok({1, 3, 4, 5, 6, 8}, [](SubmitterOptionBoxes& boxes) {
            boxes.Text1 = QStringLiteral("9000");
            boxes.RemitterIdText = QStringLiteral("123456");
            boxes.Text2 = QStringLiteral("SOC Code");
        }));
        QVERIFY(m_session->MergeFiles && m_session->SupportFile && m_session->AllowZeroHours);

        start();
        QVERIFY(!m_session->MergeFiles && !m_session->SupportFile && !m_session->AllowZeroHours);
        QVERIFY(m_session->UseSUIItem && !m_session->CalcTaxable);
        QVERIFY(m_session->UseEmployer && !m_session->StandAlone && m_session->StandAlonenoqb);
        QCOMPARE(m_session->WageLimit, Currency::fromUnits(9000));
        QCOMPARE(m_session->RemitID, QStringLiteral("123456"));
        QCOMPARE(m_session->QBFieldNameSoc, QStringLiteral("SOC Code"));
        QCOMPARE(m_state.command1Caption, QStringLiteral("Load Wages"));
    }

    void check8ThenCancel_changesNothing()
    {
        QVERIFY(ok({7}));
        const QByteArray settings = settingsBytes();
        SubmitterEditor editor(*m_session, m_state, m_dialogs);
        editor.open();
        editor.click(SubmitterCheck::Check8, true);
        editor.click(SubmitterCheck::Check8, false);
        editor.finish();
        QVERIFY(m_session->StandAlone && !m_session->StandAlonenoqb);
        QCOMPARE(settingsBytes(), settings);
        QCOMPARE(m_state.command1Caption, QStringLiteral("Load Wages"));
    }

    void boundFieldEdits_reachTheSubmitterRow_onOkAndCancel_data()
    {
        QTest::addColumn<bool>("pressOk");
        QTest::addColumn<bool>("emptyTable");
        QTest::newRow("OK") << true << false;
        QTest::newRow("Cancel") << false << false;
        QTest::newRow("Cancel, table without a row") << false << true;
    }

    void boundFieldEdits_reachTheSubmitterRow_onOkAndCancel()
    {
        QFETCH(bool, pressOk);
        QFETCH(bool, emptyTable);
        sql(emptyTable ? QStringLiteral("DELETE FROM Submitter")
                       : QStringLiteral("UPDATE Submitter SET Name = 'Old', Email = 'a@b.c'"));
        sql(QStringLiteral("INSERT INTO Employee (Name) VALUES ('Of this run')"));

        SubmitterEditor editor(*m_session, m_state, m_dialogs);
        editor.open();
        SubmitterModel* model = editor.model();
        QVERIFY(model != nullptr);
        QCOMPARE(model->rowCount(), 1);
        const auto field = [model](const char* name) {
            return model->index(0, model->fieldIndex(QLatin1String(name)));
        };
        QCOMPARE(model->data(field("Name")).toString(), emptyTable ? QString() : QStringLiteral("Old"));
        // The window holds the store alone while it is up.
        WageStore other;
        QVERIFY_THROWS_EXCEPTION(StoreError, other.open(m_session->DataFolder + WageStore::kFileName));

        model->setData(field("Name"), QStringLiteral("Acme Payroll"));
        model->setData(field("Email"), QString());
        if (pressOk) {
            QVERIFY(editor.accept());
        }
        editor.finish();
        QVERIFY(!m_session->Store.isOpen());
        QCOMPARE(m_dialogs.busyDepth(), 0);
        QVERIFY(m_dialogs.messages().isEmpty());
        QCOMPARE(sql(QStringLiteral("SELECT Name || '|' || quote(Email) || '|' || quote(EIN) FROM Submitter")),
                 QStringList{QStringLiteral("Acme Payroll|''|''")});
        // Opening the window is not a run: the quarter's rows stay.
        QCOMPARE(sql(QStringLiteral("SELECT count(*) FROM Employee")), QStringList{QStringLiteral("1")});
    }

    void storeHeldElsewhere_isADataError_andTheOptionsStillWork()
    {
        WageStore other;
        other.open(m_session->DataFolder + WageStore::kFileName);
        SubmitterEditor editor(*m_session, m_state, m_dialogs);
        editor.open();
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY(m_dialogs.messages().first().startsWith(QStringLiteral("Data error event hit err:The wage store")));
        QVERIFY(editor.model() == nullptr);
        QCOMPARE(m_dialogs.busyDepth(), 0);
        editor.click(SubmitterCheck::Check7, true);
        QVERIFY(editor.accept());
        editor.finish();
        QVERIFY(m_session->StandAlone);
        QCOMPARE(m_dialogs.messages().size(), 1);
    }

    void unwritableSettings_areReported_andTheOptionsHoldForTheSession()
    {
        m_session->SettingsFile = m_documents->filePath(QStringLiteral("missing/suta.ini"));
        QVERIFY(ok({6}));
        QCOMPARE(m_dialogs.messages().size(), 1);
        QVERIFY(m_dialogs.messages().first().contains(QStringLiteral("could not be written")));
        QCOMPARE(m_dialogs.calls().first().icon, MessageIcon::Exclamation);
        QVERIFY(m_session->UseEmployer);
    }
};

QTEST_GUILESS_MAIN(TestSubmitterOptions)
#include "tst_submitteroptions.moc"
