#pragma once

#include <QString>

#include <optional>

namespace wagetrove {

inline const QString kMakerFolderName = QStringLiteral("Tarrow Software");
inline const QString kProductFolderName = QStringLiteral("Wagetrove");
inline const QString kPfmlTemplateName = QStringLiteral("PFML.xlsx");
inline const QString kSampleWagesName = QStringLiteral("12-3456789-Sample-Wages.xlsx");

struct DataFolderSetUp
{
    QString dataFolder;           ///< ends with a separator
    std::optional<QString> error; ///< what could not be created or copied, for the user
};

/// Makes sure the per-user data folder `documentsFolder`/Tarrow Software/Wagetrove exists and holds the
/// templates of `appFolder`: the wage store is copied only into a new folder or when it is missing (the user's
/// own store is never replaced); the two workbook templates are replaced every time.
DataFolderSetUp SetUpDataFolder(const QString& documentsFolder, const QString& appFolder);

/// The per-user data folder under `documentsFolder`, with a trailing separator.
QString perUserDataFolder(const QString& documentsFolder);

/// Creates `folder` and its parents when missing, the folder itself readable by its user alone (it holds SSNs
/// and wages). Returns false when it could not be created.
bool makePrivateFolder(const QString& folder);

/// The same set-up for a data folder given as it is (the command line's --data-folder).
DataFolderSetUp prepareDataFolder(const QString& folder, const QString& appFolder);

/// The folder with a trailing separator.
QString withTrailingSeparator(const QString& folder);

} // namespace wagetrove
