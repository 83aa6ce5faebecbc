#include "common/readahead.h"

#include <cstring>

namespace wagetrove {

ReadAhead::ReadAhead(Read read, size_t sliceSize, int slices)
    : m_read(std::move(read)), m_sliceSize(sliceSize), m_slices(size_t(slices), std::vector<char>(sliceSize)),
      m_lengths(size_t(slices), 0), m_thread([this] { run(); })
{}

ReadAhead::~ReadAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ReadAhead::run()
{
    for (;;) {
        size_t slot = 0;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_stopping || m_filled < m_slices.size(); });
            if (m_stopping) {
                return;
            }
            slot = (m_first + m_filled) % m_slices.size();
        }
        // The slot is neither taken nor counted as filled: the other thread does not touch it meanwhile.
        const qint64 length = m_read(m_slices[slot].data(), m_sliceSize);
        {
            const std::lock_guard lock(m_mutex);
            m_lengths[slot] = length;
            ++m_filled;
        }
        m_changed.notify_all();
        if (length <= 0) {
            return;
        }
    }
}

qint64 ReadAhead::next(char* into)
{
    std::unique_lock lock(m_mutex);
    if (m_ended) {
        return m_last;
    }
    m_changed.wait(lock, [this] { return m_filled > 0; });
    const size_t slot = m_first;
    const qint64 length = m_lengths[slot];
    lock.unlock();
    if (length > 0) {
        std::memcpy(into, m_slices[slot].data(), size_t(length));
    }
    lock.lock();
    m_first = (m_first + 1) % m_slices.size();
    --m_filled;
    if (length <= 0) {
        m_ended = true;
        m_last = length;
    }
    lock.unlock();
    m_changed.notify_all();
    return length;
}

} // namespace wagetrove
