#include "app/startup.h"

#include "app/datafolder.h"
#include "app/mainwindowstate.h"
#include "app/period.h"
#include "app/session.h"
#include "app/settings.h"
#include "app/shippedfiles.h"
#include "common/dialogs.h"
#include "common/numerictext.h"
#include "forms/fillwagelisting.h"
#include "forms/openfilledpdf.h"
#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"
#include "store/wagestore.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cmath>

namespace wagetrove {
namespace {

/// How long a lock file without its owner's details stays someone's: far longer than writing one takes.
constexpr int kUnfinishedLockAgeMs = 200;

void showError(Dialogs& dialogs, const QString& text)
{
    dialogs.message(text, kApplicationTitle, MessageIcon::Critical);
}

/// The list position that LastState names; 0 for anything that is not a whole number from 0 to 12.
int lastStatePosition(const QString& lastState)
{
    const double value = numericValueOf(lastState);
    if (value != std::floor(value) || value < 0 || value > 12) {
        return 0;
    }
    return static_cast<int>(value);
}

struct StoreMaintenance
{
    std::optional<QString> fatal;   ///< the store cannot be used: the program ends
    std::optional<QString> warning; ///< the store is intact but something went wrong
};

StoreMaintenance maintainStore(Session& session, Dialogs& dialogs)
{
    const BusyScope busy(dialogs);
    const QString storePath = session.DataFolder + WageStore::kFileName;
    // A store that cannot be read is left alone for the user to rescue.
    std::optional<QString> problem;
    try {
        problem = WageStore::problemWithFile(storePath);
    } catch (const StoreError& error) {
        return {error.message(), std::nullopt};
    }
    if (problem) {
        return {QStringLiteral("The wage store %1 cannot be used: %2. Wagetrove has left the file untouched and will "
                               "now close. Move the file away to start with an empty store.")
                    .arg(QDir::toNativeSeparators(storePath), *problem),
                std::nullopt};
    }
    try {
        session.Store.open(storePath);
        // Debian's SQLite zeroes and journals every page a delete frees. The compaction that follows copies only
        // the rows left into a new file that replaces this one, so zeroing them first is wasted work.
        exec(session.Store.database(), QStringLiteral("PRAGMA secure_delete = OFF"));
        // The delete reads each page of those rows once: SQLite's default cache recycles its few pages, where the
        // store's large cache for sorting would take new memory, page fault by page fault, for every one of them.
        exec(session.Store.database(), QStringLiteral("PRAGMA cache_size = -2000"));
        session.Store.runStoredQueries({schema::kDeleteEmployer, schema::kDeleteEmployees});
        CloseWageStore(session);
    } catch (const StoreError& error) {
        CloseWageStore(session);
        return {error.message(), std::nullopt};
    }
    try {
        CompactWageStore(session.DataFolder);
    } catch (const StoreError& error) {
        // The store itself is intact; it is only larger than it needs to be.
        return {std::nullopt, error.message()};
    }
    return {};
}

} // namespace

StartupEnvironment StartupEnvironment::fromProcess()
{
    StartupEnvironment environment;
    environment.appFolder = shippedFilesFolder(QCoreApplication::applicationDirPath());
    const QString documents = qEnvironmentVariable("WAGETROVE_DOCUMENTS_DIR");
    environment.documentsFolder =
        documents.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) : documents;
    if (environment.documentsFolder.isEmpty()) {
        environment.documentsFolder = QDir::homePath();
    }
    const QDate today = QDate::fromString(qEnvironmentVariable("WAGETROVE_TODAY"), Qt::ISODate);
    environment.today = today.isValid() ? today : QDate::currentDate();
    return environment;
}

SingleInstanceGuard::SingleInstanceGuard(const QString& dataFolder)
    : m_folder(withTrailingSeparator(QDir::fromNativeSeparators(dataFolder))),
      m_lock(std::make_unique<QLockFile>(m_folder + QStringLiteral("wagetrove.lock")))
{
    m_lock->setStaleLockTime(0);
}

std::unique_ptr<SingleInstanceGuard> SingleInstanceGuard::forEnvironment(const StartupEnvironment& environment)
{
    return std::make_unique<SingleInstanceGuard>(
        environment.dataFolder.isEmpty() ? perUserDataFolder(environment.documentsFolder) : environment.dataFolder);
}

bool SingleInstanceGuard::tryAcquire()
{
    if (m_lock->isLocked()) {
        return true;
    }
    if (!makePrivateFolder(m_folder)) {
        return true;
    }
    if (m_lock->tryLock(0)) {
        return true;
    }
    if (m_lock->error() != QLockFile::LockFailedError) {
        return true;
    }
    // A lock file without its owner's details is one being written this moment, or one left by a copy killed
    // while it wrote it. Only the second is still there, with no process holding it, after a moment: it is taken
    // over then, while a lock some copy holds is never taken however old it is.
    qint64 pid = 0;
    QString host;
    QString application;
    if (m_lock->getLockInfo(&pid, &host, &application)) {
        return false;
    }
    m_lock->setStaleLockTime(kUnfinishedLockAgeMs);
    const bool acquired = m_lock->tryLock(2 * kUnfinishedLockAgeMs);
    m_lock->setStaleLockTime(0);
    return acquired || m_lock->error() != QLockFile::LockFailedError;
}

QString applicationVersion()
{
    return QStringLiteral("%1.%2").arg(WAGETROVE_VERSION_MAJOR).arg(WAGETROVE_VERSION_MINOR);
}

QString applicationCaption()
{
    return QStringLiteral("Wagetrove ") + applicationVersion();
}

StartupResult runStartup(Session& session, MainWindowState& window, Dialogs& dialogs,
                         const StartupEnvironment& environment, SingleInstanceGuard& guard)
{
    session.MergeFiles = false;
    session.UseSUIItem = true;
    session.SupportFile = false;
    session.QBMaxVersion = QStringLiteral("35");

    if (!guard.tryAcquire()) {
        return StartupResult::AlreadyRunning;
    }

    session.Today = environment.today;
    window.caption = applicationCaption();
    window.fromText.clear();
    window.toText.clear();

    session.AppFolder = withTrailingSeparator(QDir::fromNativeSeparators(environment.appFolder));
    session.DocumentsFolder = QDir::fromNativeSeparators(environment.documentsFolder);
    const DataFolderSetUp dataFolder = environment.dataFolder.isEmpty()
                                           ? SetUpDataFolder(environment.documentsFolder, session.AppFolder)
                                           : prepareDataFolder(environment.dataFolder, session.AppFolder);
    if (dataFolder.error) {
        showError(dialogs, *dataFolder.error);
        return StartupResult::Failed;
    }
    session.DataFolder = dataFolder.dataFolder;
    session.SettingsFile = session.DataFolder + QStringLiteral("suta.ini");
    session.DataFolderShort = session.DataFolder;

    // Pages of a wage listing that a killed run left behind; only one run uses a data folder at a time.
    RemoveFilledInPages(session.DataFolder, kFilledWageListingName);

    // Every session starts with empty Employer and Employee tables and a compacted store. A store that
    // cannot be read is left alone for the user to rescue.
    const StoreMaintenance maintenance = maintainStore(session, dialogs);
    if (maintenance.fatal) {
        showError(dialogs, *maintenance.fatal);
        return StartupResult::Failed;
    }
    if (maintenance.warning) {
        showError(dialogs, *maintenance.warning);
    }

    session.StartingUp = true;
    selectState(session, 0);
    clickQuarter(session, window, defaultQuarterButton(environment.today), environment.today);
    session.StartingUp = false;

    ReadSettings(session);
    if (session.StandAlone || session.StandAlonenoqb) {
        window.command1Caption = QStringLiteral("Load Wages");
    }
    selectState(session, lastStatePosition(session.LastState));
    session.AllowZeroHours = false;
    return StartupResult::Ready;
}

} // namespace wagetrove
