#include "OutputSchedule.h"

#include <algorithm>

namespace km4x {

void OutputSchedule::add(Clock::time_point start, const std::string& bytes, Clock::duration byteTime)
{
    if (bytes.empty())
        return;
    if (!m_chunks.empty())
        start = std::max(start, m_chunks.back().end);
    if (byteTime == Clock::duration::zero()) {
        m_chunks.push_back({start, bytes, start});
        return;
    }
    // A byte has arrived once its stop bit is over: one byte time after it started.
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto due = start + byteTime * static_cast<long>(i + 1);
        m_chunks.push_back({due, std::string(1, bytes[i]), due});
    }
}

std::optional<OutputSchedule::Clock::time_point> OutputSchedule::nextDue() const
{
    if (m_chunks.empty())
        return std::nullopt;
    return m_chunks.front().due;
}

std::string OutputSchedule::takeDue(Clock::time_point now)
{
    std::string out;
    while (!m_chunks.empty() && m_chunks.front().due <= now) {
        out += m_chunks.front().bytes;
        m_chunks.pop_front();
    }
    return out;
}

void OutputSchedule::putBack(std::string bytes, Clock::time_point now)
{
    if (!bytes.empty())
        m_chunks.push_front({now, std::move(bytes), now});
}

} // namespace km4x
