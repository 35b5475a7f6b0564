#include "comm/serial/LineErrorMarks.h"

namespace zbserial {

namespace {
constexpr uint8_t Escape = 0xFF;
}

bool LineErrorMarks::Take(uint8_t Raw, uint8_t& Byte, bool& Faulty)
{
    switch (state_) {
    case State::Plain:
        if (Raw == Escape) {
            state_ = State::AfterEscape;
            return false;
        }
        Byte = Raw;
        Faulty = false;
        return true;
    case State::AfterEscape:
        if (Raw == 0x00) {
            state_ = State::AfterMark;
            return false;
        }
        state_ = State::Plain;
        Byte = Raw;
        Faulty = Raw != Escape;
        return true;
    case State::AfterMark:
        state_ = State::Plain;
        Byte = Raw;
        Faulty = true;
        return true;
    }
    return false;
}

} // namespace zbserial
