#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace wagetrove {

/// Runs a reading function on a thread of its own, a few slices ahead of the one who takes the bytes, so that
/// work such as unpacking overlaps with what is done with them. The slices are kept and reused: no memory passes
/// from one thread to the other.
class ReadAhead
{
public:
    /// Reads at most `capacity` bytes into `into`: their number, 0 at the end, or below 0 when reading fails.
    using Read = std::function<qint64(char* into, size_t capacity)>;

    ReadAhead(Read read, size_t sliceSize, int slices = 3);
    /// Stops the reading and waits for the thread, whether or not everything was taken.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    /// Copies the next slice into `into`, which has room for sliceSize bytes, and returns what Read returned for
    /// it. Once a slice returned 0 or less, every further call returns the same.
    qint64 next(char* into);

private:
    void run();

    Read m_read;
    size_t m_sliceSize;
    std::vector<std::vector<char>> m_slices;
    std::vector<qint64> m_lengths;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    size_t m_first = 0;  ///< the slice taken next
    size_t m_filled = 0; ///< slices read and not yet taken
    bool m_ended = false;
    qint64 m_last = 0; ///< what Read returned when it ended
    bool m_stopping = false;
    std::thread m_thread; ///< last, so that it starts once everything it uses is there
};

} // namespace wagetrove
