#include "Faults.h"

#include <utility>

namespace km4x {

namespace {

constexpr std::array<std::pair<Fault, const char*>, FaultKinds> kNames = {{
    {Fault::Silent, "silent"},
    {Fault::Slow, "slow"},
    {Fault::WrongEchoOnce, "echo-once"},
    {Fault::WrongEchoAlways, "echo-always"},
    {Fault::Garbage, "garbage"},
    {Fault::OverLong, "long"},
    {Fault::Noise, "noise"},
    {Fault::Refuse, "refuse"},
    {Fault::CutEnd, "cut-end"},
    {Fault::Doubled, "doubled"},
    {Fault::OtherValue, "other-value"},
    {Fault::OtherNumber, "other-number"},
}};

// Echo letters a client must not accept: the two letters swapped ("pr" for "rp").
std::string WrongLetters(const std::string& letters)
{
    if (letters.size() == 2 && letters[0] != letters[1])
        return std::string{letters[1], letters[0]};
    return "xx";
}

// Looks like a value at first glance but is not a number, and carries a NUL and high bytes.
const std::string kGarbage = std::string("1?x#", 4) + std::string(1, '\0') + "\xFF\x80" + "7z";

std::string OverLongValue(size_t length)
{
    std::string value;
    value.reserve(length);
    for (size_t i = 0; i < length; ++i)
        value.push_back(static_cast<char>('0' + i % 10));
    return value;
}

} // namespace

const char* FaultName(Fault fault)
{
    for (const auto& [kind, name] : kNames)
        if (kind == fault)
            return name;
    return "?";
}

std::optional<Fault> FaultFromName(const std::string& name)
{
    for (const auto& [kind, known] : kNames)
        if (name == known)
            return kind;
    return std::nullopt;
}

void FaultSet::set(Fault fault, bool on, const std::string& onlyLetters)
{
    m_switches[Index(fault)] = Switch{on, on ? onlyLetters : std::string{}};
}

void FaultSet::clear()
{
    m_switches = {};
    m_refusedParameters.clear();
}

void FaultSet::refuseParameter(int n, bool refuse)
{
    if (refuse)
        m_refusedParameters.insert(n);
    else
        m_refusedParameters.erase(n);
}

bool FaultSet::refusesWrite(const Command& command) const
{
    if (!command.wellFormed || command.letters != "wp" || command.args.empty())
        return false;
    const auto n = ParseInt32(command.args[0]);
    return n && m_refusedParameters.count(*n) > 0;
}

bool FaultSet::hits(Fault fault, const std::string& letters) const
{
    const Switch& s = m_switches[Index(fault)];
    return s.on && (s.onlyLetters.empty() || s.onlyLetters == letters);
}

FaultSet::Outgoing FaultSet::apply(const std::string& letters, const std::string& reply,
                                   const FaultSettings& settings, std::mt19937& random)
{
    Outgoing out;
    if (hits(Fault::Silent, letters)) {
        out.silent = true;
        return out;
    }
    std::string text = reply;
    if (hits(Fault::Garbage, letters))
        text = reply.substr(0, 2) + " " + kGarbage;
    if (hits(Fault::OverLong, letters))
        text = reply.substr(0, 2) + " " + OverLongValue(settings.overLongLength);
    const bool wrongOnce = hits(Fault::WrongEchoOnce, letters);
    if (wrongOnce || hits(Fault::WrongEchoAlways, letters))
        text = WrongLetters(text.substr(0, 2)) + text.substr(std::min<size_t>(2, text.size()));
    if (wrongOnce)
        set(Fault::WrongEchoOnce, false);
    if (hits(Fault::OtherValue, letters)) {
        // "ws 3 87227" -> "ws 3 9999": the number kept, the value changed (a controller clamping it).
        const size_t lastBlank = text.rfind(' ');
        if (lastBlank != std::string::npos && lastBlank > 3)
            text = text.substr(0, lastBlank) + " 9999";
    }
    if (hits(Fault::OtherNumber, letters) && text.size() > 3) {
        const size_t end = std::min(text.find(' ', 3), text.size());
        if (const auto n = ParseInt32(text.substr(3, end - 3)))
            text = text.substr(0, 3) + std::to_string(static_cast<int64_t>(*n) + 1) + text.substr(end);
    }
    if (hits(Fault::Noise, letters))
        out.bytes = NoiseBytes(settings.noiseLength, random);
    const std::string line = text + (hits(Fault::CutEnd, letters) ? "\r" : "\r\n");
    out.bytes += line;
    if (hits(Fault::Doubled, letters))
        out.bytes += line;
    if (hits(Fault::Slow, letters))
        out.extraDelay = settings.slowDelay;
    return out;
}

std::string NoiseBytes(size_t count, std::mt19937& random)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes;
    bytes.reserve(count);
    for (size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<char>(byte(random)));
    return bytes;
}

} // namespace km4x
