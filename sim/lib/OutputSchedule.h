// Bytes waiting to go out on the line, each chunk at its own time: this is how the answer
// delay, the slow fault and the pacing at wire speed are done without sleeping.
#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>

namespace km4x {

class OutputSchedule {
public:
    using Clock = std::chrono::steady_clock;

    // Queues `bytes` to start at `start`. With a non-zero byteTime the bytes are paced: byte i
    // is handed over at start + (i + 1) * byteTime, when it would have fully arrived on a wire.
    // Output never overtakes what is queued before it.
    void add(Clock::time_point start, const std::string& bytes, Clock::duration byteTime);

    std::optional<Clock::time_point> nextDue() const;
    // Removes and returns every byte due at `now`, in order.
    std::string takeDue(Clock::time_point now);
    // Puts bytes that could not be written back at the head, due at once.
    void putBack(std::string bytes, Clock::time_point now);
    bool empty() const { return m_chunks.empty(); }
    void clear() { m_chunks.clear(); }

private:
    struct Chunk {
        Clock::time_point due;
        std::string bytes;
        Clock::time_point end; // when its last byte has left the wire
    };
    std::deque<Chunk> m_chunks;
};

} // namespace km4x
