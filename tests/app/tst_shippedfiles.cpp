#include "app/shippedfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace wagetrove;
using namespace Qt::StringLiterals;

class TestShippedFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void foundFromTheProgramsFolder_data()
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
    void foundFromTheProgramsFolder()
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

QTEST_GUILESS_MAIN(TestShippedFiles)
#include "tst_shippedfiles.moc"
