// Faults a simulated unit can show on demand, and how they bend its replies.
#pragma once

#include "Command.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>

namespace km4x {

enum class Fault {
    Silent,          // hears and acts, but never answers
    Slow,            // answers only after the slow delay (beyond a client's time-out)
    WrongEchoOnce,   // the next reply echoes the wrong letters, then the fault clears itself
    WrongEchoAlways, // every reply echoes the wrong letters
    Garbage,         // the answer after the echo is non-numeric, partly binary bytes
    OverLong,        // the answer after the echo is over-long (overLongLength bytes)
    Noise,           // random bytes on the line before each reply
    Refuse,          // answers "er 1" (unknown command, as older firmware does) and carries nothing out
    CutEnd,          // the reply ends with CR only, its LF lost
    Doubled,         // every reply is sent twice
    OtherValue,      // a reply with a number and a value repeats the number with the value 9999
    OtherNumber,     // the number after the letters is one more ("sc 3" for "sc 2", "rs 5" for "rs 4")
};
constexpr size_t FaultKinds = 12;

// Name used on the command line and console ("silent", "slow", "echo-once", "echo-always",
// "garbage", "long", "noise", "refuse", "cut-end", "doubled", "other-value", "other-number").
const char* FaultName(Fault fault);
std::optional<Fault> FaultFromName(const std::string& name);

struct FaultSettings {
    std::chrono::milliseconds slowDelay{500};
    size_t overLongLength = 600;
    size_t noiseLength = 8;
};

// The faults switched on for one unit.
class FaultSet {
public:
    // onlyLetters: the fault hits only replies to that command ("rp"); empty: every reply.
    void set(Fault fault, bool on, const std::string& onlyLetters = {});
    bool isOn(Fault fault) const { return m_switches[Index(fault)].on; }
    void clear();

    // "wp n v" for these parameter numbers is refused with "er 7".
    void refuseParameter(int n, bool refuse);
    bool refusesWrite(const Command& command) const;
    // The Refuse fault hits replies to these letters.
    bool refusesCommand(const std::string& letters) const { return hits(Fault::Refuse, letters); }

    // A reply on its way out: the bytes (CR LF included) and the extra delay before them.
    struct Outgoing {
        bool silent = false;
        std::string bytes;
        std::chrono::milliseconds extraDelay{0};
    };
    // Bends `reply` (without CR LF) to a command with `letters`; consumes a one-shot fault.
    Outgoing apply(const std::string& letters, const std::string& reply, const FaultSettings& settings,
                   std::mt19937& random);

private:
    struct Switch {
        bool on = false;
        std::string onlyLetters;
    };
    static size_t Index(Fault fault) { return static_cast<size_t>(fault); }
    bool hits(Fault fault, const std::string& letters) const;

    std::array<Switch, FaultKinds> m_switches{};
    std::set<int> m_refusedParameters;
};

// Random bytes, any value from 0 to 255, as line noise produces them.
std::string NoiseBytes(size_t count, std::mt19937& random);

} // namespace km4x
