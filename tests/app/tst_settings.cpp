#include "app/savefolder.h"
#include "app/session.h"
#include "app/settings.h"
#include "app/shippedfiles.h"
#include "tests/support/filebytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

namespace {

QString amount(Currency value)
{
    return QString::number(double(value.raw()) / Currency::kScale);
}

/// What a session took from its settings, as the rows below write it.
QString taken(const Session& s)
{
    const auto flag = [](bool on) { return on ? u"Y"_s : u"N"_s; };
    return flag(s.Message) + flag(s.TWCMessage) + flag(s.UseEmployer) + flag(s.StandAlone) + flag(s.StandAlonenoqb) +
           u" limit=%1 last=%2 remit=%3 soc=%4 wait=%5 ids=%6/%7 rate=%8/%9 site="_s.arg(amount(s.WageLimit))
               .arg(s.LastState, s.RemitID, s.QBFieldNameSoc)
               .arg(s.QBWCWaitSeconds)
               .arg(s.StateID, s.FedID, amount(s.Rate), amount(s.ModifiedRate)) +
           webSiteAddress(s);
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
        session->SettingsFile = m_dir.filePath(u"suta%1.ini"_s.arg(++counter));
        if (!ini.isNull() && !test::writeBytes(session->SettingsFile, ini)) {
            qFatal("%s could not be written", qPrintable(session->SettingsFile));
        }
        ReadSettings(*session);
        return session;
    }

private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("session");
        const QString site = u" site=https://www.tarrowsoftware.com/wagetrove"_s;
        const QString defaults = u"YYNNN limit=0 last=0 remit=999996 soc= wait=600 ids=/ rate=0/0"_s + site;
        QTest::newRow("no file") << QByteArray() << defaults;
        QTest::newRow("every value empty")
            << QByteArray("[Options]\nMessage=\nTWCMessage=\nRemitID=\nLastState=\nWageLimit=\nWebSite=\nQBWCWait=\n")
            << defaults;
        QTest::newRow("every value written")
            << QByteArray("[Options]\r\nMessage=N\r\nTWCMessage=N\r\nWageLimit=7,000.00\r\nLastState=11\r\n"
                          "UseEmployer=Y\r\nStandAlonenoqb=Y\r\nRemitID=123456\r\nQBFieldNameSoc=SOC Code\r\n"
                          "QBWCWait= 45 \r\nWebSite=https://example.org/help\r\n")
            << u"NNYNY limit=7000 last=11 remit=123456 soc=SOC Code wait=45 ids=/ rate=0/0 "
               "site=https://example.org/help"_s;
        // The wage limit reads as the Submitter window takes it; the wait is whole positive seconds.
        QTest::newRow("wage limit in words, wait of one second")
            << QByteArray("[Options]\nWageLimit=seven thousand\nQBWCWait=1\n")
            << u"YYNNN limit=0 last=0 remit=999996 soc= wait=1 ids=/ rate=0/0"_s + site;
        QTest::newRow("wage limit with an exponent, wait of zero")
            << QByteArray("[Options]\nWageLimit=1e3\nQBWCWait=0\n")
            << u"YYNNN limit=1000 last=0 remit=999996 soc= wait=600 ids=/ rate=0/0"_s + site;
        QTest::newRow("wait in words") << QByteArray("[Options]\nQBWCWait=ten\n") << defaults;
        QTest::newRow("value cut to 127 characters")
            << QByteArray("[Options]\nRemitID=" + QByteArray(130, '9') + "\n")
            << u"YYNNN limit=0 last=0 remit=%1 soc= wait=600 ids=/ rate=0/0"_s.arg(QString(127, u'9')) + site;
        // The company's own keys count only in the standalone mode; Kentucky's rate leaves out the fund share.
        const QByteArray keys = "StateID=12-34567\nFedID=12-3456789\nRate=2.7\n";
        QTest::newRow("company keys, QuickBooks mode") << "[Options]\nStandAlone=N\n" + keys << defaults;
        QTest::newRow("company keys, standalone")
            << "[Options]\nStandAlone=Y\n" + keys
            << u"YYNYN limit=0 last=0 remit=999996 soc= wait=600 ids=12-34567/12-3456789 rate=2.7/2.625"_s + site;
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
        QTest::addColumn<QString>(
            "offered"); // where the dialog opens in this run and the next: f the folder, d the documents
        QTest::newRow("desktop") << true << 40 << u"f f"_s;
        QTest::newRow("longest kept") << true << 127 << u"f f"_s;
        QTest::newRow("too long for the settings") << true << 128 << u"f d"_s;
        QTest::newRow("command line") << false << 40 << u"d d"_s;
    }
    void saveFolder_isRememberedAcrossRuns()
    {
        QFETCH(bool, remembers);
        QFETCH(int, folderLength);
        QFETCH(QString, offered);
        auto session = sessionWith(QByteArray());
        session->DocumentsFolder = m_dir.path();
        session->RemembersSaveFolder = remembers;
        QCOMPARE(stateFileFolder(*session), m_dir.path());
        QString folder = m_dir.path() + u'/';
        folder += QString(folderLength - folder.size(), u'f');
        QVERIFY(QDir().mkpath(folder));
        const auto shown = [&] {
            const QString at = stateFileFolder(*session);
            return at == folder ? u"f"_s : at == m_dir.path() ? u"d"_s : at;
        };
        rememberStateFile(*session, folder + u"/IL.txt"_s);
        QCOMPARE(session->WrittenFile, folder + u"/IL.txt"_s);
        QString seen = shown();
        ReadSettings(*session);
        QCOMPARE(seen + u' ' + shown(), offered);
        // A remembered folder that has since gone is not offered.
        QVERIFY(QDir(folder).removeRecursively());
        QCOMPARE(stateFileFolder(*session), m_dir.path());
    }

    // The shipped templates are found next to the program in a build tree, or in share/wagetrove installed.
    void shippedFiles_foundFromTheProgramsFolder_data()
    {
        QTest::addColumn<QString>("files"); // the files there, the program's folder, and the folder expected
        QTest::newRow("installed") << u"usr/bin/wagetrove usr/share/wagetrove/Suta.mdb|usr/bin|usr/share/wagetrove"_s;
        QTest::newRow("installed, folder given with a separator")
            << u"opt/x/bin/wagetrove opt/x/share/wagetrove/Suta.mdb|opt/x/bin/|opt/x/share/wagetrove"_s;
        QTest::newRow("build tree") << u"build/bin/wagetrove build/bin/Suta.mdb|build/bin|build/bin"_s;
        QTest::newRow("share folder without the store template")
            << u"usr/bin/Suta.mdb usr/share/wagetrove/PFML.xlsx|usr/bin|usr/bin"_s;
        QTest::newRow("store template's name is a folder")
            << u"usr/bin/Suta.mdb usr/share/wagetrove/Suta.mdb/x|usr/bin|usr/bin"_s;
    }
    void shippedFiles_foundFromTheProgramsFolder()
    {
        QFETCH(QString, files);
        const QStringList parts = files.split(u'|');
        QTemporaryDir root;
        for (const QString& file : parts[0].split(u' ')) {
            const QString path = root.filePath(file);
            QFile created(path);
            QVERIFY(QDir().mkpath(QFileInfo(path).path()) && created.open(QIODevice::WriteOnly));
        }
        QCOMPARE(shippedFilesFolder(root.filePath(parts[1])), root.filePath(parts[2]));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
