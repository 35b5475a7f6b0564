#include "Simulator.h"

#include "ControllerLine.h"
#include "OutputSchedule.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <future>
#include <mutex>
#include <poll.h>
#include <random>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace km4x {

namespace {

constexpr size_t MaxRequestLength = 512; // a longer line is dropped, as a controller's buffer would

struct UnitEntry {
    ControllerUnit unit;
    FaultSet faults;
    bool selected = false;
};

bool ValidUnitNumber(int n)
{
    return n >= 0 && n <= 31;
}

} // namespace

struct Simulator::Impl {
    explicit Impl(SimulatorOptions opts)
        : options(std::move(opts))
        , answerDelay(options.answerDelay)
        , pacing(options.pacing)
        , faultSettings(options.faultSettings)
        , random(options.seed)
        , log(options.logCapacity)
    {
    }

    // ---- shared state, guarded by mutex ----
    SimulatorOptions options;
    mutable std::mutex mutex;
    std::vector<UnitEntry> units;
    std::chrono::milliseconds answerDelay;
    bool pacing;
    FaultSettings faultSettings;
    std::mt19937 random;
    std::string path;
    bool lineIsOpen = false;
    std::function<void(const RequestRecord&)> observer;
    RequestLog log;

    // ---- owned by the simulator thread (or by the caller before start / after stop) ----
    std::unique_ptr<ControllerLine> line;
    OutputSchedule schedule;
    std::string input;
    bool inputTooLong = false;

    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;
    std::mutex taskMutex;
    std::deque<std::function<void()>> tasks;
    bool stopping = false;
    bool running = false;
    // closeLine from the request observer: the line goes once the request at hand is handled.
    bool hangUpAfterRequest = false;

    UnitEntry* find(int n)
    {
        for (UnitEntry& e : units)
            if (e.unit.config().number == n)
                return &e;
        return nullptr;
    }
    const UnitEntry* find(int n) const { return const_cast<Impl*>(this)->find(n); }

    bool openLine(std::string* error);
    void closeLineNow();
    void runOnThread(std::function<void()> task);
    bool onThread();
    void wake();
    void run();
    void readLine(bool hungUp);
    void flushOutput();
    void handleRequest(std::string text, Clock::time_point now);
    UnitEntry* route(const std::optional<Command>& command, const ObservedLine& seen);
};

bool Simulator::Impl::openLine(std::string* error)
{
    std::string why;
    const LineSettings initial = units.empty() ? LineSettings{} : units.front().unit.config().line;
    line = options.devicePath.empty() ? ControllerLine::OpenPseudoTerminal(initial, options.linkPath, &why)
                                      : ControllerLine::OpenDevice(options.devicePath, initial, &why);
    std::lock_guard lock(mutex);
    lineIsOpen = line != nullptr;
    if (!line) {
        if (error)
            *error = why;
        return false;
    }
    path = line->clientPath();
    return true;
}

void Simulator::Impl::closeLineNow()
{
    {
        // Said closed before the client can see the hang-up.
        std::lock_guard lock(mutex);
        lineIsOpen = false;
    }
    line.reset();
    schedule.clear();
    input.clear();
    inputTooLong = false;
}

void Simulator::Impl::wake()
{
    const char byte = 1;
    // The pipe is non-blocking: when it is full, the thread is awake anyway.
    [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1);
}

void Simulator::Impl::runOnThread(std::function<void()> task)
{
    std::packaged_task<void()> job(std::move(task));
    std::future<void> done = job.get_future();
    {
        std::lock_guard lock(taskMutex);
        // Inline when nobody else could run it: before start, after stop, or on the thread itself.
        if (!running || std::this_thread::get_id() == thread.get_id()) {
            job();
            return;
        }
        tasks.emplace_back([&job] { job(); });
    }
    wake();
    done.wait();
}

bool Simulator::Impl::onThread()
{
    std::lock_guard lock(taskMutex);
    return running && std::this_thread::get_id() == thread.get_id();
}

void Simulator::Impl::run()
{
    for (;;) {
        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = {wakeRead, POLLIN, 0};
        const int lineIndex = line ? static_cast<int>(count) : -1;
        if (line)
            fds[count++] = {line->fd(), POLLIN, 0};
        const int watchIndex = line && line->clientWatchFd() >= 0 ? static_cast<int>(count) : -1;
        if (watchIndex >= 0)
            fds[count++] = {line->clientWatchFd(), POLLIN, 0};

        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (line) {
            if (const auto due = schedule.nextDue()) {
                const auto wait = std::max(Clock::duration::zero(), *due - Clock::now());
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
                timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
                timeout.tv_nsec = static_cast<long>(ns % 1000000000);
                timeoutPtr = &timeout;
            }
        }
        const int ready = ppoll(fds, count, timeoutPtr, nullptr);
        if (ready < 0 && errno != EINTR)
            break;

        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (read(wakeRead, drain, sizeof drain) > 0) {
            }
            std::deque<std::function<void()>> pending;
            {
                std::lock_guard lock(taskMutex);
                pending.swap(tasks);
            }
            for (auto& task : pending)
                task();
            std::lock_guard lock(taskMutex);
            if (stopping)
                break;
        }
        if (!line)
            continue;
        // A client that closed its end must not leave the line locked for the next one.
        if (watchIndex >= 0 && (fds[watchIndex].revents & POLLIN))
            line->handleClientEvents();
        if (lineIndex >= 0 && fds[lineIndex].revents)
            readLine((fds[lineIndex].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0);
        if (line)
            flushOutput();
    }
}

void Simulator::Impl::readLine(bool hungUp)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(line->fd(), buffer, sizeof buffer);
        if (n > 0) {
            const auto now = Clock::now();
            for (ssize_t i = 0; i < n; ++i) {
                const char c = buffer[i];
                if (c == '\r') {
                    std::string text;
                    text.swap(input);
                    const bool tooLong = inputTooLong;
                    inputTooLong = false;
                    if (tooLong) {
                        log.add(RequestRecord{now, text, -1, false, line->observe()});
                        continue;
                    }
                    handleRequest(std::move(text), now);
                    if (hangUpAfterRequest) {
                        // Pulled while this request was heard: its reply never goes out.
                        hangUpAfterRequest = false;
                        closeLineNow();
                        return;
                    }
                } else if (c == '\n' && input.empty()) {
                    // the LF of a CR LF pair
                } else if (input.size() < MaxRequestLength) {
                    input.push_back(c);
                } else {
                    inputTooLong = true;
                }
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && !hungUp)
            return;
        // Read 0, an error or a hang-up: the device went away (unplugged adapter). Stop using
        // it rather than spinning on a descriptor that is always ready.
        closeLineNow();
        return;
    }
}

void Simulator::Impl::flushOutput()
{
    const auto now = Clock::now();
    std::string bytes = schedule.takeDue(now);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(line->fd(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            // The client does not read; keep the rest and try again shortly.
            schedule.putBack(bytes.substr(done), now + std::chrono::milliseconds(5));
        }
        return; // other errors: the bytes are lost, as on a broken line
    }
}

UnitEntry* Simulator::Impl::route(const std::optional<Command>& command, const ObservedLine& seen)
{
    if (command && command->wellFormed && command->letters == "sc") {
        // Every unit that understands the line hears the selection; the one addressed answers.
        std::optional<int32_t> wanted;
        if (command->args.size() == 1)
            wanted = ParseInt32(command->args[0]);
        UnitEntry* addressed = nullptr;
        for (UnitEntry& e : units) {
            if (!Matches(e.unit.config().line, seen))
                continue;
            e.selected = wanted && *wanted == e.unit.config().number;
            if (e.selected)
                addressed = &e;
        }
        return addressed;
    }
    for (UnitEntry& e : units)
        if (e.selected && Matches(e.unit.config().line, seen))
            return &e;
    return nullptr;
}

void Simulator::Impl::handleRequest(std::string text, Clock::time_point now)
{
    RequestRecord record{now, std::move(text), -1, false, line->observe()};
    const std::optional<Command> command = ParseCommand(record.text);
    std::function<void(const RequestRecord&)> notify;
    {
        std::lock_guard lock(mutex);
        UnitEntry* unit = command ? route(command, record.line) : nullptr;
        if (unit) {
            record.unit = unit->unit.config().number;
            const std::string reply = unit->faults.refusesWrite(*command)                ? std::string(RefusedReply)
                                      : unit->faults.refusesCommand(command->letters) ? std::string(UnknownCommandReply)
                                                                                      : unit->unit.answer(*command, now);
            const FaultSet::Outgoing out = unit->faults.apply(command->letters, reply, faultSettings, random);
            if (!out.silent) {
                const LineSettings& settings = unit->unit.config().line;
                const Clock::duration byteTime = pacing
                    ? std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                        static_cast<double>(BitsPerByte(settings)) / std::max(1, settings.baud)))
                    : Clock::duration::zero();
                schedule.add(now + answerDelay + out.extraDelay, out.bytes, byteTime);
                record.answered = true;
            }
        }
        notify = observer;
    }
    if (notify)
        notify(record);
    log.add(std::move(record));
}

// ---------------------------------------------------------------------------------------------

Simulator::Simulator(SimulatorOptions options)
    : m(std::make_unique<Impl>(std::move(options)))
{
    if (m->options.units.empty())
        throw std::runtime_error("the simulator needs at least one unit");
    const auto started = Clock::now();
    for (const UnitConfig& config : m->options.units) {
        if (!ValidUnitNumber(config.number) || m->find(config.number))
            throw std::runtime_error("unit number " + std::to_string(config.number) + " is outside 0..31 or given twice");
        m->units.push_back(UnitEntry{ControllerUnit(config, started), FaultSet{}, false});
    }
    m->units.front().selected = true;

    int pipeFds[2];
    if (pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0)
        throw std::runtime_error("cannot create the wake-up pipe");
    m->wakeRead = pipeFds[0];
    m->wakeWrite = pipeFds[1];

    std::string error;
    if (!m->openLine(&error)) {
        close(m->wakeRead);
        close(m->wakeWrite);
        throw std::runtime_error("cannot open the simulator's line: " + error);
    }
    m->running = true;
    m->thread = std::thread([this] { m->run(); });
}

Simulator::~Simulator()
{
    stop();
    if (m->wakeRead >= 0)
        close(m->wakeRead);
    if (m->wakeWrite >= 0)
        close(m->wakeWrite);
}

void Simulator::stop()
{
    {
        std::lock_guard lock(m->taskMutex);
        if (!m->running)
            return;
        m->stopping = true;
    }
    m->wake();
    m->thread.join();
    {
        std::lock_guard lock(m->taskMutex);
        m->running = false;
        // Tasks posted while the thread was ending run here, so nobody waits for ever.
        for (auto& task : m->tasks)
            task();
        m->tasks.clear();
    }
    m->closeLineNow();
}

std::string Simulator::devicePath() const
{
    std::lock_guard lock(m->mutex);
    return m->path;
}

void Simulator::closeLine()
{
    // The observer runs in the middle of reading the line, which must stay until that read is done.
    if (m->onThread()) {
        m->hangUpAfterRequest = true;
        return;
    }
    m->runOnThread([this] { m->closeLineNow(); });
}

bool Simulator::reopenLine(std::string* error)
{
    bool ok = false;
    m->runOnThread([&] {
        m->closeLineNow();
        ok = m->openLine(error);
    });
    return ok;
}

bool Simulator::lineOpen() const
{
    std::lock_guard lock(m->mutex);
    return m->lineIsOpen;
}

std::vector<int> Simulator::units() const
{
    std::lock_guard lock(m->mutex);
    std::vector<int> numbers;
    for (const UnitEntry& e : m->units)
        numbers.push_back(e.unit.config().number);
    return numbers;
}

bool Simulator::addUnit(const UnitConfig& config)
{
    std::lock_guard lock(m->mutex);
    if (!ValidUnitNumber(config.number) || m->find(config.number))
        return false;
    m->units.push_back(UnitEntry{ControllerUnit(config), FaultSet{}, false});
    return true;
}

bool Simulator::removeUnit(int unit)
{
    std::lock_guard lock(m->mutex);
    const auto it = std::find_if(m->units.begin(), m->units.end(),
                                 [unit](const UnitEntry& e) { return e.unit.config().number == unit; });
    if (it == m->units.end())
        return false;
    m->units.erase(it);
    return true;
}

bool Simulator::setLineSettings(int unit, const LineSettings& line)
{
    std::lock_guard lock(m->mutex);
    UnitEntry* e = m->find(unit);
    if (!e)
        return false;
    e->unit.setLine(line);
    return true;
}

std::vector<int> Simulator::selectedUnits() const
{
    std::lock_guard lock(m->mutex);
    std::vector<int> numbers;
    for (const UnitEntry& e : m->units)
        if (e.selected)
            numbers.push_back(e.unit.config().number);
    return numbers;
}

void Simulator::selectUnit(int unit)
{
    std::lock_guard lock(m->mutex);
    for (UnitEntry& e : m->units)
        e.selected = e.unit.config().number == unit;
}

bool Simulator::withUnit(int unit, const std::function<void(ControllerUnit&)>& f)
{
    std::lock_guard lock(m->mutex);
    UnitEntry* e = m->find(unit);
    if (!e)
        return false;
    f(e->unit);
    return true;
}

std::optional<int32_t> Simulator::parameter(int unit, int n) const
{
    std::lock_guard lock(m->mutex);
    const UnitEntry* e = m->find(unit);
    if (!e || n < 0 || n >= ParameterCount)
        return std::nullopt;
    return e->unit.parameters[static_cast<size_t>(n)];
}

bool Simulator::setParameter(int unit, int n, int32_t value)
{
    std::lock_guard lock(m->mutex);
    UnitEntry* e = m->find(unit);
    if (!e || n < 0 || n >= ParameterCount)
        return false;
    e->unit.parameters[static_cast<size_t>(n)] = value;
    return true;
}

std::optional<int32_t> Simulator::setpoint(int unit, int n) const
{
    std::lock_guard lock(m->mutex);
    const UnitEntry* e = m->find(unit);
    if (!e || n < 1 || n > SetpointCount)
        return std::nullopt;
    return e->unit.setpoints[static_cast<size_t>(n - 1)];
}

bool Simulator::setSetpoint(int unit, int n, int32_t value)
{
    std::lock_guard lock(m->mutex);
    UnitEntry* e = m->find(unit);
    if (!e || n < 1 || n > SetpointCount)
        return false;
    e->unit.setpoints[static_cast<size_t>(n - 1)] = value;
    return true;
}

std::optional<int32_t> Simulator::errorNumber(int unit) const
{
    std::lock_guard lock(m->mutex);
    const UnitEntry* e = m->find(unit);
    if (!e)
        return std::nullopt;
    return e->unit.errorNumber;
}

bool Simulator::setErrorNumber(int unit, int32_t value)
{
    return withUnit(unit, [value](ControllerUnit& u) { u.errorNumber = value; });
}

bool Simulator::setSerialText(int unit, const std::string& text)
{
    return withUnit(unit, [&text](ControllerUnit& u) { u.setSerialText(text); });
}

bool Simulator::setTypeText(int unit, const std::string& text)
{
    return withUnit(unit, [&text](ControllerUnit& u) { u.setTypeText(text); });
}

bool Simulator::setComputeFailure(int unit, std::optional<int32_t> number)
{
    return withUnit(unit, [number](ControllerUnit& u) { u.computeFailure = number; });
}

void Simulator::setAnswerDelay(std::chrono::milliseconds delay)
{
    std::lock_guard lock(m->mutex);
    m->answerDelay = std::max(std::chrono::milliseconds(0), delay);
}

std::chrono::milliseconds Simulator::answerDelay() const
{
    std::lock_guard lock(m->mutex);
    return m->answerDelay;
}

void Simulator::setPacing(bool on)
{
    std::lock_guard lock(m->mutex);
    m->pacing = on;
}

bool Simulator::pacing() const
{
    std::lock_guard lock(m->mutex);
    return m->pacing;
}

void Simulator::setFaultSettings(const FaultSettings& settings)
{
    std::lock_guard lock(m->mutex);
    m->faultSettings = settings;
}

FaultSettings Simulator::faultSettings() const
{
    std::lock_guard lock(m->mutex);
    return m->faultSettings;
}

void Simulator::setFault(int unit, Fault fault, bool on, const std::string& onlyLetters)
{
    std::lock_guard lock(m->mutex);
    for (UnitEntry& e : m->units)
        if (unit == AllUnits || e.unit.config().number == unit)
            e.faults.set(fault, on, onlyLetters);
}

bool Simulator::faultOn(int unit, Fault fault) const
{
    std::lock_guard lock(m->mutex);
    const UnitEntry* e = m->find(unit);
    return e && e->faults.isOn(fault);
}

void Simulator::clearFaults(int unit)
{
    std::lock_guard lock(m->mutex);
    for (UnitEntry& e : m->units)
        if (unit == AllUnits || e.unit.config().number == unit)
            e.faults.clear();
}

void Simulator::refuseParameter(int unit, int n, bool refuse)
{
    std::lock_guard lock(m->mutex);
    for (UnitEntry& e : m->units)
        if (unit == AllUnits || e.unit.config().number == unit)
            e.faults.refuseParameter(n, refuse);
}

void Simulator::injectBytes(const std::string& bytes)
{
    m->runOnThread([this, bytes] {
        if (m->line) {
            m->schedule.add(Clock::now(), bytes, Clock::duration::zero());
            m->flushOutput();
        }
    });
}

void Simulator::injectNoise(size_t count)
{
    std::string bytes;
    {
        std::lock_guard lock(m->mutex);
        bytes = NoiseBytes(count, m->random);
    }
    injectBytes(bytes);
}

std::vector<RequestRecord> Simulator::requestLog() const
{
    return m->log.records();
}

void Simulator::clearLog()
{
    m->log.clear();
}

size_t Simulator::requestCount() const
{
    return m->log.count();
}

bool Simulator::waitForRequests(size_t count, std::chrono::milliseconds timeout) const
{
    return m->log.waitFor(count, timeout);
}

void Simulator::setRequestObserver(std::function<void(const RequestRecord&)> observer)
{
    std::lock_guard lock(m->mutex);
    m->observer = std::move(observer);
}

} // namespace km4x
