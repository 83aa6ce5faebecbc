#include "app/shippedfiles.h"

#include "store/wagestore.h"

#include <QDir>
#include <QFileInfo>

namespace wagetrove {

QString shippedFilesFolder(const QString& programFolder)
{
    // Relative to the program, so that the installation works under whatever prefix or root it is unpacked to.
    const QString installed =
        QDir::cleanPath(programFolder + QLatin1Char('/') + QStringLiteral(WAGETROVE_SHIPPED_FILES_FROM_PROGRAM));
    // A folder left without the store template (a half-removed installation) is not taken for one.
    if (QFileInfo(installed + QLatin1Char('/') + WageStore::kFileName).isFile()) {
        return installed;
    }
    return QDir::cleanPath(programFolder);
}

} // namespace wagetrove
