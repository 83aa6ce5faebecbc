#include "store/wagestore.h"

#include "app/session.h"
#include "store/schema.h"
#include "store/sqlutil.h"
#include "store/storeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <filesystem>
#include <system_error>

namespace wagetrove {
namespace {

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("wagestore-%1").arg(++counter);
}

/// True when the file starts with SQLite's header; the driver would otherwise accept any file and fail later.
bool hasSqliteHeader(const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return file.read(16) == QByteArrayLiteral("SQLite format 3\0");
}

QString inUseMessage(const QString& filePath)
{
    return QStringLiteral("The wage store %1 is in use by another program. Close it and try again.")
        .arg(QDir::toNativeSeparators(filePath));
}

std::filesystem::path fsPath(const QString& filePath)
{
    return std::filesystem::path(filePath.toStdU16String());
}

void removeIfPresent(const QString& filePath)
{
    std::error_code ignored;
    std::filesystem::remove(fsPath(filePath), ignored);
}

/// Opens a connection with the given options; the caller removes it by name.
QSqlDatabase connect(const QString& connectionName, const QString& filePath, const QString& options)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(filePath);
    db.setConnectOptions(options);
    if (!db.open()) {
        const QString error = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw StoreError(
            QStringLiteral("The wage store %1 could not be opened: %2").arg(QDir::toNativeSeparators(filePath), error));
    }
    return db;
}

void disconnect(QSqlDatabase& db, const QString& connectionName)
{
    if (db.isValid()) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
    }
}

} // namespace

WageStore::WageStore() : m_connectionName(nextConnectionName()) {}

WageStore::~WageStore()
{
    close();
}

void WageStore::open(const QString& filePath)
{
    close();
    const QString shown = QDir::toNativeSeparators(filePath);
    if (!QFileInfo::exists(filePath)) {
        throw StoreError(QStringLiteral("The wage store %1 is missing.").arg(shown));
    }
    if (!hasSqliteHeader(filePath)) {
        throw StoreError(
            QStringLiteral("The wage store %1 cannot be read: it is not a Wagetrove wage store.").arg(shown));
    }

    m_db = connect(m_connectionName, filePath, QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
    m_filePath = filePath;
    try {
        // Holding an exclusive lock from here to close keeps every other connection and program out.
        exec(m_db, QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        QSqlQuery lock(m_db);
        if (!lock.exec(QStringLiteral("BEGIN EXCLUSIVE")) || !lock.exec(QStringLiteral("COMMIT"))) {
            throw StoreError(inUseMessage(filePath));
        }
        // A quarter's rows and their name indexes fit in this cache, so that building the indexes and reading the
        // rows in name order sort in memory instead of spilling to temporary files.
        exec(m_db, QStringLiteral("PRAGMA cache_size = -65536"));
        schema::upgrade(m_db);
        if (const auto problem = schema::problemWith(m_db)) {
            throw StoreError(QStringLiteral("The wage store %1 cannot be read: %2.").arg(shown, *problem));
        }
    } catch (...) {
        close();
        throw;
    }
}

void WageStore::close()
{
    m_runChange.reset();
    disconnect(m_db, m_connectionName);
    m_filePath.clear();
}

void WageStore::beginRunChange()
{
    if (!m_runChange) {
        m_runChange = std::make_unique<Transaction>(m_db);
    }
}

void WageStore::commitRunChange()
{
    if (m_runChange) {
        m_runChange->commit();
        m_runChange.reset();
    }
}

bool WageStore::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

QSqlDatabase& WageStore::database()
{
    return m_db;
}

void WageStore::runStoredQuery(const QString& name)
{
    runStoredQueries({name});
}

void WageStore::runStoredQueries(std::initializer_list<QString> names)
{
    Transaction transaction(m_db);
    for (const QString& name : names) {
        const QString statement =
            scalar(m_db, QStringLiteral("SELECT [Statement] FROM [%1] WHERE [Name] = ?").arg(schema::kStoredQueryTable),
                   {name})
                .toString();
        if (statement.isEmpty()) {
            throw StoreError(QStringLiteral("The wage store has no stored query %1.").arg(name));
        }
        exec(m_db, statement);
    }
    transaction.commit();
}

void WageStore::createEmpty(const QString& filePath)
{
    if (QFileInfo::exists(filePath)) {
        throw StoreError(QStringLiteral("%1 exists already.").arg(QDir::toNativeSeparators(filePath)));
    }
    const QString connectionName = nextConnectionName();
    QSqlDatabase db = connect(connectionName, filePath, {});
    try {
        schema::create(db);
    } catch (...) {
        disconnect(db, connectionName);
        removeIfPresent(filePath);
        throw;
    }
    disconnect(db, connectionName);
}

std::optional<QString> WageStore::problemWithFile(const QString& filePath)
{
    if (!QFileInfo::exists(filePath)) {
        return QStringLiteral("the file is missing");
    }
    if (!hasSqliteHeader(filePath)) {
        return QStringLiteral("it is not a Wagetrove wage store");
    }
    const QString connectionName = nextConnectionName();
    std::optional<QString> problem;
    bool inUse = false;
    try {
        QSqlDatabase db =
            connect(connectionName, filePath, QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=1000"));
        // A lock another program holds, of any kind, is told apart from a file that is not a store: the user's
        // data must not be called damaged because it is open elsewhere.
        QSqlQuery probe(db);
        const QString code = probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))
                                 ? QString()
                                 : probe.lastError().nativeErrorCode();
        probe = QSqlQuery();
        inUse = code == QLatin1String("5") || code == QLatin1String("6");
        if (!inUse) {
            problem = schema::problemWith(db);
        }
        disconnect(db, connectionName);
    } catch (const StoreError& error) {
        problem = error.message();
    }
    if (inUse) {
        throw StoreError(inUseMessage(filePath));
    }
    return problem;
}

namespace {

void openAndEmpty(Session& session, bool asRunChange)
{
    session.Store.open(session.DataFolder + WageStore::kFileName);
    if (asRunChange) {
        session.Store.beginRunChange();
    }
    if (!session.MergeFiles) {
        try {
            session.Store.runStoredQueries({schema::kDeleteEmployer, schema::kDeleteEmployees});
        } catch (...) {
            session.Store.close();
            throw;
        }
    }
}

} // namespace

void OpenWageStore(Session& session)
{
    openAndEmpty(session, false);
}

void OpenWageStoreForRun(Session& session)
{
    openAndEmpty(session, true);
}

void CloseWageStore(Session& session)
{
    session.Store.close();
}

void CompactWageStore(const QString& dataFolder, const std::function<void(CompactionStep)>& afterStep)
{
    const QString storePath = dataFolder + WageStore::kFileName;
    const QString copyPath = dataFolder + WageStore::kCompactFileName;
    const auto reached = [&](CompactionStep step) {
        if (afterStep) {
            afterStep(step);
        }
    };

    // A copy killed while being written leaves its journal too; SQLite would roll it into the next copy.
    const QString copyJournalPath = copyPath + QStringLiteral("-journal");
    removeIfPresent(copyPath);
    removeIfPresent(copyJournalPath);
    if (QFileInfo::exists(copyPath) || QFileInfo::exists(copyJournalPath)) {
        throw StoreError(QStringLiteral("The old copy %1 could not be removed, so the wage store was not compacted.")
                             .arg(QDir::toNativeSeparators(copyPath)));
    }
    reached(CompactionStep::StaleCopyRemoved);

    // The copy is made empty with the store's permissions before anything is written into it, so that the
    // SSNs and wages it is to hold are never readable by more users than the store is.
    {
        QFile copy(copyPath);
        if (!copy.open(QIODevice::WriteOnly) || !copy.setPermissions(QFile::permissions(storePath))) {
            const QString error = copy.errorString();
            copy.close();
            removeIfPresent(copyPath);
            throw StoreError(QStringLiteral("The copy %1 could not be made, so the wage store was not compacted: %2")
                                 .arg(QDir::toNativeSeparators(copyPath), error));
        }
    }
    {
        WageStore store;
        store.open(storePath);
        QSqlQuery vacuum(store.database());
        if (!vacuum.exec(QStringLiteral("VACUUM INTO '%1'")
                             .arg(QString(copyPath).replace(QLatin1Char('\''), QStringLiteral("''"))))) {
            const QString error = lastErrorText(vacuum);
            vacuum = QSqlQuery();
            store.close();
            removeIfPresent(copyPath);
            throw StoreError(QStringLiteral("The wage store %1 could not be compacted: %2")
                                 .arg(QDir::toNativeSeparators(storePath), error));
        }
    }
    reached(CompactionStep::CopyWritten);

    std::optional<QString> problem;
    try {
        problem = WageStore::problemWithFile(copyPath);
    } catch (const StoreError&) {
        removeIfPresent(copyPath);
        throw;
    }
    if (problem) {
        removeIfPresent(copyPath);
        throw StoreError(
            QStringLiteral("The compacted copy of the wage store was unusable (%1); the store was kept as it was.")
                .arg(*problem));
    }

    std::error_code error;
    std::filesystem::rename(fsPath(copyPath), fsPath(storePath), error);
    if (error) {
        removeIfPresent(copyPath);
        throw StoreError(QStringLiteral("The compacted wage store could not replace %1: %2")
                             .arg(QDir::toNativeSeparators(storePath), QString::fromStdString(error.message())));
    }
}

} // namespace wagetrove
