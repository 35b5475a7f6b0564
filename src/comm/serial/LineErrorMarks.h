#pragma once
// Undoes the in-band marking of line errors that a POSIX tty gives with PARMRK, so that a parity or
// framing error is seen on every driver, not only on those that keep error counters:
//   FFh FFh    a received data byte FFh;
//   FFh 00h X  byte X received with a parity or framing error (FFh 00h 00h also for a break).
// Any other byte after FFh cannot come from a tty and is taken as a faulty byte as well.

#include <cstdint>

namespace zbserial {

class LineErrorMarks {
public:
    // Takes the next byte read from the tty. True when a received byte is complete: it is in Byte,
    // and Faulty says whether it came with a line error. False while a mark is incomplete.
    bool Take(uint8_t Raw, uint8_t& Byte, bool& Faulty);
    // Forgets an incomplete mark (the input was discarded).
    void Reset() { state_ = State::Plain; }

private:
    enum class State { Plain, AfterEscape, AfterMark };
    State state_ = State::Plain;
};

} // namespace zbserial
