// Writes the Massachusetts PFML workbook for a 10,000-employee quarter from a filled wage store, reporting the
// time taken. Run: ./build.sh bench
#include "app/datafolder.h"
#include "app/session.h"
#include "bench/quietdialogs.h"
#include "store/wagestore.h"
#include "tests/support/testenvironment.h"
#include "writers/createmapfmlfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

using namespace wagetrove;

namespace {

bool fillStore(WageStore& store, int employees)
{
    QSqlDatabase database = store.database();
    if (!database.transaction()) {
        return false;
    }
    QSqlQuery insert(database);
    insert.prepare(QStringLiteral("INSERT INTO Employee (SS, LastName, FirstName, GrossWages, TaxableWages) "
                                  "VALUES (?, ?, ?, ?, ?)"));
    for (int i = 0; i < employees; ++i) {
        const qlonglong wages = 10000000 + (qlonglong(i) * 7919) % 250000000;
        insert.addBindValue(QString::number(100000000 + i));
        insert.addBindValue(QStringLiteral("last%1").arg((i * 7) % employees));
        insert.addBindValue(QStringLiteral("first%1").arg(i));
        insert.addBindValue(wages);
        insert.addBindValue(wages);
        if (!insert.exec()) {
            return false;
        }
    }
    return database.commit();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int kEmployees = argc == 2 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;

    QTemporaryDir folder;
    Session session;
    session.DataFolder = folder.path() + QLatin1Char('/');
    session.Form3.Text6 = QStringLiteral("100");
    session.Form3.Text7 = QStringLiteral("100");
    if (!QFile::copy(test::programFolder() + QLatin1Char('/') + kPfmlTemplateName,
                     session.DataFolder + kPfmlTemplateName)) {
        out << "could not copy the PFML template\n";
        return 1;
    }
    try {
        WageStore::createEmpty(session.DataFolder + WageStore::kFileName);
        WageStore store;
        store.open(session.DataFolder + WageStore::kFileName);
        if (!fillStore(store, kEmployees)) {
            out << "could not fill the wage store\n";
            return 1;
        }
    } catch (const std::exception& error) {
        out << "could not prepare the wage store: " << error.what() << '\n';
        return 1;
    }

    bench::QuietDialogs dialogs;
    const QString target = folder.filePath(QStringLiteral("PFML-1234567.xlsx"));
    QElapsedTimer timer;
    timer.start();
    const bool written = CreateMAPFMLFile(session, dialogs, target);
    const qint64 ms = timer.elapsed();
    if (!written) {
        out << "PFML workbook failed: " << dialogs.lastMessage << '\n';
        return 1;
    }
    out << "PFML workbook of " << kEmployees << " employees: " << ms << " ms (target 1000 ms), "
        << QFileInfo(target).size() << " bytes\n";
    return ms < 1000 ? 0 : 3;
}
