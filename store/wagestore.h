#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

namespace wagetrove {

struct Session;
class Transaction;

/// The wage store: one SQLite file named Suta.mdb holding the tables Employee, Employer, Submitter and
/// StateIDTable and the named action queries. While open, the file is locked for this connection alone.
class WageStore
{
public:
    static inline const QString kFileName = QStringLiteral("Suta.mdb");
    static inline const QString kCompactFileName = QStringLiteral("Temp.mdb");

    WageStore();
    ~WageStore();
    WageStore(const WageStore&) = delete;
    WageStore& operator=(const WageStore&) = delete;

    /// Opens an existing store for this connection only, upgrading an older schema in place. Throws StoreError
    /// when the file is missing, locked by another program, or not a wage store; the file is never changed then.
    void open(const QString& filePath);
    /// Releases the file. Safe to call when closed.
    void close();
    bool isOpen() const;
    const QString& filePath() const { return m_filePath; }

    /// The open connection; only valid while open.
    QSqlDatabase& database();

    /// Begins the change that holds one Get Payroll Data run's rows and totals, so that a run stopped midway, by a
    /// failure or by the process being killed, leaves the store as it was before the run. close() rolls back a
    /// change not committed; beginning it again inside it changes nothing. Throws StoreError.
    void beginRunChange();
    void commitRunChange();

    /// Runs one of the store's named action queries in its own transaction; throws StoreError on failure.
    void runStoredQuery(const QString& name);
    /// Runs several named action queries in one transaction: all take effect or none does.
    void runStoredQueries(std::initializer_list<QString> names);

    /// Writes a new, empty store (schema, stored queries, one empty Submitter row). Throws StoreError when the
    /// file exists already or cannot be written; a failed attempt leaves no file behind.
    static void createEmpty(const QString& filePath);

    /// What makes the file unusable as a wage store ("the file is missing", "it is not a Wagetrove wage store",
    /// "the table Employee is missing", ...), or nothing when it can be opened. Never changes the file. Throws
    /// StoreError saying the store is in use when another program holds a lock on it, after a second's wait.
    static std::optional<QString> problemWithFile(const QString& filePath);

private:
    QString m_connectionName;
    QString m_filePath;
    QSqlDatabase m_db;
    std::unique_ptr<Transaction> m_runChange;
};

/// The steps of compaction, for callers that observe it (tests inject failures between the steps).
enum class CompactionStep
{
    StaleCopyRemoved,
    CopyWritten,
};

/// Opens `DataFolder` + "Suta.mdb" exclusively into the session's store and, unless MergeFiles is on, runs
/// DeleteEmployer and DeleteEmployees. Throws StoreError.
void OpenWageStore(Session& session);

/// OpenWageStore for a run that gathers a quarter: the emptying is the first step of the run's change
/// (beginRunChange), so that a run that stops or is cancelled leaves the store as it was. Throws StoreError.
void OpenWageStoreForRun(Session& session);

/// Releases the session's store.
void CloseWageStore(Session& session);

/// Rebuilds the closed store of `dataFolder` without ever risking it: a stale Temp.mdb is removed, the store is
/// written compacted into Temp.mdb, and Temp.mdb then replaces Suta.mdb in one atomic rename. When any step
/// fails Suta.mdb is left exactly as it was and StoreError is thrown. `afterStep` is called after each step
/// and may throw to simulate a failure there.
void CompactWageStore(const QString& dataFolder, const std::function<void(CompactionStep)>& afterStep = {});

} // namespace wagetrove
