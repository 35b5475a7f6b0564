#pragma once
// The columns of a fault matrix: the faults a technician meets on a line, struck on a running
// simulator at a chosen request, and the table of cell results a matrix test prints.
// Header-only, Qt-free; link km4xsim.
//
//   LineFaultInjector inject(pty.sim());
//   for (LineFault fault : AllLineFaults) {
//       inject.Arm(fault, /*unit*/ 0, std::chrono::milliseconds(100), "rp", /*skip*/ 10);
//       ... run the operation; it must fail cleanly (or succeed for JustInside) ...
//       inject.Heal(pty);   // fault cleared, line plugged in again
//       ... run the operation again; it must succeed ...
//       report.Add("Backup", fault, problems);
//   }
//   report.Print(std::cout);

#include "Simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <chrono>
#include <iostream>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

enum class LineFault {
    Silent,      // the controller hears but never answers
    Unplugged,   // the line vanishes while a reply is awaited (the simulator's close)
    WrongEcho,   // replies echo the wrong letters
    Refused,     // replies are "er 1"
    Garbage,     // the answer after the echo is non-numeric, partly binary bytes
    JustInside,  // replies come shortly before the first-byte time-out: the operation succeeds
    JustOutside, // replies come shortly after the first-byte time-out
    OtherNumber, // replies repeat the letters with the next number ("rs 5" for "rs 4"); only
                 // where the struck request carries a number, so not one of AllLineFaults
    WrongOnce,   // one reply echoes the wrong letters, the next is sound: the operation asks once
                 // more and succeeds; not one of AllLineFaults (the tool's rows meet it)
};

inline constexpr std::array<LineFault, 7> AllLineFaults{
    LineFault::Silent,  LineFault::Unplugged,  LineFault::WrongEcho,   LineFault::Refused,
    LineFault::Garbage, LineFault::JustInside, LineFault::JustOutside,
};

inline const char* LineFaultName(LineFault fault)
{
    switch (fault) {
    case LineFault::Silent: return "silent";
    case LineFault::Unplugged: return "unplugged";
    case LineFault::WrongEcho: return "wrong echo";
    case LineFault::Refused: return "er 1";
    case LineFault::Garbage: return "garbage";
    case LineFault::JustInside: return "just inside";
    case LineFault::JustOutside: return "just outside";
    case LineFault::OtherNumber: return "other number";
    case LineFault::WrongOnce: return "wrong once";
    }
    return "?";
}

// Every column of the printed tables.
inline constexpr std::array<LineFault, 9> PrintedColumns{
    LineFault::Silent,  LineFault::Unplugged,  LineFault::WrongEcho,   LineFault::Refused,
    LineFault::Garbage, LineFault::JustInside, LineFault::JustOutside, LineFault::OtherNumber,
    LineFault::WrongOnce,
};

// Every column but JustInside and WrongOnce makes the operation fail.
inline bool LineFaultFails(LineFault fault) { return fault != LineFault::JustInside && fault != LineFault::WrongOnce; }

// How far beyond the first-byte time-out the just-outside reply comes (and how long to wait out
// such a late reply before the next exchange).
inline std::chrono::milliseconds TimeOutMargin(std::chrono::milliseconds firstByteTimeout)
{
    return std::max(firstByteTimeout / 4, std::chrono::milliseconds(40));
}
// The answer delays of the two timing columns; either reply is far later than any normal one.
// Inside, the margin is wider: a loaded shared 2-core machine delays a reply by some 40 ms at
// times, and that must not carry it across the time-out. Outside, lateness only adds to it.
inline std::chrono::milliseconds JustInsideDelay(std::chrono::milliseconds firstByteTimeout)
{
    return firstByteTimeout - std::max(firstByteTimeout / 4, std::chrono::milliseconds(50));
}
inline std::chrono::milliseconds JustOutsideDelay(std::chrono::milliseconds firstByteTimeout)
{
    return firstByteTimeout + TimeOutMargin(firstByteTimeout);
}

// Strikes one fault on a running simulator: at once, or from the (skip+1)-th request whose
// letters match (empty letters: any request), so a fault can hit the middle of a transfer.
class LineFaultInjector {
public:
    explicit LineFaultInjector(km4x::Simulator& sim) : sim_(sim) {}
    ~LineFaultInjector() { sim_.setRequestObserver({}); }
    LineFaultInjector(const LineFaultInjector&) = delete;
    LineFaultInjector& operator=(const LineFaultInjector&) = delete;

    // firstByteTimeout: the time-out of the requests the fault hits (for the timing columns).
    void Arm(LineFault fault, int unit, std::chrono::milliseconds firstByteTimeout, const std::string& letters = {},
             int skip = 0)
    {
        Heal();
        std::lock_guard lock(mutex_);
        fault_ = fault;
        unit_ = unit;
        letters_ = letters;
        delay_ = fault == LineFault::JustInside    ? JustInsideDelay(firstByteTimeout)
                 : fault == LineFault::JustOutside ? JustOutsideDelay(firstByteTimeout)
                                                   : std::chrono::milliseconds(0);
        skip_ = skip;
        seen_ = 0;
        struck_ = false;
        armed_ = true;
        if (skip <= 0)
            strike();
        sim_.setRequestObserver([this](const km4x::RequestRecord& record) { observe(record); });
    }

    // The fault has struck (its first request was let through, or it was armed with skip 0).
    bool Struck() const { return struck_.load(); }
    // The line was pulled by the Unplugged column.
    bool Unplugged() const { return unplugged_.load(); }
    // The timing columns slow only the requests of the armed letters, so that the polls beside
    // them keep their pace (by default they slow every reply from the strike on).
    void SlowOnlyArmedLetters(bool Only) { slowOnlyArmed_ = Only; }

    // Takes the fault away; the line stays as it is (see Heal(SimulatorOnPty&)).
    void Heal()
    {
        {
            // An observer call already under way sees this and strikes nothing more.
            std::lock_guard lock(mutex_);
            armed_ = false;
        }
        sim_.setRequestObserver({});
        sim_.clearFaults();
        sim_.setAnswerDelay(std::chrono::milliseconds(0));
    }
    // Takes the fault away and plugs a pulled line in again, mapping the port to it
    // (SimulatorOnPty, or anything with sim() and remap()).
    template <class Pty>
    bool Heal(Pty& pty)
    {
        Heal();
        if (unplugged_.exchange(false) || !pty.sim().lineOpen()) {
            if (!pty.sim().reopenLine())
                return false;
            pty.remap();
        }
        return true;
    }

private:
    bool matches(const km4x::RequestRecord& record) const
    {
        if (unit_ != km4x::Simulator::AllUnits && record.unit != unit_ && record.unit != -1)
            return false;
        // Whole letters, as the simulator's faults match them: "r" is not "rp".
        const size_t n = letters_.size();
        return letters_.empty() || (record.text.compare(0, n, letters_) == 0 &&
                                    (record.text.size() == n || !std::isalpha(static_cast<unsigned char>(record.text[n]))));
    }

    // On the simulator thread, outside its lock: faults may change here, and the line be pulled.
    void observe(const km4x::RequestRecord& record)
    {
        std::lock_guard lock(mutex_);
        if (!armed_ || !matches(record))
            return;
        if (!struck_) {
            if (++seen_ >= skip_)
                strike();
            return;
        }
        if (fault_ == LineFault::Unplugged && !record.answered) {
            // Pulled here, as the request is heard, so the client still waits for its reply: pulled
            // from a thread of its own, it could come after the client's time-out on a busy machine.
            unplugged_ = true; // before the hang-up can be seen
            sim_.closeLine();
        }
    }

    // Unplugged: the unit falls silent, and the first unanswered request pulls the line.
    // Called with mutex_ held (the simulator's lock is taken inside it, never the other way).
    void strike()
    {
        const std::string only = letters_;
        switch (fault_) {
        case LineFault::Silent: sim_.setFault(unit_, km4x::Fault::Silent, true, only); break;
        case LineFault::Unplugged: sim_.setFault(unit_, km4x::Fault::Silent, true, only); break;
        case LineFault::WrongEcho: sim_.setFault(unit_, km4x::Fault::WrongEchoAlways, true, only); break;
        case LineFault::Refused: sim_.setFault(unit_, km4x::Fault::Refuse, true, only); break;
        case LineFault::Garbage: sim_.setFault(unit_, km4x::Fault::Garbage, true, only); break;
        case LineFault::OtherNumber: sim_.setFault(unit_, km4x::Fault::OtherNumber, true, only); break;
        case LineFault::WrongOnce: sim_.setFault(unit_, km4x::Fault::WrongEchoOnce, true, only); break;
        case LineFault::JustInside:
        case LineFault::JustOutside: slow(); break;
        }
        struck_ = true;
    }

    // The delay of the timing columns: on every reply, or only on the armed letters' (Slow).
    void slow()
    {
        if (!slowOnlyArmed_ || letters_.empty()) {
            sim_.setAnswerDelay(delay_);
            return;
        }
        km4x::FaultSettings settings = sim_.faultSettings();
        settings.slowDelay = delay_;
        sim_.setFaultSettings(settings);
        sim_.setFault(unit_, km4x::Fault::Slow, true, letters_);
    }

    km4x::Simulator& sim_;
    LineFault fault_ = LineFault::Silent;
    int unit_ = km4x::Simulator::AllUnits;
    std::string letters_;
    std::chrono::milliseconds delay_{0};
    int skip_ = 0;
    int seen_ = 0;
    std::atomic<bool> struck_{false};
    std::atomic<bool> unplugged_{false};
    bool armed_ = false;
    bool slowOnlyArmed_ = false;
    std::mutex mutex_; // guards the fields above it
};

// The two settings a row runs at: the end of reply the program ships (50 ms of silence) and the
// fast end at CR LF that the serial settings offer. Time-outs are the program's own in both.
enum class ReplyEnd { Shipped, Fast };
inline constexpr std::array<ReplyEnd, 2> BothReplyEnds{ReplyEnd::Shipped, ReplyEnd::Fast};
inline const char* ReplyEndName(ReplyEnd end) { return end == ReplyEnd::Shipped ? "shipped" : "fast end"; }

// A stall of the machine proven from outside the program: a thread of the test asks to wake every
// 2 ms, and every fifth time hands one byte through a pseudo-terminal pair of its own; a wake-up or
// a hand-over later than the bound is noted. The hand-over is what an exchange with the simulator
// waits for twice, and on a loaded machine it stalls alone: a byte may take 100 ms while no
// sleeping thread wakes even 10 ms late. A run that failed while such a stall happened may be
// repeated; nothing else is.
class MachineStallWatch {
public:
    using Clock = std::chrono::steady_clock;
    explicit MachineStallWatch(std::chrono::milliseconds bound = std::chrono::milliseconds(40)) : bound_(bound)
    {
        openHandOver();
        ticker_ = std::thread([this] { tick(); });
    }
    ~MachineStallWatch()
    {
        ending_ = true;
        ticker_.join();
        for (int fd : {master_, slave_})
            if (fd >= 0)
                ::close(fd);
    }
    MachineStallWatch(const MachineStallWatch&) = delete;
    MachineStallWatch& operator=(const MachineStallWatch&) = delete;

    // The longest stall since `since`, as proof ("the test's clock thread asked to wake after 2 ms
    // and woke 312 ms later"); empty when there was none beyond the bound.
    std::string StallSince(Clock::time_point since) const
    {
        std::lock_guard lock(mutex_);
        const Stall* longest = nullptr;
        for (const Stall& stall : stalls_)
            if (stall.at >= since && (!longest || stall.late > longest->late))
                longest = &stall;
        if (!longest)
            return {};
        const std::string ms = std::to_string(longest->late.count());
        return longest->handOver ? "a byte the test handed through a pseudo-terminal of its own took " + ms + " ms"
                                 : "the test's clock thread asked to wake after 2 ms and woke " + ms + " ms later";
    }

private:
    struct Stall {
        Clock::time_point at;
        std::chrono::milliseconds late;
        bool handOver;
    };

    void openHandOver()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        char name[64];
        termios raw{};
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name, sizeof name) != 0 ||
            (slave_ = ::open(name, O_RDWR | O_NOCTTY)) < 0 || ::tcgetattr(slave_, &raw) != 0)
            return; // the wake-ups are still watched
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
    }

    // One byte from the master to the slave; how long it took to arrive.
    std::chrono::milliseconds handOver()
    {
        const auto sent = Clock::now();
        const char byte = 1;
        if (::write(master_, &byte, 1) != 1)
            return std::chrono::milliseconds(0);
        pollfd ready{slave_, POLLIN, 0};
        ::poll(&ready, 1, 5000);
        char got = 0;
        [[maybe_unused]] const ssize_t n = ::read(slave_, &got, 1);
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent);
    }

    void note(Clock::time_point at, std::chrono::milliseconds late, bool handOver)
    {
        if (late < bound_)
            return;
        std::lock_guard lock(mutex_);
        stalls_.push_back(Stall{at, late, handOver});
    }

    void tick()
    {
        for (unsigned n = 0; !ending_; ++n) {
            const auto asked = Clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const auto woke = Clock::now();
            note(asked, std::chrono::duration_cast<std::chrono::milliseconds>(woke - asked), false);
            // Not at every wake-up: each hand-over is work for the kernel's shared workers too.
            if (slave_ >= 0 && n % 5 == 0)
                note(woke, handOver(), true);
        }
    }

    std::chrono::milliseconds bound_;
    int master_ = -1;
    int slave_ = -1;
    mutable std::mutex mutex_;
    std::vector<Stall> stalls_;
    std::atomic<bool> ending_{false};
    std::thread ticker_;
};

// Runs the cells of one pass: a cell's first failure counts. Only a run that failed while the
// machine was proven to stall is repeated, and the stall is printed with its proof; more than two
// stalls fail the pass.
class CellRunner {
public:
    template <class Run>
    std::vector<std::string> Cell(const std::string& cell, Run&& run)
    {
        for (;;) {
            const auto began = MachineStallWatch::Clock::now();
            std::vector<std::string> problems = run();
            if (problems.empty())
                return problems;
            const std::string proof = watch_.StallSince(began);
            if (proof.empty() || PassFailedByStalls())
                return problems;
            std::string line = cell + ": repeated after a stall of the machine (" + proof + "); it had failed with:";
            for (const std::string& p : problems)
                line += " " + p + ";";
            std::lock_guard lock(mutex_); // cells may run side by side
            stalls_.push_back(line);
            std::cout << line << std::endl;
            if (stalls_.size() > 2)
                return problems;
        }
    }
    // More than two stalls: the pass proves nothing about timing.
    bool PassFailedByStalls() const
    {
        std::lock_guard lock(mutex_);
        return stalls_.size() > 2;
    }
    const std::vector<std::string>& Stalls() const { return stalls_; }

private:
    MachineStallWatch watch_;
    mutable std::mutex mutex_;
    std::vector<std::string> stalls_;
};

// The matrix's results: one row per operation, one column per fault; a cell is "pass" or what
// went wrong. Print gives a Markdown table for the note.
class FaultMatrixReport {
public:
    explicit FaultMatrixReport(std::string area) : area_(std::move(area)) {}

    // problems: empty when every check of the cell held.
    void Add(const std::string& operation, LineFault fault, const std::vector<std::string>& problems)
    {
        if (rows_.find(operation) == rows_.end())
            order_.push_back(operation);
        std::string cell = "pass";
        if (!problems.empty()) {
            cell = "FAIL:";
            for (const std::string& p : problems)
                cell += " " + p + ";";
        }
        rows_[operation][fault] = cell;
    }

    // Runs the cell (see CellRunner) and notes its result.
    template <class CellRun>
    void RunCell(const std::string& operation, LineFault fault, CellRun&& run)
    {
        Add(operation, fault, runner_.Cell(operation + " / " + LineFaultName(fault), std::forward<CellRun>(run)));
    }

    // Runs cells that share no port at once, at most atOnce of them (0: all), one thread each
    // (run(i) runs cells[i]: operation and fault), and notes their results in the order given.
    template <class CellRun>
    void RunCellsSideBySide(const std::vector<std::pair<std::string, LineFault>>& cells, CellRun&& run,
                            std::size_t atOnce = 0)
    {
        std::vector<std::vector<std::string>> results(cells.size());
        std::atomic<std::size_t> next{0};
        std::vector<std::thread> threads;
        for (std::size_t t = 0; t < (atOnce == 0 ? cells.size() : std::min(atOnce, cells.size())); ++t)
            threads.emplace_back([&] {
                for (std::size_t i = next++; i < cells.size(); i = next++)
                    results[i] = runner_.Cell(cells[i].first + " / " + LineFaultName(cells[i].second), [&] { return run(i); });
            });
        for (std::thread& thread : threads)
            thread.join();
        for (std::size_t i = 0; i < cells.size(); ++i)
            Add(cells[i].first, cells[i].second, results[i]);
    }

    bool AllPassed() const
    {
        if (runner_.PassFailedByStalls())
            return false;
        for (const auto& [operation, cells] : rows_)
            for (const auto& [fault, cell] : cells)
                if (cell != "pass")
                    return false;
        return true;
    }

    void Print(std::ostream& out) const
    {
        out << "\nFault matrix: " << area_ << "\n\n| operation |";
        for (LineFault fault : PrintedColumns)
            out << ' ' << LineFaultName(fault) << " |";
        out << "\n|---|";
        for (size_t i = 0; i < PrintedColumns.size(); ++i)
            out << "---|";
        out << '\n';
        for (const std::string& operation : order_) {
            out << "| " << operation << " |";
            const auto& cells = rows_.at(operation);
            for (LineFault fault : PrintedColumns) {
                const auto cell = cells.find(fault);
                out << ' ' << (cell == cells.end() ? "-" : cell->second) << " |";
            }
            out << '\n';
        }
        out << "\nStalls of the machine proven and repeated: " << runner_.Stalls().size() << '\n';
        for (const std::string& stall : runner_.Stalls())
            out << "- " << stall << '\n';
        out << std::flush;
    }

private:
    std::string area_;
    CellRunner runner_;
    std::vector<std::string> order_;
    std::map<std::string, std::map<LineFault, std::string>> rows_;
};
