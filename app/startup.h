#pragma once

#include <QDate>
#include <QLockFile>
#include <QString>

#include <memory>

namespace wagetrove {

class Dialogs;
struct MainWindowState;
struct Session;

/// Where start-up finds the program's templates and the user's documents, and what day it is. Tests and
/// scripts set these instead of touching a real home folder.
struct StartupEnvironment
{
    QString appFolder;       ///< the folder holding Suta.mdb and the other files that ship with the program
    QString documentsFolder; ///< the user's documents folder
    QString dataFolder;      ///< when set, the data folder itself instead of the one under the documents folder
    QDate today;

    /// The running program's shipped files (shippedFilesFolder), the user's documents folder and the clock, unless
    /// the environment variables WAGETROVE_DOCUMENTS_DIR and WAGETROVE_TODAY (YYYY-MM-DD) override the last two.
    static StartupEnvironment fromProcess();
};

/// Keeps a second copy of the program from running on the same data folder, with a lock file inside it.
class SingleInstanceGuard
{
public:
    explicit SingleInstanceGuard(const QString& dataFolder);
    /// The guard of the data folder a run over `environment` uses.
    static std::unique_ptr<SingleInstanceGuard> forEnvironment(const StartupEnvironment& environment);
    /// True when this process now holds the lock; false when another copy runs. The data folder is made
    /// (private to its user) when missing. A folder that cannot be made or locked for another reason is left to
    /// the start-up, which says what is wrong with it.
    bool tryAcquire();

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
};

enum class StartupResult
{
    Ready,          ///< the main window may show
    AlreadyRunning, ///< another copy runs: end silently
    Failed,         ///< the user was told why; end
};

/// The release's major and minor version, e.g. "1.0".
QString applicationVersion();

/// "Wagetrove" and the release's version, e.g. "Wagetrove 1.0".
QString applicationCaption();

/// Everything before the user's first click: the data folder and its templates, the store's maintenance, the
/// state list, the default quarter and the settings. Reports failures through `dialogs`.
StartupResult runStartup(Session& session, MainWindowState& window, Dialogs& dialogs,
                         const StartupEnvironment& environment, SingleInstanceGuard& guard);

} // namespace wagetrove
