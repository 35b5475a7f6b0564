#include "comm/MemoryStream.h"

#include <algorithm>
#include <cstring>

void TMemoryStream::Write(const uint8_t* Buffer, std::size_t Count)
{
    if (Count == 0)
        return;
    if (position_ + Count > data_.size())
        data_.resize(position_ + Count);
    std::memcpy(data_.data() + position_, Buffer, Count);
    position_ += Count;
}

std::size_t TMemoryStream::Read(uint8_t* Buffer, std::size_t Count)
{
    const std::size_t n = std::min(Count, data_.size() - position_);
    if (n > 0)
        std::memcpy(Buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}
