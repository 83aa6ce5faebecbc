// Writes an empty wage store to the path given on the command line, replacing any file there.
#include "store/storeerror.h"
#include "store/wagestore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: make-empty-store PATH\n";
        return 2;
    }
    const QString path = args.at(1);
    QFile::remove(path);
    try {
        wagetrove::WageStore::createEmpty(path);
    } catch (const wagetrove::StoreError& error) {
        QTextStream(stderr) << error.message() << '\n';
        return 1;
    }
    return 0;
}
