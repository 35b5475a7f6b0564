#pragma once
// The live graph's sample log: up to 4001 values with their times in milliseconds since the
// first one, and how a reply becomes a sample.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace views {

constexpr int GraphLastIndex = 4000; // index of the 4001st sample

class GraphLog {
public:
    // A new log of a source (index of the source list): no sample yet (Last() is -1); the old
    // values stay until overwritten.
    void Start(int source = 0)
    {
        last_ = -1;
        source_ = source;
    }
    // The source the samples came from, whatever the list shows now.
    int Source() const { return source_; }

    // A reply arrived at tickMs (a millisecond tick counter, may wrap). value: the sample, or
    // nullopt when the reply held none (the slot keeps what it held). Returns true when the
    // buffer has just become full.
    bool Add(std::uint32_t tickMs, std::optional<std::int32_t> value);

    int Last() const { return last_; }
    bool Full() const { return last_ >= GraphLastIndex; }
    std::int32_t Value(int i) const { return values_[static_cast<std::size_t>(i)]; }
    std::int32_t Time(int i) const { return times_[static_cast<std::size_t>(i)]; }

private:
    std::array<std::int32_t, GraphLastIndex + 1> values_{};
    std::array<std::int32_t, GraphLastIndex + 1> times_{};
    int last_ = 0;
    int source_ = 0;
    std::uint32_t startTick_ = 0;
};

// The sample of a reply ("r0 12345\r\n"): a decimal integer after the echo; none for a reply
// longer than 50 bytes or a value that is no number.
std::optional<std::int32_t> GraphReplyValue(std::string_view request, const std::vector<std::uint8_t>& reply);

// "12,3 sec" for 12345 ms.
std::string GraphElapsedText(std::int32_t ms);

// The log as CSV: a header line, then one line per sample 0..Last: the time in ms and the value
// in the unit the axis shows (decimals: the axis's decimals; divisor 10000 for volts and
// milliamperes). Separator ";", decimal comma, lines ended by CR LF.
std::string GraphCsv(const GraphLog& log, const std::string& unitText, int decimals);

} // namespace views
