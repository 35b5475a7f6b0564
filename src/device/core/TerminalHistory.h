#pragma once
// The terminal line's memory of what was sent in this run, recalled as a shell does: Up steps to
// older texts, Down back to newer ones and finally to what was being typed before recalling.

#include <cstddef>
#include <deque>
#include <string>

namespace device {

class TerminalHistory {
public:
    static constexpr std::size_t Capacity = 50;

    // A sent text; the same text twice in a row is kept once. Ends any recall.
    void Add(const std::string& Text);
    // The text to show after Up, given what the field shows now; Current stays when there is
    // nothing older.
    std::string Up(const std::string& Current);
    std::string Down(const std::string& Current);

    std::size_t Size() const { return texts_.size(); }

private:
    std::deque<std::string> texts_; // oldest first
    std::size_t position_ = 0;      // == size: not recalling
    std::string draft_;             // what was typed before the first Up
};

} // namespace device
