#include "device/core/TerminalHistory.h"

namespace device {

void TerminalHistory::Add(const std::string& Text)
{
    if (!Text.empty() && (texts_.empty() || texts_.back() != Text)) {
        texts_.push_back(Text);
        if (texts_.size() > Capacity)
            texts_.pop_front();
    }
    position_ = texts_.size();
    draft_.clear();
}

std::string TerminalHistory::Up(const std::string& Current)
{
    if (position_ > texts_.size())
        position_ = texts_.size();
    if (position_ == 0)
        return Current;
    if (position_ == texts_.size())
        draft_ = Current;
    return texts_[--position_];
}

std::string TerminalHistory::Down(const std::string& Current)
{
    if (position_ >= texts_.size())
        return Current;
    ++position_;
    return position_ == texts_.size() ? draft_ : texts_[position_];
}

} // namespace device
