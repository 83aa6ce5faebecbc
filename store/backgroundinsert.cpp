#include "store/backgroundinsert.h"

#include <cstring>

namespace wagetrove {
namespace {

// A batch is a run of values, each a kind byte, a position byte and its bytes; a row ends with kRowEnd and its tag.
enum Kind : char
{
    kText,
    kNumber,
    kRowEnd,
};

/// Rows are handed over once a batch holds this many bytes.
constexpr size_t kBatchBytes = 64 * 1024;

template <typename T>
void put(std::string& batch, const T& value)
{
    const size_t at = batch.size();
    batch.resize(at + sizeof(T));
    std::memcpy(batch.data() + at, &value, sizeof(T));
}

template <typename T>
T take(const char*& p)
{
    T value;
    std::memcpy(&value, p, sizeof(T));
    p += sizeof(T);
    return value;
}

} // namespace

BackgroundInsert::BackgroundInsert(QSqlDatabase& db, const QString& statement)
    : m_insert(db, statement), m_thread([this] { run(); })
{
    m_filling.reserve(2 * kBatchBytes);
    m_storing.reserve(2 * kBatchBytes);
}

BackgroundInsert::~BackgroundInsert()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void BackgroundInsert::bind(int position, const QString& text)
{
    m_filling.push_back(kText);
    m_filling.push_back(char(position));
    const size_t lengthAt = m_filling.size();
    put(m_filling, quint32(0));
    appendUtf8(m_filling, text);
    const auto length = quint32(m_filling.size() - lengthAt - sizeof(quint32));
    std::memcpy(m_filling.data() + lengthAt, &length, sizeof length);
}

void BackgroundInsert::bind(int position, qint64 number)
{
    m_filling.push_back(kNumber);
    m_filling.push_back(char(position));
    put(m_filling, number);
}

void BackgroundInsert::add(qint64 tag)
{
    m_filling.push_back(kRowEnd);
    put(m_filling, tag);
    if (m_filling.size() >= kBatchBytes) {
        handOver();
    }
}

void BackgroundInsert::handOver()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_batchWaiting; });
    // The buffers trade places: each keeps its memory, and the thread's is emptied for the next rows.
    m_filling.swap(m_storing);
    m_filling.clear();
    m_batchWaiting = true;
    lock.unlock();
    m_changed.notify_all();
}

std::optional<BackgroundInsert::Failure> BackgroundInsert::finish()
{
    if (!m_filling.empty()) {
        handOver();
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_batchWaiting; });
    return m_failure;
}

void BackgroundInsert::run()
{
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopping || m_batchWaiting; });
        if (m_stopping) {
            return;
        }
        // The caller fills the other buffer meanwhile and waits for this one before it touches it.
        lock.unlock();
        if (!m_failed.load(std::memory_order_relaxed)) {
            store(m_storing);
        }
        lock.lock();
        m_batchWaiting = false;
        lock.unlock();
        m_changed.notify_all();
    }
}

void BackgroundInsert::store(const std::string& batch)
{
    const char* p = batch.data();
    const char* const end = p + batch.size();
    while (p < end) {
        const char kind = *p++;
        if (kind == kRowEnd) {
            const auto tag = take<qint64>(p);
            if (!m_insert.run()) {
                m_failure = Failure{tag, m_insert.errorText()};
                m_failed.store(true, std::memory_order_relaxed);
                return;
            }
            continue;
        }
        const int position = static_cast<unsigned char>(*p++);
        if (kind == kNumber) {
            m_insert.bind(position, take<qint64>(p));
        } else {
            const auto length = take<quint32>(p);
            m_insert.bindUtf8(position, p, length);
            p += length;
        }
    }
}

} // namespace wagetrove
