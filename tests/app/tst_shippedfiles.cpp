#include "app/shippedfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;

class TestShippedFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foundFromTheProgramsFolder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("installed") << QStringList{QStringLiteral("usr/bin/wagetrove"),
                                                  QStringLiteral("usr/share/wagetrove/Suta.mdb")}
                                   << QStringLiteral("usr/bin") << QStringLiteral("usr/share/wagetrove");
        QTest::newRow("installed, folder given with a separator")
            << QStringList{QStringLiteral("opt/x/bin/wagetrove"), QStringLiteral("opt/x/share/wagetrove/Suta.mdb")}
            << QStringLiteral("opt/x/bin/") << QStringLiteral("opt/x/share/wagetrove");
        QTest::newRow("build tree") << QStringList{QStringLiteral("build/bin/wagetrove"),
                                                   QStringLiteral("build/bin/Suta.mdb")}
                                    << QStringLiteral("build/bin") << QStringLiteral("build/bin");
        QTest::newRow("share folder without the store template")
            << QStringList{QStringLiteral("usr/bin/Suta.mdb"), QStringLiteral("usr/share/wagetrove/PFML.xlsx")}
            << QStringLiteral("usr/bin") << QStringLiteral("usr/bin");
        QTest::newRow("store template's name is a folder")
            << QStringList{QStringLiteral("usr/bin/Suta.mdb"), QStringLiteral("usr/share/wagetrove/Suta.mdb/x")}
            << QStringLiteral("usr/bin") << QStringLiteral("usr/bin");
    }

    void foundFromTheProgramsFolder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, programFolder);
        QFETCH(QString, expected);
        QTemporaryDir root;
        for (const QString& file : files) {
            const QString path = root.filePath(file);
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QFile created(path);
            QVERIFY(created.open(QIODevice::WriteOnly));
        }
        QCOMPARE(shippedFilesFolder(root.filePath(programFolder)), root.filePath(expected));
    }
};

QTEST_GUILESS_MAIN(TestShippedFiles)
#include "tst_shippedfiles.moc"
