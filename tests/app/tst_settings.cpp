#include "app/savefolder.h"
#include "app/session.h"
#include "app/settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::unique_ptr<Session> sessionWith(const QByteArray& ini)
    {
        static int counter = 0;
        auto owned = std::make_unique<Session>();
        Session& session = *owned;
        session.SettingsFile = m_dir.filePath(QStringLiteral("suta%1.ini").arg(++counter));
        if (!ini.isNull()) {
            QFile file(session.SettingsFile);
            if (file.open(QIODevice::WriteOnly)) {
                file.write(ini);
            }
        }
        ReadSettings(session);
        return owned;
    }

private Q_SLOTS:
    void missingFile_givesDefaults()
    {
        const auto session = sessionWith(QByteArray());
        QVERIFY(session->Message);
        QVERIFY(session->TWCMessage);
        QCOMPARE(session->WageLimit, Currency());
        QCOMPARE(session->LastState, QStringLiteral("0"));
        QVERIFY(!session->UseEmployer);
        QVERIFY(!session->StandAlone);
        QVERIFY(!session->StandAlonenoqb);
        QCOMPARE(session->RemitID, QStringLiteral("999996"));
        QCOMPARE(session->QBFieldNameSoc, QString());
        QCOMPARE(webSiteAddress(*session), kDefaultWebSite);
    }

    void emptyValues_takeDefaults()
    {
        const auto session =
            sessionWith("[Options]\nMessage=\nTWCMessage=\nRemitID=\nLastState=\nWageLimit=\nWebSite=\n");
        QVERIFY(session->Message);
        QVERIFY(session->TWCMessage);
        QCOMPARE(session->RemitID, QStringLiteral("999996"));
        QCOMPARE(session->LastState, QStringLiteral("0"));
        QCOMPARE(webSiteAddress(*session), kDefaultWebSite);
    }

    void writtenValues_areRead()
    {
        const auto session = sessionWith("[Options]\r\nMessage=N\r\nTWCMessage=N\r\nWageLimit=7,000.00\r\n"
                                         "LastState=11\r\nUseEmployer=Y\r\nStandAlonenoqb=Y\r\nRemitID=123456\r\n"
                                         "QBFieldNameSoc=SOC Code\r\nWebSite=https://example.org/help\r\n");
        QVERIFY(!session->Message);
        QVERIFY(!session->TWCMessage);
        QCOMPARE(session->WageLimit, Currency::fromUnits(7000));
        QCOMPARE(session->LastState, QStringLiteral("11"));
        QVERIFY(session->UseEmployer);
        QVERIFY(session->StandAlonenoqb);
        QCOMPARE(session->RemitID, QStringLiteral("123456"));
        QCOMPARE(session->QBFieldNameSoc, QStringLiteral("SOC Code"));
        QCOMPARE(webSiteAddress(*session), QStringLiteral("https://example.org/help"));
    }

    void wageLimit_readsAsTypedInTheSubmitterWindow()
    {
        QCOMPARE(sessionWith("[Options]\nWageLimit=seven thousand\n")->WageLimit, Currency());
        QCOMPARE(sessionWith("[Options]\nWageLimit=1e3\n")->WageLimit, Currency::fromUnits(1000));
    }

    void webConnectorWait_isWholePositiveSeconds_data()
    {
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("seconds");
        QTest::newRow("none") << QByteArray() << 600;
        QTest::newRow("one") << QByteArray("1") << 1;
        QTest::newRow("forty-five, with blanks") << QByteArray(" 45 ") << 45;
        QTest::newRow("zero") << QByteArray("0") << 600;
        QTest::newRow("negative") << QByteArray("-5") << 600;
        QTest::newRow("not a number") << QByteArray("ten") << 600;
    }
    void webConnectorWait_isWholePositiveSeconds()
    {
        QFETCH(QByteArray, written);
        QFETCH(int, seconds);
        QCOMPARE(sessionWith("[Options]\nQBWCWait=" + written + "\n")->QBWCWaitSeconds, seconds);
    }

    void longValues_areCutTo127Characters()
    {
        const auto session = sessionWith("[Options]\nRemitID=" + QByteArray(130, '9') + "\n");
        QCOMPARE(session->RemitID, QString(127, QLatin1Char('9')));
    }

    void standAloneKeys_readOnlyInStandAloneMode()
    {
        const QByteArray keys = "StateID=12-34567\nFedID=12-3456789\nRate=2.7\n";
        const auto connected = sessionWith("[Options]\nStandAlone=N\n" + keys);
        QCOMPARE(connected->StateID, QString());
        QCOMPARE(connected->FedID, QString());
        QCOMPARE(connected->Rate, Currency());
        QCOMPARE(connected->ModifiedRate, Currency());

        const auto standAlone = sessionWith("[Options]\nStandAlone=Y\n" + keys);
        QCOMPARE(standAlone->StateID, QStringLiteral("12-34567"));
        QCOMPARE(standAlone->FedID, QStringLiteral("12-3456789"));
        QCOMPARE(standAlone->Rate, Currency::fromText(QStringLiteral("2.7")));
        QCOMPARE(standAlone->ModifiedRate, Currency::fromText(QStringLiteral("2.625")));
    }

    void writeSetting_isReadBack()
    {
        auto session = sessionWith(QByteArray());
        QVERIFY(WriteSetting(*session, settingkeys::kStandAlone, QStringLiteral("Y")));
        QVERIFY(WriteSetting(*session, settingkeys::kRate, QStringLiteral("3.1")));
        ReadSettings(*session);
        QVERIFY(session->StandAlone);
        QCOMPARE(session->Rate, Currency::fromText(QStringLiteral("3.1")));
    }

    // The desktop program's save dialog opens where the last state file went, the next run too; the command
    // line remembers nothing, and a folder too long for the settings file is kept for this run only.
    void saveFolder_isRememberedAcrossRuns_data()
    {
        QTest::addColumn<bool>("remembers");
        QTest::addColumn<int>("folderLength");
        QTest::addColumn<bool>("inThisRun");
        QTest::addColumn<bool>("inTheNextRun");
        QTest::newRow("desktop") << true << 40 << true << true;
        QTest::newRow("longest kept") << true << 127 << true << true;
        QTest::newRow("too long for the settings") << true << 128 << true << false;
        QTest::newRow("command line") << false << 40 << false << false;
    }

    void saveFolder_isRememberedAcrossRuns()
    {
        QFETCH(bool, remembers);
        QFETCH(int, folderLength);
        QFETCH(bool, inThisRun);
        QFETCH(bool, inTheNextRun);
        auto session = sessionWith(QByteArray());
        session->DocumentsFolder = m_dir.path();
        session->RemembersSaveFolder = remembers;
        QCOMPARE(stateFileFolder(*session), m_dir.path());

        QString folder = m_dir.path() + QLatin1Char('/');
        folder += QString(folderLength - folder.size(), QLatin1Char('f'));
        QVERIFY(QDir().mkpath(folder));
        rememberStateFile(*session, folder + QStringLiteral("/IL.txt"));
        QCOMPARE(session->WrittenFile, folder + QStringLiteral("/IL.txt"));
        QCOMPARE(stateFileFolder(*session), inThisRun ? folder : m_dir.path());

        ReadSettings(*session);
        QCOMPARE(stateFileFolder(*session), inTheNextRun ? folder : m_dir.path());
        // A remembered folder that has since gone is not offered.
        QVERIFY(QDir(folder).removeRecursively());
        QCOMPARE(stateFileFolder(*session), m_dir.path());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
