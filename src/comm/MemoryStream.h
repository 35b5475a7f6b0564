#pragma once
// The byte stream a protocol component hands to its result and error events.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TMemoryStream {
public:
    std::size_t Size() const { return data_.size(); }
    const std::vector<uint8_t>& Bytes() const { return data_; }
    // The bytes as a single-byte string (no conversion).
    std::string Text() const { return std::string(data_.begin(), data_.end()); }

    std::size_t Position() const { return position_; }
    void SetPosition(std::size_t Position) { position_ = Position < data_.size() ? Position : data_.size(); }
    void Clear() { data_.clear(); position_ = 0; }

    // Writes at the current position, growing the stream as needed.
    void Write(const uint8_t* Buffer, std::size_t Count);
    // Reads up to Count bytes from the current position; returns how many were read.
    std::size_t Read(uint8_t* Buffer, std::size_t Count);

private:
    std::vector<uint8_t> data_;
    std::size_t position_ = 0;
};
