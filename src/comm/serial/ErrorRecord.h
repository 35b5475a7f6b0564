#pragma once
// The last failure of a line or connection, as its number and text; read from any thread.

#include <cstdint>
#include <mutex>
#include <string>

namespace zbserial {

class ErrorRecord {
public:
    // Records the failure; returns false, so a failing call can end with "return error_.Set(...)".
    bool Set(uint32_t Number, std::string Text)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        number_ = Number;
        text_ = std::move(Text);
        return false;
    }
    uint32_t Number() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return number_;
    }
    std::string Text() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return text_;
    }

private:
    mutable std::mutex mutex_;
    uint32_t number_ = 0;
    std::string text_;
};

} // namespace zbserial
