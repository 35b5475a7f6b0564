#pragma once
// The requests a simulated controller received, as texts in order, and the request sequences the
// transfer tests expect of them ("rp 0" .. "rp 399" and the like).

#include "Simulator.h"

#include <string>
#include <vector>

inline std::vector<std::string> RequestTexts(const km4x::Simulator& Sim)
{
    std::vector<std::string> texts;
    for (const km4x::RequestRecord& record : Sim.requestLog())
        texts.push_back(record.text);
    return texts;
}

// Letters + " " + n for n = First .. Last: Numbered("rs", 1, 48) is "rs 1" .. "rs 48".
inline std::vector<std::string> Numbered(const std::string& Letters, int First, int Last)
{
    std::vector<std::string> texts;
    for (int n = First; n <= Last; ++n)
        texts.push_back(Letters + " " + std::to_string(n));
    return texts;
}

// A followed by B.
inline std::vector<std::string> Joined(std::vector<std::string> A, const std::vector<std::string>& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}
