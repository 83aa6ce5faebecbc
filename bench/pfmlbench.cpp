// Writes the Massachusetts PFML workbook for a 10,000-employee quarter from a filled wage store, reporting the
// time taken. Run: ./build.sh bench
#include "app/datafolder.h"
#include "app/session.h"
#include "bench/benchstore.h"
#include "bench/quietdialogs.h"
#include "tests/support/testenvironment.h"
#include "writers/createmapfmlfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

using namespace wagetrove;

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
    if (!bench::prepareStore(session, kEmployees, out)) {
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
