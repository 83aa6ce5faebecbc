#include "tests/support/testenvironment.h"

#include <QFile>

namespace wagetrove::test {

QString programFolder()
{
    return QStringLiteral(WAGETROVE_PROGRAM_DIR);
}

bool copyEmptyStore(const QString& path)
{
    QFile::remove(path);
    return QFile::copy(programFolder() + QStringLiteral("/Suta.mdb"), path);
}

} // namespace wagetrove::test
