#include "acquire/getpayrolldata.h"
#include "acquire/payrollitems.h"
#include "app/period.h"
#include "app/settings.h"
#include "common/inifile.h"
#include "tests/support/filebytes.h"
#include "tests/support/generatedpayroll.h"
#include "tests/support/scriptedpayrolldatawindows.h"
#include "tests/support/startedprogram.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace wagetrove;

namespace {

/// A small company: two Illinois employees with one paycheck each in the first quarter of 2025, and the items
/// the lists must sort out. %1 is the host's major version, %2 the payroll subscription, %3 refused access.
const char* const kCompany = R"({
  "host": {"majorVersion": "%1"}, "payrollSubscription": %2, "refuseAccess": %3,
  "company": {"name": "Cole Bakery", "legalName": "Cole Bakery LLC", "ein": "36-7654321",
              "address": {"addr1": "1 Elm St", "city": "Peoria", "state": "il", "postalCode": "61602"}},
  "employees": [
    {"name": "Ana B Cole", "firstName": "Ana", "middleName": "B", "lastName": "Cole", "ssn": "111-22-3333",
     "customFields": {"SOC": "35-2011"}},
    {"name": "Lee Diaz", "firstName": "Lee", "lastName": "Diaz, Jr.", "ssn": "222-33-4444",
     "customFields": {"Shift": "night"}}],
  "payrollItems": [
    {"name": "Hourly Rate", "kind": "wage"},
    {"name": "IL - Unemployment Company", "kind": "nonwage", "type": "Tax"},
    {"name": "IL - Withholding", "kind": "nonwage", "type": "Tax"},
    {"name": "IL - Surcharge", "kind": "nonwage", "type": "Tax"},
    {"name": "MA - Unemployment Company", "kind": "nonwage", "type": "Tax"},
    {"name": "MA - Withholding", "kind": "nonwage", "type": "Tax"},
    {"name": "Medicare Employee", "kind": "nonwage", "type": "Tax"},
    {"name": "Health Insurance", "kind": "nonwage", "type": "Deduction"}],
  "paychecks": [
    {"employee": "Ana B Cole", "date": "2025-01-15", "hours": "80",
     "lines": [{"item": "Hourly Rate", "amount": "2000.00", "hours": "80"},
               {"item": "IL - Unemployment Company", "incomeSubjectToTax": "2000.00", "wageBase": "2000.00",
                "rate": "3.175", "amount": "63.50"}]},
    {"employee": "Lee Diaz", "date": "2025-03-14",
     "lines": [{"item": "Hourly Rate", "amount": "1500.00"},
               {"item": "IL - Unemployment Company", "incomeSubjectToTax": "1500.00", "wageBase": "1500.00",
                "rate": "3.175", "amount": "47.63"}]}]
})";

const QString kSuccess =
    QStringLiteral("Program has gathered all the data. Click the View Totals button and check the amounts");

} // namespace

class TestGetPayrollData : public QObject, protected test::StartedProgram
{
    Q_OBJECT

private:
    test::ScriptedPayrollDataWindows m_windows;

    QString writeCompany(const QString& version = QStringLiteral("34"), bool subscription = true, bool refused = false)
    {
        const QString path = m_documents->path() + QStringLiteral("/company.json");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            qFatal("cannot write the company");
        }
        file.write(QString::fromLatin1(kCompany)
                       .arg(version, subscription ? QStringLiteral("true") : QStringLiteral("false"),
                            refused ? QStringLiteral("true") : QStringLiteral("false"))
                       .toUtf8());
        return QStringLiteral("simulated:") + path;
    }

    /// Get Payroll Data for the first quarter of 2025 in the given state, through `connection`.
    void run(const QString& connection, int position = 2)
    {
        m_session->QuickBooksConnection = connection;
        selectState(*m_session, position);
        clickQuarter(*m_session, m_state, 1, QDate(2025, 1, 1));
        GetPayrollData(*m_session, m_state, m_dialogs, m_windows);
    }

    QString query(const QString& statement)
    {
        WageStore store;
        store.open(dataFolder() + WageStore::kFileName);
        QSqlQuery rows(store.database());
        QStringList lines;
        if (!rows.exec(statement)) {
            return QStringLiteral("failed: ") + statement;
        }
        while (rows.next()) {
            QStringList values;
            for (int i = 0; i < rows.record().count(); ++i) {
                values << rows.value(i).toString();
            }
            lines << values.join(QLatin1Char('|'));
        }
        return lines.join(QLatin1Char('\n'));
    }

    QString storeDump()
    {
        return query(QStringLiteral("SELECT * FROM Employer")) + QLatin1Char('#') +
               query(QStringLiteral("SELECT * FROM Employee ORDER BY Name")) + QLatin1Char('#') +
               query(QStringLiteral("SELECT * FROM StateIDTable")) + QLatin1Char('#') +
               query(QStringLiteral("SELECT * FROM Submitter"));
    }

private Q_SLOTS:
    void init()
    {
        resetProgram();
        QVERIFY(writeSettings("[Options]\r\nMessage=N\r\n"));
        QCOMPARE(startProgram(), StartupResult::Ready);
        m_windows = test::ScriptedPayrollDataWindows();
    }

    void stops_data()
    {
        QTest::addColumn<QString>("setup");   // how the run is made to stop
        QTest::addColumn<QString>("message"); // the last message shown, or a part of it
        const QString connection = QStringLiteral("Wagetrove could not get the payroll data from QuickBooks. ");
        QTest::newRow("no connection set")
            << QStringLiteral("none") << QStringLiteral("Wagetrove does not know how to reach QuickBooks");
        QTest::newRow("unknown kind") << QStringLiteral("ftp")
                                      << QStringLiteral("does not say how to reach QuickBooks");
        QTest::newRow("replay file missing")
            << QStringLiteral("missing replay") << connection + QStringLiteral("The QuickBooks answer file");
        QTest::newRow("access refused") << QStringLiteral("refused")
                                        << connection + QStringLiteral("QuickBooks refused this application access");
        QTest::newRow("version 36") << QStringLiteral("36")
                                    << QStringLiteral("The version of QuickBooks that you are running is not supported "
                                                      "by the version of Wagetrove. Check https://");
        QTest::newRow("version 4, as text after 35") << QStringLiteral("4") << QStringLiteral("is not supported");
        QTest::newRow("no payroll subscription")
            << QStringLiteral("no subscription") << QStringLiteral("Can't find payroll item.");
        QTest::newRow("item list cancelled") << QStringLiteral("cancel") << QStringLiteral("Can't find payroll item.");
        QTest::newRow("answer does not fit")
            << QStringLiteral("short replay")
            << connection + QStringLiteral("The QuickBooks answer does not fit the requests sent: 1 responses came "
                                           "back for 4 requests.");
    }
    void stops()
    {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        QString connection = writeCompany();
        if (setup == QLatin1String("none")) {
            connection.clear();
        } else if (setup == QLatin1String("ftp")) {
            connection = QStringLiteral("ftp:company.json");
        } else if (setup == QLatin1String("missing replay")) {
            connection = QStringLiteral("replay:") + dataFolder() + QStringLiteral("nothing.xml");
        } else if (setup == QLatin1String("refused")) {
            connection = writeCompany(QStringLiteral("34"), true, true);
        } else if (setup == QLatin1String("36") || setup == QLatin1String("4")) {
            connection = writeCompany(setup);
        } else if (setup == QLatin1String("no subscription")) {
            connection = writeCompany(QStringLiteral("34"), false);
        } else if (setup == QLatin1String("cancel")) {
            m_session->QuickBooksConnection = connection;
            run(connection);
            QVERIFY(query(QStringLiteral("UPDATE StateIDTable SET PayrollItem = 'IL - SUI'")).isEmpty());
            m_dialogs.clear();
        } else if (setup == QLatin1String("short replay")) {
            QFile file(dataFolder() + QStringLiteral("short.xml"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("<QBXML><QBXMLMsgsRs><CompanyQueryRs statusCode=\"0\"/></QBXMLMsgsRs></QBXML>");
            file.close();
            connection = QStringLiteral("replay:") + file.fileName();
        }
        run(connection);
        QVERIFY2(!m_dialogs.messages().isEmpty() && m_dialogs.messages().last().contains(message),
                 qPrintable(m_dialogs.messages().join(QLatin1Char('|'))));
        QVERIFY(m_session->DataError);
        QVERIFY(!m_session->Store.isOpen());
        QVERIFY(!m_state.resultsEnabled);
        QCOMPARE(m_dialogs.busyDepth(), 0);
        if (setup == QLatin1String("no subscription")) {
            QCOMPARE(m_dialogs.messages().first(), kNoPayrollSubscriptionMessage);
        }
    }

    void versions_passAsText_data()
    {
        QTest::addColumn<QString>("version");
        QTest::newRow("34") << QStringLiteral("34");
        QTest::newRow("35") << QStringLiteral("35");
        QTest::newRow("100") << QStringLiteral("100");
    }
    void versions_passAsText()
    {
        QFETCH(QString, version);
        run(writeCompany(version));
        QCOMPARE(m_dialogs.messages(), QStringList{kSuccess});
        QVERIFY(m_state.resultsEnabled);
    }

    void firstAndSecondRun()
    {
        run(writeCompany());
        QCOMPARE(m_dialogs.messages(), QStringList{kSuccess});
        QVERIFY(!m_session->Store.isOpen());
        QCOMPARE(query(QStringLiteral("SELECT CompanyID, EIN, Name, Address, City, State, Zip FROM Employer")),
                 QStringLiteral("1|36-7654321|COLE BAKERY LLC|1 ELM ST|PEORIA|IL|61602"));
        QCOMPARE(m_session->EmployerAddress, QStringLiteral("COLE BAKERY LLC\r\n1 ELM ST\r\nPEORIA IL  61602"));
        QCOMPARE(m_session->frmTXMag.Text1, QStringLiteral("COLE BAKERY LLC"));
        QCOMPARE(m_session->Form3.Text8, QStringLiteral("36-7654321"));
        QCOMPARE(m_session->Form3.Text9, QStringLiteral(" "));
        QCOMPARE(query(QStringLiteral("SELECT EIN, State, StateID, PayrollItem, SWHPayrollItem FROM StateIDTable")),
                 QStringLiteral("36-7654321|IL||IL - Unemployment Company|IL - Withholding"));
        QCOMPARE(query(QStringLiteral("SELECT EIN, Name, Address, City, State, Zip FROM Submitter")),
                 QStringLiteral("36-7654321|COLE BAKERY LLC|1 ELM ST|PEORIA|IL|61602"));
        // The wages of the detail report; no middle name is a blank, the SOC comes from the named field only.
        QCOMPARE(query(QStringLiteral("SELECT SS, Name, FirstName, MiddleName, LastName, UnitCode, QuarterEnding, "
                                      "GrossWages, TaxableWages, Month1, Month2, Month3 FROM Employee ORDER BY Name")),
                 QStringLiteral("111223333|ANA B COLE|ANA|B|COLE| |032025|20000000|20000000|1|0|0\n"
                                "222334444|LEE DIAZ|LEE| |DIAZ  JR | |032025|15000000|15000000|0|0|1"));
        QCOMPARE(m_session->Form3.Text2, QStringLiteral("$3,500.00"));
        QCOMPARE(m_session->Form3.Text6, QStringLiteral("3.175"));
        QVERIFY(m_windows.shown.isEmpty());

        // The second run finds the company's row, with the account number typed in since.
        QVERIFY(query(QStringLiteral("UPDATE StateIDTable SET StateID = '7654321', [County Code] = '5'")).isEmpty());
        QVERIFY(query(QStringLiteral("UPDATE Submitter SET Name = 'KEPT'")).isEmpty());
        run(writeCompany());
        QCOMPARE(m_session->Form3.Text9, QStringLiteral("7654321"));
        QCOMPARE(m_session->StateAccountID, QStringLiteral("7654321"));
        QCOMPARE(query(QStringLiteral("SELECT count(*) FROM StateIDTable")), QStringLiteral("1"));
        QCOMPARE(query(QStringLiteral("SELECT Name FROM Submitter")), QStringLiteral("KEPT"));
    }

    void cancelledLoad_leavesTheStoreAsItWas_data()
    {
        QTest::addColumn<QString>("work");
        QTest::addColumn<qint64>("at");
        QTest::newRow("reading the answer") << QStringLiteral("Reading the QuickBooks answer...") << qint64(1);
        QTest::newRow("walking the report") << QStringLiteral("Reading the wages...") << qint64(256);
    }

    void cancelledLoad_leavesTheStoreAsItWas()
    {
        QFETCH(QString, work);
        QFETCH(qint64, at);
        run(writeCompany());
        const QString before = storeDump();
        const QString path = m_documents->path() + QStringLiteral("/generated.json");
        QVERIFY(test::writeBytes(path, test::generatedCompany(40)));
        m_dialogs.clear();
        m_dialogs.cancelProgressAt(at, work);
        run(QStringLiteral("simulated:") + path);
        QCOMPARE(m_dialogs.messages(), QStringList{QStringLiteral("Get Payroll Data was cancelled.")});
        QVERIFY(!m_session->Store.isOpen());
        QCOMPARE(storeDump(), before);
        // The session holds half a run: nothing is filed from it.
        QVERIFY(!m_state.resultsEnabled);
        QVERIFY(!m_state.wageListingEnabled);
    }

    void itemLists_offerTheStateTaxItems_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("storedItem");
        QTest::addColumn<QStringList>("shown"); // window: items offered
        QTest::newRow("stored name in another case: found without asking")
            << 2 << QStringLiteral("il - unemployment COMPANY") << QStringList();
        QTest::newRow("unknown name: Form2 without withholding, employee and deduction items")
            << 2 << QStringLiteral("IL - SUI")
            << QStringList{QStringLiteral("Form2: IL - Unemployment Company, IL - Surcharge, "
                                          "MA - Unemployment Company")};
        QTest::newRow("MA Quest: Form7 without the company items")
            << 5 << QStringLiteral("MA - Unemployment Company")
            << QStringList{QStringLiteral("Form7: IL - Withholding, IL - Surcharge, MA - Withholding")};
    }
    void itemLists_offerTheStateTaxItems()
    {
        QFETCH(int, position);
        QFETCH(QString, storedItem);
        QFETCH(QStringList, shown);
        const QString state = position == 2 ? QStringLiteral("IL") : QStringLiteral("MA");
        QVERIFY(query(QStringLiteral("INSERT INTO StateIDTable (EIN, State, StateID, PayrollItem, SWHPayrollItem) "
                                     "VALUES ('36-7654321', '%1', '', '%2', 'MA SWH')")
                          .arg(state, storedItem))
                    .isEmpty());
        m_windows.suiChoices.push_back(SuiItemChoice{QStringLiteral("IL - Surcharge"), QStringLiteral(" 123 ")});
        m_windows.swhChoices.push_back(QStringLiteral("MA - Withholding"));
        run(writeCompany(), position);
        QStringList offered;
        for (const auto& window : m_windows.shown) {
            offered << window.window + QStringLiteral(": ") + window.items.join(QStringLiteral(", "));
        }
        QCOMPARE(offered, shown);
        QVERIFY(m_session->ItemFound);
        const QString chosen = position == 5     ? QStringLiteral("|MA - Unemployment Company|MA - Withholding")
                               : shown.isEmpty() ? QStringLiteral("|il - unemployment COMPANY|MA SWH")
                                                 : QStringLiteral("123|IL - Surcharge|MA SWH");
        QCOMPARE(query(QStringLiteral("SELECT StateID, PayrollItem, SWHPayrollItem FROM StateIDTable")), chosen);
    }

    void accessNotice_data()
    {
        QTest::addColumn<bool>("proceed");
        QTest::addColumn<bool>("dontShowAgain");
        QTest::addColumn<QString>("messageKey");
        QTest::newRow("OK") << true << false << QStringLiteral("");
        QTest::newRow("OK, not again") << true << true << QStringLiteral("N");
        QTest::newRow("Cancel") << false << true << QStringLiteral("");
    }
    void accessNotice()
    {
        QFETCH(bool, proceed);
        QFETCH(bool, dontShowAgain);
        QFETCH(QString, messageKey);
        QVERIFY(writeSettings("[Options]\r\n"));
        QCOMPARE(startProgram(), StartupResult::Ready);
        m_windows.notices.push_back({proceed, dontShowAgain});
        run(writeCompany());
        QCOMPARE(m_windows.shown.size(), 1);
        QCOMPARE(m_session->ProceedFlag, proceed);
        QCOMPARE(m_state.resultsEnabled, proceed);
        QCOMPARE(m_dialogs.messages(), proceed ? QStringList{kSuccess} : QStringList());
        QCOMPARE(IniFile(m_session->SettingsFile).read(settingkeys::kSection, settingkeys::kMessage), messageKey);
        QVERIFY(!m_session->Store.isOpen());
    }

    void replayOfTheSupportFile_givesTheSameStore()
    {
        m_session->SupportFile = true;
        run(writeCompany());
        const QString simulated = storeDump();
        QFile support(dataFolder() + QStringLiteral("QBData.xml"));
        QVERIFY(support.open(QIODevice::ReadOnly));
        const QByteArray answer = support.readAll();
        QVERIFY(answer.endsWith("</QBXML>\r\n") || answer.endsWith("</QBXML>\n\r\n"));
        support.close();
        QVERIFY(support.copy(dataFolder() + QStringLiteral("saved.xml")));

        m_session->SupportFile = false;
        QVERIFY(query(QStringLiteral("DELETE FROM StateIDTable")).isEmpty());
        QVERIFY(query(QStringLiteral("UPDATE Submitter SET EIN = ''")).isEmpty());
        m_dialogs.clear();
        run(QStringLiteral("replay:") + dataFolder() + QStringLiteral("saved.xml"));
        QCOMPARE(m_dialogs.messages(), QStringList{kSuccess});
        QCOMPARE(storeDump(), simulated);
    }

    void suiItemChoiceChecks_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("accountId");
        QTest::addColumn<QString>("message");
        const QString kentucky = QStringLiteral(
            " State ID invalid. Must be 6 or 8 digits followed by optional 1 Alphabetic character suffix");
        QTest::newRow("nothing selected")
            << 2 << false << QString()
            << QStringLiteral("Please Select the QuickBooks Payroll Item that is used to track State Unemployment");
        QTest::newRow("KY six digits and a letter") << 3 << true << QStringLiteral("123456A") << QString();
        QTest::newRow("KY six digits and a small letter") << 3 << true << QStringLiteral("123456a") << kentucky;
        QTest::newRow("KY eight characters must all be digits") << 3 << true << QStringLiteral("1234567A") << kentucky;
        QTest::newRow("KY five digits") << 3 << true << QStringLiteral("12345") << kentucky;
        QTest::newRow("KY empty is accepted") << 3 << true << QStringLiteral("  ") << QString();
        QTest::newRow("TX form") << 11 << true << QStringLiteral("12-345678-9") << QString();
        QTest::newRow("TX without dashes") << 11 << true << QStringLiteral("12345678901")
                                           << QStringLiteral("State Account ID invalid. Enter in xx-xxxxxx-x format");
        QTest::newRow("SC five digits") << 9 << true << QStringLiteral("12345")
                                        << QStringLiteral(" State ID invalid. Must be 6 digits.");
        QTest::newRow("FL seven digits") << 1 << true << QStringLiteral(" 1234567 ") << QString();
        QTest::newRow("FL letters") << 1 << true << QStringLiteral("123456A")
                                    << QStringLiteral(" State ID invalid. Must be 7 digits.");
        QTest::newRow("IL anything") << 2 << true << QStringLiteral("x") << QString();
    }
    void suiItemChoiceChecks()
    {
        QFETCH(int, position);
        QFETCH(bool, selected);
        QFETCH(QString, accountId);
        QFETCH(QString, message);
        selectState(*m_session, position);
        QCOMPARE(suiItemChoiceProblem(*m_session, selected, accountId).value_or(QString()), message);
    }
};

QTEST_MAIN(TestGetPayrollData)
#include "tst_getpayrolldata.moc"
