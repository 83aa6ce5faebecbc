#include "app/savefolder.h"
#include "app/session.h"
#include "app/settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;

namespace {

QString amount(Currency value)
{
    return QString::number(double(value.raw()) / Currency::kScale);
}

/// What a session took from its settings, as the rows below write it.
QString taken(const Session& s)
{
    const auto flag = [](bool on) { return on ? QStringLiteral("Y") : QStringLiteral("N"); };
    return flag(s.Message) + flag(s.TWCMessage) + flag(s.UseEmployer) + flag(s.StandAlone) + flag(s.StandAlonenoqb) +
           QStringLiteral(" limit=") + amount(s.WageLimit) + QStringLiteral(" last=") + s.LastState +
           QStringLiteral(" remit=") + s.RemitID + QStringLiteral(" soc=") + s.QBFieldNameSoc +
           QStringLiteral(" wait=") + QString::number(s.QBWCWaitSeconds) + QStringLiteral(" ids=") + s.StateID +
           QLatin1Char('/') + s.FedID + QStringLiteral(" rate=") + amount(s.Rate) + QLatin1Char('/') +
           amount(s.ModifiedRate) + QStringLiteral(" site=") + webSiteAddress(s);
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::unique_ptr<Session> sessionWith(const QByteArray& ini)
    {
        static int counter = 0;
        auto session = std::make_unique<Session>();
        session->SettingsFile = m_dir.filePath(QStringLiteral("suta%1.ini").arg(++counter));
        QFile file(session->SettingsFile);
        if (!ini.isNull() && file.open(QIODevice::WriteOnly)) {
            file.write(ini);
            file.close();
        }
        ReadSettings(*session);
        return session;
    }

private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("session");
        const QString site = QStringLiteral(" site=https://www.tarrowsoftware.com/wagetrove");
        const QString defaults =
            QStringLiteral("YYNNN limit=0 last=0 remit=999996 soc= wait=600 ids=/ rate=0/0") + site;
        QTest::newRow("no file") << QByteArray() << defaults;
        QTest::newRow("every value empty")
            << QByteArray("[Options]\nMessage=\nTWCMessage=\nRemitID=\nLastState=\nWageLimit=\nWebSite=\nQBWCWait=\n")
            << defaults;
        QTest::newRow("every value written")
            << QByteArray("[Options]\r\nMessage=N\r\nTWCMessage=N\r\nWageLimit=7,000.00\r\nLastState=11\r\n"
                          "UseEmployer=Y\r\nStandAlonenoqb=Y\r\nRemitID=123456\r\nQBFieldNameSoc=SOC Code\r\n"
                          "QBWCWait= 45 \r\nWebSite=https://example.org/help\r\n")
            << QStringLiteral("NNYNY limit=7000 last=11 remit=123456 soc=SOC Code wait=45 ids=/ rate=0/0 "
                              "site=https://example.org/help");
        // The wage limit reads as the Submitter window takes it; the wait is whole positive seconds.
        QTest::newRow("wage limit in words, wait of one second")
            << QByteArray("[Options]\nWageLimit=seven thousand\nQBWCWait=1\n")
            << QStringLiteral("YYNNN limit=0 last=0 remit=999996 soc= wait=1 ids=/ rate=0/0") + site;
        QTest::newRow("wage limit with an exponent, wait of zero")
            << QByteArray("[Options]\nWageLimit=1e3\nQBWCWait=0\n")
            << QStringLiteral("YYNNN limit=1000 last=0 remit=999996 soc= wait=600 ids=/ rate=0/0") + site;
        QTest::newRow("negative wait") << QByteArray("[Options]\nQBWCWait=-5\n") << defaults;
        QTest::newRow("wait in words") << QByteArray("[Options]\nQBWCWait=ten\n") << defaults;
        QTest::newRow("value cut to 127 characters")
            << QByteArray("[Options]\nRemitID=" + QByteArray(130, '9') + "\n")
            << QStringLiteral("YYNNN limit=0 last=0 remit=%1 soc= wait=600 ids=/ rate=0/0").arg(QString(127, u'9')) +
                   site;
        // The company's own keys count only in the standalone mode; Kentucky's rate leaves out the fund share.
        const QByteArray keys = "StateID=12-34567\nFedID=12-3456789\nRate=2.7\n";
        QTest::newRow("company keys, QuickBooks mode") << "[Options]\nStandAlone=N\n" + keys << defaults;
        QTest::newRow("company keys, standalone")
            << "[Options]\nStandAlone=Y\n" + keys
            << QStringLiteral(
                   "YYNYN limit=0 last=0 remit=999996 soc= wait=600 ids=12-34567/12-3456789 rate=2.7/2.625") +
                   site;
    }

    void read()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, session);
        QCOMPARE(taken(*sessionWith(ini)), session);
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
