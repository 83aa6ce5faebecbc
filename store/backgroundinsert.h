#pragma once

#include "store/bulkinsert.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace wagetrove {

/// A BulkInsert run on a thread of its own, so that reading the next rows overlaps with storing the last. The
/// values of each row are copied as bytes into a batch, and whole batches pass to the thread; the two batches
/// are reused, so that no memory passes from one thread to the other. Nothing else may use the connection until
/// finish() has returned.
class BackgroundInsert
{
public:
    /// A row the store refused: its tag, and SQLite's reason.
    struct Failure
    {
        qint64 tag = 0;
        QString reason;
    };

    BackgroundInsert(QSqlDatabase& db, const QString& statement);
    /// Drops the rows not yet stored and waits for the thread.
    ~BackgroundInsert();
    BackgroundInsert(const BackgroundInsert&) = delete;
    BackgroundInsert& operator=(const BackgroundInsert&) = delete;

    bool valid() const { return m_insert.valid(); }
    QString errorText() const { return m_insert.errorText(); }

    void bind(int position, const QString& text);
    void bind(int position, qint64 number);
    /// Ends the row bound so far; `tag` names it if the store refuses it.
    void add(qint64 tag);
    /// Whether a row was refused already; the rows after it are not stored.
    bool failed() const { return m_failed.load(std::memory_order_relaxed); }
    /// Waits until every row added is stored, and returns the first one refused, or nothing.
    std::optional<Failure> finish();

private:
    void handOver();
    void run();
    void store(const std::string& batch);

    BulkInsert m_insert;
    std::string m_filling; ///< the rows being bound, on the caller's thread
    std::string m_storing; ///< the rows being stored, on the thread
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_batchWaiting = false; ///< m_storing holds rows not yet stored
    bool m_stopping = false;
    std::atomic<bool> m_failed = false;
    std::optional<Failure> m_failure;
    std::thread m_thread; ///< last, so that it starts once everything it uses is there
};

} // namespace wagetrove
