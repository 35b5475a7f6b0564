#include "RequestLog.h"

namespace km4x {

void RequestLog::add(RequestRecord record)
{
    {
        std::lock_guard lock(m_mutex);
        m_records.push_back(std::move(record));
        while (m_records.size() > m_capacity)
            m_records.pop_front();
        ++m_count;
    }
    m_changed.notify_all();
}

std::vector<RequestRecord> RequestLog::records() const
{
    std::lock_guard lock(m_mutex);
    return {m_records.begin(), m_records.end()};
}

size_t RequestLog::count() const
{
    std::lock_guard lock(m_mutex);
    return m_count;
}

void RequestLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_records.clear();
    m_count = 0;
}

bool RequestLog::waitFor(size_t n, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_count >= n; });
}

} // namespace km4x
