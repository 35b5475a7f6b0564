// Every request the simulator received, time-stamped, for tests and the log file.
#pragma once

#include "LineSettings.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace km4x {

struct RequestRecord {
    std::chrono::steady_clock::time_point time; // when its CR arrived
    std::string text;  // the bytes before the CR (an LF left over from a CR LF is dropped)
    int unit = -1;     // unit that took the request: the selected one, or n for "sc n"; -1: none
    bool answered = false; // a reply was sent or is scheduled
    ObservedLine line; // the client's line settings as seen at that moment
};

class RequestLog {
public:
    explicit RequestLog(size_t capacity = 100000) : m_capacity(capacity) {}

    void add(RequestRecord record);
    // The kept records, oldest first (at most `capacity`, the newest ones).
    std::vector<RequestRecord> records() const;
    // Requests added since the last clear (counting those no longer kept).
    size_t count() const;
    void clear();
    // Waits until count() >= n; false on time-out.
    bool waitFor(size_t n, std::chrono::milliseconds timeout) const;

private:
    size_t m_capacity;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::deque<RequestRecord> m_records;
    size_t m_count = 0;
};

} // namespace km4x
