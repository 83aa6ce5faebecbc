#include "app/datafolder.h"

#include "store/wagestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wagetrove {
namespace {

/// Copies a template from the program's folder, replacing a copy in the data folder when `replace` is set.
std::optional<QString> copyTemplate(const QString& name, const QString& appFolder, const QString& dataFolder,
                                    bool replace)
{
    const QString source = appFolder + name;
    const QString target = dataFolder + name;
    if (!QFileInfo::exists(source)) {
        return QStringLiteral("The file %1 that comes with Wagetrove is missing. Please reinstall Wagetrove.")
            .arg(QDir::toNativeSeparators(source));
    }
    if (replace && QFileInfo::exists(target) && !QFile::remove(target)) {
        return QStringLiteral(
                   "The file %1 could not be replaced. Close any program that uses it and start Wagetrove again.")
            .arg(QDir::toNativeSeparators(target));
    }
    if (!QFile::copy(source, target)) {
        return QStringLiteral("The file %1 could not be copied to %2.")
            .arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(dataFolder));
    }
    // Templates may be installed read-only; the user's copies must be writable.
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    return std::nullopt;
}

} // namespace

QString withTrailingSeparator(const QString& folder)
{
    const QString trimmed = folder.trimmed();
    return trimmed.endsWith(QLatin1Char('/')) ? trimmed : trimmed + QLatin1Char('/');
}

QString perUserDataFolder(const QString& documentsFolder)
{
    return withTrailingSeparator(QDir::fromNativeSeparators(documentsFolder)) + kMakerFolderName + QLatin1Char('/') +
           kProductFolderName + QLatin1Char('/');
}

bool makePrivateFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir()) {
        return true;
    }
    if (!QDir().mkpath(folder)) {
        return false;
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}

DataFolderSetUp SetUpDataFolder(const QString& documentsFolder, const QString& appFolder)
{
    return prepareDataFolder(perUserDataFolder(documentsFolder), appFolder);
}

DataFolderSetUp prepareDataFolder(const QString& folder, const QString& appFolder)
{
    DataFolderSetUp result;
    result.dataFolder = withTrailingSeparator(QDir::fromNativeSeparators(folder));

    const bool folderIsNew = !QFileInfo(result.dataFolder).isDir();
    if (folderIsNew && !makePrivateFolder(result.dataFolder)) {
        result.error = QStringLiteral("The folder %1 could not be created.").arg(QDir::toNativeSeparators(folder));
        return result;
    }
    if (folderIsNew || !QFileInfo::exists(result.dataFolder + WageStore::kFileName)) {
        if ((result.error = copyTemplate(WageStore::kFileName, appFolder, result.dataFolder, false))) {
            return result;
        }
        // The store is to hold SSNs and wages: its user alone reads it.
        QFile::setPermissions(result.dataFolder + WageStore::kFileName,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    for (const QString& name : {kPfmlTemplateName, kSampleWagesName}) {
        if ((result.error = copyTemplate(name, appFolder, result.dataFolder, true))) {
            return result;
        }
    }
    return result;
}

} // namespace wagetrove
